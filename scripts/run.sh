#!/usr/bin/env bash
# Builds everything and shows the bundled example scene: in the viewer when
# there is a display to open its window on, otherwise as a picture drawn
# offscreen by vextal-snapshot.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build
scripts/build.sh build

example=examples/worked-example.vextal
run_dir=out/run
picture=out/worked-example.png
# The viewer reads conf.txt in its working directory.
mkdir -p "$run_dir"
cp "$example" "$run_dir/conf.txt"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Starting the viewer on $example in $(pwd)/$run_dir"
    echo "(edit conf.txt there and hold R to see the change; close the window to end)"
    status=0
    (cd "$run_dir" && exec ../../build/app/vextal) || status=$?
    # 255 (-1): no window system to register with; 1: no window or context.
    case "$status" in
    0) exit 0 ;;
    1 | 255) echo "The viewer could not open a window on this display." ;;
    *) echo "The viewer ended with status $status." >&2; exit "$status" ;;
    esac
else
    echo "There is no display (neither DISPLAY nor WAYLAND_DISPLAY is set): no window can be opened."
fi

echo "Drawing $example offscreen instead."
build/tools/vextal-snapshot "$example" "$picture"
echo "Picture of the viewer's first frame: $(pwd)/$picture"
