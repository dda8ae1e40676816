#!/usr/bin/env bash
# vextal-fit on points generated here (make-points.py): a noise-free surface
# is recovered, noise and outliers are borne, the scene written loads, and
# bad input is refused in words, never with a crash or a scene.
#   fit-cli.sh VEXTAL_FIT VEXTAL_CHECK
set -euo pipefail
fit=$1 check=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python=/usr/bin/python3
fail() { echo "FAIL: $*" >&2; exit 1; }
points() { "$python" "$here/make-points.py" "$@"; }
# field FILE KEY: a number of the JSON report.
field() { "$python" -c 'import json,sys; print(json.load(open(sys.argv[1]))[sys.argv[2]])' "$1" "$2"; }
below() { "$python" -c 'import sys; sys.exit(0 if float(sys.argv[1]) <= float(sys.argv[2]) else 1)' "$1" "$2"; }
star=("2 7 7 5 1 1" "2 2 2 4 0.8 0.24")

# Noise-free starfish points under a pose: the largest distance within 1e-4
# of the size, and the scene loads in vextal-check.
points "$work/star.ply" spheric 1500 "${star[@]}"
"$fit" --json --quiet --threads 2 "$work/star.ply" "$work/star.vextal" >"$work/star.json" \
    || fail "the starfish fit: status $?"
size=$(field "$work/star.json" size)
below "$(field "$work/star.json" largest)" "$("$python" -c "print(1e-4 * $size)")" \
    || fail "noise-free starfish: largest $(field "$work/star.json" largest) of size $size"
"$check" "$work/star.vextal" >"$work/check.txt" || fail "the written scene: $(cat "$work/check.txt")"
grep -q "pose" "$work/star.vextal" || fail "no pose in the scene"
# So for the toroidal star ring.
points "$work/ring.ply" toric 1500 "2 7 7 5 0.925 0.925" "1 1 1 0 0.19 0.19"
"$fit" --json --quiet --surface toric --symmetry 5 "$work/ring.ply" >"$work/ring.json"
below "$(field "$work/ring.json" largest)" "$("$python" -c "print(1e-4 * $(field "$work/ring.json" size))")" \
    || fail "noise-free star ring: largest $(field "$work/ring.json" largest)"
# So for the flower, whose phi n1 lies below 0 (petals).
points "$work/flower.ply" spheric 1500 "-0.5 0.5 0.5 6 1 1" "2 2 2 4 0.6 0.3"
"$fit" --json --quiet --symmetry 6 "$work/flower.ply" >"$work/flower.json"
below "$(field "$work/flower.json" largest)" "$("$python" -c "print(1e-4 * $(field "$work/flower.json" size))")" \
    || fail "noise-free flower: largest $(field "$work/flower.json" largest)"
# The same seed writes the same bytes with any thread count.
"$fit" --quiet --symmetry 5 --threads 1 "$work/star.ply" "$work/star1.vextal" >/dev/null
"$fit" --quiet --symmetry 5 --threads 3 "$work/star.ply" "$work/star3.vextal" >/dev/null
cmp -s "$work/star1.vextal" "$work/star3.vextal" || fail "another thread count wrote other bytes"

# A typed scene's parameters and pose: the typed torus (R 1, r 0.4 in the
# file) fitted to points of R 1.4, r 0.3 under a pose; other points of the
# true torus lie on the written surface within 1e-4 of the size, and its
# scene loads.
points "$work/torus.ply" torus 1500 "1.4 0.3"
points "$work/torus-truth.ply" torus 1500 "1.4 0.3" --seed 9
"$fit" --quiet --threads 2 --surface "$here/../../examples/typed-torus.vextal" \
    "$work/torus.ply" "$work/torus.vextal" >/dev/null || fail "the typed torus fit: status $?"
"$check" "$work/torus.vextal" >"$work/check.txt" || fail "the typed scene: $(cat "$work/check.txt")"
grep -q "^pose " "$work/torus.vextal" && ! grep -q "^param R 1 " "$work/torus.vextal" \
    || fail "the typed scene lacks its pose or fitted R: $(cat "$work/torus.vextal")"
"$fit" --json --quiet --measure "$work/torus.vextal" "$work/torus-truth.ply" >"$work/torus.json"
below "$(field "$work/torus.json" largest)" "$("$python" -c "print(1e-4 * $(field "$work/torus.json" size))")" \
    || fail "typed torus: the true torus is $(field "$work/torus.json" largest) from the fitted one"
# A held value beyond its parameter's range is refused, not moved into it.
status=0
"$fit" --quiet --surface "$here/../../examples/typed-torus.vextal" --fix R=5 "$work/torus.ply" \
    "$work/far.vextal" >"$work/far.txt" || status=$?
[ "$status" = 2 ] && [ ! -e "$work/far.vextal" ] && grep -q "outside the parameter's range" "$work/far.txt" \
    || fail "--fix R=5 beyond R's range: status $status, $(cat "$work/far.txt")"

# The spherical harmonic's whole numbers are searched: points of the four
# lobes under a pose; other points of it lie on the fitted surface within
# 1e-4 of the size.
lobes=$(sed -n 's/^coefh //p' "$here/../../examples/harmonic-four-lobes.vextal")
points "$work/lobes.ply" harmonic 1500 "$lobes"
points "$work/lobes-truth.ply" harmonic 1500 "$lobes" --seed 9
"$fit" --quiet --threads 2 --surface harmonic "$work/lobes.ply" "$work/lobes.vextal" >/dev/null \
    || fail "the harmonic fit: status $?"
"$fit" --json --quiet --measure "$work/lobes.vextal" "$work/lobes-truth.ply" >"$work/lobes.json"
below "$(field "$work/lobes.json" largest)" "$("$python" -c "print(1e-4 * $(field "$work/lobes.json" size))")" \
    || fail "harmonic: the true surface is $(field "$work/lobes.json" largest) from the fitted one"
# With Gaussian noise of 1% of the size the RMS distance is within 1.2 times
# it; with 10% outliers and --robust the true surface is within 1% of the
# size of the fitted one.
lobesNoise=$("$python" -c "print(0.01 * $(field "$work/lobes.json" size))")
points "$work/lobes-noisy.ply" harmonic 1500 "$lobes" --noise 0.01
"$fit" --json --quiet --threads 2 --surface harmonic "$work/lobes-noisy.ply" >"$work/lobes-noisy.json"
below "$(field "$work/lobes-noisy.json" rms)" "$("$python" -c "print(1.2 * $lobesNoise)")" \
    || fail "noisy harmonic: rms $(field "$work/lobes-noisy.json" rms), noise $lobesNoise"
points "$work/lobes-outliers.ply" harmonic 1500 "$lobes" --outliers 0.1
"$fit" --quiet --robust --threads 2 --surface harmonic "$work/lobes-outliers.ply" \
    "$work/lobes-outliers.vextal" >/dev/null
"$fit" --json --quiet --measure "$work/lobes-outliers.vextal" "$work/lobes-truth.ply" >"$work/lobes-outliers.json"
below "$(field "$work/lobes-outliers.json" largest)" "$lobesNoise" \
    || fail "harmonic outliers: the true surface is $(field "$work/lobes-outliers.json" largest) from the fitted one"

# A scan from one side: the starfish seen from above (its upper half) and
# the half of the rounded cube on one side of the plane square to its
# diagonal. The whole true surface lies within 1% of the size of the
# fitted one.
cube=("10 10 10 4 1 1" "10 10 10 4 1 1")
points "$work/top.ply" spheric 1500 "${star[@]}" --side "0 0 1"
points "$work/star-truth.ply" spheric 1500 "${star[@]}" --seed 9
points "$work/corner.ply" spheric 1500 "${cube[@]}" --side "1 1 1"
points "$work/cube-truth.ply" spheric 1500 "${cube[@]}" --seed 9
"$fit" --quiet --threads 2 --symmetry 5 "$work/top.ply" "$work/top.vextal" >/dev/null
"$fit" --quiet --threads 2 "$work/corner.ply" "$work/corner.vextal" >/dev/null
for half in top:star corner:cube; do
    "$fit" --json --quiet --measure "$work/${half%:*}.vextal" "$work/${half#*:}-truth.ply" >"$work/half.json"
    below "$(field "$work/half.json" largest)" "$("$python" -c "print(0.01 * $(field "$work/half.json" size))")" \
        || fail "half scan $half: the true surface is $(field "$work/half.json" largest) from the fitted one"
done

# Gaussian noise of 1% of the size: the RMS distance within 1.2 times it.
points "$work/noisy.txt" spheric 2000 "${star[@]}" --noise 0.01
"$fit" --json --quiet --symmetry 5 "$work/noisy.txt" >"$work/noisy.json"
noise=$("$python" -c "print(0.01 * $size)")
below "$(field "$work/noisy.json" rms)" "$("$python" -c "print(1.2 * $noise)")" \
    || fail "noisy starfish: rms $(field "$work/noisy.json" rms), noise $noise"

# The residuals: assimp reads the point cloud back whole; the points on the
# surface are dark and those beyond 1% of the size the map's yellow.
"$fit" --quiet --symmetry 5 --residuals "$work/residuals.ply" "$work/noisy.txt" >/dev/null
if command -v assimp >/dev/null; then
    assimp info "$work/residuals.ply" -r >"$work/assimp.txt" 2>&1
    grep -q "Vertices: *2000" "$work/assimp.txt" && grep -q "Faces: *0" "$work/assimp.txt" \
        || fail "assimp read the residuals otherwise: $(cat "$work/assimp.txt")"
fi
"$python" -c "
import numpy as np, sys
data = open(sys.argv[1], 'rb').read()
body = data[data.index(b'end_header\n') + 11:]
v = np.frombuffer(body, dtype=[('p', '<f4', 3), ('rgb', 'u1', 3), ('d', '<f4')])
top = float(data.split(b'0 to ')[1].split(b'\n')[0])
near, far = v['rgb'][v['d'] < 0.05 * top], v['rgb'][v['d'] > top]
assert len(v) == 2000 and len(near) and len(far), (len(v), len(near), len(far))
assert (near[:, 2] > near[:, 1]).all() and (far[:, 0] > 200).all() and (far[:, 2] < 100).all()
" "$work/residuals.ply" || fail "the residuals' colours do not follow their distances"

# 10% outliers with --robust: the fitted surface lies within 1% of the size
# of every point of the noise-free surface (other points than the fitted
# ones).
points "$work/truth.ply" spheric 1500 "${star[@]}" --seed 9
points "$work/outliers.obj" spheric 1500 "${star[@]}" --outliers 0.1
"$fit" --quiet --robust --symmetry 5 "$work/outliers.obj" "$work/outliers.vextal" >/dev/null
"$fit" --json --quiet --measure "$work/outliers.vextal" "$work/truth.ply" >"$work/outliers.json"
below "$(field "$work/outliers.json" largest)" "$noise" \
    || fail "outliers: the true surface is $(field "$work/outliers.json" largest) from the fitted one"

# Bad input: a clear message and status 2, never a scene.
: >"$work/empty.txt"
echo "1 2 3" >"$work/one.txt"
for k in $(seq 20); do echo "1 2 3"; done >"$work/same.txt"
for k in $(seq 20); do echo "$k $((k * k)) 0"; done >"$work/plane.txt"
for k in $(seq 20); do echo "$k $k $k"; done >"$work/line.txt"
printf 'ply\nformat ascii 1.0\nelement vertex 1000\nproperty float x\nproperty float y\nproperty float z\nend_header\n1 2 3\n' >"$work/lying.ply"
printf '1 2 3\nnan 1 1\n4 five 6\n' >"$work/words.txt"
for bad in empty one same plane line lying words; do
    file=$(ls "$work/$bad".*)
    status=0
    "$fit" --quiet "$file" "$work/bad.vextal" >"$work/out.txt" 2>"$work/err.txt" || status=$?
    [ "$status" = 2 ] || fail "$bad: status $status"
    [ ! -e "$work/bad.vextal" ] || fail "$bad: a scene was written"
    grep -qE "points|PLY|line|surface" "$work/out.txt" "$work/err.txt" || fail "$bad: no clear message"
done
"$fit" --quiet "$work/lying.ply" >"$work/lying.txt" 2>&1 || true
grep -q "promises 1000 vertices, but the file ends after 1" "$work/lying.txt" \
    || fail "the lying PLY's counts not told: $(cat "$work/lying.txt")"

# NaN coordinates are left out and counted; a random cloud is reported as a
# poor fit, not as a good one.
"$python" -c "
import numpy as np
r = np.random.default_rng(3)
p = r.uniform(-1, 1, (400, 3))
p[:5, 0] = np.nan
np.savetxt('$work/cloud.txt', p)"
"$fit" --json --quiet --symmetry 3 "$work/cloud.txt" >"$work/cloud.json" || true
[ "$(field "$work/cloud.json" notFinite)" = 5 ] || fail "NaN points not counted"
below "$(field "$work/cloud.json" withinOnePercent)" 0.5 || fail "a random cloud fitted well"
# A stream of 3 million points through a FIFO (no size to tell a share by):
# the memory stays that of the sample kept, the terminal shows the count.
mkfifo "$work/stream.ply"
"$python" - "$fit" "$work/stream.ply" <<'PY' || fail "the stream of points"
import os, pty, resource, subprocess, sys, threading
import numpy as np
fit, path = sys.argv[1:3]
count = 3_000_000
def feed():
    rng = np.random.default_rng(1)
    with open(path, "wb") as f:
        f.write(b"ply\nformat binary_little_endian 1.0\nelement vertex %d\n" % count)
        f.write(b"property float x\nproperty float y\nproperty float z\nend_header\n")
        for _ in range(count // 100_000):
            p = rng.normal(size=(100_000, 3)) * [1, 2, 3]
            f.write((p / np.linalg.norm(p, axis=1)[:, None]).astype("<f4").tobytes())
leader, follower = pty.openpty()
threading.Thread(target=feed, daemon=True).start()
done = subprocess.Popen([fit, "--max-points", "2000", "--symmetry", "4", path],
                        stdout=subprocess.PIPE, stderr=follower)
os.close(follower)
shown = b""
while True:
    try:
        chunk = os.read(leader, 4096)
    except OSError:
        break
    if not chunk:
        break
    shown += chunk
report = done.communicate()[0].decode()
memory = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss  # KiB
assert "3000000 points, a sample of 2000 fitted" in report, report
assert b"reading, 2097152 points" in shown, shown[-300:]
assert memory < 40_000, memory  # 3 million points kept would take 72 MB
PY
echo "fit-cli: all passed"
