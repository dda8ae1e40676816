#!/usr/bin/env bash
# vextal-web writes the page into a folder and serves that folder on
# 127.0.0.1, where Chromium opens it; the files its download buttons save
# are vextal-export's for the same scene and options: STL, PLY and GLB byte
# for byte, 3MF entry for entry (the page's deflate is ISA-L's portable C,
# which compresses apart from its x86 code), and the PNG is the view.
#   page-files.sh VEXTAL_WEB VEXTAL_EXPORT EXAMPLES_DIR NODE_MODULES_DIR
set -u
web="$1" exporter="$2" examples="$3" modules="$4"
here="$(cd "$(dirname "$0")" && pwd)"
for tool in node chromium python3 unzip identify; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/install-deps.sh test)"; exit 77; }
done
[ -x "$web" ] || { echo "SKIP: the page is not built (scripts/install-deps.sh test)"; exit 77; }
[ -d "$modules/puppeteer-core" ] || { echo "SKIP: puppeteer-core is not installed in $modules"; exit 77; }
work=$(mktemp -d)
server=""
trap '[ -z "$server" ] || kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
export HOME="$work/home"
mkdir -p "$HOME" "$work/site"
fail() { echo "FAIL: $1"; exit 1; }

# Into an empty folder only: a folder with a file in it is left alone.
touch "$work/site/kept"
"$web" write "$work/site" 2>"$work/refusal" && fail "write went into a folder that is not empty"
[ "$(ls "$work/site")" = kept ] || fail "write changed a folder it refused"
rm "$work/site/kept"
"$web" write "$work/site" >/dev/null || fail "vextal-web write"
[ ! -e "$work/site/wasm" ] && [ ! -e "$work/site/CMakeFiles" ] || fail "write copied the build's own files"

"$web" serve --port 0 "$work/site" >"$work/serving" 2>&1 &
server=$!
for _ in $(seq 100); do grep -q 'http://' "$work/serving" && break; sleep 0.1; done
url=$(grep -o 'http://127.0.0.1:[0-9]*/' "$work/serving") || fail "vextal-web serve did not start: $(cat "$work/serving")"

CHROMIUM="${CHROMIUM:-$(command -v chromium)}" node "$here/page-downloads.js" "$modules" "${url}index.html" "$work/got" 2>&1 | grep -v 'GPU stall'
status=${PIPESTATUS[0]}
[ "$status" -ne 3 ] || { echo "SKIP: Chromium could not be started"; exit 77; }
[ "$status" -eq 0 ] || fail "the page's downloads"

mkdir "$work/want"
"$exporter" --quiet "$examples/starfish.vextal" "$work/want/1.stl" &&
    "$exporter" --quiet "$examples/starfish.vextal" "$work/want/1.ply" &&
    "$exporter" --quiet "$examples/starfish.vextal" "$work/want/1.glb" &&
    "$exporter" --quiet "$examples/starfish.vextal" "$work/want/1.3mf" &&
    "$exporter" --quiet --grid 300x200 --unit inch --fit 3 "$examples/ring-torus.vextal" "$work/want/2.3mf" &&
    "$exporter" --quiet --grid 300x200 "$examples/ring-torus.vextal" "$work/want/2.stl" 2>/dev/null &&
    "$exporter" --quiet --grid 300x200 "$examples/ring-torus.vextal" "$work/want/2.glb" 2>/dev/null || fail "vextal-export"
same() { # page's file, vextal-export's
    cmp -s "$1" "$2" || fail "$(basename "$1") from the page differs from vextal-export's"
}
same_entries() {
    [ "$(unzip -Z1 "$1")" = "$(unzip -Z1 "$2")" ] || fail "$(basename "$1"): other entries than vextal-export's"
    mkdir -p "$work/unzipped/a" "$work/unzipped/b"
    unzip -q -o "$1" -d "$work/unzipped/a" && unzip -q -o "$2" -d "$work/unzipped/b" ||
        fail "$(basename "$1") does not unzip"
    diff -r "$work/unzipped/a" "$work/unzipped/b" >/dev/null ||
        fail "$(basename "$1")'s entries differ from vextal-export's"
    rm -rf "$work/unzipped"
}
same "$work/got/1/starfish.stl" "$work/want/1.stl"
same "$work/got/1/starfish.ply" "$work/want/1.ply"
same "$work/got/1/starfish.glb" "$work/want/1.glb"
same_entries "$work/got/1/starfish.3mf" "$work/want/1.3mf"
same_entries "$work/got/2/ring-torus.3mf" "$work/want/2.3mf"
same "$work/got/2/ring-torus.stl" "$work/want/2.stl"
same "$work/got/2/ring-torus.glb" "$work/want/2.glb"
[ "$(identify -format '%m %w %h' "$work/got/1/starfish.png")" = "PNG 800 600" ] ||
    fail "the PNG is not the 800 x 600 view"
lit=$(convert "$work/got/1/starfish.png" -colorspace gray -threshold 10% -format '%[fx:mean]' info:)
awk -v m="$lit" 'BEGIN { exit !(m > 0.05 && m < 0.9) }' || fail "the PNG does not show the surface ($lit lit)"
echo "vextal-web wrote and served the page; its STL, PLY, GLB equal vextal-export's, its 3MF's entries too; offline it opens again from its cache"
