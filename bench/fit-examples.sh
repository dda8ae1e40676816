#!/usr/bin/env bash
# vextal-fit on points of every superformula and harmonic example under the
# generator's pose: noise-free (the largest distance of other points of the
# true surface to the fitted one, over the size), with Gaussian noise of 1%
# of the size (the RMS distance over the noise) and with 10% outliers under
# --robust (as noise-free). The accuracy of the fit on every shape the
# examples hold, where the tests take one of each kind.
#   bench/fit-examples.sh BUILD_DIR [POINTS]   (default 1500 points a fit)
set -euo pipefail
build=${1:-build}
count=${2:-1500}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python=/usr/bin/python3
fit="$build/tools/vextal-fit"
points() { "$python" "$here/../tests/fit/make-points.py" "$@" >/dev/null; }
field() { "$python" -c 'import json,sys; print(json.load(open(sys.argv[1]))[sys.argv[2]])' "$1" "$2"; }
ratio() { "$python" -c "print('%.3g' % ($1))"; }
printf '%-26s %-9s %12s %12s %12s %8s\n' example surface noise-free noise/1% outliers seconds
for scene in "$here"/../examples/*.vextal; do
    name=$(basename "$scene" .vextal)
    case $(head -1 "$scene") in
    '"sss') kind=spheric ;;
    '"tss') kind=toric ;;
    '"sh') kind=harmonic ;;
    *) continue ;;
    esac
    if [ $kind = harmonic ]; then
        coefs=("$(sed -n 's/^coefh //p' "$scene")")
    else
        coefs=("$(sed -n 's/^coef1 //p' "$scene")" "$(sed -n 's/^coef2 //p' "$scene")")
    fi
    points "$work/clean.ply" $kind "$count" "${coefs[@]}"
    points "$work/truth.ply" $kind "$count" "${coefs[@]}" --seed 9
    points "$work/noisy.ply" $kind "$count" "${coefs[@]}" --noise 0.01
    points "$work/outliers.ply" $kind "$count" "${coefs[@]}" --outliers 0.1
    began=$(date +%s.%N)
    "$fit" --quiet --threads "$(nproc)" --surface $kind "$work/clean.ply" "$work/clean.vextal" \
        --write-unconverged >/dev/null || true
    "$fit" --quiet --json --threads "$(nproc)" --surface $kind "$work/noisy.ply" >"$work/noisy.json" || true
    "$fit" --quiet --robust --threads "$(nproc)" --surface $kind "$work/outliers.ply" \
        "$work/outliers.vextal" --write-unconverged >/dev/null || true
    seconds=$(ratio "($(date +%s.%N) - $began) / 3")
    "$fit" --quiet --json --measure "$work/clean.vextal" "$work/truth.ply" >"$work/clean.json" || true
    "$fit" --quiet --json --measure "$work/outliers.vextal" "$work/truth.ply" >"$work/outliers.json" || true
    size=$(field "$work/clean.json" size)
    printf '%-26s %-9s %12s %12s %12s %8s\n' "$name" $kind \
        "$(ratio "$(field "$work/clean.json" largest) / $size")" \
        "$(ratio "$(field "$work/noisy.json" rms) / (0.01 * $size)")" \
        "$(ratio "$(field "$work/outliers.json" largest) / $size")" "$seconds"
done
