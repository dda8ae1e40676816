#!/usr/bin/env bash
# vextal-check on files with each kind of problem: what it says, and its status
# (0 no warnings, 1 warnings, 2 the load fails).
#   check-cli.sh CHECK_BINARY EXAMPLES_DIR
set -u
checker="$1"
examples="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/cli-checks.sh"

said() { grep -qF -- "$1" "$work/stdout" || fail "$2: no '$1' in: $(cat "$work/stdout")"; }

expect_status 0 "the worked example" "$checker" "$examples/worked-example.vextal"
said "worked-example.vextal:8: 9 bytes after 'render', never read" "what follows render"
said "1104 vertices, 2112 triangles" "grid counts"

printf '"sss\nslice 64 rotate 64\nslise 12\nslice 300\nrender\n' >"$work/typo.txt"
expect_status 1 "a near miss and a wrapped count" "$checker" "$work/typo.txt"
said "typo.txt:3: warning: 'slise' is not a command; did you mean 'slice'?" "near miss"
said "typo.txt:4: warning: slice 300 becomes 44" "count rule"

printf '\xef\xbb\xbf"sss\nrender\n' >"$work/bom.txt"
expect_status 1 "a byte-order mark" "$checker" "$work/bom.txt"
said "byte-order mark before '\"sss'" "byte-order mark"

printf '"sh\nslice 40 rotate 40\nrender\n' >"$work/folded.txt"
expect_status 1 "a harmonic over the default theta range" "$checker" "$work/folded.txt"
said "'thetarange 0 3.14159265' covers it once" "folded harmonic"

printf '"sss\nslice 12 rotate 16\ncoef1 0 4 4 4 1 1\nrender\n' >"$work/nan.txt"
expect_status 1 "non-finite vertices" "$checker" "$work/nan.txt"
said "vertices have NaN or infinite coordinates" "non-finite count"

printf '"sss\ncoef1 1 1 x 4 1 1\nrender\n' >"$work/bad.txt"
expect_status 2 "a value that is no number" "$checker" "$work/bad.txt" "$examples/sphere.vextal"
said "bad.txt:2: coef1 needs 6 values; 'x' is not a number" "bad value"
grep -F "bad.txt: grid " "$work/stdout" | grep -q ": not built$" \
    || fail "a surface that was not built has counts: $(grep -F "bad.txt: grid" "$work/stdout")"
said "sphere.vextal: no warnings" "the second file is checked too"
expect_status 2 "a missing file" "$checker" "$work/missing.txt"

expect_status 1 "--json" "$checker" --json "$work/typo.txt" "$examples/sphere.vextal"
python3 -c 'import json, sys
reports = json.load(open(sys.argv[1]))
assert [len(r["warnings"]) > 0 for r in reports] == [True, False], reports
assert reports[0]["steps"][2]["suggestion"] == "slice"' "$work/stdout" || fail "--json report"
# The mesh's numbers against known ones: a unit sphere on a 200 x 200 grid
# encloses 4/3 pi within the grid's accuracy (the inscribed polyhedron, a
# little less), with no open, tangled or degenerate edge; left open, its two
# rims are 2 x 200 open edges and nothing is tangled. The grid's counts too.
sphere='"sss\nslice 200 rotate 200\ncoef1 1 1 1 0 1 1\ncoef2 1 1 1 0 1 1\n'
printf "$sphere"'render\n' >"$work/unit.txt"
printf "$sphere"'dontclose\nrender\n' >"$work/rims.txt"
"$checker" --json "$work/unit.txt" "$work/rims.txt" >"$work/stdout"
python3 -c 'import json, math, sys
reports = json.load(open(sys.argv[1]))
# 199 rings of 200 and two poles; 2 x 200 triangles per band and per cap.
assert [(r["grid"]["vertices"], r["grid"]["triangles"]) for r in reports] == [
    (199 * 200 + 2, 2 * 200 * 198 + 2 * 200), (199 * 200, 2 * 200 * 198)], reports
closed, rims = [r["mesh"] for r in reports]
assert 0.999 * 4 / 3 * math.pi < closed["volume"] < 4 / 3 * math.pi, closed
assert [closed[k] for k in ("nonFiniteVertices", "degenerateTriangles", "openEdges", "tangledEdges")] == [0] * 4, closed
assert (rims["openEdges"], rims["tangledEdges"]) == (400, 0), rims' "$work/stdout" || fail "mesh numbers"

# The curvature from the formula, and Gauss-Bonnet whatever the file's grid: the
# unit sphere (at its own grid and a coarse one) has K = H = 1 and total 4 pi,
# the ring torus total 0; a torus capped at poles that meet is a closed mesh
# of another topology than the formula's, and says so.
printf '"sss\nslice 6 rotate 5\ncoef1 2 2 2 4 1 1\ncoef2 2 2 2 4 1 1\nrender\n' >"$work/coarse.txt"
expect_status 1 "curvature" "$checker" --json "$examples/sphere.vextal" "$work/coarse.txt" \
    "$examples/ring-torus.vextal" "$examples/horn-torus.vextal"
python3 -c 'import json, math, sys
sphere, coarse, ring, horn = (r["curvature"] for r in json.load(open(sys.argv[1])))
for c in (sphere, coarse):
    for key in ("gaussianMin", "gaussianMax", "meanMin", "meanMax"):
        assert abs(c[key] - 1) <= 1e-6, c
    assert abs(c["gaussianTotal"] - 4 * math.pi) <= 1e-4 * 4 * math.pi, c
    assert c["eulerCharacteristic"] == 2 and c["pointsLeftOut"] == 2, c
assert abs(ring["gaussianTotal"]) <= 1e-4 * 4 * math.pi and ring["eulerCharacteristic"] == 0, ring
assert ring["pointsLeftOut"] == 0 and ring["gaussianMin"] < 0 < ring["gaussianMax"], ring' \
    "$work/stdout" || fail "--json curvature: $(cat "$work/stdout")"
said "V - E + F = 2: the surface is not the closed surface the file claims" "Gauss-Bonnet warning"
# Sharp arms: the total is refined until it settles on 2 turns, with no
# warning; a total that cannot settle (a harmonic whose radius passes through
# 0) warns of nothing either, and says how uncertain it is.
printf '"sss slice 64 rotate 240 coef1 2 20 20 5 1 1 coef2 2 2 2 4 0.8 0.24 render' >"$work/sharp.txt"
expect_status 0 "sharp arms" "$checker" --json "$work/sharp.txt" "$examples/harmonic-lobes.vextal"
python3 -c 'import json, math, sys
sharp, lobes = json.load(open(sys.argv[1]))
c = sharp["curvature"]
assert c["settled"] and c["eulerCharacteristic"] == 2 and not c["concentrated"], c
assert abs(c["gaussianTotal"] / (2 * math.pi) - 2) < 1e-4 and c["gaussianTotalError"] < 1e-5, c
assert sharp["warnings"] == [] and lobes["warnings"] == [] and lobes["mesh"]["openEdges"] == 0, (sharp, lobes)
assert not lobes["curvature"]["settled"] and lobes["curvature"]["gaussianTotalError"] > 0, lobes' \
    "$work/stdout" || fail "--json sharp arms: $(cat "$work/stdout")"
expect_status 0 "sharp arms, text" "$checker" "$work/sharp.txt"
grep -qE "= 2 pi x 2\.0000[0-9]* \(settled, to about [0-9.e+-]* turns\), Euler characteristic 2" "$work/stdout" \
    || fail "a settled total: $(cat "$work/stdout")"
# Hostile bytes: what a file or its name holds reaches the terminal escaped,
# and the JSON is strict UTF-8 with one shape for every file.
printf '"sss\nfoo\x1b]0;title\x07 ab\x00cd \xff\xfe\nrender' >"$work/hostile.txt"
python3 -c 'import sys; open(sys.argv[1], "wb").write(b"\"sss\n" + "\u20ac".encode() * 30 + b"\nrender")' \
    "$work/long.txt"
forged="$work/evil"$'\n'"evil: no warnings"
printf '"sss\nrender\nx' >"$forged"
expect_status 2 "hostile bytes" "$checker" "$work/hostile.txt" "$work/long.txt" "$forged" "$work/missing"
LC_ALL=C grep -q '[[:cntrl:]]' <(tr -d '\n' <"$work/stdout") && fail "a control byte reached the text"
said "hostile.txt:2: 'foo\x1b]0;title\x07' is not a command" "escaped control bytes"
said "'ab\x00cd' is not a command" "a NUL escaped, the line whole"
said "'\xff\xfe' is not a command" "bytes that are no UTF-8"
said "long.txt:2: '$(printf '\u20ac%.0s' $(seq 21))'... (a 90-byte token, cut)" "a cut token"
said "evil\x0aevil: no warnings:3: 1 byte after 'render', never read" "a newline in a file name"
said "hostile.txt:3: 'render': the surface is built here" "'render' at the very end"
grep -q "bytes after 'render'" <(grep hostile "$work/stdout") && fail "bytes counted after a final 'render'"
expect_status 2 "--json, hostile bytes" "$checker" --json "$work/hostile.txt" "$work/long.txt" \
    "$forged" "$work/missing"
python3 -c 'import json, sys
reports = json.loads(open(sys.argv[1], "rb").read().decode("utf-8", "strict"))
assert len({tuple(r) for r in reports}) == 1, "one shape"
assert [r["stop"]["reason"][:14] for r in reports][3] == "cannot be read", reports[3]
assert [r["warnings"] for r in reports][3] == [] and reports[3]["selector"] is None
assert reports[0]["steps"][1]["token"] == "ab\\x00cd", reports[0]["steps"][1]
assert reports[1]["steps"][0]["tokenBytes"] == 90' "$work/stdout" || fail "--json of hostile bytes"

# Past the first MiB the count says it is a lower bound.
python3 -c 'import sys; open(sys.argv[1], "wb").write(b"\"sss render\n" + b"y" * (3 << 20))' "$work/huge.txt"
expect_status 0 "3 MiB after render" "$checker" "$work/huge.txt"
said "huge.txt:2: more than 1048564 bytes after 'render', never read" "a count past the limit"

# Memory for one file runs out: what is written stays valid and says so.
if ! address_sanitized "$checker"; then
    python3 -c 'import sys; open(sys.argv[1], "wb").write(b"\"sss\n" + b"x " * (1 << 19))' "$work/big.txt"
    (ulimit -v 50000 && "$checker" --json "$work/big.txt" "$work/typo.txt" >"$work/stdout" 2>"$work/stderr")
    [ $? -eq 2 ] && grep -q "big.txt: out of memory" "$work/stderr" || fail "out of memory: $(cat "$work/stderr")"
    python3 -c 'import json, sys
reports = json.load(open(sys.argv[1]))
assert [r["loaded"] for r in reports] == [False, True], reports
assert reports[0]["stop"]["reason"].startswith("out of memory")' "$work/stdout" || fail "--json out of memory"
fi

# Output that cannot be written fails.
if full_device; then
    "$checker" --json "$work/typo.txt" >"$work/full" 2>"$work/stderr"
    [ $? -eq 2 ] && grep -q "^vextal-check: write error: No space left on device$" "$work/stderr" \
        || fail "--json on a full device: $(cat "$work/stderr")"
fi

check_conventions "$checker" --json
expect_usage_error "missing SCENE_FILE" "$checker"

[ "$failures" -eq 0 ] && echo "check-cli: all checks passed"
exit $((failures > 0))
