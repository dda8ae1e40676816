#!/usr/bin/env bash
# The viewer on Wayland: weston with its X11 backend nested in a private Xvfb,
# the viewer on SDL's Wayland driver, driven by xdotool through weston's
# window and seen through screenshots of it. weston's kiosk shell gives the
# viewer the whole 640 x 480 output, so its first frame is already a resize.
#   wayland-e2e.sh VIEWER_BINARY SNAPSHOT_BINARY EXAMPLES_DIR
# Every wait is bounded; a failing run ends by itself.
set -u
viewer="$1"
snapshot="$2"
examples="$3"
command -v weston >/dev/null || { echo "SKIP: weston is not installed (scripts/install-deps.sh test)"; exit 77; }
source "$(dirname "$0")/session.sh"
weston_pid=""
trap '[ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null; cleanup' EXIT

# The socket lives in a runtime folder of this run's own: no other run sees it.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
socket="vextal-e2e-$$"
weston --backend=x11-backend.so --use-pixman --shell=kiosk-shell.so --no-config --idle-time=0 \
    --socket="$socket" --width=640 --height=480 >"$work/weston.log" 2>&1 &
weston_pid=$!
output=""
for _ in $(seq 100); do
    output=$(xwininfo -root -tree 2>/dev/null | awk '/"Weston Compositor/ { print $1; exit }')
    [ -n "$output" ] && [ -S "$XDG_RUNTIME_DIR/$socket" ] && break
    sleep 0.1
done
[ -n "$output" ] || { echo "FAIL: weston did not start"; cat "$work/weston.log"; exit 1; }
xdotool windowfocus "$output"
# weston draws its pointer into the output: keep it in a black corner for pictures.
park_pointer() { xdotool mousemove 639 479; sleep 0.3; }

shot() { import -display "$DISPLAY" -window "$output" "$1" 2>/dev/null; }
pixel() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r+p{$2,$3}.g+p{$2,$3}.b)]" info:; }
count_colour() { # file r g b
    convert "$1" -fill black +opaque "rgb($2,$3,$4)" -fill white -opaque "rgb($2,$3,$4)" \
        -format "%[fx:int(mean*w*h+0.5)]" info:
}
lit() { convert "$1" -threshold 1% -format "%[fx:int(mean*w*h+0.5)]" info:; }
differing() { compare -metric AE -fuzz 2% "$1" "$2" null: 2>&1 | cut -d' ' -f1; }
hold_key() { # key seconds
    xdotool keydown "$1"
    sleep "$2"
    xdotool keyup "$1"
    park_pointer
}

cd "$work"
cp "$examples/worked-example.vextal" conf.txt
"$snapshot" conf.txt expected.png --size 640x480 || fail "vextal-snapshot failed"
park_pointer
# DISPLAY stays set, as in a desktop session with X clients beside Wayland ones.
SDL_VIDEODRIVER=wayland WAYLAND_DISPLAY="$socket" "$viewer" >viewer.out 2>&1 &
viewer_pid=$!
for _ in $(seq 100); do
    shot first.png && [ "$(pixel first.png 320 240)" -gt 0 ] && break
    sleep 0.1
done
[ "$(pixel first.png 320 240)" -gt 0 ] || { echo "FAIL: nothing drawn"; cat viewer.out; exit 1; }
sleep 0.5
shot first.png
xwininfo -root -tree | grep -qF '.:: Ul Vorel Tesa ::.' && fail "the viewer opened an X window"

# The first frame fills the output as vextal-snapshot draws the scene at its size.
[ "$(differing expected.png first.png)" -lt 50 ] \
    || fail "first frame differs from the 640x480 snapshot in $(differing expected.png first.png) pixels"

hold_key p 0.4
shot wire.png
[ "$(count_colour wire.png 0 255 0)" -gt 20 ] || fail "P does not show the green axis"
hold_key f 0.4
shot filled.png
[ "$(differing first.png filled.png)" -lt 50 ] || fail "F does not bring the filled picture back"

# A right drag turns the surface; Control brings the first picture back.
xdotool mousemove 320 240 mousedown 3
for x in 340 360 380 400; do xdotool mousemove "$x" 250; sleep 0.1; done
xdotool mouseup 3
park_pointer
shot turned.png
[ "$(differing first.png turned.png)" -gt 2000 ] || fail "right drag did not turn the surface"
hold_key ctrl 0.4
shot reset.png
[ "$(differing first.png reset.png)" -lt 50 ] || fail "Control did not restore the first picture"

# The wheel away from the user brings the surface closer.
xdotool mousemove 320 240 click 4 click 4 click 4
park_pointer
shot zoomed.png
[ "$(lit zoomed.png)" -gt "$(lit first.png)" ] || fail "wheel did not zoom in"

# Asked to end, as a session asks at logout: status 0 within two seconds.
kill -TERM "$viewer_pid"
for _ in $(seq 40); do kill -0 "$viewer_pid" 2>/dev/null || break; sleep 0.05; done
if kill -0 "$viewer_pid" 2>/dev/null; then
    fail "viewer still running two seconds after SIGTERM"
else
    wait "$viewer_pid"
    status=$?
    [ "$status" -eq 0 ] || fail "exit status $status ($(cat viewer.out))"
fi
viewer_pid=""

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "Wayland end-to-end checks passed"
