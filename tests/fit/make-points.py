#!/usr/bin/python3
"""Writes points sampled from a superformula surface under a pose, for the fit tests.

  make-points.py OUT SURFACE N "n1 n2 n3 m a b" "n1 n2 n3 m a b" [options]

SURFACE is spheric, toric, torus (the typed torus of
examples/typed-torus.vextal: its first argument "R r", no second) or
harmonic (its first argument the eight numbers of coefh, no second); the points are `x y z` a line (or PLY, STL, OBJ
by OUT's suffix). Options: --noise SHARE (Gaussian, of the size), --outliers
SHARE (points replaced by uniform ones in the bounding box), --side "X Y Z" (a
scan from one side: only the half of the points on the side of the centre
the direction points to, before the pose), --seed N, --pose "ax ay az
angle tx ty tz scale".
"""
import argparse
import math
import struct

import numpy as np


def radius(c, w):
    n1, n2, n3, m, a, b = c
    u = m * w / 4
    return (np.abs(np.cos(u) / a) ** n2 + np.abs(np.sin(u) / b) ** n3) ** (-1 / n1)


def surface(kind, c1, c2, count, rng):
    if kind == "harmonic":
        m = c1
        phi = rng.uniform(-math.pi, math.pi, count)
        theta = np.arccos(rng.uniform(-1, 1, count))
        r = (np.sin(m[0] * phi) ** m[1] + np.cos(m[2] * phi) ** m[3]
             + np.sin(m[4] * theta) ** m[5] + np.cos(m[6] * theta) ** m[7])
        return np.stack([r * np.sin(theta) * np.sin(phi), r * np.sin(theta) * np.cos(phi),
                         r * np.cos(theta)], axis=1)
    if kind == "torus":
        big, small = c1
        u, v = rng.uniform(0, 2 * math.pi, (2, count))
        t = big + small * np.cos(u)
        return np.stack([t * np.cos(v), t * np.sin(v), small * np.sin(u)], axis=1)
    phi = rng.uniform(-math.pi, math.pi, count)
    if kind == "toric":
        theta = rng.uniform(-math.pi, math.pi, count)
        r1, r2 = radius(c1, phi), radius(c2, theta)
        t = r1 + r2 * np.cos(theta)
        return np.stack([np.cos(phi) * t, np.sin(phi) * t, np.sin(theta) * r2], axis=1)
    # Even in area, nearly: theta drawn by the cosine of the latitude.
    theta = np.arcsin(rng.uniform(-1, 1, count))
    r1, r2 = radius(c1, phi), radius(c2, theta)
    t = np.cos(theta) * r1 * r2
    return np.stack([np.cos(phi) * t, np.sin(phi) * t, np.sin(theta) * r2], axis=1)


def posed(points, pose):
    ax, ay, az, angle, tx, ty, tz, scale = pose
    k = np.array([ax, ay, az]) / np.linalg.norm([ax, ay, az])
    K = np.array([[0, -k[2], k[1]], [k[2], 0, -k[0]], [-k[1], k[0], 0]])
    R = np.eye(3) + math.sin(angle) * K + (1 - math.cos(angle)) * K @ K
    return scale * points @ R.T + np.array([tx, ty, tz])


def write(path, points):
    if path.endswith(".ply"):
        with open(path, "wb") as f:
            f.write(b"ply\nformat binary_little_endian 1.0\nelement vertex %d\n" % len(points))
            f.write(b"property float x\nproperty float y\nproperty float z\nend_header\n")
            f.write(points.astype("<f4").tobytes())
    elif path.endswith(".stl"):
        usable = len(points) // 3 * 3
        with open(path, "wb") as f:
            f.write(b"\0" * 80 + struct.pack("<I", usable // 3))
            for k in range(0, usable, 3):
                f.write(struct.pack("<3f", 0, 0, 0) + points[k:k + 3].astype("<f4").tobytes() + b"\0\0")
    elif path.endswith(".obj"):
        with open(path, "w") as f:
            f.writelines("v %.9g %.9g %.9g\n" % tuple(p) for p in points)
    else:
        np.savetxt(path, points, fmt="%.9g")


def main():
    p = argparse.ArgumentParser()
    p.add_argument("out")
    p.add_argument("surface", choices=["spheric", "toric", "torus", "harmonic"])
    p.add_argument("count", type=int)
    p.add_argument("coef1")
    p.add_argument("coef2", nargs="?", default="")
    p.add_argument("--noise", type=float, default=0)
    p.add_argument("--outliers", type=float, default=0)
    p.add_argument("--side")
    p.add_argument("--seed", type=int, default=7)
    p.add_argument("--pose", default="0.3 -0.5 0.8 0.9 1.5 -2 0.5 2.5")
    args = p.parse_args()
    rng = np.random.default_rng(args.seed)
    c1 = [float(v) for v in args.coef1.split()]
    c2 = [float(v) for v in args.coef2.split()]
    points = surface(args.surface, c1, c2, args.count * (3 if args.side else 1), rng)
    if args.side:
        facing = np.array([float(v) for v in args.side.split()])
        points = points[points @ facing > 0][: args.count]
    pose = [float(v) for v in args.pose.split()]
    points = posed(points, pose)
    size = np.linalg.norm(points.max(axis=0) - points.min(axis=0))
    points += rng.normal(0, args.noise * size, points.shape)
    bad = int(args.outliers * len(points))
    if bad:
        low, high = points.min(axis=0), points.max(axis=0)
        points[rng.choice(len(points), bad, replace=False)] = rng.uniform(low, high, (bad, 3))
    write(args.out, points)


if __name__ == "__main__":
    main()
