#!/usr/bin/env bash
# vextal-export on real files: exit statuses, messages, and no partial output.
#   export-cli.sh EXPORT_BINARY EXAMPLES_DIR
set -u
exporter="$1"
examples="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

expect_status() { # expected-status description command...
    local expected="$1" what="$2"
    shift 2
    "$@" >"$work/stdout" 2>"$work/stderr"
    local status=$?
    [ "$status" -eq "$expected" ] || fail "$what: exit $status, expected $expected ($(cat "$work/stderr"))"
}

# The worked example: open toric 24 x 48 grid.
expect_status 0 "worked example" "$exporter" "$examples/worked-example.txt" "$work/w.obj"
[ "$(grep -c '^v ' "$work/w.obj")" -eq $((23 * 48)) ] || fail "worked example vertex count"
[ "$(grep -c '^f ' "$work/w.obj")" -eq $((2 * 22 * 48)) ] || fail "worked example face count"
head -1 "$work/w.obj" | grep -q '^# .*PrimitiveSuperShapeToric, 24 slices x 48 rotations, open' \
    || fail "comment line names the surface and grid: $(head -1 "$work/w.obj")"

# The default spheric surface: the known vertex and pole coordinates.
printf '"sss\nrender\n' >"$work/default.txt"
expect_status 0 "default spheric" "$exporter" "$work/default.txt" "$work/d.obj"
awk '/^v /{n++; if (n==1) print $2, $4; if (n==91) print $4; if (n==92) print $4}' "$work/d.obj" \
    >"$work/facts"
awk 'NR==1{ if ($1 > -0.04055 || $1 < -0.04065 || $2 > -0.7955 || $2 < -0.7957) exit 1 }
     NR==2{ if ($1 < 0.8299 || $1 > 0.8301) exit 1 }
     NR==3{ if ($1 > -0.8299 || $1 < -0.8301) exit 1 }' "$work/facts" || fail "default facts: $(cat "$work/facts")"
grep -q '^f 92//92 2//2 1//1$' "$work/d.obj" || fail "first cap face (91, 0, 1) written as i0, i2, i1"

# Failures write nothing and say why, naming the file.
expect_status 2 "missing scene" "$exporter" "$work/none.txt" "$work/missing.obj"
grep -q "none.txt" "$work/stderr" || fail "missing scene message names the file"
printf '"sss slice 5\n' >"$work/cut.txt"
expect_status 2 "no render" "$exporter" "$work/cut.txt" "$work/cut.obj"
grep -q 'render' "$work/stderr" || fail "no-render message says why"
[ "$(wc -l <"$work/stderr")" -eq 1 ] || fail "one line on stderr"
expect_status 2 "unwritable output" "$exporter" "$work/default.txt" "$work/no/such/folder/out.obj"
[ ! -e "$work/missing.obj" ] && [ ! -e "$work/cut.obj" ] || fail "partial output left behind"
ls "$work" | grep -q 'tmp' && fail "temporary file left behind"

# Usage errors.
expect_status 64 "no arguments" "$exporter"
grep -q '^usage:' "$work/stderr" || fail "usage line"
expect_status 64 "unknown format" "$exporter" "$work/default.txt" "$work/out.xyz"

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "export CLI checks passed"
