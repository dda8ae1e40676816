#!/usr/bin/env bash
# vextal-snapshot draws what the real viewer shows: for a few scenes, the
# viewer's first frame under Xvfb (and the frames after P and after N) is
# compared with vextal-snapshot's picture of the same scene (default, then
# --wireframe, then --normals).
#   snapshot-e2e.sh VIEWER_BINARY SNAPSHOT_BINARY EXAMPLES_DIR
#
# Tolerance. The two pictures come from different paths through Mesa's
# llvmpipe: a GLX window on Xvfb (a depth buffer of 24 or more bits, whatever
# visual the X server offers) and an EGL framebuffer object with a 24-bit
# depth buffer. Shading may round differently by one step, and where a line
# and a surface, or two lines, lie at nearly equal depth the winner can
# differ. So a pixel counts as differing only when one of its channels
# differs by more than FUZZ of full scale, and at most MAX_DIFFERING such
# pixels of the 480000 are allowed. Measured on Debian 12 (Mesa 22.3, the
# same on every run): filled pictures differ in up to 40 pixels by 1 of 255;
# wireframe and normals pictures in up to 11 pixels by more than 2% (a line
# in one picture, what lies under it in the other). A wrong light, camera,
# size or mode changes thousands of pixels.
set -u
viewer="$(realpath "$1")"
snapshot="$(realpath "$2")"
examples="$(realpath "$3")"
FUZZ=2%          # per channel: 5 of 255 may differ
MAX_DIFFERING=50 # pixels of 800 x 600 beyond the fuzz
source "$(dirname "$0")/session.sh"

shot() { # file
    import -display "$DISPLAY" -window "$window" "$1" 2>/dev/null
}
hold_key() { # key seconds
    xdotool keydown --window "$window" "$1"
    sleep "$2"
    xdotool keyup --window "$window" "$1"
    sleep 0.3
}
# Pixels beyond the tolerance, and pixels that differ at all (for the log).
differing() { # a b fuzz
    /usr/bin/compare -metric AE -fuzz "$3" "$1" "$2" null: 2>&1 | cut -d' ' -f1
}
# Pixels of one pure colour (r g b).
count_colour() { # file r g b
    /usr/bin/convert "$1" -fill black +opaque "rgb($2,$3,$4)" -fill white -opaque "rgb($2,$3,$4)" \
        -format "%[fx:int(mean*w*h+0.5)]" info:
}
# Screenshots of the viewer until one matches the snapshot within the
# tolerance: on a loaded machine the frame after a key may come late. The
# last of five attempts, half a second or more apart, is the one that counts.
same_picture() { # what viewer-shot snapshot
    local beyond exact
    for _ in $(seq 5); do
        shot "$2"
        beyond=$(differing "$2" "$3" "$FUZZ")
        [ "$beyond" -le "$MAX_DIFFERING" ] 2>/dev/null && break
        sleep 0.5
    done
    exact=$(differing "$2" "$3" 0)
    echo "$1: $exact pixels differ, $beyond by more than $FUZZ"
    [ "$beyond" -le "$MAX_DIFFERING" ] || fail "$1: $beyond pixels differ by more than $FUZZ"
}

start_viewer() { # scene
    cp "$1" "$work/conf.txt"
    (cd "$work" && exec "$viewer") >"$work/viewer.out" 2>&1 &
    viewer_pid=$!
    window=$(timeout 10 xdotool search --sync --onlyvisible --name '^\.:: Ul Vorel Tesa ::\.$' | head -1)
    [ -n "$window" ] || { echo "FAIL: no window appeared"; cat "$work/viewer.out"; exit 1; }
    sleep 1
}
stop_viewer() {
    kill "$viewer_pid" 2>/dev/null
    for _ in $(seq 20); do kill -0 "$viewer_pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$viewer_pid" 2>/dev/null
    wait "$viewer_pid" 2>/dev/null
    viewer_pid=""
}

for name in worked-example starfish harmonic-four-lobes; do
    scene="$examples/$name.vextal"
    "$snapshot" "$scene" "$work/$name-snapshot.png" || fail "$name: vextal-snapshot failed"
    "$snapshot" "$scene" "$work/$name-snapshot-wire.png" --wireframe || fail "$name: --wireframe failed"
    "$snapshot" "$scene" "$work/$name-snapshot-normals.png" --normals || fail "$name: --normals failed"

    start_viewer "$scene"
    same_picture "$name, first frame" "$work/$name-viewer.png" "$work/$name-snapshot.png"
    hold_key p 0.4
    same_picture "$name, P / --wireframe" "$work/$name-viewer-wire.png" "$work/$name-snapshot-wire.png"
    hold_key f 0.4
    hold_key n 0.4
    same_picture "$name, N / --normals" "$work/$name-viewer-normals.png" "$work/$name-snapshot-normals.png"
    stop_viewer
done

# The comparison can tell the modes apart: a wireframe is far from the
# filled picture, and the normals add many red pixels.
name=worked-example
[ "$(differing "$work/$name-viewer-wire.png" "$work/$name-snapshot.png" "$FUZZ")" -gt 10000 ] \
    || fail "the wireframe frame passes as the filled snapshot"
[ "$(count_colour "$work/$name-viewer-normals.png" 255 0 0)" -gt "$MAX_DIFFERING" ] \
    || fail "the normals frame shows too few red pixels to tell it apart"

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "snapshot end-to-end checks passed"
