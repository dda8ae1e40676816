#!/usr/bin/env bash
# scripts/check-format.sh in a copy of the project without git: it finds the
# files by name, names one that is not formatted, and fails when it finds none.
#   format-check.sh SOURCE_DIR
set -u
source_dir="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

mkdir -p "$work/scripts" "$work/base" "$work/build/x"
cp "$source_dir/scripts/check-format.sh" "$work/scripts/"
cp "$source_dir/.clang-format" "$work/"

# No C++ file at all is no pass.
out=$(bash "$work/scripts/check-format.sh" 2>&1) && fail "no files passed: $out"
grep -q "no C++ file found" <<<"$out" || fail "no files: $out"

# A formatted file passes, one that is not is named; build folders are not looked in.
printf 'int one();\n' >"$work/base/Good.h"
printf 'int   two( ) ;\n' >"$work/build/x/Ignored.h"
out=$(bash "$work/scripts/check-format.sh" 2>&1) || fail "a formatted file: $out"
[ "$out" = "check-format: 1 files formatted" ] || fail "a formatted file: $out"
printf 'int   two( ) ;\n' >"$work/base/Bad.h"
out=$(bash "$work/scripts/check-format.sh" 2>&1) && fail "an unformatted file passed"
grep -qx "not formatted: base/Bad.h" <<<"$out" || fail "an unformatted file is not named: $out"
grep -q "command not found" <<<"$out" && fail "$out"

[ "$failures" -eq 0 ] && echo "ok: the format check finds the files without git"
