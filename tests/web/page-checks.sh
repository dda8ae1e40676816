#!/usr/bin/env bash
# The page in a headless Chromium, served from a copy of build/web on
# 127.0.0.1: it draws an example, every example's WebAssembly mesh hashes as
# the desktop's mesh does, a broken scene shows its error and keeps the last
# surface, and no script handed in the address runs.
#   page-checks.sh WEB_DIR MESH_HASH_BINARY EXAMPLES_DIR NODE_MODULES_DIR [SCREENSHOT.png]
set -u
web="$1"
hasher="$2"
examples="$3"
modules="$4"
screenshot="${5:-}"
here="$(cd "$(dirname "$0")" && pwd)"
for tool in node chromium; do
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
[ -z "$screenshot" ] || cp "$work/page.png" "$screenshot"

sed -n 's/^page: hash //p' "$work/log" | sort >"$work/page-hashes"
"$hasher" "$examples"/*.vextal | sort >"$work/native-hashes" || { echo "FAIL: native hashes"; exit 1; }
if ! diff "$work/native-hashes" "$work/page-hashes"; then
    echo "FAIL: the page's meshes differ from the desktop's (< desktop, > page)"
    exit 1
fi
echo "the page draws, keeps the last surface, runs no address script; $(wc -l <"$work/page-hashes") meshes equal the desktop's"
