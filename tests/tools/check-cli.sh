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
said "sphere.vextal: no warnings" "the second file is checked too"
expect_status 2 "a missing file" "$checker" "$work/missing.txt"

expect_status 1 "--json" "$checker" --json "$work/typo.txt" "$examples/sphere.vextal"
python3 -c 'import json, sys
reports = json.load(open(sys.argv[1]))
assert [len(r["warnings"]) > 0 for r in reports] == [True, False], reports
assert reports[0]["steps"][2]["suggestion"] == "slice"' "$work/stdout" || fail "--json report"
check_conventions "$checker" --json
expect_usage_error "missing SCENE_FILE" "$checker"

[ "$failures" -eq 0 ] && echo "check-cli: all checks passed"
exit $((failures > 0))
