#!/usr/bin/env python3
"""Prints the share of a PNG's pixels that are not the background colour.

  lit-share.py PICTURE MINIMUM

Exits 1 when the share is below MINIMUM (a fraction), so CI can tell a
picture of the surface from an empty one. Standard library only: 8-bit RGB or
RGBA, not interlaced, as vextal-snapshot writes them.
"""
import struct
import sys
import zlib


def rows(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise ValueError("only 8-bit RGB or RGBA, not interlaced")
    channels = 3 if colour == 2 else 4
    raw, stride = zlib.decompress(idat), width * channels
    previous = bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            left = line[x - channels] if x >= channels else 0
            up = previous[x]
            corner = previous[x - channels] if x >= channels else 0
            if kind == 1:
                line[x] = (line[x] + left) & 255
            elif kind == 2:
                line[x] = (line[x] + up) & 255
            elif kind == 3:
                line[x] = (line[x] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[x] = (line[x] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        previous = line
        yield [tuple(line[x:x + 3]) for x in range(0, stride, channels)]


def main():
    path, minimum = sys.argv[1], float(sys.argv[2])
    pixels = [pixel for row in rows(path) for pixel in row]
    background = max(set(pixels[:1] + pixels[-1:]), key=pixels.count)
    share = sum(pixel != background for pixel in pixels) / len(pixels)
    print(f"{path}: {share:.1%} of the pixels show the surface")
    return 0 if share >= minimum else 1


if __name__ == "__main__":
    sys.exit(main())
