#!/usr/bin/env bash
# Fails on any C++ file of the project that clang-format (with the checked-in
# .clang-format) would change, and names it. The files are found by name, so
# that the check needs no git; build folders and fetched packages are left out.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || {
    echo "check-format: clang-format is missing: apt-get install clang-format" >&2
    exit 1
}
mapfile -t files < <(find . \( -path './build*' -o -path './.deps' -o -path './.git' -o -path './out' \) -prune \
    -o -type f \( -name '*.cpp' -o -name '*.h' \) -print | sed 's|^\./||' | sort)
if [ ${#files[@]} -eq 0 ]; then
    echo "check-format: no C++ file found under $(pwd)" >&2
    exit 1
fi
report=$(mktemp)
trap 'rm -f "$report"' EXIT
if ! clang-format --dry-run --Werror "${files[@]}" 2>"$report"; then
    grep -oE '^[^ :]+\.(cpp|h):' "$report" | sort -u | sed 's/:$//; s/^/not formatted: /' >&2 || cat "$report" >&2
    echo "check-format: run clang-format -i on the files above" >&2
    exit 1
fi
echo "check-format: ${#files[@]} files formatted"
