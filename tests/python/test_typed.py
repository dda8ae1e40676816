"""vextal.Scene.parametric: typed surfaces from Python are the programs' own."""
import numpy as np
import pytest

import vextal

CATENOID = dict(x="c*cosh(v/c)*cos(u)", y="c*cosh(v/c)*sin(u)", z="v",
                u=(0, 6.2831855), v=(-1.5, 1.5), params={"c": (1, 0.3, 2)})


def test_parametric_scene_is_its_text_and_the_programs_mesh(run, tmp_path):
    scene = vextal.Scene.parametric(**CATENOID, slices=24, rotations=20)
    assert scene.surface == "typed" and scene.params == {"c": (1.0, pytest.approx(0.3), 2.0)}
    scene.params = {"c": (1.5, 0.3, 2)}
    path = tmp_path / "catenoid.vextal"
    path.write_text(scene.text())
    assert vextal.load(path) == scene
    mesh = scene.mesh()
    assert mesh.vertices.shape == (25 * 21, 3)
    # The vertices are the formula's at the grid's u and v, as float.
    u = np.linspace(0, 6.2831855, 25)[:, None]
    v = np.linspace(-1.5, 1.5, 21)[None, :]
    expected = np.stack([1.5 * np.cosh(v / 1.5) * np.cos(u), 1.5 * np.cosh(v / 1.5) * np.sin(u),
                         v + 0 * u], axis=-1).reshape(-1, 3)
    assert np.allclose(mesh.vertices, expected, atol=1e-5)
    run("vextal-export", path, tmp_path / "out.stl")


def test_formulas_that_do_not_load_are_refused_with_their_column():
    scene = vextal.Scene.parametric(**CATENOID)
    with pytest.raises(vextal.SceneError, match=r"column 3: 'sin' is a function"):
        scene.x = "sin u"
    assert scene.x == CATENOID["x"]  # the scene keeps what loaded
    with pytest.raises(vextal.SceneError, match="not a parameter"):
        vextal.Scene.parametric(x="u + k", y="0", z="0", u=(0, 1), v=(0, 1))
    with pytest.raises(ValueError, match="typed surface"):
        vextal.Scene(surface="spheric").x
