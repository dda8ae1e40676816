#!/usr/bin/env bash
# Installs what the viewer needs, builds the viewer and vextal-snapshot (not
# the tests or the benchmarks), and shows the bundled example: in the viewer
# when there is a display to open its window on, otherwise as a picture drawn
# offscreen by vextal-snapshot, framed and lit as the gallery's pictures are.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build

build_dir=build
mkdir -p "$build_dir"
log="$build_dir/run-build.log"
# One line a step; on failure the end of its output, the whole in the log.
step() { # what command...
    local started=$SECONDS
    printf '%s... ' "$1"
    shift
    if "$@" >>"$log" 2>&1; then
        echo "done in $((SECONDS - started)) s"
        return 0
    fi
    echo "failed; the end of its output (all of it in $log):"
    tail -n 30 "$log"
    exit 1
}
: >"$log"
# The same build folder as scripts/test.sh, which turns the tests back on.
step "Configuring the build in $build_dir/" cmake -S . -B "$build_dir" -G Ninja --no-warn-unused-cli \
    -DVEXTAL_BUILD_TESTS=OFF -DVEXTAL_BUILD_BENCH=OFF -DVEXTAL_BUILD_PYTHON=OFF
step "Building the viewer and vextal-snapshot" cmake --build "$build_dir" --target vextal vextal-snapshot

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
    (cd "$run_dir" && exec "../../$build_dir/app/vextal") || status=$?
    # 255 (-1): no window system to register with; 1: no window or context.
    case "$status" in
    0) exit 0 ;;
    1 | 255) echo "The viewer could not open a window on this display: drawing $example offscreen instead." ;;
    *) echo "The viewer ended with status $status." >&2; exit "$status" ;;
    esac
else
    echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set), so no window: drawing $example offscreen instead."
fi

# As the gallery draws its pictures: framed by the surface's bounds, turned
# to the side the light comes from, and anti-aliased; at the viewer's size.
"$build_dir/tools/vextal-snapshot" "$example" "$picture" --size 800x600 --fill --turn 0.40,3.61 --samples 4
echo "Picture of $example: $(pwd)/$picture"
echo "To see it in the viewer: run this again where a display is open, or (cd $run_dir && ../../$build_dir/app/vextal)"
