#!/usr/bin/env python3
"""A surface's size from its mesh, with NumPy: area, volume, extent.

  statistics.py [SCENE_FILE]

The area sums the triangles' areas; the volume sums the signed volumes of the
tetrahedra from the origin to each triangle (exact for a closed surface).
"""
import pathlib
import sys

import numpy as np

import vextal

EXAMPLES = pathlib.Path(__file__).resolve().parent.parent


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else EXAMPLES / "sphere.vextal"
    mesh = vextal.load(path).mesh(grid=(512, 512))
    corners = mesh.vertices.astype(np.float64)[mesh.triangles]  # m x 3 corners x xyz
    a, b, c = corners[:, 0], corners[:, 1], corners[:, 2]
    cross = np.cross(b - a, c - a)
    area = 0.5 * np.linalg.norm(cross, axis=1).sum()
    volume = np.einsum("ij,ij->i", a, np.cross(b, c)).sum() / 6
    radius = np.linalg.norm(mesh.vertices, axis=1)
    print(f"{pathlib.Path(path).name}: {len(mesh.vertices)} vertices, {len(mesh.triangles)} triangles")
    print(f"area {area:.6f}, volume {volume:.6f}")
    print(f"radius from {radius.min():.6f} to {radius.max():.6f}, mean {radius.mean():.6f}")


if __name__ == "__main__":
    main()
