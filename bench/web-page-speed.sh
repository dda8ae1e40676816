#!/usr/bin/env bash
# The page's speed in headless Chromium with software WebGL: the first
# surface on screen, a slider drag at 255 x 255, a 1.1 MB paste.
#   bash bench/web-page-speed.sh BUILD_DIR [RUNS]
set -eu
build="$1"
runs="${2:-5}"
here="$(cd "$(dirname "$0")" && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home"
mkdir -p "$HOME" "$work/root"
cp -r "$build/web"/. "$work/root/"
rm -rf "$work/root/wasm"
cp "$here/web-page-speed.html" "$here/web-page-speed.js" "$work/root/"
node "$here/../tests/web/headless-page.js" "$here/../.deps/node/node_modules" "$work/root" \
    "web-page-speed.html?runs=$runs" "$work/page.png" 1160x660 | grep -v 'GPU stall'
