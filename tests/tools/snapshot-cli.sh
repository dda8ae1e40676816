#!/usr/bin/env bash
# vextal-snapshot on real files: exit statuses, messages, picture sizes, the
# display switches and the camera options, and no partial output.
#   snapshot-cli.sh SNAPSHOT_BINARY EXAMPLES_DIR
set -u
snapshot="$1"
examples="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/cli-checks.sh"

size_of() { identify -format '%wx%h' "$1" 2>/dev/null; }
# Pixels of one pure colour (r g b).
count_colour() { # file r g b
    convert "$1" -fill black +opaque "rgb($2,$3,$4)" -fill white -opaque "rgb($2,$3,$4)" \
        -format "%[fx:int(mean*w*h+0.5)]" info:
}
lit() { convert "$1" -threshold 1% -format "%[fx:int(mean*w*h+0.5)]" info:; }
differing() { compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1; }

scene="$examples/worked-example.vextal"

# A valid scene: the viewer's first frame by default, any size on request.
expect_status 0 "default picture" "$snapshot" "$scene" "$work/default.png"
[ "$(size_of "$work/default.png")" = 800x600 ] || fail "default size: $(size_of "$work/default.png")"
[ ! -s "$work/stdout" ] && [ ! -s "$work/stderr" ] || fail "a written picture prints nothing"
[ "$(lit "$work/default.png")" -gt 50000 ] || fail "no surface in the default picture"
expect_status 0 "--size" "$snapshot" "$scene" "$work/small.png" --size 320x240
[ "$(size_of "$work/small.png")" = 320x240 ] || fail "--size 320x240 gave $(size_of "$work/small.png")"
expect_status 0 "--size= before the files, odd sizes" "$snapshot" --size=123x45 "$scene" "$work/odd.png"
[ "$(size_of "$work/odd.png")" = 123x45 ] || fail "--size=123x45 gave $(size_of "$work/odd.png")"
expect_status 0 "a file name after --" "$snapshot" "$scene" -- "$work/-dash.png"
[ -s "$work/-dash.png" ] || fail "-- did not end the options"

# The options at their defaults give the default picture.
expect_status 0 "explicit defaults" "$snapshot" "$scene" "$work/explicit.png" \
    --size 800x600 --turn 0,0 --distance 5
[ "$(differing "$work/default.png" "$work/explicit.png")" -eq 0 ] || fail "explicit defaults differ"
expect_status 0 "--distance 10" "$snapshot" "$scene" "$work/far.png" --distance 10
[ "$(lit "$work/far.png")" -lt "$(($(lit "$work/default.png") / 2))" ] || fail "--distance 10 is not smaller"

# Filled: no axes and no normals; --wireframe shows the pure red and green
# axes; --normals shows pure red segments and never the axes.
[ "$(count_colour "$work/default.png" 0 255 0)" -eq 0 ] || fail "green in the filled picture"
[ "$(count_colour "$work/default.png" 255 0 0)" -eq 0 ] || fail "red in the filled picture"
expect_status 0 "--wireframe" "$snapshot" "$scene" "$work/wire.png" --wireframe
[ "$(count_colour "$work/wire.png" 0 255 0)" -gt 20 ] || fail "--wireframe shows no green axis"
[ "$(count_colour "$work/wire.png" 255 0 0)" -gt 20 ] || fail "--wireframe shows no red axis"
expect_status 0 "--normals" "$snapshot" "$scene" "$work/normals.png" --normals
[ "$(count_colour "$work/normals.png" 255 0 0)" -gt 100 ] || fail "--normals shows no red"
[ "$(count_colour "$work/normals.png" 0 255 0)" -eq 0 ] || fail "--normals shows an axis"

# --turn X,Y turns about x, then y, as a right drag would. A tiny surface
# leaves the unit axes in plain view: turned about x the green y axis
# foreshortens, turned about y the red x axis does.
printf '"sss\nslice 8 rotate 8\ncoef1 1 1 1 4 0.01 0.01\ncoef2 1 1 1 4 0.01 0.01\nrender\n' >"$work/tiny.txt"
expect_status 0 "turn about x" "$snapshot" "$work/tiny.txt" "$work/about-x.png" --wireframe --turn 1.2,0
expect_status 0 "turn about y" "$snapshot" "$work/tiny.txt" "$work/about-y.png" --wireframe --turn=0,1.2
red_x=$(count_colour "$work/about-x.png" 255 0 0)
green_x=$(count_colour "$work/about-x.png" 0 255 0)
red_y=$(count_colour "$work/about-y.png" 255 0 0)
green_y=$(count_colour "$work/about-y.png" 0 255 0)
[ "$green_x" -lt $((red_x * 2 / 3)) ] || fail "--turn X is not about x (red $red_x, green $green_x)"
[ "$red_y" -lt $((green_y * 2 / 3)) ] || fail "--turn Y is not about y (red $red_y, green $green_y)"
[ "$(count_colour "$work/about-x.png" 0 0 255)" -gt 20 ] || fail "the turned z axis is not seen"
# The same on the lit surface, without the axes: a sphere coloured by height
# faces the eye with its z axis; turned a quarter about x, z runs up the
# picture (the colour changes from top to bottom, not across); about y, it
# runs across (the light brightens one side a little).
green_at() { convert "$1" -crop "20x20+$2+$3" -format '%[fx:mean.g]' info:; }
for turn in 1.5708,0 0,1.5708; do
    expect_status 0 "--turn $turn, coloured" "$snapshot" "$examples/sphere.vextal" "$work/turned.png" \
        --size 200x200 --colour height --turn "$turn"
    greens="$(green_at "$work/turned.png" 90 40) $(green_at "$work/turned.png" 90 140)"
    greens="$greens $(green_at "$work/turned.png" 40 90) $(green_at "$work/turned.png" 140 90)"
    echo "$greens" | awk -v turn="$turn" 'function abs(v) { return v < 0 ? -v : v }
        { along = abs($1 - $2); across = abs($3 - $4)
          if (turn == "0,1.5708") { t = along; along = across; across = t }
          exit !(along > 0.15 && along > 2 * across) }' \
        || fail "--turn $turn turns about the wrong axis (green at top, bottom, left, right: $greens)"
done

# --fill frames a surface by its bounds, whatever its shape and turn: one
# that the default camera stands inside, one eight times longer than it is
# wide turned several ways (none looking down its length, where the near
# plane keeps the eye back), and the thumbnailer's own command line on its
# transparent background. The lit pixels touch no edge, and the eye stands
# just far enough back: they reach the border (a tenth of the picture) on
# some side.
printf '"sss\nslice 16 rotate 16\ncoef1 2 2 2 4 4 4\ncoef2 2 2 2 4 4 4\nrender\n' >"$work/big.txt"
printf '"sss\nslice 32 rotate 32\ncoef1 2 2 2 4 4 0.5\ncoef2 1 1 1 0 0.5 0.5\nrender\n' >"$work/long.txt"
framed() { # picture width height
    local w h x y
    read -r w h x y < <(convert "$1" -background black -alpha remove -threshold 1% -trim \
        -format '%w %h %X %Y' info: | tr -d +)
    local right=$(($2 - x - w)) bottom=$(($3 - y - h))
    [ "$x" -gt 0 ] && [ "$y" -gt 0 ] && [ "$right" -gt 0 ] && [ "$bottom" -gt 0 ] \
        && { [ $((x < right ? x : right)) -le $(($2 / 10)) ] || [ $((y < bottom ? y : bottom)) -le $(($3 / 10)) ]; } \
        || { echo "${w}x$h at $x,$y"; return 1; }
}
for case in big:0.4,3.61 long:0,0 long:1.57,0 long:0.7,2.4 long:2.5,0.9; do
    surface=${case%:*} turn=${case#*:}
    expect_status 0 "--fill" "$snapshot" "$work/$surface.txt" "$work/filled.png" --size 200x100 --fill --turn "$turn"
    framed "$work/filled.png" 200 100 >"$work/lit" || fail "--fill, $surface turned $turn: $(cat "$work/lit")"
done
exec_line=$(sed -n 's/^Exec=vextal-snapshot //p' "$(dirname "$0")/../../packaging/vextal.thumbnailer")
read -r -a thumbnail <<<"${exec_line//%s/128}"
thumbnail=("${thumbnail[@]//%i/$work/long.txt}")
thumbnail=("${thumbnail[@]//%o/$work/thumb.png}")
expect_status 0 "the thumbnailer's command" "$snapshot" "${thumbnail[@]}"
framed "$work/thumb.png" 128 128 >"$work/lit" || fail "the thumbnailer's picture: $(cat "$work/lit")"

# Colour by curvature: the ring torus shows the diverging map, red where it
# curves like a sphere (outside) and blue where like a saddle (inside), which
# the plain material never shows; --legend draws the map's bar, from its red
# end at the top to its blue end, with light text beside it.
expect_status 0 "--colour gaussian --legend" "$snapshot" "$examples/ring-torus.vextal" \
    "$work/gaussian.png" --colour gaussian --legend --turn 0.9,0 --distance 4
expect_status 0 "the plain torus" "$snapshot" "$examples/ring-torus.vextal" "$work/plain.png" \
    --turn 0.9,0 --distance 4
hues() { # file: reddish pixels, bluish pixels, legend bar rows in the map's end colours, light text
    convert "$1" -depth 8 rgb:- | python3 -c 'import sys
data = sys.stdin.buffer.read()
width = int(sys.argv[1])
pixels = [data[k:k + 3] for k in range(0, len(data), 3)]
red = sum(1 for r, g, b in pixels if r > g + 40 and r > b + 40)
blue = sum(1 for r, g, b in pixels if b > r + 40 and b > g + 40)
ends = sum(1 for p in pixels if tuple(p) in ((180, 4, 38), (59, 76, 192)))
text = sum(1 for k, (r, g, b) in enumerate(pixels) if k % width > width * 3 // 4 and min(r, g, b) > 200)
print(red, blue, ends, text)' "$(identify -format %w "$1")"
}
read -r red blue ends text < <(hues "$work/gaussian.png")
[ "$red" -gt 20000 ] && [ "$blue" -gt 10000 ] || fail "--colour gaussian: $red red, $blue blue pixels"
[ "$ends" -ge 20 ] && [ "$text" -gt 100 ] || fail "--legend: $ends bar end pixels, $text text pixels"
read -r red blue ends text < <(hues "$work/plain.png")
[ "$red" -eq 0 ] && [ "$ends" -eq 0 ] || fail "the plain torus: $red red pixels, $ends bar pixels"
expect_usage_error "--colour needs plain, gaussian, mean, height, radius or parameter, got 'hue'" \
    "$snapshot" "$scene" "$work/u.png" --colour hue
for range in 2,1 1,1 nan,1 1 ''; do
    expect_usage_error "--range needs LO,HI, two finite numbers with LO below HI, got '$range'" \
        "$snapshot" "$scene" "$work/u.png" --colour height --range "$range"
done
expect_usage_error "--legend needs --colour with a mode other than plain" \
    "$snapshot" "$scene" "$work/u.png" --legend

# Scene problems: exit 2, one line naming the file and saying why, no picture.
expect_status 2 "missing scene" "$snapshot" "$work/none.txt" "$work/missing.png"
grep -q "none.txt: .*No such file" "$work/stderr" || fail "missing scene message: $(cat "$work/stderr")"
one_line "missing scene"
printf '"sss slice 5\n' >"$work/cut.txt"
expect_status 2 "scene ending before render" "$snapshot" "$work/cut.txt" "$work/cut.png"
grep -q 'cut.txt: .*render' "$work/stderr" || fail "no-render message: $(cat "$work/stderr")"
one_line "no render"
expect_status 2 "scene is a folder" "$snapshot" "$work" "$work/folder.png"
echo old >"$work/kept.png"
expect_status 2 "missing scene over an existing picture" "$snapshot" "$work/none.txt" "$work/kept.png"
[ "$(cat "$work/kept.png")" = old ] || fail "a failed snapshot touched the existing file"
[ ! -e "$work/missing.png" ] && [ ! -e "$work/cut.png" ] && [ ! -e "$work/folder.png" ] \
    || fail "a scene problem left a picture"

# Output problems: exit 2, one line naming the output, nothing left.
expect_status 2 "no such folder" "$snapshot" "$scene" "$work/no/such/folder/out.png"
grep -q "out.png: .*No such file" "$work/stderr" || fail "unwritable message: $(cat "$work/stderr")"
one_line "unwritable output"
mkdir "$work/taken.png"
expect_status 2 "output is a folder" "$snapshot" "$scene" "$work/taken.png"
grep -q "taken.png: " "$work/stderr" || fail "folder message: $(cat "$work/stderr")"
ls -A "$work/taken.png" | grep -q . && fail "something left inside the folder"
ls -A "$work" | grep -q 'tmp' && fail "temporary file left behind"

# The picture streams to "-"; the scene is never written over.
"$snapshot" "$scene" - --size 320x240 >"$work/streamed.png" 2>"$work/stderr" || fail "- exit $?"
[ "$(size_of "$work/streamed.png")" = 320x240 ] || fail "- did not stream the picture: $(cat "$work/stderr")"
cp "$scene" "$work/own.txt"
expect_status 2 "the scene as output" "$snapshot" "$work/own.txt" "$work/own.txt"
grep -q "own.txt: is a file being read; not written over it" "$work/stderr" \
    || fail "same-file message: $(cat "$work/stderr")"
cmp -s "$scene" "$work/own.txt" || fail "the scene was written over"

# Too little memory for the picture is exit 2 and one line, never "no OpenGL"
# (which is for OpenGL missing). The address space a run takes must not
# depend on the machine's load: glibc gives each thread that finds the heap
# busy an arena of its own, reserving up to 64 MiB more each, so under load a
# limit fell where Mesa aborts while it starts (measured near 250000 KiB).
# With one arena the measured outcomes are fixed: the framebuffer refused
# from 270000 to 350000, memory running out later from 400000 to 500000, the
# picture drawn from 550000; the limits lie in the middle of the first two.
if ! address_sanitized "$snapshot"; then
    out_of_memory=0
    for limit in 310000 450000; do
        (ulimit -v "$limit" && MALLOC_ARENA_MAX=1 exec "$snapshot" "$scene" "$work/huge.png" --size 4096x4096) \
            >"$work/stdout" 2>"$work/stderr"
        status=$?
        case $status in
        0) ;;
        2) out_of_memory=1 && one_line "under ulimit -v $limit" ;;
        *) fail "under ulimit -v $limit: exit $status ($(head -1 "$work/stderr"))" ;;
        esac
        grep -q "no OpenGL" "$work/stderr" && fail "under ulimit -v $limit: $(cat "$work/stderr")"
    done
    [ "$out_of_memory" -eq 1 ] || fail "no memory limit stopped a 4096x4096 picture"
fi

# No OpenGL at all (no EGL vendor to load): exit 3 and why.
__EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent.json \
    expect_status 3 "no OpenGL" "$snapshot" "$scene" "$work/nogl.png"
grep -q "no OpenGL available" "$work/stderr" || fail "no-OpenGL message: $(cat "$work/stderr")"
[ ! -e "$work/nogl.png" ] || fail "no OpenGL, yet a picture"

# --grid draws the file's surface on another grid: the file's own counts give
# the file's picture, byte for byte; a grid beyond the file's 255 draws too.
sed 's/slice 24   rotate 48/slice 7 rotate 9/' "$scene" >"$work/coarse.txt"
expect_status 0 "--grid 24x48" "$snapshot" "$work/coarse.txt" "$work/grid.png" --grid 24x48 --threads 2
cmp -s "$work/grid.png" "$work/default.png" || fail "--grid 24x48 differs from the file's 24 x 48"
expect_status 0 "--grid 600x900" "$snapshot" "$scene" "$work/fine.png" --grid 600x900
[ "$(lit "$work/fine.png")" -gt 50000 ] || fail "no surface at --grid 600x900"
expect_usage_error "--grid needs SLICESxROTATIONS, each from 3 to 4096, got '2x10'" \
    "$snapshot" "$scene" "$work/u.png" --grid 2x10
expect_usage_error "--threads needs a number from 1 to 1024, got '0'" \
    "$snapshot" "$scene" "$work/u.png" --threads 0

# --help, --version, and usage errors that say what is wrong, nothing written.
check_conventions "$snapshot" --size --wireframe --normals --turn --distance --grid --threads --quiet
expect_usage_error "missing SCENE_FILE and OUT.png" "$snapshot"
expect_usage_error "missing OUT.png" "$snapshot" "$scene"
expect_usage_error "extra operand '$work/v.png'" "$snapshot" "$scene" "$work/u.png" "$work/v.png"
expect_usage_error "unknown option '--fast'" "$snapshot" "$scene" "$work/u.png" --fast
expect_usage_error "--wireframe takes no value" "$snapshot" "$scene" "$work/u.png" --wireframe=yes
for size in 0x0 0x600 800x0 800 800x x600 4097x10 10x4097 -8x6 8x-6 '8 x6' 8x6x2 8X6 abc; do
    expect_usage_error "--size needs WxH with W and H from 1 to 4096, got '$size'" \
        "$snapshot" "$scene" "$work/u.png" --size "$size"
done
for turn in 1 1, ,1 a,b nan,0 0,inf '1, 2' 1,2,3; do
    expect_usage_error "--turn takes two numbers X,Y (radians), got '$turn'" \
        "$snapshot" "$scene" "$work/u.png" --turn "$turn"
done
for distance in 0 -5 inf nan 5m ''; do
    expect_usage_error "--distance takes a number above 0, got '$distance'" \
        "$snapshot" "$scene" "$work/u.png" --distance "$distance"
done
# A number no float holds says so, rather than that it is no number.
expect_usage_error "--turn: '1e39' is beyond the float range (3.40282347e+38)" \
    "$snapshot" "$scene" "$work/u.png" --turn 1e39,0
expect_usage_error "--distance: '1e39' is beyond the float range (3.40282347e+38)" \
    "$snapshot" "$scene" "$work/u.png" --distance 1e39
expect_usage_error "--distance: '1e-50' is too small for a float (1.17549435e-38)" \
    "$snapshot" "$scene" "$work/u.png" --distance 1e-50
expect_usage_error "--size needs a value: WxH" "$snapshot" "$scene" "$work/u.png" --size
expect_usage_error "--distance takes a number above 0, got ''" "$snapshot" "$scene" "$work/u.png" --distance=
[ ! -e "$work/u.png" ] || fail "a usage error wrote a picture"

# PNG only: a name that promises another picture format is refused, in any case.
for out in u.jpg u.JPEG u.gif u.bmp u.tif u.tiff u.webp u.ppm; do
    expect_status 64 "$out" "$snapshot" "$scene" "$work/$out"
    grep -q "^vextal-snapshot: '$work/$out' names a [A-Za-z]* file, and vextal-snapshot writes PNG only" \
        "$work/stderr" || fail "$out: $(cat "$work/stderr")"
    [ ! -e "$work/$out" ] || fail "$out was written"
done
expect_usage_error "'$work/u.jpg' names a JPEG file, and vextal-snapshot writes PNG only (name it .png)" \
    "$snapshot" "$scene" "$work/u.jpg"

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "snapshot CLI checks passed"
