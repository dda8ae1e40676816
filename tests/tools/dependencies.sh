#!/usr/bin/env bash
# A missing library stops the configuration with one line that names the
# Debian package to install: here lib3mf's headers (which the tests read 3MF
# files with), hidden from the search.
#   dependencies.sh CMAKE SOURCE_DIR
set -u
cmake="$1"
source_dir="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

status=0
"$cmake" -S "$source_dir" -B "$work/build" -G Ninja -DVEXTAL_BUILD_TESTS=ON -DVEXTAL_BUILD_BENCH=OFF \
    -DCMAKE_IGNORE_PATH=/usr/include/lib3mf >"$work/out" 2>&1 || status=$?
[ "$status" -ne 0 ] || { echo "FAIL: the configuration went on without lib3mf's headers"; exit 1; }
missing=$(grep -c ' is missing: ' "$work/out")
line=$(grep -m1 ' is missing: ' "$work/out")
if [ "$missing" != 1 ] || [ "$line" != "lib3mf-dev is missing: apt-get install lib3mf-dev" ]; then
    echo "FAIL: expected one line naming lib3mf-dev, got:"
    cat "$work/out"
    exit 1
fi
echo "ok: $line"
