#!/usr/bin/env bash
# Exported meshes read back by real third-party readers.
#   export-readers.sh EXPORT_BINARY EXAMPLES_DIR
# admesh must find every closed surface watertight and consistently wound as
# written: no open edges, nothing fixed, merged or reversed, one part, a
# positive volume. assimp must read OBJ, PLY and STL back with the counts and
# the bounding box of the mesh.
set -u
exporter="$1"
examples="$2"
for tool in admesh assimp; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (scripts/install-deps.sh test)"
        exit 77
    fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The value after the first colon of admesh's report line that starts with $2;
# for "Facets ... : original final" lines, the original.
admesh_value() { grep -m1 "^$2" "$1" | sed 's/^[^:]*: *//' | awk '{print $1}'; }

check_watertight() { # name scene-file [export options...]
    local name="$1" scene="$2" report="$work/$1.admesh" before=$failures
    shift 2
    "$exporter" "$scene" "$work/$name.stl" "$@" || { fail "$name: export to STL"; return; }
    admesh "$work/$name.stl" >"$report" 2>&1 || { fail "$name: admesh failed: $(tail -1 "$report")"; return; }
    local key
    for key in "Total disconnected facets" "Degenerate facets" "Edges fixed" "Facets removed" \
        "Facets added" "Facets reversed" "Backwards edges" "Normals fixed"; do
        [ "$(admesh_value "$report" "$key")" = 0 ] \
            || fail "$name: admesh $key: $(admesh_value "$report" "$key")"
    done
    [ "$(admesh_value "$report" "Number of parts")" = 1 ] \
        || fail "$name: admesh Number of parts: $(admesh_value "$report" "Number of parts")"
    local volume
    volume=$(grep -m1 'Volume' "$report" | sed 's/.*Volume *: *//')
    awk -v v="$volume" 'BEGIN { exit !(v > 0) }' || fail "$name: admesh volume $volume"
    [ "$failures" -eq "$before" ] && echo "$name: admesh: 0 open edges, nothing fixed, volume $volume"
}

# "Vertices" or "Faces" of `assimp info`.
assimp_count() { grep -m1 "^$2:" "$1" | awk '{print $2}'; }
assimp_box() { grep -E '^(Minimum|Maximum) point' "$1"; }

check_read_back() { # name scene-file vertices faces [export options...]
    local name="$1" scene="$2" vertices="$3" faces="$4" format before=$failures
    shift 4
    for format in obj ply stl; do
        "$exporter" "$scene" "$work/$name.$format" "$@" || { fail "$name: export to $format"; return; }
    done
    # Without post-processing PLY keeps its indexed vertices and STL has three
    # per facet; OBJ splits corners until identical ones are joined again.
    assimp info "$work/$name.obj" >"$work/obj.info" 2>&1 || fail "$name: assimp cannot read the OBJ"
    assimp info "$work/$name.ply" -r >"$work/ply.info" 2>&1 || fail "$name: assimp cannot read the PLY"
    assimp info "$work/$name.stl" -r >"$work/stl.info" 2>&1 || fail "$name: assimp cannot read the STL"
    local kind expected
    for kind in obj ply stl; do
        [ "$(assimp_count "$work/$kind.info" Faces)" = "$faces" ] \
            || fail "$name: assimp reads $(assimp_count "$work/$kind.info" Faces) $kind faces, expected $faces"
        grep -q '^Primitive Types: *triangles$' "$work/$kind.info" || fail "$name: $kind not all triangles"
        expected=$vertices
        [ "$kind" = stl ] && expected=$((3 * faces))
        [ "$(assimp_count "$work/$kind.info" Vertices)" = "$expected" ] \
            || fail "$name: assimp reads $(assimp_count "$work/$kind.info" Vertices) $kind vertices, expected $expected"
    done
    assimp_box "$work/obj.info" >"$work/obj.box"
    [ "$(wc -l <"$work/obj.box")" -eq 2 ] || fail "$name: no bounding box from assimp"
    for kind in ply stl; do
        assimp_box "$work/$kind.info" | cmp -s - "$work/obj.box" \
            || fail "$name: $kind bounding box differs from the OBJ's: $(assimp_box "$work/$kind.info" | tr '\n' ' ')"
    done
    [ "$failures" -eq "$before" ] && echo "$name: assimp: OBJ, PLY and STL read back with $faces faces, $vertices vertices"
}

# The default spheric surface and a toric one with a full theta turn, closed:
# (S - 1) x R + 2 vertices and (2S - 2) x R triangles.
printf '"sss\nrender\n' >"$work/spheric.txt"
printf '"tss\nslice 24 rotate 32\nthetarange -3.14159265 3.14159265\nrender\n' >"$work/toric.txt"
check_watertight spheric "$work/spheric.txt"
check_watertight toric "$work/toric.txt"
check_read_back spheric "$work/spheric.txt" 92 180
check_read_back toric "$work/toric.txt" $((23 * 32 + 2)) $((46 * 32))

# Every bundled example that closes its surface is printable as it is. A
# typed surface is an open sheet until welded (below).
for scene in "$examples"/*.vextal; do
    grep -qw dontclose "$scene" && continue
    [ "$(head -c 4 "$scene")" = '"xyz' ] && continue
    check_watertight "example-$(basename "$scene" .vextal)" "$scene"
done

# Every torus welded, open and closed: one solid with the caps gone and one
# band joining the last ring to ring 0, (S - 1) x R vertices and
# 2 (S - 1) x R triangles.
grid_value() { grep -m1 -o "$2 [0-9]*" "$1" | awk '{print $2}'; }
for torus in ring-torus horn-torus star-ring-torus torus-square-section worked-example; do
    scene="$examples/$torus.vextal"
    slices=$(grid_value "$scene" slice)
    rotations=$(grid_value "$scene" rotate)
    for ends in dontclose close; do
        awk -v ends="$ends" '/^render/ && !done { print ends; done = 1 } { print }' "$scene" \
            >"$work/$torus-$ends.txt"
        check_watertight "welded-$torus-$ends" "$work/$torus-$ends.txt" --weld
        check_read_back "welded-$torus-$ends" "$work/$torus-$ends.txt" \
            $(((slices - 1) * rotations)) $((2 * (slices - 1) * rotations)) --weld
    done
done

# A typed torus welded is one closed solid: its seams, u = 0 and 2 pi, v = 0
# and 2 pi, joined, S x R vertices and 2 S x R triangles.
check_watertight welded-typed-torus "$examples/typed-torus.vextal" --weld
check_read_back welded-typed-torus "$examples/typed-torus.vextal" $((48 * 96)) $((2 * 48 * 96)) --weld

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "export reader checks passed"
