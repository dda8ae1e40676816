#!/usr/bin/env bash
# vextal-fit on 100 000 starfish points with Gaussian noise of 1% of the size,
# on one thread and on every core: the time and the RMS distance of each.
#   bench/fit-starfish.sh BUILD_DIR
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 "$here/../tests/fit/make-points.py" "$work/star.ply" spheric 100000 \
    "2 7 7 5 1 1" "2 2 2 4 0.8 0.24" --noise 0.01
for threads in 1 "$(nproc)"; do
    /usr/bin/time -f "%e s wall, %U s user" "$build/tools/vextal-fit" --quiet --json \
        --threads "$threads" "$work/star.ply" >"$work/fit.json"
    /usr/bin/python3 -c "import json; r = json.load(open('$work/fit.json')); print('threads $threads: rms %.4g (%.3g%% of size), %.2f s' % (r['rms'], 100 * r['rms'] / r['size'], r['seconds']))"
done
