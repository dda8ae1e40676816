#!/usr/bin/env python3
"""A print-ready 3MF: welded, watertight, 80 mm across, on a fine grid.

  print_3mf.py [OUT.3mf]
"""
import os
import pathlib
import sys

import vextal

EXAMPLES = pathlib.Path(__file__).resolve().parent.parent


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "starfish.3mf"
    scene = vextal.load(EXAMPLES / "starfish.vextal")
    # 3MF is always welded; its unit goes into the file for the slicer.
    vextal.export(scene, out, fit=80, unit="millimeter", grid=(256, 512))
    print(f"{out}: {os.path.getsize(out)} bytes, 80 mm across")


if __name__ == "__main__":
    main()
