"""vextal.fit against vextal-fit: the same surface from the same points."""
import json
import math

import numpy as np
import pytest

import vextal

pytestmark = pytest.mark.skipif(not hasattr(vextal, "fit"), reason="built without Ceres")


def starfish_points(count):
    """Points of the starfish (coef1 2 7 7 5 1 1, coef2 2 2 2 4 0.8 0.24), moved."""
    rng = np.random.default_rng(5)
    phi = rng.uniform(-math.pi, math.pi, count)
    theta = np.arcsin(rng.uniform(-1, 1, count))

    def radius(n1, n2, n3, m, a, b, w):
        u = m * w / 4
        return (np.abs(np.cos(u) / a) ** n2 + np.abs(np.sin(u) / b) ** n3) ** (-1 / n1)

    r1, r2 = radius(2, 7, 7, 5, 1, 1, phi), radius(2, 2, 2, 4, 0.8, 0.24, theta)
    t = np.cos(theta) * r1 * r2
    return np.stack([np.cos(phi) * t + 1, np.sin(phi) * t - 2, np.sin(theta) * r2], axis=1)


def test_fit_is_vextal_fit_and_refuses_what_it_refuses(run, tmp_path):
    points = starfish_points(600)
    points[7] = [np.nan, 0, 0]
    np.savetxt(tmp_path / "star.txt", points)
    done = run("vextal-fit", "--json", "--quiet", "--symmetry", "5", "--threads", "1",
               tmp_path / "star.txt", tmp_path / "star.vextal")
    expected = json.loads(done.stdout)
    scene, report = vextal.fit(points, symmetry=5, threads=2)
    # The same numbers as the tool's report and the same scene as its file.
    assert report.not_finite == 1 and report.points == 599
    assert report.rms == pytest.approx(expected["rms"], rel=1e-6)
    assert report.within_one_percent == expected["withinOnePercent"]
    assert report.converged and report.starts == expected["starts"]
    assert report.largest < 1e-4 * report.size
    assert scene == vextal.load(tmp_path / "star.vextal")
    with pytest.raises(ValueError, match="plane"):
        vextal.fit(np.c_[points[:, :2], np.zeros(len(points))])
    with pytest.raises(ValueError, match="n x 3"):
        vextal.fit(points[:, :2])
    with pytest.raises(ValueError, match="fix"):
        vextal.fit(points, fix={"coef1.q": 1})


def test_fit_finds_the_harmonics_whole_numbers():
    text = "\"sh\nslice 40 rotate 40\nthetarange 0 3.14159265\ncoefh 2 2 0 1 1 8 2 3\nrender\n"
    points = vextal.Scene.from_text(text).mesh().vertices.astype(np.float64) * 1.5 + [1, -2, 0.5]
    scene, report = vextal.fit(points, "harmonic", threads=2)
    # The mesh's vertices crowd at its poles, where the fit is loosest.
    assert report.converged and report.rms < 1e-3 * report.size
    assert report.within_one_percent > 0.99 and scene.surface == "harmonic"
    with pytest.raises(ValueError, match="searched"):
        vextal.fit(points, "harmonic", symmetry=4)
