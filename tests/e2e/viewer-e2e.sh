#!/usr/bin/env bash
# The real viewer under Xvfb, driven by xdotool and seen through screenshots.
#   viewer-e2e.sh VIEWER_BINARY EXAMPLES_DIR [SCREENSHOT_OUT]
# Every wait is bounded; a failing run ends by itself.
set -u
viewer="$1"
examples="$2"
screenshot_out="${3:-}"
here="$(cd "$(dirname "$0")" && pwd)"
source "$(dirname "$0")/session.sh"

shot() { # window file
    import -display "$DISPLAY" -window "$1" "$2" 2>/dev/null
}
# Pixels of one pure colour (r g b) in a screenshot.
count_colour() { # file r g b
    /usr/bin/convert "$1" -fill black +opaque "rgb($2,$3,$4)" -fill white -opaque "rgb($2,$3,$4)" \
        -format "%[fx:int(mean*w*h+0.5)]" info:
}
pixel() { # file x y -> "r,g,b"
    /usr/bin/convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:
}
# Pixels that differ by more than 2% between two screenshots.
differing() { # a b
    /usr/bin/compare -metric AE -fuzz 2% "$1" "$2" null: 2>&1 | cut -d' ' -f1
}
hold_key() { # key seconds
    xdotool keydown --window "$window" "$1"
    sleep "$2"
    xdotool keyup --window "$window" "$1"
    sleep 0.3
}

cp "$examples/worked-example.vextal" "$work/conf.txt"
cd "$work"
"$viewer" >"$work/viewer.out" 2>&1 &
viewer_pid=$!
window=$(timeout 10 xdotool search --sync --onlyvisible --name '^\.:: Ul Vorel Tesa ::\.$' | head -1)
[ -n "$window" ] || { echo "FAIL: no window appeared"; cat "$work/viewer.out"; exit 1; }
sleep 1

# Client area 800 x 600 at the top-left corner.
geometry=$(xdotool getwindowgeometry "$window")
echo "$geometry" | grep -q "Geometry: 800x600" || fail "client area: $geometry"
echo "$geometry" | grep -q "Position: 0,0" || fail "position: $geometry"

shot "$window" first.png
[ -n "$screenshot_out" ] && cp first.png "$screenshot_out"
centre=$(pixel first.png 400 300)
[ "$centre" != "0,0,0" ] || fail "no surface at the centre of the first frame"
[ "$(pixel first.png 3 3)" = "0,0,0" ] || fail "background is not black"
[ "$(count_colour first.png 0 255 0)" -eq 0 ] || fail "axes shown before P"

hold_key p 0.4
shot "$window" wire.png
[ "$(count_colour wire.png 0 255 0)" -gt 20 ] || fail "P does not show the green axis"
hold_key f 0.4
shot "$window" filled.png
[ "$(count_colour filled.png 0 255 0)" -eq 0 ] || fail "F does not hide the axes"

hold_key n 0.4
shot "$window" normals.png
[ "$(count_colour normals.png 255 0 0)" -gt 100 ] || fail "N does not show the normals"
hold_key e 0.4
shot "$window" plain.png
[ "$(count_colour plain.png 255 0 0)" -eq 0 ] || fail "E does not hide the normals"
[ "$(differing first.png plain.png)" -lt 50 ] || fail "picture after F and E differs from the first"

# Edit the scene, hold R: the new surface appears.
printf '"sh\nslice 40 rotate 40\nthetarange 0 3.14159265\nrender\n' >conf.txt
hold_key r 0.5
shot "$window" reloaded.png
[ "$(differing first.png reloaded.png)" -gt 5000 ] || fail "R did not show the edited scene"
cp "$examples/worked-example.vextal" conf.txt
hold_key r 0.5
shot "$window" back.png
[ "$(differing first.png back.png)" -lt 50 ] || fail "reloading the first scene does not bring the first picture back"

# A right drag turns the surface; Control brings the first picture back.
xdotool mousemove --window "$window" 400 300 mousedown 3
for x in 420 440 460; do xdotool mousemove --window "$window" "$x" 310; sleep 0.1; done
xdotool mouseup 3
sleep 0.5
shot "$window" turned.png
[ "$(differing first.png turned.png)" -gt 2000 ] || fail "right drag did not turn the surface"
hold_key ctrl 0.4
shot "$window" reset.png
[ "$(differing first.png reset.png)" -lt 50 ] || fail "Control did not restore the first picture"

# The wheel zooms: one notch away brings the surface closer (more lit pixels).
xdotool mousemove --window "$window" 400 300 click 4 click 4 click 4
sleep 0.5
shot "$window" zoomed.png
lit_first=$(/usr/bin/convert first.png -threshold 1% -format "%[fx:int(mean*w*h)]" info:)
lit_zoomed=$(/usr/bin/convert zoomed.png -threshold 1% -format "%[fx:int(mean*w*h)]" info:)
[ "$lit_zoomed" -gt "$lit_first" ] || fail "wheel did not zoom in ($lit_first -> $lit_zoomed)"

# A close request ends the viewer with status 0 within a second.
python3 "$here/close-window.py" "$window"
for _ in $(seq 20); do kill -0 "$viewer_pid" 2>/dev/null || break; sleep 0.05; done
if kill -0 "$viewer_pid" 2>/dev/null; then
    fail "viewer still running a second after the close request"
else
    wait "$viewer_pid"
    status=$?
    [ "$status" -eq 0 ] || fail "exit status $status after close"
fi
viewer_pid=""
# Started without options, the viewer prints nothing, whatever was pressed.
[ ! -s "$work/viewer.out" ] || fail "the viewer printed: $(head -c 300 "$work/viewer.out")"

# Without a display: the error text and a non-zero exit.
env -u DISPLAY -u WAYLAND_DISPLAY timeout 10 "$viewer" >nodisplay.out 2>&1
status=$?
[ "$status" -ne 0 ] && [ "$status" -ne 124 ] || fail "without a display: exit status $status"
grep -q "Error Registering Window Class!" nodisplay.out || fail "without a display: no error text ($(cat nodisplay.out))"

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "viewer end-to-end checks passed"
