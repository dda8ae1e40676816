#!/usr/bin/env bash
# Every bundled example but the worked example fits the viewer's first view:
# drawn by vextal-snapshot with no options (800 x 600, the viewer's camera),
# no lit pixel lies on the picture's border and at least a tenth of the
# picture is lit. Lit is any pixel that is not the black background.
#   examples-fit.sh SNAPSHOT_BINARY EXAMPLES_DIR
set -u
snapshot="$1"
examples="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/cli-checks.sh"

# "LIT_FRACTION BORDER_LIT_PIXELS" of an 8-bit RGB PNG.
measure() { # file
    python3 - "$1" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
pos, idat = 8, b""
while pos < len(data):
    length, kind = struct.unpack(">I4s", data[pos:pos + 8])
    body = data[pos + 8:pos + 8 + length]
    if kind == b"IHDR":
        width, height, depth, colour = struct.unpack(">IIBB", body[:10])
        assert depth == 8 and colour == 2, "not 8-bit RGB"
    elif kind == b"IDAT":
        idat += body
    pos += 12 + length
raw = zlib.decompress(idat)
stride = 3 * width
previous = bytearray(stride)
lit = border = 0
for y in range(height):
    row = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
    kind = raw[y * (stride + 1)]
    for i in range(stride):
        left = row[i - 3] if i >= 3 else 0
        up = previous[i]
        corner = previous[i - 3] if i >= 3 else 0
        if kind == 1:
            row[i] = (row[i] + left) & 255
        elif kind == 2:
            row[i] = (row[i] + up) & 255
        elif kind == 3:
            row[i] = (row[i] + (left + up) // 2) & 255
        elif kind == 4:
            p = left + up - corner
            pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
            row[i] = (row[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
    for x in range(width):
        if row[3 * x] or row[3 * x + 1] or row[3 * x + 2]:
            lit += 1
            if x == 0 or y == 0 or x == width - 1 or y == height - 1:
                border += 1
    previous = row
print("%.4f %d" % (lit / (width * height), border))
PY
}

count=0
for scene in "$examples"/*.vextal; do
    name=$(basename "$scene" .vextal)
    [ "$name" = worked-example ] && continue
    expect_status 0 "$name: vextal-snapshot" "$snapshot" "$scene" "$work/$name.png"
    read -r fraction border < <(measure "$work/$name.png") || { fail "$name: unreadable picture"; continue; }
    [ "$border" -eq 0 ] || fail "$name: $border lit pixels on the border (cut off)"
    awk -v f="$fraction" 'BEGIN { exit !(f >= 0.1) }' || fail "$name: only $fraction of the picture lit"
    echo "$name: lit $fraction, $border on the border"
    count=$((count + 1))
done
[ "$count" -gt 0 ] || fail "no examples in $examples"

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all $count examples fit the first view"
