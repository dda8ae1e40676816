#!/usr/bin/env bash
# vextal-fit on 100 000 starfish points with Gaussian noise of 1% of the size,
# on one thread and on every core, and on one thread with the order given:
# the processor and wall time and the RMS distance of each.
#   bench/fit-starfish.sh BUILD_DIR [RUNS]   (medians of RUNS, default 3)
set -euo pipefail
build=${1:-build}
runs=${2:-3}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 "$here/../tests/fit/make-points.py" "$work/star.ply" spheric 100000 \
    "2 7 7 5 1 1" "2 2 2 4 0.8 0.24" --noise 0.01
# The noise's own RMS: 1% of the noise-free points' size.
/usr/bin/python3 "$here/../tests/fit/make-points.py" "$work/clean.ply" spheric 100000 \
    "2 7 7 5 1 1" "2 2 2 4 0.8 0.24"
noise=$(/usr/bin/python3 -c "
import numpy as np, sys
d = open(sys.argv[1], 'rb').read(); p = np.frombuffer(d[d.index(b'end_header\n') + 11:], '<f4').reshape(-1, 3)
print(0.01 * np.linalg.norm(p.max(0) - p.min(0)))" "$work/clean.ply")
for how in "--threads 1" "--threads $(nproc)" "--threads 1 --symmetry 5"; do
    : >"$work/times"
    for run in $(seq "$runs"); do
        # shellcheck disable=SC2086
        /usr/bin/time -a -o "$work/times" -f "%U %e" "$build/tools/vextal-fit" --quiet --json \
            $how "$work/star.ply" >"$work/fit.json"
    done
    /usr/bin/python3 -c "
import json, statistics, sys
r = json.load(open(sys.argv[1]))
t = [list(map(float, l.split())) for l in open(sys.argv[2]) if l.strip()]
print('%-26s processor %.2f s, wall %.2f s (medians of %d), rms %.4g = %.3g x the noise %.4g'
      % (sys.argv[3], statistics.median(x[0] for x in t), statistics.median(x[1] for x in t),
         len(t), r['rms'], r['rms'] / float(sys.argv[4]), float(sys.argv[4])))" \
        "$work/fit.json" "$work/times" "$how" "$noise"
done
