#!/usr/bin/env bash
# How the real viewer ends, and what it costs while it runs, under Xvfb:
# idle with vertical sync refused, its window destroyed by another client,
# without a display, and signalled while its error box waits on a display
# without GLX.
#   ending-e2e.sh VIEWER_BINARY EXAMPLES_DIR
# Every wait is bounded; a failing run ends by itself.
set -u
viewer="$1"
examples="$2"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/session.sh"
source "$here/cpu-share.sh"

title='^\.:: Ul Vorel Tesa ::\.$'
cp "$examples/worked-example.vextal" "$work/conf.txt"
cd "$work"

start_viewer() { # starts the viewer, sets viewer_pid and window; false when no window appears
    "$viewer" >"$work/viewer.out" 2>&1 &
    viewer_pid=$!
    window=$(timeout 10 xdotool search --sync --onlyvisible --name "$title" | head -1)
    [ -n "$window" ]
}
# Whether a top-level window named "Error" (SDL's message box) is up.
box_up() { xwininfo -root -children 2>/dev/null | grep -q '^ *0x[0-9a-f]* "Error":'; }
# Waits up to 10 s for the box to be up (want 0) or gone (want 1).
await_box() { # want
    local _
    for _ in $(seq 100); do
        box_up
        [ $? -eq "$1" ] && return 0
        sleep 0.1
    done
    return 1
}
# Waits up to SECONDS for the viewer to end and sets status; false if it still runs.
await_end() { # seconds
    local _
    for _ in $(seq $(($1 * 20))); do kill -0 "$viewer_pid" 2>/dev/null || break; sleep 0.05; done
    if kill -0 "$viewer_pid" 2>/dev/null; then
        kill -9 "$viewer_pid" 2>/dev/null
        wait "$viewer_pid" 2>/dev/null
        viewer_pid=""
        return 1
    fi
    wait "$viewer_pid"
    status=$?
    viewer_pid=""
}

# Xvfb refuses vertical sync: the idle viewer paces its frames to the
# display's refresh instead of drawing as fast as it can.
if start_viewer; then
    sleep 1
    share=$(cpu_percent "$viewer_pid" 4)
    echo "idle viewer: ${share}% of a core"
    [ "$share" -lt 40 ] || fail "the idle viewer uses ${share}% of a core"
    # Outside a message box SIGTERM is a request to quit, as the close box.
    kill "$viewer_pid"
    if await_end 2; then
        [ "$status" -eq 0 ] || fail "status $status after SIGTERM"
    else
        fail "the viewer outlived SIGTERM"
    fi
else
    fail "no window appeared"
fi

# A window destroyed by another client ends the viewer as a close does:
# status 0, nothing printed. Once while drawing, once while it is unmapped
# and the viewer sleeps waiting for a message.
for state in drawing unmapped; do
    start_viewer || { fail "$state: no window appeared"; continue; }
    sleep 0.5
    if [ "$state" = unmapped ]; then
        xdotool windowunmap "$window"
        sleep 0.5
    fi
    python3 "$here/destroy-window.py" "$window"
    if await_end 3; then
        [ "$status" -eq 0 ] || fail "$state: status $status after the window was destroyed"
    else
        fail "$state: the viewer still runs 3 s after its window was destroyed"
    fi
    [ ! -s viewer.out ] || fail "$state: printed after its window was destroyed: $(head -c 300 viewer.out)"
done

# Without a display only the viewer speaks: no library may try a display
# that is not there and complain first.
env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR timeout 10 "$viewer" >/dev/null 2>nodisplay.err
status=$?
[ "$status" -ne 0 ] && [ "$status" -ne 124 ] || fail "without a display: exit status $status"
grep -q "Error Registering Window Class!" nodisplay.err || fail "without a display: no error text"
foreign=$(grep -v -e '^vextal: ' -e '^Error: ' nodisplay.err)
[ -z "$foreign" ] || fail "without a display, others printed: $foreign"

# On a display without GLX the viewer shows its error box; SIGTERM and SIGINT
# still end it at once, with the failure's status 1, and the box goes too.
kill "$xvfb_pid"
wait "$xvfb_pid" 2>/dev/null
start_xvfb "$work" -extension GLX || { fail "Xvfb without GLX did not start"; cat xvfb.log; }
for signal in TERM INT; do
    # A shell starts background jobs with SIGINT ignored; the viewer keeps
    # what it inherits, so it gets the default here, as from a terminal.
    env --default-signal=INT "$viewer" >"$work/viewer.out" 2>&1 &
    viewer_pid=$!
    if ! await_box 0; then
        fail "SIG$signal: no error box appeared ($(cat viewer.out))"
        kill -9 "$viewer_pid" 2>/dev/null
        viewer_pid=""
        continue
    fi
    kill -s "$signal" "$viewer_pid"
    if await_end 2; then
        [ "$status" -eq 1 ] || fail "SIG$signal during the error box: status $status"
    else
        fail "SIG$signal did not end the viewer while its error box was shown"
    fi
    await_box 1 || fail "SIG$signal: the error box outlived the viewer"
done

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "ending end-to-end checks passed"
