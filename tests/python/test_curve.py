"""vextal.fit_curve against vextal-fit --curve on the same outline."""
import json

import numpy as np
import pytest

import vextal

pytestmark = pytest.mark.skipif(not hasattr(vextal, "fit_curve"),
                                reason="the module was built without Ceres")


def test_fit_curve_matches_the_tool_and_refuses_in_words(run, tmp_path):
    rng = np.random.default_rng(5)
    phi = rng.uniform(-np.pi, np.pi, 300)
    r = (np.abs(np.cos(6 * phi / 4)) ** 2 + np.abs(np.sin(6 * phi / 4) / 0.9) ** 6) ** (-1 / 1.5)
    points = np.stack([4 + 3 * r * np.cos(phi + 0.4), -2 + 3 * r * np.sin(phi + 0.4)], axis=1)
    points[:3, 0] = np.nan
    np.savetxt(tmp_path / "outline.txt", points, fmt="%.17g")
    report = json.loads(run("vextal-fit", "--curve", "--json", "--quiet",
                            tmp_path / "outline.txt").stdout)
    curve, fit = vextal.fit_curve(points, threads=2)
    for name in ("n1", "n2", "n3", "m", "a", "b", "rotation", "scale"):
        want = report["curve"][name] if name in report["curve"] else report[name]
        assert getattr(curve, name) == pytest.approx(want, rel=1e-7, abs=1e-9), name
    assert curve.centre == pytest.approx(tuple(report["centre"]), rel=1e-7)
    assert (fit.points, fit.not_finite) == (297, 3)
    assert fit.largest == pytest.approx(report["largest"], rel=1e-6, abs=1e-12)
    assert fit.largest < 1e-4 * fit.size and fit.converged
    # The curve's own points lie on it, and its scene holds it as coef1.
    assert vextal.fit_curve(curve.points(200))[1].largest < 1e-4 * fit.size
    assert curve.scene().coef1[3] == curve.m
    with pytest.raises(ValueError, match="on a line"):
        vextal.fit_curve(np.stack([np.arange(20.0), 2 * np.arange(20.0)], axis=1))
    with pytest.raises(ValueError, match="n x 2"):
        vextal.fit_curve(np.zeros((20, 3)))
