#!/usr/bin/python3
"""Outlines sampled from superformula curves, for the curve fit's tests.

  make-outline.py write OUT N "n1 n2 n3 m a b" [--noise S] [--outliers S] [--seed N]
      OUT's points (x y a line, or an SVG polygon by OUT's suffix) under a
      random rotation, centre and scale chosen by the seed.
  make-outline.py gap REPORT.json N "n1 n2 n3 m a b" [--seed N]
      The largest distance between the curve the points were made from (the
      same seed: the same placement) and the one the report fitted, both
      ways, over the size: how far the two curves lie apart.
"""
import argparse
import json
import math

import numpy as np


def radius(c, w):
    n1, n2, n3, m, a, b = c
    u = m * w / 4
    return (np.abs(np.cos(u) / a) ** n2 + np.abs(np.sin(u) / b) ** n3) ** (-1 / n1)


def curve(c, phi, rotation, centre, scale):
    r = scale * radius(c, phi)
    x, y = r * np.cos(phi), r * np.sin(phi)
    cr, sr = math.cos(rotation), math.sin(rotation)
    return np.stack([centre[0] + cr * x - sr * y, centre[1] + sr * x + cr * y], axis=1)


def placement(rng):
    return rng.uniform(-math.pi, math.pi), rng.uniform(-50, 50, 2), rng.uniform(0.5, 20)


def polyline_distance(points, line):
    """Each point's distance to the closed polyline."""
    a, b = line, np.roll(line, -1, axis=0)
    d = b - a
    best = np.full(len(points), np.inf)
    for k in range(0, len(points), 256):
        p = points[k:k + 256, None, :] - a[None, :, :]
        t = np.clip((p * d).sum(-1) / np.maximum((d * d).sum(-1), 1e-300), 0, 1)
        gap = np.linalg.norm(p - t[..., None] * d, axis=-1).min(axis=1)
        best[k:k + 256] = gap
    return best


def write(args, c, rng):
    rotation, centre, scale = placement(rng)
    phi = rng.uniform(-math.pi, math.pi, args.count)
    points = curve(c, phi, rotation, centre, scale)
    size = np.linalg.norm(points.max(axis=0) - points.min(axis=0))
    points += rng.normal(0, args.noise * size, points.shape)
    bad = int(args.outliers * len(points))
    if bad:
        low, high = points.min(axis=0), points.max(axis=0)
        points[rng.choice(len(points), bad, replace=False)] = rng.uniform(low, high, (bad, 2))
    if args.out.endswith(".svg"):
        # Half the outline as a polygon, half as a path of relative steps.
        ordered = points[np.argsort(phi)]
        half = len(ordered) // 2
        pairs = " ".join("%.12g,%.12g" % tuple(p) for p in ordered[:half])
        steps = " ".join("%.12g %.12g" % tuple(d) for d in np.diff(ordered[half:], axis=0))
        with open(args.out, "w") as f:
            f.write('<svg xmlns="http://www.w3.org/2000/svg">\n<polygon points="%s"/>\n' % pairs)
            f.write('<path d="M%.12g,%.12g l%s z"/>\n</svg>\n' % (*ordered[half], steps))
    else:
        np.savetxt(args.out, points, fmt="%.12g")


def gap(args, c, rng):
    rotation, centre, scale = placement(rng)
    phi = np.linspace(-math.pi, math.pi, 4000, endpoint=False)
    truth = curve(c, phi, rotation, centre, scale)
    report = json.load(open(args.out))
    f = report["curve"]
    fitted = curve([f[k] for k in ("n1", "n2", "n3", "m", "a", "b")], phi, report["rotation"],
                   report["centre"], report["scale"])
    size = np.linalg.norm(truth.max(axis=0) - truth.min(axis=0))
    apart = max(polyline_distance(truth, fitted).max(), polyline_distance(fitted, truth).max())
    print("%.9g" % (apart / size))


def main():
    p = argparse.ArgumentParser()
    p.add_argument("what", choices=["write", "gap"])
    p.add_argument("out")
    p.add_argument("count", type=int)
    p.add_argument("coef")
    p.add_argument("--noise", type=float, default=0)
    p.add_argument("--outliers", type=float, default=0)
    p.add_argument("--seed", type=int, default=7)
    args = p.parse_args()
    c = [float(v) for v in args.coef.split()]
    rng = np.random.default_rng(args.seed)
    (write if args.what == "write" else gap)(args, c, rng)


if __name__ == "__main__":
    main()
