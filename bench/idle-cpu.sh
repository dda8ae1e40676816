#!/usr/bin/env bash
# The processor time an idle viewer takes: a 255 x 255 surface in a private
# Xvfb, nothing pressed or moved, utime + stime from /proc/PID/stat over
# SECONDS (default 10), in percent of one core; once without options, once
# with --watch and once with --panel (a mode the binary does not know is
# reported as such). The viewer is left three seconds to open and settle
# before the count starts.
#   bench/idle-cpu.sh [VIEWER_BINARY [SECONDS]]
set -u
viewer="$(realpath "${1:-build/app/vextal}")"
seconds="${2:-10}"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../tests/e2e/xserver.sh"

# cpu_share PID SECONDS: utime + stime over SECONDS, in percent of one core,
# to a tenth (a clock tick is a hundredth of a second).
cpu_share() {
    local pid="$1" seconds="$2" before after
    before=$(awk '{print $14 + $15}' "/proc/$pid/stat") || return 1
    sleep "$seconds"
    after=$(awk '{print $14 + $15}' "/proc/$pid/stat") || return 1
    awk -v ticks="$((after - before))" -v hz="$(getconf CLK_TCK)" -v s="$seconds" \
        'BEGIN { printf "%.1f", ticks * 100 / (hz * s) }'
}

work=$(mktemp -d)
viewer_pid=""
xvfb_pid=""
cleanup() {
    [ -n "$viewer_pid" ] && kill "$viewer_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
start_xvfb "$work" || { echo "Xvfb did not start" >&2; exit 1; }
printf '"sss\nslice 255 rotate 255\ncoef1 2 7 7 5 1 1\ncoef2 2 2 2 4 0.8 0.24\nrender\n' \
    >"$work/scene.vextal"

# idle_share OPTION...: the viewer's share of a core while idle, or why not.
idle_share() {
    (cd "$work" && exec "$viewer" "$@" scene.vextal >"$work/out" 2>"$work/err") &
    viewer_pid=$!
    sleep 3
    if ! kill -0 "$viewer_pid" 2>/dev/null; then
        viewer_pid=""
        echo "not run: $(head -1 "$work/err")"
        return
    fi
    echo "$(cpu_share "$viewer_pid" "$seconds")%"
    kill "$viewer_pid" 2>/dev/null
    wait "$viewer_pid" 2>/dev/null
    viewer_pid=""
}

echo "idle viewer, 255 x 255, ${seconds} s, $viewer"
echo "| options | share of one core |"
echo "|---|---|"
echo "| none | $(idle_share) |"
echo "| --watch | $(idle_share --watch) |"
echo "| --panel | $(idle_share --panel) |"
