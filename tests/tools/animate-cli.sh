#!/usr/bin/env bash
# vextal-animate on real files, every output read back by a real reader:
# ImageMagick and giflib for GIF, libwebp's webpmux and dwebp for WebP,
# ffprobe for MP4. Also the anti-aliasing and transparent backgrounds of
# vextal-snapshot, which shares the drawing.
#   animate-cli.sh ANIMATE_BINARY SNAPSHOT_BINARY EXAMPLES_DIR
set -u
animate="$1"
snapshot="$2"
examples="$3"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/cli-checks.sh"

frames_of() { identify "$1" 2>/dev/null | wc -l; }
# Pixels differing by more than 2% per channel (the snapshot tolerance).
differing() { compare -metric AE -fuzz 2% "$1" "$2" null: 2>&1 | cut -d' ' -f1; }
# Root mean square difference, 0 to 1.
rmse() { compare -metric RMSE "$1" "$2" null: 2>&1 | sed 's/.*(\(.*\))/\1/'; }
# Distinct alpha values of a picture.
alpha_levels() { convert "$1" -alpha extract -format %k info:; }

star="$examples/starfish.vextal"
sphere="$examples/sphere.vextal"
octahedron="$examples/octahedron.vextal"
torus="$examples/ring-torus.vextal"
view=(--turn 0.4,3.61 --distance 7)

# A turntable GIF: 72 frames of 480 x 360 by default, looping forever, frame 1
# the snapshot's picture (within what a palette of 256 colours allows).
expect_status 0 "turntable GIF" "$animate" "$star" "$work/turn.gif" "${view[@]}" --quiet
[ ! -s "$work/stderr" ] || fail "a written GIF printed: $(cat "$work/stderr")"
[ "$(frames_of "$work/turn.gif")" -eq 72 ] || fail "GIF frames: $(frames_of "$work/turn.gif")"
[ "$(identify -format '%wx%h\n' "$work/turn.gif" | sort -u)" = 480x360 ] || fail "GIF frame size"
gifbuild -d "$work/turn.gif" >"$work/turn.txt" || fail "giflib cannot read the GIF"
grep -q "^netscape loop 0$" "$work/turn.txt" || fail "the GIF does not loop forever"
[ "$(grep -c '^image # ' "$work/turn.txt")" -eq 72 ] || fail "giflib sees another frame count"
"$snapshot" "$star" "$work/snap.png" --size 480x360 "${view[@]}" || fail "snapshot failed"
convert "$work/turn.gif[0]" "$work/gif-1.png"
awk -v e="$(rmse "$work/gif-1.png" "$work/snap.png")" 'BEGIN { exit !(e < 0.03) }' \
    || fail "GIF frame 1 is not the snapshot (RMSE $(rmse "$work/gif-1.png" "$work/snap.png"))"
# The turn moves the surface, and the frame after the last would be frame 1.
convert "$work/turn.gif[71]" "$work/gif-72.png"
[ "$(differing "$work/gif-72.png" "$work/gif-1.png")" -gt 200 ] || fail "frame 72 repeats frame 1"

# Frames in a folder are lossless: frame 1 is the snapshot within its
# tolerance; a morph's last frame is the second scene's snapshot.
expect_status 0 "frames folder" "$animate" "$star" "$work/frames/" "${view[@]}" --frames 6 --samples 4
[ "$(ls "$work/frames" | tr '\n' ' ')" = "frame-0001.png frame-0002.png frame-0003.png frame-0004.png frame-0005.png frame-0006.png " ] \
    || fail "frame files: $(ls "$work/frames")"
"$snapshot" "$star" "$work/snap4.png" --size 480x360 "${view[@]}" --samples 4
[ "$(differing "$work/frames/frame-0001.png" "$work/snap4.png")" -le 50 ] || fail "frame 1 is not the snapshot"
# A shorter run into the same folder leaves exactly its own frames; other
# files stay.
echo mine >"$work/frames/notes.txt"
expect_status 0 "fewer frames" "$animate" "$star" "$work/frames/" --frames 3 --size 32x24
[ "$(ls "$work/frames" | tr '\n' ' ')" = "frame-0001.png frame-0002.png frame-0003.png notes.txt " ] \
    || fail "after a shorter run: $(ls "$work/frames")"
# --grid as vextal-snapshot's: a coarse grid, in every frame.
expect_status 0 "--grid" "$animate" "$star" "$work/coarse/" --frames 2 --grid 6x5
"$snapshot" "$star" "$work/coarse.png" --size 480x360 --grid 6x5
"$snapshot" "$star" "$work/fine.png" --size 480x360
[ "$(differing "$work/coarse/frame-0001.png" "$work/coarse.png")" -le 50 ] \
    && [ "$(differing "$work/coarse.png" "$work/fine.png")" -gt 500 ] || fail "--grid"
expect_status 0 "morph into a folder" "$animate" "$sphere" "$octahedron" "$work/morph" --frames 5 --format png
"$snapshot" "$octahedron" "$work/octahedron.png" --size 480x360
"$snapshot" "$sphere" "$work/sphere.png" --size 480x360
[ "$(differing "$work/morph/frame-0005.png" "$work/octahedron.png")" -le 50 ] || fail "morph's last frame"
[ "$(differing "$work/morph/frame-0001.png" "$work/sphere.png")" -le 50 ] || fail "morph's first frame"
[ "$(differing "$work/morph/frame-0003.png" "$work/sphere.png")" -gt 500 ] \
    && [ "$(differing "$work/morph/frame-0003.png" "$work/octahedron.png")" -gt 500 ] \
    || fail "the morph's middle frame is one of its ends"

# A bouncing morph as WebP, lossless, looping, to standard output.
"$animate" "$sphere" "$octahedron" - --format webp --bounce --frames 8 >"$work/bounce.webp" 2>"$work/stderr" \
    || fail "WebP to standard output: $(cat "$work/stderr")"
webpmux -info "$work/bounce.webp" >"$work/webp.txt" 2>&1 || fail "webpmux cannot read the WebP"
grep -q "Number of frames: 8" "$work/webp.txt" && grep -q "Loop Count : 0" "$work/webp.txt" \
    || fail "WebP frames or loop: $(cat "$work/webp.txt")"
grep -q "lossy" "$work/webp.txt" && fail "a WebP without --quality is not lossless"
# With --quality it is lossy; with --background none frame 1 has alpha.
expect_status 0 "lossy transparent WebP" "$animate" "$star" "$work/clear.webp" --frames 3 \
    --quality 80 --background none --samples 4
webpmux -info "$work/clear.webp" >"$work/webp.txt" 2>&1
grep -Eq "^ *1: .* yes .* lossy$" "$work/webp.txt" || fail "WebP frame 1: $(cat "$work/webp.txt")"
webpmux -get frame 1 "$work/clear.webp" -o "$work/clear-1.webp" >/dev/null 2>&1 \
    && dwebp "$work/clear-1.webp" -o "$work/clear-1.png" >/dev/null 2>&1 || fail "dwebp failed"
[ "$(convert "$work/clear-1.png" -alpha extract -format '%[fx:minima]' info:)" = 0 ] \
    || fail "the WebP background is not transparent"

# Frame times a format holds are written exactly; longer ones are refused
# before drawing, naming the limit.
expect_status 0 "slow GIF" "$animate" "$star" "$work/slow.gif" --fps 0.01 --frames 2 --size 32x24
[ "$(gifbuild -d "$work/slow.gif" | grep -c 'delay 10000$')" -eq 2 ] || fail "--fps 0.01 is not 10000 hundredths"
expect_status 0 "slow WebP" "$animate" "$star" "$work/slow.webp" --fps 0.0001 --frames 3 --size 32x24
[ "$(webpmux -info "$work/slow.webp" | grep -c ' 10000000 ')" -eq 3 ] || fail "--fps 0.0001 WebP frame times"
expect_usage_error "--fps must be at least 0.00152590219 for GIF, whose frames last at most 655.35 seconds" \
    "$animate" "$star" "$work/slow.gif" --fps 0.0001
expect_usage_error "--fps must be at least 0.00465614721 for 9999 WebP frames, which last at most 16777.215 seconds each and 2147483.65 in all" \
    "$animate" "$star" "$work/slow.webp" --fps 0.001 --frames 9999
expect_usage_error "--fps must be at least 1e-05 for MP4, whose frames last at most 100000 seconds" \
    "$animate" "$star" "$work/slow.mp4" --fps 0.000001

# A transparent GIF: one transparent colour in every frame, each frame
# replacing the one before.
expect_status 0 "transparent GIF" "$animate" "$star" "$work/clear.gif" --frames 4 --background none
gifbuild -d "$work/clear.gif" >"$work/clear.txt"
[ "$(grep -c 'transparent index [0-9]' "$work/clear.txt")" -eq 4 ] || fail "GIF frames lack transparency"
[ "$(grep -c 'disposal mode 2' "$work/clear.txt")" -eq 4 ] || fail "GIF frames are laid over each other"

# Frame times rounded (halves away from zero), never truncated, and the loop
# exact: at 30 frames a second a GIF shows 3, 4 and 3 hundredths, a WebP 33,
# 34 and 33 ms; at 40 a GIF 3, 2, 3, 2; at its fastest, 50, the 2 hundredths
# players honour (1 would make browsers wait a tenth).
timing() { # format fps frames -> the frames' delays, in the format's units
    "$animate" "$star" "$work/t.$1" --fps "$2" --frames "$3" --size 32x24 --quiet || fail "$1 at $2 fps"
    case $1 in
    gif) gifbuild -d "$work/t.gif" | awk '$1 == "delay" { printf "%s ", $2 }' ;;
    webp) webpmux -info "$work/t.webp" | awk '$1 ~ /^[0-9]+:$/ { printf "%s ", $7 }' ;;
    esac
}
[ "$(timing gif 30 3)" = "3 4 3 " ] || fail "GIF delays at 30 fps: $(timing gif 30 3)"
[ "$(timing gif 40 4)" = "3 2 3 2 " ] || fail "GIF delays at 40 fps: $(timing gif 40 4)"
[ "$(timing gif 50 3)" = "2 2 2 " ] || fail "GIF delays at 50 fps: $(timing gif 50 3)"
[ "$(timing webp 30 3)" = "33 34 33 " ] || fail "WebP durations at 30 fps: $(timing webp 30 3)"

# MP4: H.264 in yuv420p, all frames, the index before the data.
if command -v ffprobe >/dev/null; then
    expect_status 0 "MP4" "$animate" "$star" "$work/turn.mp4" --frames 30 --fps 30 --size 320x240
    ffprobe -v error -show_entries stream=codec_name,pix_fmt,width,height,nb_frames -of csv=p=0 \
        "$work/turn.mp4" >"$work/probe.txt" 2>&1
    [ "$(cat "$work/probe.txt")" = "h264,320,240,yuv420p,30" ] || fail "ffprobe: $(cat "$work/probe.txt")"
    moov=$(grep -boa moov "$work/turn.mp4" | head -1 | cut -d: -f1)
    mdat=$(grep -boa mdat "$work/turn.mp4" | head -1 | cut -d: -f1)
    [ "${moov:-999999}" -lt "${mdat:-0}" ] || fail "the MP4's index is not at the front"
fi
# Without ffmpeg: exit 2, one line saying so, nothing written.
PATH=/nonexistent expect_status 2 "MP4 without ffmpeg" "$animate" "$star" "$work/none.mp4" --frames 2
grep -q "ffmpeg program is not installed" "$work/stderr" || fail "no-ffmpeg message: $(cat "$work/stderr")"
one_line "no ffmpeg"
[ ! -e "$work/none.mp4" ] || fail "an MP4 without ffmpeg was left"

# Anti-aliasing: with 4 samples the silhouette has coverage between nothing
# and all (alpha levels other than 0 and 255) that one sample lacks.
expect_status 0 "1 sample" "$snapshot" "$star" "$work/s1.png" --background none
expect_status 0 "4 samples" "$snapshot" "$star" "$work/s4.png" --background none --samples 4
identify -format '%[channels]' "$work/s1.png" | grep -q a || fail "--background none PNG has no alpha"
[ "$(alpha_levels "$work/s1.png")" -eq 2 ] || fail "1 sample: $(alpha_levels "$work/s1.png") alpha levels"
[ "$(alpha_levels "$work/s4.png")" -gt 2 ] || fail "4 samples: $(alpha_levels "$work/s4.png") alpha levels"
expect_status 0 "a background colour" "$snapshot" "$star" "$work/blue.png" --background '#3366CC' --size 40x30
[ "$(convert "$work/blue.png" -format '%[pixel:p{0,0}]' info:)" = "srgb(51,102,204)" ] \
    || fail "--background #3366CC: $(convert "$work/blue.png" -format '%[pixel:p{0,0}]' info:)"

# Scene problems: exit 2 naming the file; two surfaces cannot morph (64).
expect_status 2 "missing scene" "$animate" "$work/none.vextal" "$work/x.gif"
grep -q "none.vextal: .*No such file" "$work/stderr" && one_line "missing scene" \
    || fail "missing scene: $(cat "$work/stderr")"
expect_status 2 "missing second scene" "$animate" "$star" "$work/none.vextal" "$work/x.gif"
grep -q "none.vextal: " "$work/stderr" || fail "missing second scene: $(cat "$work/stderr")"
expect_usage_error "$sphere selects spheric superformula but $torus selects toroidal superformula: a morph needs the same surface in both" \
    "$animate" "$sphere" "$torus" "$work/x.gif"

# Words of a scene that no command takes are told, one line each, as
# vextal-check tells them; --quiet keeps them back.
printf '"sss\nslise\nrender\n' >"$work/typo.vextal"
tells_skipped_words() { # command...
    local name
    name=$(basename "$1")
    expect_status 0 "$name: a skipped word" "$@"
    [ "$(cat "$work/stderr")" = "$name: $work/typo.vextal:2: 'slise' is not a command, skipped; did you mean 'slice'?" ] \
        || fail "$name: the skipped word: $(cat "$work/stderr")"
    expect_status 0 "$name --quiet" "$@" --quiet
    [ ! -s "$work/stderr" ] || fail "$name --quiet: $(cat "$work/stderr")"
}
tells_skipped_words "$snapshot" "$work/typo.vextal" "$work/typo.png" --size 8x8
tells_skipped_words "$animate" "$work/typo.vextal" "$work/typo.gif" --size 8x8 --frames 1
[ ! -e "$work/x.gif" ] || fail "a failed animation left a file"

# No scene read is written over, by any name: the second scene of a morph,
# a link to it, standard output appended to it, a frame file that is it.
cp "$sphere" "$work/to.vextal"
ln -s to.vextal "$work/to-link.gif"
mkdir "$work/sf" && cp "$sphere" "$work/sf/frame-0001.png"
for out in "$work/to.vextal" "$work/to-link.gif"; do
    expect_status 2 "morph into its second scene ($out)" \
        "$animate" "$sphere" "$work/to.vextal" "$out" --format gif --frames 2
    one_line "morph into its second scene"
done
"$animate" "$sphere" "$work/to.vextal" - --frames 2 >>"$work/to.vextal" 2>"$work/stderr"
[ $? -eq 2 ] && one_line "morph appended to its second scene" || fail "- >> the second scene"
expect_status 2 "a scene among the frames" "$animate" "$work/sf/frame-0001.png" "$work/sf/" --frames 2
[ "$(cat "$work/stderr")" = "vextal-animate: $work/sf/: frame-0001.png is a file being read; not written over it" ] \
    || fail "frame refusal, its path named once: $(cat "$work/stderr")"
cmp -s "$sphere" "$work/to.vextal" && cmp -s "$sphere" "$work/sf/frame-0001.png" \
    || fail "a scene file was written over"
rm -r "$work/to.vextal" "$work/to-link.gif" "$work/sf"

# Stopped while it draws: the existing OUT stays as it was, nothing else is left.
echo old >"$work/kept.gif"
before=$(ls -A "$work")
for signal in TERM KILL; do
    echo old >"$work/kept.gif"
    "$animate" "$star" "$work/kept.gif" --frames 9999 --size 64x48 --quiet &
    sleep 1.5
    kill -"$signal" $!
    wait $! 2>/dev/null
    [ "$(cat "$work/kept.gif")" = old ] || fail "SIG$signal: the existing GIF was touched"
done
[ "$(ls -A "$work")" = "$before" ] || fail "left behind: $(ls -A "$work")"

# --help, --version and usage errors naming the option.
check_conventions "$animate" --frames --fps --size --bounce --turntable --quality --format --quiet \
    --wireframe --normals --turn --distance --samples --background
out="$work/u.gif"
expect_usage_error "--frames takes a whole number from 1 to 9999, got '0'" "$animate" "$star" "$out" --frames 0
expect_usage_error "--frames takes a whole number from 1 to 9999, got '100000'" "$animate" "$star" "$out" --frames 100000
expect_usage_error "--fps takes a number above 0 and up to 120, got '0'" "$animate" "$star" "$out" --fps 0
expect_usage_error "--size needs WxH with W and H from 1 to 4096, got '0x10'" "$animate" "$star" "$out" --size 0x10
expect_usage_error "--size must be even each way for MP4, got 321x240" "$animate" "$star" "$work/u.mp4" --size 321x240
expect_usage_error "--background none: an MP4 video has no transparency" "$animate" "$star" "$work/u.mp4" --background none
expect_usage_error "--samples takes 1, 2, 4, 8 or 16, got '3'" "$animate" "$star" "$out" --samples 3
expect_usage_error "--background takes #rrggbb (six hexadecimal digits) or none, got '#12'" "$animate" "$star" "$out" --background '#12'
expect_usage_error "extra operand '$out'" "$animate" "$star" "$sphere" "$octahedron" "$out"
expect_usage_error "missing OUT" "$animate" "$star"
expect_usage_error "--bounce needs two scene files (a morph)" "$animate" "$star" "$out" --bounce
expect_usage_error "--quality applies to WebP and MP4 only" "$animate" "$star" "$out" --quality 50
expect_usage_error "'$work/u.avi' names no animation: end it in .gif, .webp or .mp4, or in / for a folder of PNG frames (or give --format)" \
    "$animate" "$star" "$work/u.avi"
expect_usage_error "--samples takes 1, 2, 4, 8 or 16, got '3'" "$snapshot" "$star" "$work/u.png" --samples 3
[ ! -e "$out" ] && [ ! -e "$work/u.mp4" ] || fail "a usage error wrote a file"

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "animate CLI checks passed"
