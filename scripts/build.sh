#!/usr/bin/env bash
# Configures and builds Vextal into build/ (or the folder given), with Ninja.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${1:-build}"
shift || true
cmake -S . -B "$build_dir" -G Ninja "$@" >/dev/null
cmake --build "$build_dir"
