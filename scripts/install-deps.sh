#!/usr/bin/env bash
# Installs the Debian packages Vextal needs, only those that are missing.
#   install-deps.sh build   what building the viewer and the tools needs
#   install-deps.sh test    that, plus what the test suite drives, and the
#                           Khronos glTF validator (npm) in .deps/node
#   install-deps.sh bench   that, plus what the comparison scripts in bench/ run
set -euo pipefail

build_packages=(
    cmake ninja-build g++ pkg-config python3
    libgtest-dev libgmock-dev libbenchmark-dev
    libsdl2-dev libx11-dev libgl-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
    libpng-dev libimagequant-dev libgif-dev libwebp-dev libisal-dev libtbb-dev
    libimgui-dev libstb-dev fonts-dejavu-core
    help2man
)
test_packages=(
    xvfb xauth xdotool x11-utils libx11-dev openbox wmctrl imagemagick
    admesh assimp-utils lib3mf-dev
    ffmpeg webp giflib-tools
    clang libclang-rt-14-dev clang-format nlohmann-json3-dev
    python3
    man-db dpkg-dev file lintian
    unzip
    shared-mime-info libglib2.0-bin desktop-file-utils appstream devscripts weston
)
bench_packages=(
    python3-vtk9 time
)

wanted=("${build_packages[@]}")
case "${1:-build}" in
test)
    wanted+=("${test_packages[@]}")
    # Node and npm for the glTF validator: Debian's, unless the machine
    # already has them (a Node.js that brings its own npm).
    command -v node >/dev/null || wanted+=(nodejs)
    command -v npm >/dev/null || wanted+=(npm)
    ;;
bench) wanted+=("${bench_packages[@]}") ;;
esac

missing=()
for package in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The glTF validator the tests run, a pinned version, inside the repository
# (.deps is ignored by git), never on a system path.
if [ "${1:-build}" = test ]; then
    modules="$(cd "$(dirname "$0")/.." && pwd)/.deps/node"
    validator=gltf-validator@2.0.0-dev.3.10
    if [ ! -d "$modules/node_modules/gltf-validator" ]; then
        echo "Installing $validator into $modules"
        npm install --prefix "$modules" --no-audit --no-fund --silent "$validator" >/dev/null
    fi
fi
