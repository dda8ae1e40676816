#!/usr/bin/env bash
# Builds everything and runs the main job on the bundled example scene.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build
scripts/build.sh build

mkdir -p out
build/tools/vextal-export examples/worked-example.txt out/worked-example.obj
echo "Mesh of examples/worked-example.txt written to $(pwd)/out/worked-example.obj"
