#!/usr/bin/python3
"""The starfish fit as a user would write it with NumPy and SciPy alone:
least_squares over the same numbers (two superformulas, a rotation vector,
a translation, a scale) with the same residual (the radial gap along the ray
from the centre), SciPy's own numerical Jacobian, one start from the
points' principal axes with the order m = 5 given.

  fit-scipy.py POINTS.ply [OUT.vextal]   (binary little-endian float x y z, as
  make-points.py writes; OUT gets the fitted scene, for vextal-fit --measure to
  measure as it measures its own)
"""
import sys
import time

import numpy as np
from scipy.optimize import least_squares
from scipy.spatial.transform import Rotation


def read_ply(path):
    data = open(path, "rb").read()
    end = data.index(b"end_header\n") + len(b"end_header\n")
    return np.frombuffer(data[end:], dtype="<f4").reshape(-1, 3).astype(float)


def radius(n1, n2, n3, m, a, b, w):
    u = m * w / 4
    return (np.abs(np.cos(u) / a) ** n2 + np.abs(np.sin(u) / b) ** n3) ** (-1 / n1)


def gap(x, points):
    s1, s2, rot, t, scale = x[0:5], x[5:10], x[10:13], x[13:16], x[16]
    q = Rotation.from_rotvec(rot).inv().apply(points - t) / scale
    rho = np.hypot(q[:, 0], q[:, 1])
    phi = np.arctan2(q[:, 1], q[:, 0])
    r1 = radius(s1[0], s1[1], s1[2], 5, s1[3], s1[4], phi)
    theta = np.arctan2(q[:, 2] * r1, rho)
    r2 = radius(s2[0], s2[1], s2[2], 4, 1.0, s2[4], theta)
    surface = r2 * np.hypot(np.cos(theta) * r1, np.sin(theta))
    return scale * (np.hypot(rho, q[:, 2]) - surface)


def main():
    points = read_ply(sys.argv[1])
    began = time.perf_counter()
    centre = points.mean(axis=0)
    _, axes = np.linalg.eigh(np.cov((points - centre).T))
    frame = np.column_stack([axes[:, 1], np.cross(axes[:, 0], axes[:, 1]), axes[:, 0]])
    if np.linalg.det(frame) < 0:
        frame[:, 0] *= -1
    start = np.concatenate([[2, 2, 2, 1, 1], [2, 2, 2, 1, 1], Rotation.from_matrix(frame).as_rotvec(),
                            centre, [np.linalg.norm(points - centre, axis=1).mean()]])
    low = np.array([0.1] * 3 + [0.05] * 2 + [0.1] * 3 + [0.05] * 2 + [-np.inf] * 6 + [1e-9])
    high = np.array([60] * 3 + [20] * 2 + [60] * 3 + [20] * 2 + [np.inf] * 7)
    low[8], high[8] = 0.999999, 1.000001  # the theta a, held as vextal-fit holds it
    start = np.clip(start, low, high)
    fit = least_squares(gap, start, bounds=(low, high), args=(points,))
    seconds = time.perf_counter() - began
    r = gap(fit.x, points)
    size = np.linalg.norm(points.max(axis=0) - points.min(axis=0))
    print("scipy least_squares: rms %.4g (%.3g%% of size), %d evaluations, %.2f s"
          % (np.sqrt(np.mean(r * r)), 100 * np.sqrt(np.mean(r * r)) / size, fit.nfev, seconds))
    if len(sys.argv) > 2:
        write_scene(sys.argv[2], fit.x)


def write_scene(path, x):
    rot = x[10:13]
    angle = np.linalg.norm(rot)
    axis = rot / angle if angle > 0 else np.array([0.0, 0.0, 1.0])
    with open(path, "w") as f:
        f.write('"sss\nslice 128 rotate 240\n')
        f.write("coef1 %.9g %.9g %.9g 5 %.9g %.9g\n" % tuple(x[0:5]))
        f.write("coef2 %.9g %.9g %.9g 4 %.9g %.9g\n" % tuple(x[5:10]))
        f.write("pose %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g\nrender\n"
                % (axis[0], axis[1], axis[2], angle, x[13], x[14], x[15], x[16]))


if __name__ == "__main__":
    main()
