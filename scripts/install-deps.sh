#!/usr/bin/env bash
# Installs the Debian packages Vextal needs, only those that are missing, one
# line a step with what it costs and how long it took.
#   install-deps.sh build   what building the viewer and the tools needs
#   install-deps.sh test    that, plus what the tests and the benchmarks are
#                           built with and what the tests drive, and the
#                           Khronos glTF validator, three.js and puppeteer-core
#                           (npm) in .deps/node
#   install-deps.sh python  that of build, plus what the Python module is
#                           built with (the Debian package carries it)
#   install-deps.sh bench   that of build, plus what the comparison scripts in
#                           bench/ run
# A failed apt step shows the end of apt's output and stops. A failed npm step
# does not stop: the tests that need the validator are then reported skipped
# (scripts/test.sh says so again at its end).
set -euo pipefail
cd "$(dirname "$0")/.."
kind="${1:-build}"

build_packages=(
    cmake ninja-build g++ pkg-config python3
    libsdl2-dev libx11-dev libgl-dev libopengl-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
    libpng-dev libimagequant-dev libgif-dev libwebp-dev libisal-dev libtbb-dev
    libimgui-dev libstb-dev fonts-dejavu-core
    help2man
)
# What the Python module is built with (and what it needs to run).
python_packages=(
    pybind11-dev python3-dev python3-numpy
)
# vextal-fit's solver and its reader of SVG outlines (expat): built only where
# they are installed, so the viewer's own build (run.sh) goes without them;
# the test command builds and tests the tool.
fit_packages=(libceres-dev libexpat1-dev)
# What the test and benchmark programs are built with.
test_build_packages=(
    libgtest-dev libgmock-dev nlohmann-json3-dev libbenchmark-dev
    "${python_packages[@]}"
)
test_packages=(
    xvfb xauth xdotool xclip x11-utils openbox wmctrl imagemagick
    admesh assimp-utils lib3mf-dev strace
    ffmpeg webp giflib-tools
    clang libclang-rt-14-dev clang-format
    python3-pytest
    man-db dpkg-dev file lintian
    unzip prusa-slicer chromium
    shared-mime-info libglib2.0-bin desktop-file-utils appstream devscripts weston
    emscripten
)
bench_packages=(
    libbenchmark-dev python3-vtk9 time python3-scipy
)

wanted=("${build_packages[@]}")
case "$kind" in
build) ;;
test)
    wanted+=("${fit_packages[@]}" "${test_build_packages[@]}" "${test_packages[@]}")
    # Node and npm for the glTF validator: Debian's, unless the machine
    # already has them (a Node.js that brings its own npm).
    command -v node >/dev/null || wanted+=(nodejs)
    command -v npm >/dev/null || wanted+=(npm)
    ;;
python) wanted+=("${python_packages[@]}") ;;
bench) wanted+=("${fit_packages[@]}" "${bench_packages[@]}") ;;
*)
    echo "install-deps.sh: '$kind' is not build, python, test or bench" >&2
    exit 64
    ;;
esac

logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
retry="bash scripts/install-deps.sh $kind"

# Runs a step with its output in a log; on failure shows the log's end and
# the command to run again.
step() { # log command...
    local log="$logs/$1" started=$SECONDS
    shift
    if "$@" >"$log" 2>&1; then
        echo "done in $((SECONDS - started)) s"
        return 0
    fi
    echo "failed after $((SECONDS - started)) s; the end of its output:"
    tail -n 8 "$log" | sed 's/^/    /'
    return 1
}

missing=()
for package in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
mapfile -t missing < <(printf '%s\n' "${missing[@]}" | sort -u | sed '/^$/d')

if [ ${#missing[@]} -eq 0 ]; then
    echo "All ${#wanted[@]} Debian packages for '$kind' are installed."
else
    export DEBIAN_FRONTEND=noninteractive
    if [ "$(id -u)" -ne 0 ]; then
        echo "install-deps.sh: installing ${#missing[@]} Debian packages needs root: sudo $retry" >&2
        exit 1
    fi
    printf 'Updating the Debian package lists... '
    step update apt-get update || {
        echo "To retry: $retry" >&2
        exit 1
    }
    # What apt will install (the packages asked for and those they need), and
    # what it must download of them (not what its cache holds already).
    debs=$(apt-get install -s -qq --no-install-recommends "${missing[@]}" 2>/dev/null | grep -c '^Inst ' || true)
    apt-get install --print-uris -qq --no-install-recommends "${missing[@]}" >"$logs/uris" 2>&1 || true
    megabytes=$(awk "/^'/ { bytes += \$3 } END { printf \"%d\", (bytes + 524288) / 1048576 }" "$logs/uris")
    printf 'Installing %d Debian packages (%d with what they need, about %d MB to download)... ' \
        "${#missing[@]}" "$debs" "$megabytes"
    step install apt-get install -y -q --no-install-recommends "${missing[@]}" || {
        echo "To retry: $retry (or apt-get install ${missing[*]})" >&2
        exit 1
    }
fi

# The glTF validator the tests run, a pinned version, inside the repository
# (.deps is ignored by git), never on a system path.
if [ "$kind" = test ]; then
    modules="$(pwd)/.deps/node"
    validator=gltf-validator@2.0.0-dev.3.10
    # Node trusts the system's certificates too (a proxy's own CA).
    [ -n "${NODE_EXTRA_CA_CERTS:-}" ] || [ ! -f /etc/ssl/certs/ca-certificates.crt ] \
        || export NODE_EXTRA_CA_CERTS=/etc/ssl/certs/ca-certificates.crt
    if [ -d "$modules/node_modules/gltf-validator" ]; then
        echo "The Khronos glTF validator is installed in $modules."
    else
        printf 'Fetching the Khronos glTF validator (npm %s) into %s: the tests check every glTF file vextal-export writes with it... ' \
            "$validator" "${modules#"$(pwd)/"}"
        if ! step npm npm install --prefix "$modules" --no-audit --no-fund --no-progress \
            --fetch-retries 1 --fetch-timeout 60000 "$validator"; then
            reason=$({ grep -m1 'reason:' "$logs/npm" || grep -m1 -E '^npm (ERR!|error) ' "$logs/npm"; } \
                | sed -E 's/^npm (ERR!|error) //' || true)
            echo "The Khronos glTF validator could not be fetched (npm: ${reason:-see above}): the glTF reader tests will be reported skipped. To retry: $retry"
        fi
    fi
    # ISA-L's portable C, from Debian's source package of the library the
    # desktop links, for the page's 3MF writer (WebAssembly has none of its
    # x86 code). Fetched with a sources list of its own in .deps, so the
    # system's apt configuration is left as it is.
    isal="$(pwd)/.deps/isal"
    if [ -f "$isal/source/igzip/igzip.c" ]; then
        echo "ISA-L's source is in ${isal#"$(pwd)/"}."
    else
        printf "Fetching ISA-L's source package (libisal) into %s: the page's 3MF writer compresses with it... " \
            "${isal#"$(pwd)/"}"
        if ! step isal bash scripts/fetch-isal-source.sh "$isal"; then
            echo "ISA-L's source could not be fetched: the page is built without it (not at all). To retry: $retry"
        fi
    fi
    # three.js and the Chromium driver of the tests that draw in a browser
    # (Debian's chromium, headless), pinned; puppeteer-core downloads no browser.
    browser_modules=(three@0.187.0 puppeteer-core@24.43.1)
    if [ -d "$modules/node_modules/three" ] && [ -d "$modules/node_modules/puppeteer-core" ]; then
        echo "three.js and puppeteer-core are installed in $modules."
    else
        printf 'Fetching three.js and puppeteer-core (npm %s) into %s: the tests draw glTF files in Chromium with them... ' \
            "${browser_modules[*]}" "${modules#"$(pwd)/"}"
        if ! step npm-browser npm install --prefix "$modules" --no-audit --no-fund --no-progress \
            --fetch-retries 1 --fetch-timeout 60000 "${browser_modules[@]}"; then
            reason=$({ grep -m1 'reason:' "$logs/npm-browser" || grep -m1 -E '^npm (ERR!|error) ' "$logs/npm-browser"; } \
                | sed -E 's/^npm (ERR!|error) //' || true)
            echo "three.js and puppeteer-core could not be fetched (npm: ${reason:-see above}): the browser tests will be reported skipped. To retry: $retry"
        fi
    fi
fi
