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


def turned(axis, angle):
    """The rotation matrix of `angle` about `axis`."""
    k = np.asarray(axis, float) / np.linalg.norm(axis)
    cross = np.array([[0, -k[2], k[1]], [k[2], 0, -k[0]], [-k[1], k[0], 0]])
    return np.eye(3) + math.sin(angle) * cross + (1 - math.cos(angle)) * cross @ cross


def torus_distances(points, big, small, turn, shift, scale):
    """Each point's distance to the torus of radii big and small under the pose."""
    q = (points - shift) @ turn / scale
    return np.abs(np.hypot(np.hypot(q[:, 0], q[:, 1]) - big, q[:, 2]) - small) * scale


def test_fit_takes_a_typed_scene(run, examples, tmp_path):
    rng = np.random.default_rng(3)
    u, v = rng.uniform(0, 2 * math.pi, (2, 500))
    pose = turned([1, 2, 2], 0.7), np.array([1, -2, 0.5]), 2.0
    ring = 1.4 + 0.35 * np.cos(u)
    points = np.c_[ring * np.cos(v), ring * np.sin(v), 0.35 * np.sin(u)] * pose[2] @ pose[0].T
    points += pose[1]
    torus = next(p for p in examples if p.name == "typed-torus.vextal")
    scene, report = vextal.fit(points, vextal.load(torus), fix={"R": 1.4}, threads=1)
    # R is held; r and the pose are found, and the rebuilt mesh lies on the
    # true torus. The scene is the tool's and round-trips through its text.
    assert report.converged and report.largest < 1e-4 * report.size
    assert scene.params["R"][0] == pytest.approx(1.4) and scene.params["r"][0] == pytest.approx(0.35)
    vertices = scene.mesh().vertices.astype(np.float64)
    assert torus_distances(vertices, 1.4, 0.35, *pose).max() < 1e-4 * report.size
    assert vextal.Scene.from_text(scene.text()) == scene
    np.savetxt(tmp_path / "torus.txt", points)
    run("vextal-fit", "--quiet", "--threads", "1", "--surface", torus, "--fix", "R=1.4",
        tmp_path / "torus.txt", tmp_path / "torus.vextal")
    assert scene == vextal.load(tmp_path / "torus.vextal")


def test_fit_refuses_what_a_typed_scene_cannot_hold(examples):
    points = starfish_points(100)
    torus = vextal.load(next(p for p in examples if p.name == "typed-torus.vextal"))
    with pytest.raises(ValueError, match="a vextal.Scene of a typed surface, got a Scene of a sph"):
        vextal.fit(points, vextal.Scene("spheric"))
    with pytest.raises(ValueError, match="symmetry holds a superformula's order"):
        vextal.fit(points, torus, symmetry=5)
    with pytest.raises(ValueError, match=r"parameters \(R, r\), got 'coef1.n1'"):
        vextal.fit(points, torus, fix={"coef1.n1": 2})
    # The fit keeps a parameter within its range: a value beyond it is refused.
    with pytest.raises(ValueError, match="R must be within its range 0.5 to 2, got 5"):
        vextal.fit(points, torus, fix={"R": 5})
