#!/usr/bin/env bash
# 3MF and glTF read back by real readers, and the weld at a fine grid.
#   export-formats.sh EXPORT_BINARY EXAMPLES_DIR NODE_MODULES_DIR
# The Khronos glTF validator must find no error and no warning in any glTF
# file; assimp must read 3MF and glTF back with the mesh's counts; admesh must
# find the welded STL of a 1024 x 1024 grid one closed solid.
set -u
exporter="$1"
examples="$2"
modules="$3"
here="$(cd "$(dirname "$0")" && pwd)"
for tool in admesh assimp node; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (scripts/install-deps.sh test)"
        exit 77
    fi
done
if [ ! -d "$modules/gltf-validator" ]; then
    echo "SKIP: gltf-validator is not installed in $modules (scripts/install-deps.sh test)"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$here/cli-checks.sh"

assimp_count() { assimp info "$1" 2>&1 | grep -m1 "^$2:" | awk '{print $2}'; }

# Every example as glTF, both kinds, the closed ones welded too; each as 3MF.
gltf_files=()
for scene in "$examples"/*.vextal; do
    name=$(basename "$scene" .vextal)
    "$exporter" "$scene" "$work/$name.glb" 2>/dev/null && "$exporter" "$scene" "$work/$name.gltf" 2>/dev/null \
        && "$exporter" "$scene" "$work/$name-welded.glb" --weld 2>/dev/null \
        || { fail "$name: glTF export"; continue; }
    gltf_files+=("$work/$name.glb" "$work/$name.gltf" "$work/$name-welded.glb")
    "$exporter" "$scene" "$work/$name.obj" 2>/dev/null || fail "$name: OBJ export"
    vertices=$(grep -c '^v ' "$work/$name.obj")
    faces=$(grep -c '^f ' "$work/$name.obj")
    for file in "$name.glb" "$name.gltf"; do
        [ "$(assimp_count "$work/$file" Vertices) $(assimp_count "$work/$file" Faces)" = "$vertices $faces" ] \
            || fail "$file: assimp reads $(assimp_count "$work/$file" Vertices) vertices and $(assimp_count "$work/$file" Faces) faces, expected $vertices $faces"
    done
    "$exporter" "$scene" "$work/$name.3mf" 2>/dev/null && "$exporter" "$scene" "$work/$name-welded.obj" --weld 2>/dev/null \
        || { fail "$name: 3MF export"; continue; }
    welded="$(grep -c '^v ' "$work/$name-welded.obj") $(grep -c '^f ' "$work/$name-welded.obj")"
    [ "$(assimp_count "$work/$name.3mf" Vertices) $(assimp_count "$work/$name.3mf" Faces)" = "$welded" ] \
        || fail "$name.3mf: assimp reads $(assimp_count "$work/$name.3mf" Vertices) vertices and $(assimp_count "$work/$name.3mf" Faces) faces, expected $welded"
done
# Coloured files: glTF through the validator too; assimp reads a colour per
# vertex back from PLY, OBJ and glTF.
for mode in gaussian mean height radius parameter; do
    for format in glb gltf ply obj; do
        "$exporter" "$examples/ring-torus.vextal" "$work/$mode.$format" --colour "$mode" --weld 2>/dev/null \
            || fail "--colour $mode $format export"
    done
    gltf_files+=("$work/$mode.glb" "$work/$mode.gltf")
done
for format in glb ply obj; do
    assimp dump "$work/gaussian.$format" "$work/gaussian-$format.xml" >/dev/null 2>&1
    vertices=$(grep -m1 -o '<Positions num="[0-9]*"' "$work/gaussian-$format.xml" | grep -o '[0-9]*')
    grep -q "<Colors num=\"$vertices\" set=\"0\"" "$work/gaussian-$format.xml" \
        || fail "assimp reads no colour per vertex from gaussian.$format ($vertices vertices)"
done
node "$here/validate-gltf.js" "$modules" "${gltf_files[@]}" >"$work/validator" 2>&1 \
    || fail "the glTF validator: $(grep -v ': 0 errors, 0 warnings' "$work/validator")"
echo "validator: $(grep -c ': 0 errors, 0 warnings' "$work/validator") glTF files without errors or warnings"

# A fine grid welded for printing: one closed solid, nothing for admesh to fix.
"$exporter" "$examples/starfish.vextal" "$work/fine.stl" --grid 1024x1024 --weld || fail "fine STL export"
admesh "$work/fine.stl" >"$work/admesh" 2>&1 || fail "admesh: $(tail -1 "$work/admesh")"
for key in "Total disconnected facets" "Degenerate facets" "Edges fixed" "Facets removed" \
    "Facets added" "Facets reversed" "Backwards edges" "Normals fixed"; do
    [ "$(grep -m1 "^$key" "$work/admesh" | sed 's/^[^:]*: *//' | awk '{print $1}')" = 0 ] \
        || fail "fine grid: admesh $key: $(grep -m1 "^$key" "$work/admesh")"
done
grep -q 'Number of parts *: *1 ' "$work/admesh" || fail "fine grid: $(grep 'Number of parts' "$work/admesh")"
volume=$(grep -m1 'Volume' "$work/admesh" | sed 's/.*Volume *: *//')
awk -v v="$volume" 'BEGIN { exit !(v > 0) }' || fail "fine grid: admesh volume $volume"

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "export format checks passed"
