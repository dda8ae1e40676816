#!/usr/bin/env bash
# The viewer with a named scene file and --watch under Xvfb: it shows that
# file; a save done by rename shows within a second without any key; a save
# that does not reach "render" keeps the surface and says why once.
#   watch-e2e.sh VIEWER_BINARY
set -u
viewer="$1"
here="$(cd "$(dirname "$0")" && pwd)"
source "$(dirname "$0")/session.sh"

shot() { import -display "$DISPLAY" -window "$window" "$1" 2>/dev/null; }
differing() { /usr/bin/compare -metric AE -fuzz 2% "$1" "$2" null: 2>&1 | cut -d' ' -f1; }
save_by_rename() { printf "$1" >"$work/.scene.new" && mv "$work/.scene.new" "$work/scene.txt"; }

cd "$work"
# No conf.txt here: a picture means the named file was read.
printf '"sss\nrender\n' >scene.txt
"$viewer" --watch scene.txt >viewer.out 2>viewer.err &
viewer_pid=$!
window=$(timeout 10 xdotool search --sync --onlyvisible --name '^\.:: Ul Vorel Tesa ::\.$' | head -1)
[ -n "$window" ] || { echo "FAIL: no window appeared"; cat viewer.err; exit 1; }
sleep 1
shot first.png
[ "$(/usr/bin/convert first.png -format '%[fx:int(255*p{400,300}.b)]' info:)" -gt 0 ] \
    || fail "the named scene file is not shown"

# A save by rename, and no key: the new surface within a second.
save_by_rename '"sss\ncoef1 2 2 2 4 1 1\ncoef2 2 2 2 4 1 1\nrender\n'
shown=""
for _ in $(seq 10); do
    sleep 0.1
    shot saved.png
    [ "$(differing first.png saved.png)" -gt 2000 ] && { shown=yes; break; }
done
[ -n "$shown" ] || fail "a save by rename did not show within a second"

# A broken save keeps the surface and says why, once.
save_by_rename '"sss\ncoef1 1 1 x 4 1 1\nrender\n'
sleep 1
shot kept.png
[ "$(differing saved.png kept.png)" -lt 50 ] || fail "a broken save changed the picture"
expected="scene.txt:2: coef1 needs 6 values; 'x' is not a number; keeping the last surface"
[ "$(cat viewer.err)" = "$expected" ] || fail "broken save: stderr is '$(cat viewer.err)', expected '$expected'"

# A save in place shows as well.
printf '"sss\nrender\n' >scene.txt
sleep 1
shot again.png
[ "$(differing first.png again.png)" -lt 50 ] || fail "a save in place did not bring the first surface back"

python3 "$here/close-window.py" "$window"
for _ in $(seq 20); do kill -0 "$viewer_pid" 2>/dev/null || break; sleep 0.05; done
wait "$viewer_pid" 2>/dev/null
status=$?
[ "$status" -eq 0 ] || fail "exit status $status after close"
viewer_pid=""

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "watch end-to-end checks passed"
