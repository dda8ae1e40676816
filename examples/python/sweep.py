#!/usr/bin/env python3
"""Sweeps one value of a scene and lays the pictures out in a grid.

  sweep.py [OUT.png]

The starfish's first n1 goes from 0.5 to 8 over a 4 x 3 grid of pictures,
written as one PNG (default sweep.png). In a notebook, scene alone shows it.
"""
import pathlib
import struct
import sys
import zlib

import numpy as np

import vextal

EXAMPLES = pathlib.Path(__file__).resolve().parent.parent


def write_png(path, rgba):
    """An RGBA array as a PNG file, with nothing but the standard library."""
    height, width, _ = rgba.shape
    rows = b"".join(b"\0" + rgba[y].tobytes() for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    pathlib.Path(path).write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                                   + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "sweep.png"
    scene = vextal.load(EXAMPLES / "starfish.vextal")
    columns, rows = 4, 3
    pictures = []
    for n1 in np.linspace(0.5, 8, columns * rows):
        scene.coef1 = (n1, *scene.coef1[1:])
        pictures.append(scene.picture(size=(160, 120), turn=(0.4, 3.61), fill=True, samples=4))
    sheet = np.concatenate([np.concatenate(pictures[r * columns:(r + 1) * columns], axis=1)
                            for r in range(rows)])
    write_png(out, sheet)
    print(f"{out}: n1 from 0.5 to 8 in {columns * rows} pictures")


if __name__ == "__main__":
    main()
