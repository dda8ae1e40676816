#!/usr/bin/env bash
# The viewer with --panel under Xvfb, driven by xdotool: a scene file that does
# not load at start says why once; a value dragged on the panel changes the
# picture; Ctrl+S writes a canonical scene file whose export equals the mesh
# the panel wrote of what it showed; Ctrl+Z brings the first picture back;
# keys pressed over the panel do not reach the viewer; the title shows the
# whole name and Save as the whole path written.
#   panel-e2e.sh VIEWER_BINARY EXPORT_BINARY
set -u
viewer="$1"
exporter="$2"
here="$(cd "$(dirname "$0")" && pwd)"
source "$(dirname "$0")/session.sh"

shot() { import -display "$DISPLAY" -window "$window" "$1" 2>/dev/null; }
differing() { /usr/bin/compare -metric AE -fuzz 2% "$1" "$2" null: 2>&1 | cut -d' ' -f1; }
# The surface alone: the window right of the panel (330 pixels wide).
surface() { /usr/bin/convert "$1" -crop 470x600+330+0 +repage "$2"; }
open_window() {
    window=$(timeout 10 xdotool search --sync --onlyvisible --name '^\.:: Ul Vorel Tesa ::\.$' | head -1)
    [ -n "$window" ] || { echo "FAIL: no window appeared"; cat viewer.err; exit 1; }
    sleep 1.5
}
close_viewer() {
    python3 "$here/close-window.py" "$window"
    for _ in $(seq 40); do kill -0 "$viewer_pid" 2>/dev/null || break; sleep 0.05; done
    wait "$viewer_pid" 2>/dev/null || fail "exit status $? after close"
    viewer_pid=""
}
# Places on the panel of a superformula scene, in window pixels.
slice_field="117 60"
obj_choice="97 396"
weld_box="16 419"
write_mesh="105 419"
undo_button="190 350"
redo_button="235 350"
n1_field="65 191"
name_field="120 373"
save_as="273 373"
click() { xdotool mousemove --window "$window" $1 sleep 0.3 click 1 sleep 0.5; }

cd "$work"
printf '"sss\ncoef1 1 1 x 4 1 1\nrender\n' >broken.vextal
"$viewer" --panel broken.vextal >viewer.out 2>viewer.err &
viewer_pid=$!
open_window
expected="broken.vextal:2: coef1 needs 6 values; 'x' is not a number; nothing is shown until it is saved again"
[ "$(cat viewer.err)" = "$expected" ] || fail "broken start: stderr is '$(cat viewer.err)', expected '$expected'"
close_viewer

printf '"sss\nslice 64 rotate 240\ncoef1 2 7 7 5 1 1\ncoef2 2 2 2 4 0.8 0.24\nrender\n' >scene.vextal
"$viewer" --panel scene.vextal >viewer.out 2>viewer.err &
viewer_pid=$!
open_window
shot first.png

# The views lie beside the panel, the surface centred there; F1 gives the
# whole window back.
centre() { convert "$1" -fuzz 10% -trim -format '%[fx:page.x+w/2]' info:; }
near() { awk -v c="$1" -v e="$2" 'BEGIN { exit !(c > e - 30 && c < e + 30) }'; }
surface first.png first-surface.png
near "$(centre first-surface.png)" 235 || fail "the surface is not centred beside the panel: $(centre first-surface.png)"
xdotool mousemove --window "$window" 600 500 sleep 0.3 key --window "$window" F1 sleep 0.8
shot whole.png
near "$(centre whole.png)" 400 || fail "F1 did not give the views the whole window: $(centre whole.png)"
xdotool key --window "$window" F1 sleep 0.8

# Keys over the panel are the panel's: P does not switch to the wireframe.
xdotool mousemove --window "$window" 150 450 sleep 0.3 key --window "$window" p sleep 0.5
shot over.png
surface first.png first-surface.png
surface over.png over-surface.png
[ "$(differing first-surface.png over-surface.png)" -lt 50 ] || fail "P over the panel reached the viewer"

# Drag the slice count to the left: fewer slices, another picture.
xdotool mousemove --window "$window" $slice_field sleep 0.3 mousedown 1 sleep 0.3 \
    mousemove --window "$window" 60 60 sleep 0.3 mousemove --window "$window" 30 60 sleep 0.3 \
    mouseup 1 sleep 0.5
xdotool mousemove --window "$window" 600 500 sleep 0.5
shot dragged.png
surface dragged.png dragged-surface.png
[ "$(differing first-surface.png dragged-surface.png)" -gt 200 ] || fail "dragging slice did not change the picture"

# What the panel shows, as a mesh (OBJ, not welded), and the file Ctrl+S saves.
click "$obj_choice"
click "$weld_box"
click "$write_mesh"
[ -f scene-1.obj ] || fail "the mesh button wrote no scene-1.obj"
xdotool key --window "$window" ctrl+s sleep 0.5
head -1 scene.vextal | grep -qx '"sss' || fail "the saved file does not start with the selector"
tail -1 scene.vextal | grep -qx 'render' || fail "the saved file does not end with render"
grep -qx 'slice 64' scene.vextal && fail "the saved file still has 64 slices"
"$exporter" scene.vextal saved.obj || fail "vextal-export cannot read the saved file"
cmp -s <(grep -v '^#' saved.obj) <(grep -v '^#' scene-1.obj) \
    || fail "the export of the saved file differs from the mesh the panel showed"

# Undo: the first picture again.
xdotool key --window "$window" ctrl+z sleep 0.8
shot undone.png
surface undone.png undone-surface.png
[ "$(differing first-surface.png undone-surface.png)" -lt 50 ] || fail "Ctrl+Z did not bring the first picture back"

# The buttons do as the keys: Redo, Undo, Redo is the dragged picture again.
click "$redo_button"
click "$undo_button"
click "$redo_button"
xdotool mousemove --window "$window" 600 500 sleep 0.5
shot redone.png
surface redone.png redone-surface.png
[ "$(differing dragged-surface.png redone-surface.png)" -lt 50 ] || fail "Undo and Redo buttons do not step as the keys do"

# A typed value the loader refuses (1e39 is no float) changes nothing.
xdotool mousemove --window "$window" $n1_field sleep 0.3 keydown ctrl click 1 keyup ctrl sleep 0.3 \
    key ctrl+a type --delay 250 1e39
# Held over a frame: the panel sees keys as they are when it draws.
xdotool keydown --window "$window" Return sleep 0.3 keyup --window "$window" Return sleep 0.5 \
    key --window "$window" ctrl+s sleep 0.5
grep -qx 'coef1 2 7 7 5 1 1' scene.vextal || fail "a refused typed value changed n1: $(grep coef1 scene.vextal)"
close_viewer

# A new scene, opened from another folder: the loader's defaults, drawn. Save
# as takes names beside the scene ("-" is a file there) and refuses a FIFO
# without blocking; a save by another program that does not load changes
# nothing shown, and Ctrl+S writes what is shown.
mkdir elsewhere && cd elsewhere
"$viewer" --panel --watch ../new.vextal >viewer.out 2>viewer.err &
viewer_pid=$!
open_window
grep -q '; the panel starts a new scene from the defaults$' viewer.err \
    || fail "a new scene's start does not say the panel draws the defaults: $(cat viewer.err)"
shot new.png
surface new.png new-surface.png
[ "$(convert new-surface.png -fuzz 5% -fill black -opaque black -format '%[fx:mean>0.01]' info:)" = 1 ] \
    || fail "a new scene is not drawn"
click "$name_field"
xdotool type --window "$window" -- "-"
click "$save_as"
[ -f ../- ] && [ ! -e ./- ] || fail "Save as - did not write the file - beside the scene"
mkfifo ../pipe
click "$name_field"
xdotool key --window "$window" ctrl+a BackSpace type --window "$window" "$work/pipe"
click "$save_as"
printf '"sss\nslice 10\n' >../new.vextal
sleep 1
xdotool key --window "$window" ctrl+s sleep 0.5
cmp -s ../new.vextal ../- || fail "Ctrl+S after a broken save did not write the surface shown: $(cat ../new.vextal)"
"$exporter" ../new.vextal new.obj || fail "the new scene's save does not load"
shot kept.png
surface kept.png kept-surface.png
[ "$(differing new-surface.png kept-surface.png)" -lt 50 ] || fail "a broken save changed the picture"
close_viewer
cd "$work"

# A name with "##" in a folder too long to show: the title keeps the whole
# name and fills the panel's width. Save as a relative name longer than 512
# bytes (pasted): the field then holds the whole path written, read back
# through the clipboard.
scene="$work/a##$(printf 'b%.0s' $(seq 30)).vextal"
printf '"sss\ncoef1 2 7 7 5 1 1\nrender\n' >"$scene"
long="$(printf 'folder-%043d/' $(seq 10))copy.vextal"
mkdir -p "$(dirname "$work/$long")"
"$viewer" --panel "$scene" >viewer.out 2>viewer.err &
viewer_pid=$!
open_window
shot title.png
# Text pixels (white) in the title row's last 60 pixels before the right edge.
title_end=$(convert title.png -crop 60x16+266+2 +repage -fuzz 20% -fill black +opaque white \
    -format '%[fx:mean>0.02]' info:)
[ "$title_end" = 1 ] || fail "the title does not reach the panel's right edge"
printf %s "$long" | xclip -selection clipboard -t UTF8_STRING
# Each key held over a frame, as the panel sees keys as they are when it draws.
chord() { xdotool keydown --window "$window" ctrl keydown --window "$window" "$1" sleep 0.3 \
    keyup --window "$window" "$1" keyup --window "$window" ctrl sleep 0.3; }
click "$name_field"
chord v
click "$save_as"
# The panel grows at once to show the status line, with no other input.
shot saved.png
bottom() { convert "$1" -crop 330x600+0+0 +repage -fuzz 3% -trim -format '%[fx:page.y+h]' info:; }
[ "$(bottom saved.png)" -gt "$(bottom title.png)" ] || fail "the panel did not grow to show the status line of Save as"
[ -f "$work/$long" ] || fail "Save as a long relative name wrote no file beside the scene"
click "$name_field"
chord a
chord c
field=$(timeout 5 xclip -o -selection clipboard)
[ "$field" = "$work/$long" ] || fail "after Save as the field shows '$field', not the path written"
close_viewer

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "panel end-to-end checks passed"
