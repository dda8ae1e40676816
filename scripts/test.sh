#!/usr/bin/env bash
# Builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
scripts/build.sh build

# The layers: includes (also checked by every build) and the test programs of
# the plain layers, which must link no OpenGL, SDL or X11. Then the format of
# every C++ file.
python3 scripts/check-layers.py build
scripts/check-format.sh

ctest --test-dir build --output-on-failure --timeout 300 -j2

# The same suites built with address and undefined-behaviour sanitizers, leak
# checker included. Loads run several times slower there, so the stress test
# reloads fewer times. (The viewer's end-to-end run is left out: the system's
# graphics libraries leak at exit.)
scripts/build.sh build-asan -DVEXTAL_SANITIZE=ON -DVEXTAL_BUILD_BENCH=OFF
VEXTAL_STRESS_RELOADS="${VEXTAL_STRESS_RELOADS:-300}" \
    ctest --test-dir build-asan --output-on-failure --timeout 600 -j2 \
    -L 'unit|render|tools|hostile|stress'

# Fuzz the whole scene load for a bounded time (FUZZ_SECONDS, default 60).
scripts/fuzz.sh
