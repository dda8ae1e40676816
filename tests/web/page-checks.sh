#!/usr/bin/env bash
# The page in a headless Chromium, served from a copy of build/web on
# 127.0.0.1: it draws an example, every example's WebAssembly mesh hashes as
# the desktop's mesh does, a broken scene shows its error and keeps the last
# surface, no script handed in the address runs, and the starfish looks as
# vextal-snapshot draws it.
#   page-checks.sh WEB_DIR MESH_HASH_BINARY SNAPSHOT_BINARY EXAMPLES_DIR NODE_MODULES_DIR [SCREENSHOT.png]
set -u
web="$1"
hasher="$2"
snapshot="$3"
examples="$4"
modules="$5"
screenshot="${6:-}"
here="$(cd "$(dirname "$0")" && pwd)"
for tool in node chromium convert compare; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (scripts/install-deps.sh test)"
        exit 77
    fi
done
if [ ! -f "$web/vextal-geometry.mjs" ]; then
    echo "SKIP: the page is not built (emscripten is not installed: scripts/install-deps.sh test)"
    exit 77
fi
if [ ! -d "$modules/puppeteer-core" ]; then
    echo "SKIP: puppeteer-core is not installed in $modules (scripts/install-deps.sh test)"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home"
mkdir -p "$HOME" "$work/root"
cp -r "$web"/. "$work/root/"
rm -rf "$work/root/wasm"
cp "$here/page-checks.html" "$here/page-checks.js" "$work/root/"

node "$here/headless-page.js" "$modules" "$work/root" page-checks.html "$work/page.png" 1160x660 \
    >"$work/log" 2>&1
status=$?
grep -v 'GPU stall' "$work/log" | grep -v '^page: hash ' || true
if [ "$status" -eq 3 ]; then
    echo "SKIP: Chromium could not be started"
    exit 77
fi
[ "$status" -eq 0 ] || { echo "FAIL: the page's checks"; exit 1; }
[ -z "$screenshot" ] || { cp "$work/page.png" "$screenshot"; cp "$work/coloured.png" "${screenshot%.png}-coloured.png"; }

sed -n 's/^page: hash //p' "$work/log" | sort >"$work/page-hashes"
"$hasher" "$examples"/*.vextal | sort >"$work/native-hashes" || { echo "FAIL: native hashes"; exit 1; }
# The three families' meshes are the desktop's bit for bit. A typed
# surface's may differ in the last bit where its formula calls pow or exp:
# the browser's C library rounds some of those apart from glibc's (Enneper's
# u^3); the page must still build every one.
if ! diff <(grep -v '^typed-' "$work/native-hashes") <(grep -v '^typed-' "$work/page-hashes"); then
    echo "FAIL: the page's meshes differ from the desktop's (< desktop, > page)"
    exit 1
fi
if ! diff <(cut -d' ' -f1 "$work/native-hashes") <(cut -d' ' -f1 "$work/page-hashes"); then
    echo "FAIL: the page does not build every example (< desktop, > page)"
    exit 1
fi

# The canvas (800 x 600 at 12, 12 in the page) beside vextal-snapshot's
# picture of the same scene and view. The rasterisers differ (Chromium's
# software WebGL, multisampled, against Mesa's): along the silhouette and
# in the highlights a pixel may differ, so at most 1 % of the pixels may be
# more than 12 % apart in a channel.
convert "$work/page.png" -crop 800x600+12+12 +repage "$work/canvas.png"
"$snapshot" "$examples/starfish.vextal" "$work/snapshot.png" --size 800x600 2>/dev/null \
    || { echo "FAIL: vextal-snapshot"; exit 1; }
differing=$(compare -metric AE -fuzz 12% "$work/canvas.png" "$work/snapshot.png" null: 2>&1)
echo "the page's starfish and vextal-snapshot's: $differing of 480000 pixels more than 12 % apart"
awk -v n="$differing" 'BEGIN { exit !(n + 0 <= 4800) }' \
    || { echo "FAIL: the page's picture differs from vextal-snapshot's"; exit 1; }
# The same tolerance for the starfish coloured by its gaussian curvature,
# the page's colours being the colour code's own.
"$snapshot" "$examples/starfish.vextal" "$work/snapshot-gaussian.png" --size 800x600 \
    --colour gaussian 2>/dev/null || { echo "FAIL: vextal-snapshot --colour gaussian"; exit 1; }
differing=$(compare -metric AE -fuzz 12% "$work/coloured.png" "$work/snapshot-gaussian.png" null: 2>&1)
echo "the page's gaussian starfish and vextal-snapshot's: $differing of 480000 pixels more than 12 % apart"
awk -v n="$differing" 'BEGIN { exit !(n + 0 <= 4800) }' \
    || { echo "FAIL: the page's coloured picture differs from vextal-snapshot's"; exit 1; }
echo "the page draws, keeps the last surface, runs no address script; $(wc -l <"$work/page-hashes") meshes equal the desktop's"
