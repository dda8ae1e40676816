#!/usr/bin/env bash
# Installs the Debian packages Vextal needs, only those that are missing.
#   install-deps.sh build   what building the viewer and the tools needs
#   install-deps.sh test    that, plus what the test suite drives
set -euo pipefail

build_packages=(
    cmake ninja-build g++ pkg-config python3
    libgtest-dev libgmock-dev libbenchmark-dev
    libsdl2-dev libx11-dev libgl-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
    libpng-dev
    libimgui-dev libstb-dev
    help2man
)
test_packages=(
    xvfb xauth xdotool x11-utils libx11-dev openbox wmctrl imagemagick
    admesh assimp-utils
    clang libclang-rt-14-dev clang-format nlohmann-json3-dev
    python3
    man-db dpkg-dev file lintian
    shared-mime-info libglib2.0-bin desktop-file-utils appstream devscripts weston
)

wanted=("${build_packages[@]}")
if [ "${1:-build}" = test ]; then
    wanted+=("${test_packages[@]}")
fi

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
