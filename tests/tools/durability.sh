#!/usr/bin/env bash
# Every file a tool or the panel writes reaches the disk before it takes its
# name, and its folder after: the system calls are recorded by strace and
# their order checked (naming-order.py), for new files and replaced ones.
#   durability.sh EXPORT SNAPSHOT ANIMATE PANEL_TESTS EXAMPLES_DIR
set -u
exporter="$1" snapshot="$2" animate="$3" panel_tests="$4" examples="$5"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/cli-checks.sh"
checker="$(dirname "$0")/naming-order.py"

if ! strace -o /dev/null true 2>/dev/null; then
    echo "strace cannot trace here (no ptrace): skipped"
    exit 77
fi

# The leak checker stops the world with ptrace, which strace already holds:
# under the sanitizers the traced programs run without it.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

# traced NAME COMMAND...: runs it under strace, then checks the order of
# every naming in the trace; NAME's files must be among those checked.
traced() {
    local name="$1"
    shift
    strace -f -y -s 0 -o "$work/trace" \
        -e trace=openat,write,pwrite64,writev,fsync,fdatasync,linkat,renameat,renameat2 \
        "$@" >"$work/stdout" 2>"$work/stderr" || fail "$name: $(tail -3 "$work/stderr")"
    python3 "$checker" "$work/trace" >"$work/checked" || fail "$name: $(grep FAIL "$work/checked")"
}
named() { grep -qx "$1" "$work/checked" || fail "not checked: $1 (checked: $(cat "$work/checked"))"; }

scene="$examples/sphere.vextal"
cd "$work" || exit 1
for format in obj ply stl 3mf glb gltf; do
    for round in new replaced; do
        traced "export $format, $round" "$exporter" "$scene" "$work/out.$format" --grid 8x8
        named "$work/out.$format"
    done
done
traced "snapshot" "$snapshot" "$scene" "$work/out.png" --size 32x24
named "$work/out.png"
for format in gif webp; do
    traced "animate $format" "$animate" "$scene" "$work/out.$format" --frames 2 --size 32x24 --quiet
    named "$work/out.$format"
done
if command -v ffmpeg >/dev/null; then
    traced "animate mp4" "$animate" "$scene" "$work/out.mp4" --frames 2 --size 32x24 --quiet
    named "$work/out.mp4"
fi
traced "animate frames" "$animate" "$scene" "$work/frames/" --frames 2 --size 32x24 --quiet
named "$work/frames/frame-0001.png"
named "$work/frames/frame-0002.png"
# The panel's saves of the scene, pictures and meshes.
traced "panel" "$panel_tests" --gtest_filter='*save*:*Save*:*Beside*'
[ "$(wc -l <"$work/checked")" -ge 3 ] || fail "the panel named few files: $(cat "$work/checked")"

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "durability checks passed"
