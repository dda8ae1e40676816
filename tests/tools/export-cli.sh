#!/usr/bin/env bash
# vextal-export on real files: exit statuses, messages, and no partial output.
#   export-cli.sh EXPORT_BINARY EXAMPLES_DIR
set -u
exporter="$1"
examples="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/cli-checks.sh"

# The worked example: open toric 24 x 48 grid.
expect_status 0 "worked example" "$exporter" "$examples/worked-example.vextal" "$work/w.obj"
[ "$(grep -c '^v ' "$work/w.obj")" -eq $((23 * 48)) ] || fail "worked example vertex count"
[ "$(grep -c '^f ' "$work/w.obj")" -eq $((2 * 22 * 48)) ] || fail "worked example face count"
head -1 "$work/w.obj" | grep -q '^# .*toroidal superformula, 24 slices x 48 rotations, open' \
    || fail "comment line names the surface and grid: $(head -1 "$work/w.obj")"

# The default spheric surface: the known vertex and pole coordinates.
printf '"sss\nrender\n' >"$work/default.txt"
expect_status 0 "default spheric" "$exporter" "$work/default.txt" "$work/d.obj"
awk '/^v /{n++; if (n==1) print $2, $4; if (n==91) print $4; if (n==92) print $4}' "$work/d.obj" \
    >"$work/facts"
awk 'NR==1{ if ($1 > -0.04055 || $1 < -0.04065 || $2 > -0.7955 || $2 < -0.7957) exit 1 }
     NR==2{ if ($1 < 0.8299 || $1 > 0.8301) exit 1 }
     NR==3{ if ($1 > -0.8299 || $1 < -0.8301) exit 1 }' "$work/facts" || fail "default facts: $(cat "$work/facts")"
grep -q '^f 92//92 2//2 1//1$' "$work/d.obj" || fail "first cap face (91, 0, 1) written as i0, i2, i1"

# The format follows the extension, in any case, unless --format names one.
# A print that encloses almost no volume is written and said, one line per
# warning, for 3MF and a welded STL; an STL as drawn says nothing.
printf '"sh\nslice 96 rotate 96\ncoefh 0 1 3 2 2 2 2 8\nrender\n' >"$work/flat.vextal"
for out in flat.3mf "flat.stl --weld"; do
    expect_status 0 "flat print $out" "$exporter" "$work/flat.vextal" "$work/"$out
    grep -q "^vextal-export: .*: the surface encloses almost no volume" "$work/stderr" && one_line "flat $out" \
        || fail "flat print $out: stderr '$(cat "$work/stderr")'"
done
expect_status 0 "flat STL as drawn" "$exporter" "$work/flat.vextal" "$work/flat.stl"
[ ! -s "$work/stderr" ] || fail "an STL as drawn warned: $(cat "$work/stderr")"

# A band with open ends stays open after welding, and says so: its two rims.
printf '"sss\nslice 24 rotate 24\nthetarange -1 1\ndontclose\nrender\n' >"$work/band.vextal"
expect_status 0 "open band" "$exporter" "$work/band.vextal" "$work/band.3mf"
grep -q "^vextal-export: .*band.3mf: 48 open edges remain after welding$" "$work/stderr" \
    || fail "open band: stderr '$(cat "$work/stderr")'"

# Control bytes in a folder's name reach no terminal: the message escapes it.
expect_status 2 "folder with control bytes" "$exporter" "$work/flat.vextal" "$work/$(printf 'missing\033]0;X\a')/x.stl"
grep -q "$(printf '\033')" "$work/stderr" && fail "a control byte of the folder's name was printed"
grep -q 'missing\\x1b' "$work/stderr" || fail "the folder is not named escaped: $(cat -v "$work/stderr")"

# A 5 mm part in metres keeps every vertex distinct: no digits are cut.
expect_status 0 "3MF in metres" "$exporter" "$examples/starfish.vextal" "$work/tiny.3mf" --fit 0.005 --unit meter
unzip -p "$work/tiny.3mf" 3D/3dmodel.model | grep -o '<vertex [^>]*>' >"$work/vertices"
[ "$(sort -u "$work/vertices" | wc -l)" -eq "$(wc -l <"$work/vertices")" ] && [ -s "$work/vertices" ] \
    || fail "3MF in metres: $(sort -u "$work/vertices" | wc -l) distinct of $(wc -l <"$work/vertices") vertices"

is_ply() { head -2 "$1" | tr '\n' ' ' | grep -q '^ply format binary_little_endian 1.0 $'; }
is_stl() { # file facets: 80-byte header, facet count, 50 bytes per facet
    [ "$(od -An -tu4 -j80 -N4 "$1" | tr -d ' ')" = "$2" ] && [ "$(wc -c <"$1")" -eq $((84 + 50 * $2)) ]
}
expect_status 0 "ply by extension" "$exporter" "$work/default.txt" "$work/d.ply"
is_ply "$work/d.ply" || fail "d.ply is no binary little-endian PLY"
grep -aq '^element vertex 92$' "$work/d.ply" && grep -aq '^element face 180$' "$work/d.ply" \
    || fail "PLY counts"
expect_status 0 "stl by extension" "$exporter" "$work/default.txt" "$work/d.stl"
is_stl "$work/d.stl" 180 || fail "d.stl is no binary STL of 180 facets"
expect_status 0 "upper-case extension" "$exporter" "$work/default.txt" "$work/D.STL"
cmp -s "$work/d.stl" "$work/D.STL" || fail ".STL differs from .stl"
expect_status 0 "--format over the extension" "$exporter" "$work/default.txt" "$work/f.obj" --format stl
is_stl "$work/f.obj" 180 || fail "--format stl did not write STL"
expect_status 0 "--format=ply before the files" "$exporter" --format=ply "$work/default.txt" "$work/f.data"
is_ply "$work/f.data" || fail "--format=ply did not write PLY"
expect_status 0 "--format obj" "$exporter" "$work/default.txt" "$work/f.stl" --format obj
cmp -s "$work/d.obj" "$work/f.stl" || fail "--format obj differs from the .obj export"

# NaN vertices: OBJ writes them for inspection; PLY and STL refuse, say how
# many vertices are affected, and leave nothing behind, not even over an
# existing file.
printf '"sh\nslice 12 rotate 16\nthetarange 0 3.14159265\ncoefh 2 0.5 1 1 3 1 1 1\nrender\n' >"$work/nan.txt"
expect_status 0 "non-finite OBJ" "$exporter" "$work/nan.txt" "$work/nan.obj"
bad=$(grep -c '^v .*\(nan\|inf\)' "$work/nan.obj")
[ "$bad" -gt 0 ] || fail "the NaN scene has no NaN vertices"
echo old >"$work/nan.stl"
for out in nan.stl nan.ply nan.3mf nan.glb; do
    expect_status 2 "non-finite $out" "$exporter" "$work/nan.txt" "$work/$out"
    grep -q "$out: .*$bad of 178 vertices have NaN or infinite coordinates" "$work/stderr" \
        || fail "refusal names the count ($bad): $(cat "$work/stderr")"
    [ "$(wc -l <"$work/stderr")" -eq 1 ] || fail "refusal is one line"
done
[ "$(cat "$work/nan.stl")" = old ] || fail "refused STL export touched the existing file"
[ ! -e "$work/nan.ply" ] || fail "refused PLY export left a file"

# A word no command takes is told as vextal-check tells it; --quiet keeps it back.
printf '"sss\nslise\nrender\n' >"$work/typo.txt"
expect_status 0 "a skipped word" "$exporter" "$work/typo.txt" "$work/typo.obj"
[ "$(cat "$work/stderr")" = "vextal-export: $work/typo.txt:2: 'slise' is not a command, skipped; did you mean 'slice'?" ] \
    || fail "the skipped word: $(cat "$work/stderr")"
expect_status 0 "--quiet" "$exporter" "$work/typo.txt" "$work/typo.obj" --quiet
[ ! -s "$work/stderr" ] || fail "--quiet: $(cat "$work/stderr")"

# Failures write nothing and say why, naming the file.
expect_status 2 "missing scene" "$exporter" "$work/none.txt" "$work/missing.obj"
grep -q "none.txt" "$work/stderr" || fail "missing scene message names the file"
printf '"sss slice 5\n' >"$work/cut.txt"
expect_status 2 "no render" "$exporter" "$work/cut.txt" "$work/cut.obj"
grep -q 'render' "$work/stderr" || fail "no-render message says why"
[ "$(wc -l <"$work/stderr")" -eq 1 ] || fail "one line on stderr"
expect_status 2 "unwritable output" "$exporter" "$work/default.txt" "$work/no/such/folder/out.obj"
expect_status 2 "unwritable STL" "$exporter" "$work/default.txt" "$work/no/such/folder/out.stl"
grep -q "out.stl: .*No such file" "$work/stderr" || fail "unwritable message: $(cat "$work/stderr")"
mkdir "$work/taken.ply"
expect_status 2 "output is a folder" "$exporter" "$work/default.txt" "$work/taken.ply"
grep -q '^vextal-export: .*taken.ply: is a folder, not written$' "$work/stderr" || fail "folder message: $(cat "$work/stderr")"
expect_status 2 "missing scene with --format" "$exporter" "$work/none.txt" "$work/m.out" --format ply
[ ! -e "$work/m.out" ] || fail "missing scene left output"
[ ! -e "$work/missing.obj" ] && [ ! -e "$work/cut.obj" ] || fail "partial output left behind"
ls "$work" | grep -q 'tmp' && fail "temporary file left behind"

# The scene is never written over, by its own name or another.
cp "$work/default.txt" "$work/own.txt"
ln "$work/own.txt" "$work/hard.obj"
ln -s own.txt "$work/soft.obj"
for out in "$work/own.txt" "$work/hard.obj" "$work/soft.obj"; do
    expect_status 2 "the scene as output ($out)" "$exporter" "$work/own.txt" "$out" --format obj
    # Named once: another name says which file it is.
    if [ "$out" = "$work/own.txt" ]; then
        expected="$out: is a file being read; not written over it"
    else
        expected="$out: is the same file as $work/own.txt, which is being read"
    fi
    grep -qF "$expected" "$work/stderr" || fail "same-file message: $(cat "$work/stderr")"
done
"$exporter" "$work/own.txt" - --format obj >>"$work/own.txt" 2>"$work/stderr"
[ $? -eq 2 ] && grep -q "is the same file as $work/own.txt" "$work/stderr" \
    || fail "the scene as standard output: $(cat "$work/stderr")"
cmp -s "$work/own.txt" "$work/default.txt" || fail "the scene was written over"
scene="$work/default.txt"

# "-", and links to the standard output such as /dev/stdout (made here as
# /proc/self/fd/1), write into the stream as it was set up, appending or not.
[ "$("$exporter" "$scene" - --format obj | head -c 16)" = "# vextal-export:" ] || fail "- does not stream"
expect_usage_error "standard output ('-') has no extension: give --format" "$exporter" "$scene" -
ln -s /proc/self/fd/1 "$work/to-stdout"
echo kept >"$work/appended.obj"
"$exporter" "$scene" "$work/to-stdout" --format obj >>"$work/appended.obj" || fail "writing to a link to stdout"
[ "$(head -1 "$work/appended.obj")" = kept ] && [ "$(grep -c '^v ' "$work/appended.obj")" -eq 92 ] \
    || fail "a link to stdout did not append to it"
[ -L "$work/to-stdout" ] || fail "the link to stdout was replaced"

# FIFOs and character devices are written straight into and stay what they are.
mkfifo "$work/fifo"
timeout 10 cat "$work/fifo" >"$work/from-fifo" &
expect_status 0 "a FIFO" "$exporter" "$scene" "$work/fifo" --format obj
wait
cmp -s "$work/from-fifo" "$work/d.obj" && [ -p "$work/fifo" ] || fail "the FIFO did not get the mesh"
if [ "$(id -u)" -eq 0 ]; then
    mknod "$work/null" c 1 3 && mknod "$work/full" c 1 7
    expect_status 0 "a copy of null" "$exporter" "$scene" "$work/null" --format stl
    [ -c "$work/null" ] || fail "the null device was replaced"
    expect_status 2 "a copy of full" "$exporter" "$scene" "$work/full" --format stl
    grep -q 'full: cannot write: No space left on device$' "$work/stderr" || fail "full: $(cat "$work/stderr")"
fi

# A chain of links with relative targets: the last target is replaced, the
# links stay; a dangling link makes the file it names; every legal name can
# be written, up to the longest.
mkdir "$work/links"
echo old >"$work/chain-target.obj"
ln -s ../chain-target.obj "$work/links/second"
ln -s links/second "$work/chain.obj"
expect_status 0 "a chain of links" "$exporter" "$scene" "$work/chain.obj"
[ -L "$work/chain.obj" ] && [ -L "$work/links/second" ] && cmp -s "$work/chain-target.obj" "$work/d.obj" \
    || fail "the chain's target was not replaced with the links kept"
ln -s links/made.obj "$work/dangling.obj"
expect_status 0 "a dangling link" "$exporter" "$scene" "$work/dangling.obj"
[ -L "$work/dangling.obj" ] && cmp -s "$work/links/made.obj" "$work/d.obj" || fail "the dangling link's file"
long="$(printf 'n%.0s' $(seq 251)).obj"
expect_status 0 "a name of 255 bytes" "$exporter" "$scene" "$work/$long"
cmp -s "$work/$long" "$work/d.obj" || fail "the 255-byte name"

# An existing file keeps its permissions; a read-only one is refused, as root too.
echo old >"$work/kept-mode.obj" && chmod 640 "$work/kept-mode.obj"
expect_status 0 "over a file of mode 640" "$exporter" "$scene" "$work/kept-mode.obj"
[ "$(stat -c %a "$work/kept-mode.obj")" = 640 ] || fail "mode became $(stat -c %a "$work/kept-mode.obj")"
echo old >"$work/read-only.obj" && chmod 444 "$work/read-only.obj"
expect_status 2 "over a read-only file" "$exporter" "$scene" "$work/read-only.obj"
grep -q 'read-only.obj: cannot replace the file: ' "$work/stderr" || fail "read-only: $(cat "$work/stderr")"
[ "$(cat "$work/read-only.obj")" = old ] || fail "the read-only file was replaced"

# Past the file size limit: exit 2 and why, the old file kept, no temporary.
echo old >"$work/limited.obj"
(ulimit -f 4 && expect_status 2 "past the file size limit" "$exporter" "$scene" "$work/limited.obj") || failures=$((failures + 1))
grep -q 'limited.obj: cannot write: File too large$' "$work/stderr" || fail "size limit: $(cat "$work/stderr")"
[ "$(cat "$work/limited.obj")" = old ] || fail "the size limit left a partial file"
ls -A "$work" | grep -q -e '^\.vextal-' -e '\.tmp' && fail "temporary file left behind"

# An exhausted allocator: one line and exit 2, at every memory limit (127:
# too little even to load the C library), never an abort.
if ! address_sanitized "$exporter"; then
    printf '"sss\nslice 255 rotate 255\nrender\n' >"$work/large.txt"
    out_of_memory=0
    for limit in $(seq 4000 1000 14000); do
        (ulimit -v "$limit" && exec "$exporter" "$work/large.txt" "$work/large.obj") >"$work/stdout" 2>"$work/stderr"
        status=$?
        case $status in
        0 | 127) ;;
        2) [ "$(cat "$work/stderr")" = "vextal-export: out of memory" ] && out_of_memory=1 ;;
        *) fail "under ulimit -v $limit: exit $status ($(head -1 "$work/stderr"))" ;;
        esac
    done
    [ "$out_of_memory" -eq 1 ] || fail "no memory limit gave the out-of-memory message"
fi

# Without --weld, a torus with open edges that welding closes is written with
# one line that says so; with --weld it is written silently, closed; an open
# surface that welding cannot close gets no such line.
printf '"tss\nslice 12 rotate 8\nthetarange -3.14159265 3.14159265\ncoef2 1 1 1 0 0.4 0.4\ndontclose\nrender\n' \
    >"$work/torus.txt"
expect_status 0 "open torus" "$exporter" "$work/torus.txt" "$work/t.obj"
[ "$(cat "$work/stderr")" = "vextal-export: $work/t.obj: 16 open edges; --weld closes them" ] \
    || fail "open-edge line: $(cat "$work/stderr")"
expect_status 0 "open torus --weld" "$exporter" "$work/torus.txt" "$work/tw.obj" --weld
[ ! -s "$work/stderr" ] || fail "--weld export says: $(cat "$work/stderr")"
[ "$(grep -c '^v ' "$work/tw.obj") $(grep -c '^f ' "$work/tw.obj")" = "88 176" ] \
    || fail "welded torus counts: $(grep -c '^v ' "$work/tw.obj") $(grep -c '^f ' "$work/tw.obj")"
printf '"sss\ndontclose\nrender\n' >"$work/open-sphere.txt"
expect_status 0 "open sphere" "$exporter" "$work/open-sphere.txt" "$work/os.obj"
[ ! -s "$work/stderr" ] || fail "open sphere export says: $(cat "$work/stderr")"

# --scale multiplies every coordinate and nothing else.
expect_status 0 "--scale" "$exporter" "$work/default.txt" "$work/s.obj" --scale 25.4
expect_status 0 "--scale=" "$exporter" --scale=25.4 "$work/default.txt" "$work/s2.obj"
cmp -s "$work/s.obj" "$work/s2.obj" || fail "--scale=25.4 differs from --scale 25.4"
paste -d' ' <(grep '^v' "$work/d.obj") <(grep '^v' "$work/s.obj") | awk '
    $1 == "v"  { for (k = 2; k <= 4; ++k) if (($(k) * 25.4 - $(k + 4)) ^ 2 > 1e-10 * (1 + $(k + 4) ^ 2)) bad++ }
    $1 == "vn" { for (k = 2; k <= 4; ++k) if ($(k) != $(k + 4)) bad++ }
    END { exit bad > 0 }' || fail "--scale 25.4 is not the coordinates times 25.4 with the same normals"
for bad in 0 -2 nan inf 2x ""; do
    expect_status 64 "--scale '$bad'" "$exporter" "$work/default.txt" "$work/bad-scale.obj" --scale "$bad"
done
expect_status 64 "--scale without a value" "$exporter" "$work/default.txt" "$work/bad-scale.obj" --scale
# A scale that no float can hold the result of, in every format.
for bad in 1e-45 1e-37 1e39; do
    expect_status 2 "--scale $bad" "$exporter" "$work/default.txt" "$work/bad-scale.obj" --scale "$bad"
    grep -Eq "not written: scaled by .*(overflows|falls below)" "$work/stderr" \
        || fail "--scale $bad: $(cat "$work/stderr")"
done
[ ! -e "$work/bad-scale.obj" ] || fail "a bad --scale wrote output"

# 3MF, welded and with its unit, and glTF in metres, read back by assimp.
assimp_line() { assimp info "$1" 2>&1 | grep -m1 "^$2"; }
expect_status 0 "3mf" "$exporter" "$work/default.txt" "$work/d.3mf"
expect_status 0 "3mf in inches" "$exporter" "$work/default.txt" "$work/inch.3mf" --unit INCH
expect_status 0 "glb" "$exporter" "$work/default.txt" "$work/d.glb"
expect_status 0 "gltf in metres" "$exporter" "$work/default.txt" "$work/d.gltf" --unit meter
for file in d.3mf d.glb d.gltf; do
    [ "$(assimp_line "$work/$file" Faces: | awk '{print $2}')" = 180 ] \
        && [ "$(assimp_line "$work/$file" Vertices: | awk '{print $2}')" = 92 ] \
        || fail "assimp reads $file: $(assimp info "$work/$file" 2>&1 | grep -E 'Faces|Vertices|ERROR')"
done
unzip -p "$work/d.3mf" 3D/3dmodel.model | grep -q '<model [^>]*unit="millimeter"' || fail "3mf unit millimeter"
unzip -p "$work/inch.3mf" 3D/3dmodel.model | grep -q '<model [^>]*unit="inch"' || fail "3mf unit inch"
assimp_line "$work/d.glb" "Maximum point" | grep -q ' 0.000830)$' || fail "glb not in metres from millimetres"
assimp_line "$work/d.gltf" "Maximum point" | grep -q ' 0.829969)$' || fail "gltf --unit meter changed the size"

# --fit gives the largest side of the bounding box the size asked for.
expect_status 0 "--fit" "$exporter" "$work/default.txt" "$work/fit.obj" --fit 80
awk '/^v / { for (k = 2; k <= 4; ++k) { if (!(k in lo) || $k < lo[k]) lo[k] = $k; if (!(k in hi) || $k > hi[k]) hi[k] = $k } }
     END { for (k = 2; k <= 4; ++k) if (hi[k] - lo[k] > m) m = hi[k] - lo[k]; exit !(m > 79.9999 && m < 80.0001) }' \
    "$work/fit.obj" || fail "--fit 80 is not 80 across"

# Every unit, every way, read by the standard library alone (the glTF
# validator may be missing): 3MF records the unit; glTF is in metres, its
# positions' bounds and the accessor's alike, and --fit sizes the model in the
# unit (a model wider than it is tall, so that the largest side is not z).
bounds() { python3 "$(dirname "$0")/gltf-bounds.py" "$1" || echo "unreadable"; }
printf '"sss\ncoef1 1 1 1 0 2 2\nrender\n' >"$work/wide.txt"
format=glb
for unit in micron:1e-6 millimeter:1e-3 centimeter:1e-2 inch:0.0254 foot:0.3048 meter:1; do
    name=${unit%:*} metres=${unit#*:}
    "$exporter" "$work/default.txt" "$work/u.3mf" --unit "$name" \
        && unzip -p "$work/u.3mf" 3D/3dmodel.model | grep -q "<model [^>]*unit=\"$name\"" || fail "3mf --unit $name"
    format=$([ "$format" = glb ] && echo gltf || echo glb)
    "$exporter" "$work/wide.txt" "$work/fit.$format" --unit "$name" --fit 80 || fail "$format --fit 80 --unit $name"
    awk -v got="$(bounds "$work/fit.$format")" -v m="$metres" '
        BEGIN { if (split(got, b) != 6) exit 1
                for (k = 1; k <= 3; ++k) if (b[k + 3] - b[k] > e) e = b[k + 3] - b[k]
                exit !((e - 80 * m) ^ 2 < (1e-5 * m) ^ 2) }' \
        || fail "$format --fit 80 --unit $name: bounds $(bounds "$work/fit.$format"), not 80 x $metres m across"
done

# A grid the file could set gives the very bytes of that file; every thread
# count gives the same bytes, on a grid large enough to be shared.
printf '"tss\nslice 24 rotate 48\nthetarange -3.14159265 3.14159265\nrender\n' >"$work/g48.txt"
sed 's/slice 24 rotate 48/slice 7 rotate 9/' "$work/g48.txt" >"$work/g9.txt"
for format in stl 3mf glb; do
    "$exporter" "$work/g48.txt" "$work/file.$format" && "$exporter" "$work/g9.txt" "$work/grid.$format" --grid 24x48 \
        && cmp -s "$work/file.$format" "$work/grid.$format" || fail "--grid 24x48 $format differs from the file's grid"
    "$exporter" "$work/g9.txt" "$work/one.$format" --grid 400x500 --threads 1 \
        && "$exporter" "$work/g9.txt" "$work/all.$format" --grid 400x500 \
        && "$exporter" "$work/g9.txt" "$work/three.$format" --grid 400x500 --threads 3 \
        && cmp -s "$work/one.$format" "$work/all.$format" && cmp -s "$work/one.$format" "$work/three.$format" \
        || fail "$format differs between thread counts"
done

# Values the options refuse, each in one line that names the option.
grid_error="needs SLICESxROTATIONS, each from 3 to 4096"
for bad in 2x10 5000x10 10 10x10x10 x10 10x -3x10; do
    expect_usage_error "--grid $grid_error, got '$bad'" "$exporter" "$work/default.txt" "$work/bad.stl" --grid "$bad"
done
expect_usage_error "--unit takes micron, millimeter, centimeter, inch, foot or meter, got 'parsec'" \
    "$exporter" "$work/default.txt" "$work/bad.3mf" --unit parsec
for bad in 0 nan -1 inf 0x50 ' 80'; do
    expect_usage_error "--fit needs a positive number SIZE, got '$bad'" "$exporter" "$work/default.txt" "$work/bad.3mf" --fit "$bad"
done
expect_usage_error "--threads needs a number from 1 to 1024, got '0'" "$exporter" "$work/default.txt" "$work/bad.stl" --threads 0
expect_usage_error "--fit and --scale both set the size: give one of them" \
    "$exporter" "$work/default.txt" "$work/bad.stl" --fit 80 --scale 2
expect_usage_error "--unit needs a format that knows units (3mf, glb, gltf); STL carries none" \
    "$exporter" "$work/default.txt" "$work/bad.stl" --unit inch
expect_usage_error "--colour needs plain, gaussian, mean, height, radius or parameter, got 'hue'" \
    "$exporter" "$work/default.txt" "$work/bad.3mf" --colour hue
expect_usage_error "--colour needs a format that carries colour (obj, ply, 3mf, glb, gltf); STL carries none" \
    "$exporter" "$work/default.txt" "$work/bad.stl" --colour height
# Every number is read alike, strictly: no hexadecimal, no space, no plus.
for bad in 1 17 2.5 four 0x2 ' 2' '2 ' +2; do
    expect_usage_error "--colours needs a whole number of bands from 2 to 16, got '$bad'" \
        "$exporter" "$work/default.txt" "$work/bad.3mf" --colour height --colours "$bad"
done
expect_usage_error "--colours needs the 3mf format, whose materials a printer takes; glTF has none" \
    "$exporter" "$work/default.txt" "$work/bad.glb" --colour height --colours 4
expect_usage_error "--colours needs --colour with a mode other than plain to cut into bands" \
    "$exporter" "$work/default.txt" "$work/bad.3mf" --colours 4
for bad in 2,1 1,1 nan,1 0,inf 1 ' 1,2' '1, 2' 0x1,2; do
    expect_usage_error "--range needs LO,HI, two finite numbers with LO below HI, got '$bad'" \
        "$exporter" "$work/default.txt" "$work/bad.3mf" --colour height --range "$bad"
done
# A 3MF model holds coordinates up to 1e9 in its unit: beyond, refused before
# anything is written, the limit named; within it, written.
expect_status 2 "--fit 3e38 as 3MF" "$exporter" "$work/default.txt" "$work/bad.3mf" --fit 3e38
grep -q "bad.3mf: not written as 3MF: [0-9]* of [0-9]* vertices have a coordinate beyond 1e+09, the format's limit (in the model's unit, millimeter)" \
    "$work/stderr" && one_line "--fit 3e38" || fail "--fit 3e38 as 3MF: $(cat "$work/stderr")"
expect_status 0 "--fit 1e9 as 3MF" "$exporter" "$work/default.txt" "$work/far.3mf" --fit 1e9
expect_status 0 "--fit 3e38 as STL" "$exporter" "$work/default.txt" "$work/far.stl" --fit 3e38
[ ! -e "$work/bad.stl" ] && [ ! -e "$work/bad.3mf" ] && [ ! -e "$work/bad.glb" ] || fail "a refused option wrote output"

# --colours 4: four materials named by their range, each triangle one of them.
expect_status 0 "--colours 4" "$exporter" "$work/default.txt" "$work/bands.3mf" --colour height --colours 4 --range 0,1
unzip -p "$work/bands.3mf" 3D/3dmodel.model >"$work/bands.model"
[ "$(grep -c '<base name="height 0.25 to 0.5" displaycolor="#' "$work/bands.model")" = 1 ] \
    && [ "$(grep -c '<base ' "$work/bands.model")" = 4 ] \
    && [ "$(grep -c '<triangle [^>]* pid="2" p1="[0-3]" slic3rpe:mmu_segmentation="[0-9A-F]*"/>' "$work/bands.model")" = 180 ] \
    || fail "--colours 4: $(grep -E '<base |<triangle ' "$work/bands.model" | head -3)"
# Without --range every band holds triangles, a filament each: the curvature
# crowds about a few values and spikes at sharp tips.
for bands in "ring-torus gaussian 4" "ring-torus mean 4" "rounded-cube gaussian 16" "rounded-cube mean 16"; do
    read -r scene mode count <<<"$bands"
    "$exporter" "$examples/$scene.vextal" "$work/used.3mf" --colour "$mode" --colours "$count" 2>/dev/null \
        || { fail "$bands: export"; continue; }
    used=$(unzip -p "$work/used.3mf" 3D/3dmodel.model | grep -o ' p1="[0-9]*"' | sort -u | wc -l)
    [ "$used" = "$count" ] || fail "$scene --colour $mode --colours $count: triangles in $used bands"
done

# --help, --version, and usage errors that say what is wrong.
check_conventions "$exporter" --format --weld --scale --fit --unit --colour --range --colours --grid --threads --quiet
expect_status 0 "--format in upper case" "$exporter" "$work/default.txt" "$work/upper.data" --format STL
is_stl "$work/upper.data" 180 || fail "--format STL did not write STL"
expect_usage_error "missing SCENE_FILE and OUT.{obj,ply,stl,3mf,glb,gltf}" "$exporter"
expect_usage_error "missing OUT.{obj,ply,stl,3mf,glb,gltf}" "$exporter" "$work/default.txt"
expect_usage_error "extra operand '$work/more.obj'" "$exporter" "$work/default.txt" "$work/out.obj" "$work/more.obj"
for out in out.xyz out; do
    expect_usage_error "cannot tell the format of '$work/$out': end it in .obj, .ply, .stl, .3mf, .glb or .gltf, or give --format" \
        "$exporter" "$work/default.txt" "$work/$out"
done
expect_usage_error "--format takes obj, ply, stl, 3mf, glb or gltf, got 'x3d'" "$exporter" "$work/default.txt" "$work/out.obj" --format x3d
expect_usage_error "--format needs a value: FORMAT" "$exporter" "$work/default.txt" "$work/out.obj" --format
expect_usage_error "unknown option '--binary'" "$exporter" "$work/default.txt" "$work/out.obj" --binary
[ ! -e "$work/out.obj" ] && [ ! -e "$work/out" ] || fail "a usage error wrote output"

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "export CLI checks passed"
