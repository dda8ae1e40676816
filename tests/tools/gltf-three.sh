#!/usr/bin/env bash
# Coloured glTF drawn by three.js in a headless Chromium looks as
# vextal-snapshot draws the same scene: the mean colour of the surface in
# each picture within 6 levels a channel, the surfaces within 2 % of each
# other's size (the same view). A surface drawn with glTF's default
# material, fully metallic, comes out at half the snapshot's levels.
#   gltf-three.sh EXPORT_BINARY SNAPSHOT_BINARY EXAMPLES_DIR NODE_MODULES_DIR
set -u
exporter="$1"
snapshot="$2"
examples="$3"
modules="$4"
here="$(cd "$(dirname "$0")" && pwd)"
web="$here/../web"
for tool in node chromium convert; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (scripts/install-deps.sh test)"
        exit 77
    fi
done
for package in three puppeteer-core; do
    if [ ! -d "$modules/$package" ]; then
        echo "SKIP: $package is not installed in $modules (scripts/install-deps.sh test)"
        exit 77
    fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$here/cli-checks.sh"
export HOME="$work/home"
mkdir -p "$HOME"
cp "$web/gltf-view.html" "$work/"

# The mean colour of the surface and its size in pixels: "R G B PIXELS".
surface() {
    convert "$1" -depth 8 "rgb:$1.rgb" && node "$web/surface-colour.js" "$1.rgb"
}

for case in "ring-torus gaussian" "starfish height"; do
    read -r scene mode <<<"$case"
    name="$scene-$mode"
    "$exporter" "$examples/$scene.vextal" "$work/$name.glb" --colour "$mode" --unit meter 2>/dev/null \
        || { fail "$case: glTF export"; continue; }
    "$snapshot" "$examples/$scene.vextal" "$work/$name-snapshot.png" --colour "$mode" --size 640x480 \
        2>/dev/null || { fail "$case: snapshot"; continue; }
    node "$web/headless-page.js" "$modules" "$work" "gltf-view.html?model=$name.glb" \
        "$work/$name-three.png" 640x480 >"$work/page" 2>&1
    [ $? -eq 0 ] || { fail "$case: three.js page: $(grep -v 'GPU stall' "$work/page" | tail -n 3)"; continue; }
    read -r r1 g1 b1 n1 <<<"$(surface "$work/$name-snapshot.png")"
    read -r r2 g2 b2 n2 <<<"$(surface "$work/$name-three.png")"
    echo "$case: snapshot $r1 $g1 $b1 over $n1 pixels, three.js $r2 $g2 $b2 over $n2"
    awk -v a="$r1 $g1 $b1 $n1" -v b="$r2 $g2 $b2 $n2" 'BEGIN {
        split(a, x); split(b, y)
        for (c = 1; c <= 3; ++c) if (x[c] - y[c] > 6 || y[c] - x[c] > 6) exit 1
        exit !(y[4] > 0.98 * x[4] && y[4] < 1.02 * x[4])
    }' || fail "$case: three.js draws the surface's colours unlike vextal-snapshot"
done

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "three.js draws the glTF colours as vextal-snapshot does"
