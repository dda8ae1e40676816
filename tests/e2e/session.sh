# Sourced by the end-to-end scripts that drive one viewer at a time: a work
# folder, a private Xvfb (DISPLAY exported), and a cleanup at exit that kills
# the viewer in $viewer_pid and the server, then removes the folder.
#   fail MESSAGE    counts a failure in $failures and says it
work=$(mktemp -d)
failures=0
viewer_pid=""
xvfb_pid=""

cleanup() {
    [ -n "$viewer_pid" ] && kill -9 "$viewer_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

source "$(dirname "${BASH_SOURCE[0]}")/xserver.sh"
start_xvfb "$work" || { echo "FAIL: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
