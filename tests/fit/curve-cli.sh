#!/usr/bin/env bash
# vextal-fit --curve on outlines generated here (make-outline.py) from
# superformula curves of every order m from 1 to 12 under random placements:
# recovered without noise and among outliers, borne with noise; SVG outlines
# read; bad outlines refused in words, never with a crash or a scene.
#   curve-cli.sh VEXTAL_FIT VEXTAL_CHECK
set -euo pipefail
fit=$1 check=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python=/usr/bin/python3
fail() { echo "FAIL: $*" >&2; exit 1; }
outline() { "$python" "$here/make-outline.py" "$@"; }
# field FILE KEY: a number of the JSON report.
field() { "$python" -c 'import json,sys; print(json.load(open(sys.argv[1]))[sys.argv[2]])' "$1" "$2"; }
below() { "$python" -c 'import sys; sys.exit(0 if float(sys.argv[1]) <= float(sys.argv[2]) else 1)' "$1" "$2"; }
shapes=("1 1 1 1 1 1" "2 1.5 3 2 1 0.8" "3 4 4 3 1 1" "1 1 1 4 1 1" "2 7 7 5 1 1" "1.5 2 6 6 1 1"
    "4 6 6 7 1 1" "1 5 5 8 1 1" "3 3 6 9 1 1" "5 10 10 10 1 1" "6 8 8 11 1 1" "2 6 6 12 1 1")

for m in $(seq 1 12); do
    c=${shapes[$((m - 1))]} seed=$((m + 19))
    # Noise-free: the largest distance within 1e-4 of the size.
    outline write "$work/clean.txt" 200 "$c" --seed $seed
    "$fit" --curve --json --quiet --threads 2 "$work/clean.txt" >"$work/clean.json" \
        || fail "m $m noise-free: status $?"
    below "$(field "$work/clean.json" largest)" "$("$python" -c "print(1e-4 * $(field "$work/clean.json" size))")" \
        || fail "m $m noise-free: largest $(field "$work/clean.json" largest)"
    if [ $((m % 2)) = 1 ]; then
        # Gaussian noise of 1% of the size: the RMS distance within 1.2 times it.
        outline write "$work/noisy.txt" 300 "$c" --seed $seed --noise 0.01
        "$fit" --curve --json --quiet --threads 2 "$work/noisy.txt" >"$work/noisy.json" || true
        below "$(field "$work/noisy.json" rms)" "$("$python" -c "print(1.2 * 0.01 * $(field "$work/clean.json" size))")" \
            || fail "m $m noisy: rms $(field "$work/noisy.json" rms)"
    fi
    # 10% outliers with --robust: the fitted curve within 1% of the size of
    # the one the points were made from, both ways.
    outline write "$work/outliers.txt" 400 "$c" --seed $seed --outliers 0.1
    "$fit" --curve --json --quiet --threads 2 --robust "$work/outliers.txt" >"$work/outliers.json" || true
    apart=$(outline gap "$work/outliers.json" 400 "$c" --seed $seed)
    below "$apart" 0.01 || fail "m $m outliers: the curves lie $apart of the size apart"
done

# An SVG outline (a polygon and a path of relative steps) is recovered; the
# scene and the picture are written, the scene loads.
outline write "$work/star.svg" 300 "2 7 7 5 1 1" --seed 3
"$fit" --curve --json --quiet "$work/star.svg" "$work/star.vextal" --picture "$work/star.png" \
    >"$work/star.json" || fail "the SVG star: status $?"
[ "$(field "$work/star.json" format)" = SVG ] || fail "the SVG not read as SVG"
[ "$(field "$work/star.json" points)" = 300 ] || fail "the SVG's points: $(field "$work/star.json" points)"
below "$(field "$work/star.json" largest)" "$("$python" -c "print(1e-4 * $(field "$work/star.json" size))")" \
    || fail "the SVG star: largest $(field "$work/star.json" largest)"
"$check" "$work/star.vextal" >"$work/check.txt" || fail "the curve's scene: $(cat "$work/check.txt")"
file "$work/star.png" | grep -q "PNG image data" || fail "no PNG picture"

svg() { printf '<svg xmlns="http://www.w3.org/2000/svg">%s</svg>\n' "$1"; }
# Every straight command, absolute and relative: 12 vertices in a 6 x 6 box.
svg '<path d="M0,0 H4 V1 h1 v1 L6,3 l-1,1 V6 H0 v-2 h1 V2 z"/>' >"$work/steps.svg"
"$fit" --curve --json --quiet "$work/steps.svg" >"$work/steps.json" || true
[ "$(field "$work/steps.json" points)" = 12 ] || fail "the path's vertices: $(field "$work/steps.json" points)"
[ "$(field "$work/steps.json" size)" = 8.48528137 ] || fail "the path's box: $(field "$work/steps.json" size)"

# Bad outlines: a clear message and status 2, never a scene.
: >"$work/empty.txt"
echo "1 2" >"$work/one.txt"
for k in $(seq 20); do echo "1 2"; done >"$work/same.txt"
for k in $(seq 20); do echo "$k $((2 * k))"; done >"$work/line.txt"
for k in $(seq 20); do echo "nan $k"; done >"$work/nan.txt"
svg '<path d="M 0 0 L 10 0 C 10 10 0 10 0 0 Z"/>' >"$work/bezier.svg"
svg '<g transform="scale(2)"><polygon points="0,0 1,0 1,1"/></g>' >"$work/moved.svg"
svg '<path d="M 0 0 L 10"/>' >"$work/short.svg"
declare -A says=([empty]="at least 10 points" [one]="at least 10 points" [same]="same point"
    [line]="on a line" [nan]="there are 0" [bezier]="'C' command draws a curve"
    [moved]="has a transform" [short]="lacks its coordinates")
for bad in "${!says[@]}"; do
    file=$(ls "$work/$bad".*)
    status=0
    "$fit" --curve --quiet "$file" "$work/bad.vextal" >"$work/out.txt" 2>&1 || status=$?
    [ "$status" = 2 ] || fail "$bad: status $status"
    [ ! -e "$work/bad.vextal" ] || fail "$bad: a scene was written"
    grep -qF "${says[$bad]}" "$work/out.txt" || fail "$bad: not told: $(cat "$work/out.txt")"
done
echo "curve-cli: all passed"
