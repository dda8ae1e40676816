#!/usr/bin/env bash
# The input storm: the real viewer under Xvfb with a window manager (openbox),
# so that minimising, restoring and focus changes are real, gets thousands of
# random key presses and releases, drags with every button combination, wheel
# turns, resizes down to 1 by 1 and back, minimises and restores and focus
# changes to another window. Through it all the viewer stays alive and keeps
# drawing; at every settling point (every few rounds and at the end) every key
# and button is let go, the window is brought back to 800 x 600 and Control
# resets the camera: the picture must then be the first frame again (no NaN,
# no stuck key), and a right drag must still turn it. At the end the viewer
# must sleep while minimised, its resident memory must not have grown more
# than a small bound, and a close request must end it with status 0.
#   input-storm.sh VIEWER_BINARY EXAMPLES_DIR [RANDOM_STATE]
# The storm is drawn from RANDOM_STATE (or $VEXTAL_STORM_STATE, or a fixed
# default) and printed, so a failing storm can be replayed exactly.
# Every wait is bounded; a failing run ends by itself.
set -u
replay="$0 $1 $2"
viewer="$(realpath "$1")"
examples="$(realpath "$2")"
state="${3:-${VEXTAL_STORM_STATE:-7700417}}"
here="$(cd "$(dirname "$0")" && pwd)"

ROUNDS=24          # rounds of random events
EVENTS_PER_ROUND=300
SETTLE_EVERY=4     # rounds between settling points
FUZZ=2%            # per channel, as in the viewer's other end-to-end checks
MAX_DIFFERING=50   # pixels of 800 x 600 beyond the fuzz
TURNED_MIN=2000    # pixels a small right drag changes at least
RSS_GROWTH_MAX_KB=16384 # resident memory the storm may add (allocator slack)
IDLE_TICKS_MAX=20  # CPU ticks (of 100 a second) a minimised viewer may use in a second

work=$(mktemp -d)
failures=0
viewer_pid=""
xvfb_pid=""
openbox_pid=""
other_pid=""

cleanup() {
    [ -n "$viewer_pid" ] && kill -9 "$viewer_pid" 2>/dev/null
    [ -n "$other_pid" ] && kill "$other_pid" 2>/dev/null
    [ -n "$openbox_pid" ] && kill "$openbox_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    # VEXTAL_STORM_KEEP=1 keeps the screenshots, scripts and logs.
    if [ "${VEXTAL_STORM_KEEP:-0}" = 1 ]; then echo "kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

# A failure keeps the last screenshot as failure-N.png (see VEXTAL_STORM_KEEP).
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
    [ -f "$work/last.png" ] && cp "$work/last.png" "$work/failure-$failures.png"
}
# Ends the run at once: what follows would only repeat the failure.
give_up() {
    fail "$*"
    echo "--- viewer output:"; tail -20 "$work/viewer.out"
    echo "replay: $replay $state"
    exit 1
}

# Xvfb picks a free display itself and writes its number to descriptor 3:
# other X servers may start and stop on this machine at the same time.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -n "$(tr -dc 0-9 <"$work/display")" ] && break; sleep 0.1; done
display_number=$(tr -dc 0-9 <"$work/display")
[ -n "$display_number" ] || { echo "FAIL: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$display_number"

openbox --sm-disable --config-file "$here/storm-openbox.xml" >"$work/openbox.log" 2>&1 &
openbox_pid=$!
for _ in $(seq 200); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.1; done
wmctrl -m >/dev/null 2>&1 || { echo "FAIL: openbox did not start"; cat "$work/openbox.log"; exit 1; }

# The other window, in the corner the viewer's window does not cover.
python3 "$here/focus-window.py" 880 640 120 90 >"$work/other.id" &
other_pid=$!
for _ in $(seq 50); do [ -s "$work/other.id" ] && break; sleep 0.1; done
other=$(cat "$work/other.id")
[ -n "$other" ] || { echo "FAIL: the other window did not appear"; exit 1; }

shot() { # file
    import -display "$DISPLAY" -window "$window" "$1" 2>/dev/null
    cp "$1" last.png 2>/dev/null
}
# Pixels that differ by more than FUZZ between two screenshots (a large
# number when a screenshot is missing).
differing() { # a b
    local count
    count=$(/usr/bin/compare -metric AE -fuzz "$FUZZ" "$1" "$2" null: 2>&1 | cut -d' ' -f1)
    [[ "$count" =~ ^[0-9]+$ ]] && echo "$count" || echo 999999
}
# Screenshots until one is within the tolerance of the first frame; the last
# of ten attempts, 0.3 s or more apart, counts. Prints the differing pixels.
wait_for_first_frame() { # file
    local count
    for _ in $(seq 10); do
        shot "$1"
        count=$(differing first.png "$1")
        [ "$count" -le "$MAX_DIFFERING" ] && break
        sleep 0.3
    done
    echo "$count"
}
# The same until the picture differs from the first frame in more than
# TURNED_MIN pixels.
wait_for_change() { # file
    local count
    for _ in $(seq 10); do
        shot "$1"
        count=$(differing first.png "$1")
        [ "$count" -gt "$TURNED_MIN" ] && break
        sleep 0.3
    done
    echo "$count"
}
# A right drag from the centre, the button held and the pointer moved on
# until the picture has turned (or ten steps have been tried), as a hand
# would. Prints the pixels changed.
right_drag_until_changed() { # file
    local count step
    xdotool mousemove --window "$window" 400 300 mousedown 3
    for step in $(seq 10); do
        xdotool mousemove --window "$window" $((400 + 30 * step)) $((300 + 10 * step))
        shot "$1"
        count=$(differing first.png "$1")
        [ "$count" -gt "$TURNED_MIN" ] && break
        sleep 0.3
    done
    xdotool mouseup 3
    echo "$count"
}
rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$viewer_pid/status"; }
peak_rss_kb() { awk '/^VmHWM:/ {print $2}' "/proc/$viewer_pid/status"; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$viewer_pid/stat"; }
viewer_alive() {
    local process_state
    process_state=$(cut -d' ' -f3 "/proc/$viewer_pid/stat" 2>/dev/null)
    [ -n "$process_state" ] && [ "$process_state" != Z ]
}
# One xdotool run per script: chained commands take microseconds each.
xdo() { # script
    timeout 60 xdotool "$1" 2>>"$work/xdotool.log"
}
# The frame loop looks at the keys held when a frame starts, so a key must be
# held across a frame to act: these hold keys until the picture shows it.
hold_until_first_frame() { # file keys...
    local file="$1" key count
    shift
    for key in "$@"; do xdotool keydown --delay 0 "$key"; done
    count=$(wait_for_first_frame "$file")
    for key in "$@"; do xdotool keyup --delay 0 "$key"; done
    echo "$count"
}
hold_until_changed() { # file keys...
    local file="$1" key count
    shift
    for key in "$@"; do xdotool keydown --delay 0 "$key"; done
    count=$(wait_for_change "$file")
    for key in "$@"; do xdotool keyup --delay 0 "$key"; done
    echo "$count"
}
map_state() { xwininfo -id "$window" 2>/dev/null | awk '/Map State:/ {print $3}'; }
wait_for_map_state() { # state
    for _ in $(seq 50); do [ "$(map_state)" = "$1" ] && break; sleep 0.1; done
}
# With nothing held, the picture must not change: not by time (a Page key, P
# or N still counted as held), not by an edit of the scene file (R still
# counted as held reloads it every frame) and not by pointer moves (a button
# still counted as held would pan, turn or approach with every move).
picture_stays() { # where
    local count
    printf '"sh\nslice 40 rotate 40\nthetarange 0 3.14159265\nrender\n' >conf.txt
    xdotool mousemove --window "$window" 100 100 mousemove --window "$window" 700 500 \
        mousemove --window "$window" 650 80 mousemove --window "$window" 400 300
    sleep 0.5
    shot still.png
    cp "$examples/worked-example.vextal" conf.txt
    count=$(differing first.png still.png)
    [ "$count" -le "$MAX_DIFFERING" ] ||
        fail "$1: with nothing held the picture moves ($count pixels differ)"
}

# The viewer back to normal: nothing held, shown, focused, 800 x 600, filled
# surface without normals. Then Control must bring the first frame back, the
# picture must stay, and a right drag must turn it.
settle() { # where
    xdo release.xdo || fail "$1: releasing keys and buttons failed"
    xdotool windowmap "$window" 2>>"$work/xdotool.log"
    timeout 10 xdotool windowactivate --sync "$window" 2>>"$work/xdotool.log"
    xdotool windowsize "$window" 800 600
    for _ in $(seq 50); do
        xdotool getwindowgeometry "$window" | grep -q "Geometry: 800x600" && break
        sleep 0.1
    done
    local count
    count=$(hold_until_first_frame now.png f e Control_L)
    [ "$count" -le "$MAX_DIFFERING" ] ||
        give_up "$1: after Control the picture is not the first frame ($count pixels differ)"
    picture_stays "$1"
    count=$(right_drag_until_changed turned.png)
    [ "$count" -gt "$TURNED_MIN" ] ||
        give_up "$1: the viewer no longer draws what the mouse does ($count pixels changed)"
    count=$(hold_until_first_frame now.png Control_L)
    [ "$count" -le "$MAX_DIFFERING" ] || give_up "$1: Control does not undo a turn ($count pixels)"
}

cd "$work"
cp "$examples/worked-example.vextal" conf.txt
"$viewer" >"$work/viewer.out" 2>&1 &
viewer_pid=$!
window=$(timeout 10 xdotool search --sync --onlyvisible --name '^\.:: Ul Vorel Tesa ::\.$' | head -1)
[ -n "$window" ] || give_up "no window appeared"
xdotool windowactivate --sync "$window" 2>>"$work/xdotool.log"
sleep 1
shot first.png
[ "$(/usr/bin/convert first.png -format '%[fx:int(255*p{400,300}.r)]' info:)" != 0 ] ||
    give_up "no surface at the centre of the first frame"

echo "random state $state: $ROUNDS rounds of $EVENTS_PER_ROUND events, settling every $SETTLE_EVERY"
python3 "$here/storm-events.py" "$state" "$ROUNDS" "$EVENTS_PER_ROUND" "$SETTLE_EVERY" \
    "$window" "$other" "$work" || give_up "the storm could not be written"

# Every drawing path once (wireframe, normals, the smallest and the largest
# window the storm asks for) before memory is measured, so that what they
# allocate for good is not taken for growth.
count=$(hold_until_changed wire.png p n)
[ "$count" -gt "$TURNED_MIN" ] || give_up "P and N do not change the picture ($count pixels)"
for size in "1 1" "1200 900"; do
    xdotool windowsize "$window" $size
    sleep 0.5
done
settle "before the storm"
rss_before=$(rss_kb)

start=$(date +%s)
for number in $(seq "$ROUNDS"); do
    round=$(printf 'round-%02d.xdo' "$number")
    xdo "$round" || fail "$round: xdotool stopped with status $? (see below)"
    viewer_alive || give_up "the viewer died in $round"
    if [ $((number % SETTLE_EVERY)) -eq 0 ]; then
        settle "after $round"
        echo "settled after $round: resident $(rss_kb) kB"
    fi
done
storm_seconds=$(($(date +%s) - start))
rss_after=$(rss_kb)
rss_peak=$(peak_rss_kb)

# A key and a button pressed in the window and let go while it is minimised:
# the releases go elsewhere, yet neither may count as held after restoring.
xdotool mousemove --window "$window" 400 300 mousedown 3 keydown --delay 0 Prior
xdotool windowminimize "$window"
wait_for_map_state IsUnMapped
xdotool keyup --delay 0 Prior mouseup 3
timeout 10 xdotool windowactivate --sync "$window" 2>>"$work/xdotool.log"
count=$(hold_until_first_frame now.png Control_L)
[ "$count" -le "$MAX_DIFFERING" ] || fail "let go while minimised: Control does not reset ($count)"
picture_stays "let go while minimised"
settle "after letting go while minimised"

# Minimised, the viewer sleeps; restored, it draws the same picture again.
xdotool windowminimize "$window"
wait_for_map_state IsUnMapped
sleep 0.2
ticks_before=$(cpu_ticks)
sleep 1
idle_ticks=$(($(cpu_ticks) - ticks_before))
[ "$idle_ticks" -le "$IDLE_TICKS_MAX" ] ||
    fail "minimised, the viewer used $idle_ticks CPU ticks in a second"
settle "after minimising"

# A close request ends the viewer with status 0 within a few seconds.
python3 "$here/close-window.py" "$window"
for _ in $(seq 100); do viewer_alive || break; sleep 0.05; done
if viewer_alive; then
    fail "viewer still running five seconds after the close request"
else
    wait "$viewer_pid"
    status=$?
    [ "$status" -eq 0 ] || fail "exit status $status after close"
fi
viewer_pid=""

echo "events sent:"
total=0
while read -r kind count; do
    printf '  %-16s %6d\n' "${kind//_/ }" "$count"
    total=$((total + count))
done <counts
printf '  %-16s %6d in %d s\n' "total" "$total" "$storm_seconds"
echo "resident memory: $rss_before kB before the storm, $rss_after kB after" \
    "(grown $((rss_after - rss_before)) kB, peak $rss_peak kB)"
echo "X errors about vanished windows ignored: $(grep -c 'named a window that is gone' viewer.out)"
echo "CPU while minimised: $idle_ticks ticks in a second"
[ $((rss_after - rss_before)) -le "$RSS_GROWTH_MAX_KB" ] ||
    fail "resident memory grew by $((rss_after - rss_before)) kB"
if [ -s xdotool.log ]; then
    echo "xdotool said:"
    sort xdotool.log | uniq -c | sort -rn | head -5
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed; replay: $replay $state"
    exit 1
fi
echo "input storm survived"
