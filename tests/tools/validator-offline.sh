#!/usr/bin/env bash
# scripts/install-deps.sh test with the npm registry out of reach: one line
# that names the Khronos glTF validator and npm's reason, and the set-up goes
# on (the reader tests are then reported skipped). Run on a copy of the
# script, so the validator lands in a temporary folder; apt is replaced by a
# stand-in that refuses, so nothing is ever installed on the machine.
#   validator-offline.sh SOURCE_DIR
set -u
source_dir="$1"
command -v npm >/dev/null || { echo "SKIP: npm is not installed (scripts/install-deps.sh test)"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/copy/scripts" "$work/bin" "$work/home"
cp "$source_dir/scripts/install-deps.sh" "$work/copy/scripts/"
printf '#!/bin/sh\necho "apt-get is not run by this test" >&2\nexit 100\n' >"$work/bin/apt-get"
chmod +x "$work/bin/apt-get"

status=0
PATH="$work/bin:$PATH" HOME="$work/home" npm_config_cache="$work/home/npm" \
    npm_config_registry=http://127.0.0.1:9/ \
    bash "$work/copy/scripts/install-deps.sh" test >"$work/out" 2>&1 </dev/null || status=$?
if grep -q "apt-get is not run by this test" "$work/out"; then
    echo "SKIP: some Debian packages of the test list are missing (scripts/install-deps.sh test)"
    exit 77
fi
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
[ "$status" -eq 0 ] || fail "the set-up stopped (status $status)"
line=$(grep "^The Khronos glTF validator could not be fetched" "$work/out")
[ "$(grep -c . <<<"$line")" -eq 1 ] || fail "no one line about the validator"
grep -q "(npm: .*ECONNREFUSED.*): the glTF reader tests will be reported skipped" <<<"$line" \
    || fail "the line gives no reason from npm or says nothing of the tests: $line"
[ ! -d "$work/copy/.deps/node/node_modules/gltf-validator" ] || fail "a validator appeared"
[ "$failures" -eq 0 ] || { cat "$work/out"; exit 1; }
echo "ok: $line"
