#!/usr/bin/env bash
# Fails on any tracked C++ file that clang-format (with the checked-in
# .clang-format) would change, and names it.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
report=$(mktemp)
trap 'rm -f "$report"' EXIT
if ! clang-format --dry-run --Werror "${files[@]}" 2>"$report"; then
    grep -oE '^[^ :]+\.(cpp|h):' "$report" | sort -u | sed 's/:$//; s/^/not formatted: /' >&2
    echo "check-format: run clang-format -i on the files above" >&2
    exit 1
fi
echo "check-format: ${#files[@]} files formatted"
