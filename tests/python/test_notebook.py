"""What a notebook user does with the module: Ctrl-C, NumPy's numbers, colour
pictures, PNG files, copies and pickles, and arrays for other libraries."""
import copy
import multiprocessing
import os
import pickle
import subprocess
import sys

import numpy as np
import pytest

import vextal
from test_vextal import png_pixels, same_bits


def interrupted(script, timeout=300):
    """Runs `script` (which calls `work()` after a SIGINT is set to come in
    0.5 s) in a fresh interpreter; returns what it printed."""
    program = f"""
import os, signal, threading, time, vextal
def work():
{script}
threading.Timer(0.5, os.kill, (os.getpid(), signal.SIGINT)).start()
started = time.monotonic()
try:
    work()
    print("finished")
except KeyboardInterrupt:
    print("interrupted after", round(time.monotonic() - started - 0.5, 3), "s")
except OSError as error:
    print("OSError", error)
"""
    done = subprocess.run([sys.executable, "-c", program], capture_output=True, text=True,
                          timeout=timeout)
    return done.stdout + done.stderr


def test_ctrl_c_stops_an_export_and_keeps_the_old_file(tmp_path):
    kept = tmp_path / "kept.obj"
    kept.write_bytes(b"old")
    said = interrupted(f"""
    vextal.export(vextal.Scene("spheric"), {str(kept)!r}, grid=(2048, 2048))""")
    assert said.startswith("interrupted"), said
    assert kept.read_bytes() == b"old"
    assert [path.name for path in tmp_path.iterdir()] == ["kept.obj"]


def test_ctrl_c_while_an_export_waits_on_a_fifo_is_a_keyboard_interrupt(tmp_path):
    fifo = tmp_path / "fifo.ply"
    os.mkfifo(fifo)
    said = interrupted(f"""
    vextal.export(vextal.Scene("spheric"), {str(fifo)!r})""", timeout=60)
    assert said.startswith("interrupted"), said


def test_numpy_numbers_are_numbers_and_huge_ones_are_refused_by_name(tmp_path):
    plain = vextal.Scene("spheric", slices=40, coef1=(2, 7, 7, 5, 1, 1))
    numpy = vextal.Scene("spheric", slices=np.int64(40),
                         coef1=np.array([2, 7, 7, 5, 1, 1], dtype=np.float32))
    assert numpy == plain
    numpy.rotations = np.uint8(90)
    numpy.theta_range = (np.float64(-3.14159), np.array(3.14159))
    assert numpy.rotations == 90
    assert numpy.theta_range == vextal.Scene(theta_range=(-3.14159, 3.14159)).theta_range
    same_bits(plain.mesh(grid=(np.int32(20), np.array(30)), threads=np.int64(2)).vertices,
              plain.mesh(grid=(20, 30)).vertices)
    same_bits(plain.picture(size=(np.int64(40), np.uint16(30)), distance=np.float32(6),
                            samples=np.int8(2), turn=(np.float32(0.5), 0)),
              plain.picture(size=(40, 30), distance=6, samples=2, turn=(0.5, 0)))
    vextal.export(plain, tmp_path / "n.3mf", fit=np.float64(10), colour="height",
                  colours=np.int64(3), range=(np.float32(-1), np.int16(1)))
    vextal.animate(plain, tmp_path / "n.gif", frames=np.int64(2), fps=np.float32(10),
                   size=(16, 12))

    huge = 2 ** 64
    for call, message in [
        (lambda: plain.mesh(grid=(huge, 3)), r"grid must be .* got \(18446744073709551616, 3\)"),
        (lambda: plain.mesh(threads=huge), "threads must be .* got 18446744073709551616$"),
        (lambda: vextal.Scene("toric", slices=huge), "slices must be from 3 to 255"),
        (lambda: setattr(plain, "rotations", -huge), "rotations must be from 3 to 255"),
        (lambda: vextal.animate(plain, tmp_path / "a.gif", frames=huge), "frames must be"),
        (lambda: vextal.export(plain, tmp_path / "a.3mf", colour="height", colours=huge),
         "colours must be"),
        # Where the type is the reason, the message says the type.
        (lambda: vextal.Scene("toric", slices="40"), r"slices .* got '40' \(str\)"),
        (lambda: plain.mesh(grid=(3.5, 3)), r"grid .* whose 3.5 \(float\) is not one"),
        (lambda: plain.picture(distance="far"), r"distance .* got 'far' \(str\)"),
        (lambda: setattr(plain, "coef1", "abcdef"), r"coef1 needs 6 numbers, got 'abcdef' \(str\)"),
        (lambda: vextal.export(plain, tmp_path / "a.stl", fit=1j), r"fit .* got 1j \(complex\)"),
        (lambda: plain.mesh().colour(np.int64(2)), r"colour takes .* got 2 \(int64\)"),
    ]:
        with pytest.raises(ValueError, match=message):
            call()
    assert (plain == 3, plain != 3, plain == "toric") == (False, True, False)


def test_gaussian_is_taken_in_any_case_as_the_tools_take_it():
    mesh = vextal.Scene("spheric").mesh(grid=(20, 20))
    upper, lower = mesh.colour("GAUSSIAN"), mesh.colour("gaussian")
    assert upper.mode == "gaussian"
    same_bits(upper.rgb, lower.rgb)


def test_colour_pictures_are_the_snapshots_and_the_animations(examples, run, tmp_path):
    starfish = next(path for path in examples if path.name == "starfish.vextal")
    scene = vextal.load(starfish)
    png = tmp_path / "snapshot.png"
    run("vextal-snapshot", starfish, png, "--size", "160x120", "--colour", "gaussian",
        "--range", "-2,2", "--legend", "--background", "none", "--grid", "60x80")
    picture = scene.picture(size=(160, 120), colour="Gaussian", range=(-2, 2), legend=True,
                            background="none", grid=(60, 80))
    same_bits(picture, png_pixels(png, True).reshape(120, 160, 4))
    # The same mesh drawn from the Mesh, and the notebook's picture as the tools' default view.
    same_bits(scene.mesh(grid=(60, 80)).picture(size=(160, 120), colour="gaussian",
                                                range=(-2, 2), legend=True, background="none"),
              picture)
    run("vextal-snapshot", starfish, png, "--size", "480x360", "--samples", "4")
    notebook = tmp_path / "notebook.png"
    notebook.write_bytes(scene._repr_png_())
    same_bits(png_pixels(notebook, False), png_pixels(png, False))

    gif = tmp_path / "program.gif"
    run("vextal-animate", starfish, gif, "--frames", "3", "--size", "48x36", "--colour", "height",
        "--legend", "--quiet")
    vextal.animate(scene, tmp_path / "module.gif", frames=3, size=(48, 36), colour="height",
                   legend=True)
    assert (tmp_path / "module.gif").read_bytes() == gif.read_bytes()
    with pytest.raises(ValueError, match="legend needs colour"):
        scene.picture(legend=True)

    # The caller's own values take the same map and the same default range.
    mesh = scene.mesh(grid=(40, 50))
    heights = mesh.vertices[:, 2].astype(np.float64)
    same_bits(mesh.picture(size=(96, 72), values=heights, colour="height", legend=True),
              mesh.picture(size=(96, 72), colour="height", legend=True))
    with pytest.raises(ValueError, match=rf"values must be one number per vertex .*\({len(heights)}, .*got 3"):
        mesh.picture(values=[1, 2, 3])
    with pytest.raises(ValueError, match="values must be a 1-D array of numbers.*<U1"):
        mesh.picture(values=np.array(["a"] * len(heights)))


def test_pictures_are_written_as_png_through_the_safe_writer(tmp_path):
    rgba = vextal.Scene("spheric").picture(size=(40, 30), background=None)
    path = tmp_path / "picture.png"
    vextal.write_png(path, rgba)
    same_bits(png_pixels(path, True).reshape(30, 40, 4), rgba)
    assert vextal.png(rgba) == path.read_bytes()
    rgb = np.ascontiguousarray(rgba[::-1, :, :3])  # any layout NumPy makes
    vextal.write_png(path, rgba[::-1, :, :3])
    same_bits(png_pixels(path, False).reshape(30, 40, 3), rgb)

    kept = tmp_path / "kept.png"
    kept.write_bytes(b"old")
    with pytest.raises(ValueError, match=r"array must be .* got an array of float64 shaped \(30, 40, 4\)"):
        vextal.write_png(kept, rgba / 255.0)
    with pytest.raises(OSError, match="nowhere/a.png"):
        vextal.write_png(tmp_path / "nowhere" / "a.png", rgba)
    assert kept.read_bytes() == b"old"


def text_of(scene):
    return scene.text()


def test_scenes_copy_and_pickle_as_their_text(examples):
    scene = vextal.load(next(path for path in examples if path.name == "starfish.vextal"))
    for twin in [copy.copy(scene), copy.deepcopy(scene), pickle.loads(pickle.dumps(scene))]:
        assert twin == scene and twin is not scene and twin.path == scene.path
        twin.slices = 3
        assert scene.slices != 3
    with multiprocessing.get_context("spawn").Pool(2) as pool:
        assert pool.map(text_of, [scene, vextal.Scene("harmonic")]) == [
            scene.text(), vextal.Scene("harmonic").text()]
    with pytest.raises(TypeError, match="unhashable"):
        hash(scene)


def test_vtk_takes_the_arrays_without_a_copy_of_the_points():
    vtk = pytest.importorskip("vtkmodules.util.numpy_support")
    from vtkmodules.vtkCommonCore import vtkPoints
    from vtkmodules.vtkCommonDataModel import vtkCellArray, vtkPolyData
    mesh = vextal.Scene("spheric").mesh(grid=(64, 48))
    # The one-liner of docs/python.md.
    points = vtkPoints()
    points.SetData(vtk.numpy_to_vtk(mesh.vertices))
    cells = vtkCellArray()
    cells.SetData(3, vtk.numpy_to_vtk(mesh.triangles.astype(np.int64).ravel(), deep=True))
    polydata = vtkPolyData()
    polydata.SetPoints(points)
    polydata.SetPolys(cells)
    assert polydata.GetNumberOfPoints() == len(mesh.vertices)
    assert polydata.GetNumberOfPolys() == len(mesh.triangles)
    assert np.shares_memory(vtk.vtk_to_numpy(polydata.GetPoints().GetData()), mesh.vertices)
    first = polydata.GetCell(0)
    assert [first.GetPointId(k) for k in range(3)] == list(mesh.triangles[0])
