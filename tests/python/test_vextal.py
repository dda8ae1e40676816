"""The module against the programs it stands beside: the same meshes, files
and pictures, bit for bit, and Python exceptions for whatever they refuse."""
import math
import pathlib
import subprocess
import sys

import numpy as np
import pytest

import vextal


def ply_arrays(path):
    """The vertices, normals and triangles of vextal-export's binary PLY."""
    data = path.read_bytes()
    header_end = data.index(b"end_header\n") + len(b"end_header\n")
    header = data[:header_end].decode().split("\n")
    count = {line.split()[1]: int(line.split()[2]) for line in header if line.startswith("element")}
    vertices = np.frombuffer(data, "<f4", count["vertex"] * 6, header_end).reshape(-1, 6)
    faces = np.frombuffer(data, np.dtype([("n", "u1"), ("v", "<u4", 3)]), count["face"],
                          header_end + vertices.nbytes)
    assert (faces["n"] == 3).all()
    return vertices[:, :3], vertices[:, 3:], faces["v"]


def same_bits(array, expected):
    assert array.shape == expected.shape
    assert array.tobytes() == np.ascontiguousarray(expected).tobytes()


def test_meshes_are_the_exported_meshes_bit_for_bit(examples, run, tmp_path):
    cases = [(path, None) for path in examples] + [(examples[0], (401, 700))]
    for path, grid in cases:
        ply = tmp_path / "out.ply"
        run("vextal-export", path, ply, *(["--grid", "%dx%d" % grid] if grid else []))
        mesh = vextal.load(path).mesh(grid=grid, threads=2)
        vertices, normals, triangles = ply_arrays(ply)
        assert mesh.vertices.dtype == np.float32 and mesh.triangles.dtype == np.uint32
        same_bits(mesh.vertices, vertices)
        same_bits(mesh.normals, normals)
        same_bits(mesh.triangles, triangles)
        # The text of a scene loads as the same scene.
        assert vextal.Scene.from_text(vextal.load(path).text()) == vextal.load(path)


def test_arrays_share_the_mesh_and_outlive_it():
    mesh = vextal.Scene(surface="spheric").mesh(grid=(64, 32))
    first, again = mesh.vertices, mesh.vertices
    assert np.shares_memory(first, again)
    assert not first.flags.writeable
    with pytest.raises(ValueError):
        first[0, 0] = 1
    expected = first.copy()
    del mesh, again
    vextal.Scene(surface="toric").mesh(grid=(300, 300))  # memory the old mesh would be reused for
    assert (first == expected).all() and first.shape == expected.shape


def test_every_format_is_the_programs_bytes(examples, run, tmp_path):
    starfish = next(path for path in examples if path.name == "starfish.vextal")
    scene = vextal.load(starfish)
    mesh = scene.mesh(grid=(40, 90))
    for name, options, keywords in [
        ("a.obj", [], {}),
        ("a.ply", ["--weld"], {"weld": True}),
        ("a.stl", ["--scale", "25.4"], {"scale": 25.4}),
        ("a.3mf", ["--fit", "80", "--unit", "inch"], {"fit": 80, "unit": "inch"}),
        ("a.glb", ["--unit", "centimeter"], {"unit": "centimeter"}),
        ("a.gltf", [], {}),
        ("c.ply", ["--colour", "height"], {"colour": "height"}),
        ("c.3mf", ["--colour", "gaussian", "--colours", "4"], {"colour": "gaussian", "colours": 4}),
        ("c.glb", ["--colour", "mean", "--range", "-2,2"], {"colour": "mean", "range": (-2, 2)}),
    ]:
        expected, got = tmp_path / ("program-" + name), tmp_path / name
        run("vextal-export", starfish, expected, "--grid", "40x90", *options)
        vextal.export(mesh, got, **keywords)
        assert got.read_bytes() == expected.read_bytes(), name
        vextal.export(scene, got, grid=(40, 90), **keywords)
        assert got.read_bytes() == expected.read_bytes(), name


def test_colours_come_from_the_formula_and_are_the_files(examples, run, tmp_path):
    sphere = next(path for path in examples if path.name == "sphere.vextal")
    mesh = vextal.load(sphere).mesh()
    curvature = mesh.colour("gaussian")
    # A unit sphere: K = 1 wherever the tangents span a plane (not the poles).
    finite = ~np.isnan(curvature.values)
    assert finite.sum() == len(mesh.vertices) - 2
    assert np.allclose(curvature.values[finite], 1, atol=1e-6)
    # Each vertex's colour and value are the PLY's red, green, blue and quality.
    height = mesh.colour("height", range=(-1, 1))
    assert (height.mode, height.range) == ("height", (-1.0, 1.0))
    run("vextal-export", sphere, tmp_path / "h.ply", "--colour", "height", "--range", "-1,1")
    data = (tmp_path / "h.ply").read_bytes()
    body = data[data.index(b"end_header\n") + len(b"end_header\n"):]
    record = np.dtype([("xyz", "<f4", 3), ("n", "<f4", 3), ("rgb", "u1", 3), ("quality", "<f4")])
    ply = np.frombuffer(body, dtype=record, count=len(mesh.vertices))
    assert (ply["rgb"] == height.rgb).all() and (ply["quality"] == height.values).all()


def test_refusals_raise_with_clear_messages(tmp_path):
    broken = tmp_path / "starfish.vextal"
    broken.write_text('"sss\nslice 64\ncoef1 2 7\n')
    with pytest.raises(vextal.SceneError, match=r"starfish\.vextal:3: coef1 needs 6 values") as error:
        vextal.load(broken)
    assert isinstance(error.value, ValueError)
    assert (error.value.path, error.value.line) == (str(broken), 3)
    with pytest.raises(vextal.SceneError, match="scene text:1: slice needs 1 value; .x. is not a number") as error:
        vextal.Scene.from_text('"sss slice x render')
    assert error.value.path is None and error.value.line == 1
    with pytest.raises(FileNotFoundError) as missing:
        vextal.load(tmp_path / "missing.vextal")
    assert missing.value.filename == str(tmp_path / "missing.vextal")
    with pytest.raises(vextal.SceneError, match="is a directory"):
        vextal.load(tmp_path)

    scene = vextal.Scene(surface="spheric")
    for call, message in [
        (lambda: scene.mesh(grid=(2, 100)), r"grid must be .* from 3 to 4096, got \(2, 100\)"),
        (lambda: scene.mesh(grid=(4097, 3)), "grid must be"),
        (lambda: scene.mesh(threads=0), "threads must be"),
        (lambda: setattr(scene, "coef1", (1, 2, 3, 4, 5, math.nan)), "coef1 must be finite"),
        (lambda: vextal.Scene(surface="harmonic", coefh=[1] * 7), "coefh needs 8 values"),
        (lambda: setattr(scene, "slices", 256), "slices must be from 3 to 255"),
        (lambda: setattr(scene, "surface", "cubic"), "surface must be"),
        (lambda: scene.picture(size=(0, 10)), "size must be"),
        (lambda: scene.picture(samples=3), "samples must be"),
        (lambda: scene.picture(background="red"), "background must be"),
        (lambda: scene.picture(distance=-1), "distance must be"),
        (lambda: vextal.export(scene, tmp_path / "a.ply", unit="inch"), "unit needs a format"),
        (lambda: vextal.export(scene, tmp_path / "a.stl", fit=1, scale=2), "fit and scale"),
        (lambda: vextal.export(scene, tmp_path / "a.stl", fit=math.inf), "fit must be"),
        (lambda: vextal.export(scene, tmp_path / "a.xyz"), "path: cannot tell the format"),
        (lambda: vextal.export(scene, tmp_path / "a.stl", colour="height"), "colour needs a format"),
        (lambda: vextal.export(scene, tmp_path / "a.ply", colour="hue"), "colour takes plain, gaussian"),
        (lambda: vextal.export(scene, tmp_path / "a.ply", colour="mean", colours=4), "colours needs the 3mf"),
        (lambda: vextal.export(scene, tmp_path / "a.3mf", colour="mean", colours=17), "colours must be"),
        (lambda: vextal.export(scene, tmp_path / "a.ply", range=(0, 1)), "range needs colour"),
        (lambda: scene.mesh(grid=(3, 3)).colour("height", range=(1, 1)), "range must be"),
        (lambda: scene.mesh(grid=(3, 3)).colour("plain"), "plain is the material"),
    ]:
        with pytest.raises(ValueError, match=message):
            call()
    assert not (tmp_path / "a.ply").exists() and not (tmp_path / "a.stl").exists()

    # An output that cannot be written names its path; an existing file stays.
    with pytest.raises(OSError, match="nowhere/a.stl"):
        vextal.export(scene, tmp_path / "nowhere" / "a.stl")
    kept = tmp_path / "kept.ply"
    kept.write_bytes(b"old")
    huge = vextal.Scene(surface="spheric", coef1=(1, 1, 1, 4, 0, 0))
    with pytest.raises(ValueError, match="not written as PLY"):
        vextal.export(huge, kept)
    assert kept.read_bytes() == b"old"


def png_pixels(path, alpha):
    """The PNG's pixels as ImageMagick reads them, height x width x 3 or 4."""
    layout = "rgba" if alpha else "rgb"
    raw = subprocess.run(["convert", str(path), "-depth", "8", layout + ":-"],
                         capture_output=True, check=True).stdout
    return np.frombuffer(raw, np.uint8)


def test_pictures_are_the_snapshots_pixels(examples, run, tmp_path):
    starfish = next(path for path in examples if path.name == "starfish.vextal")
    scene = vextal.load(starfish)
    for options, keywords in [
        (["--size", "96x64"], {"size": (96, 64)}),
        (["--size", "80x60", "--turn", "0.4,3.61", "--distance", "7", "--samples", "4",
          "--wireframe", "--background", "#203040", "--grid", "50x70"],
         {"size": (80, 60), "turn": (0.4, 3.61), "distance": 7, "samples": 4, "wireframe": True,
          "background": "#203040", "grid": (50, 70)}),
        (["--size", "64x64", "--fill", "--background", "none"],
         {"size": (64, 64), "fill": True, "background": None}),
    ]:
        png = tmp_path / "snapshot.png"
        run("vextal-snapshot", starfish, png, *options)
        picture = scene.picture(**keywords)
        width, height = keywords["size"]
        assert picture.shape == (height, width, 4) and picture.dtype == np.uint8
        transparent = keywords.get("background", "black") is None
        expected = png_pixels(png, transparent)
        same_bits(picture if transparent else picture[:, :, :3], expected.reshape(height, width, -1))
        assert transparent or (picture[:, :, 3] == 255).all()
    assert scene._repr_png_().startswith(b"\x89PNG\r\n\x1a\n")


def test_animations_are_the_programs_bytes_and_stop_on_ctrl_c(examples, run, tmp_path):
    by_name = {path.name: path for path in examples}
    sphere, octahedron = by_name["sphere.vextal"], by_name["octahedron.vextal"]
    expected, got = tmp_path / "program.gif", tmp_path / "module.gif"
    run("vextal-animate", sphere, octahedron, expected, "--frames", "6", "--size", "64x48",
        "--bounce", "--turntable", "--quiet")
    vextal.animate(vextal.load(sphere), got, to=vextal.load(octahedron), frames=6, size=(64, 48),
                   bounce=True, turntable=True)
    assert got.read_bytes() == expected.read_bytes()
    run("vextal-animate", sphere, f"{tmp_path}/program/", "--frames", "3", "--size", "32x24",
        "--quiet")
    vextal.animate(vextal.load(sphere), tmp_path / "module", frames=3, size=(32, 24), format="png")
    for frame in ["frame-0001.png", "frame-0002.png", "frame-0003.png"]:
        assert (tmp_path / "module" / frame).read_bytes() == (tmp_path / "program" / frame).read_bytes()
    with pytest.raises(ValueError, match="fps goes up to 50 for GIF"):
        vextal.animate(vextal.load(sphere), got, fps=60)
    with pytest.raises(ValueError, match="to: a morph needs the same surface"):
        vextal.animate(vextal.load(sphere), got, to=vextal.Scene(surface="harmonic"))

    # Ctrl-C between frames: KeyboardInterrupt, and the old file as it was.
    script = f"""
import os, signal, threading, vextal
threading.Timer(0.5, os.kill, (os.getpid(), signal.SIGINT)).start()
try:
    vextal.animate(vextal.load({str(sphere)!r}), {str(got)!r}, frames=9999, size=(64, 48))
except KeyboardInterrupt:
    print("interrupted")
"""
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=120)
    assert done.stdout == "interrupted\n", done.stderr
    assert got.read_bytes() == expected.read_bytes()


def test_the_python_examples_run(tmp_path):
    folder = pathlib.Path(__file__).resolve().parents[2] / "examples" / "python"
    outputs = {"sweep.py": "sweep.png", "statistics.py": None, "print_3mf.py": "starfish.3mf"}
    assert sorted(outputs) == sorted(path.name for path in folder.glob("*.py"))
    for script, output in outputs.items():
        done = subprocess.run([sys.executable, str(folder / script)], cwd=tmp_path,
                              capture_output=True, text=True, timeout=120)
        assert done.returncode == 0, done.stderr
        if output:
            assert (tmp_path / output).stat().st_size > 1000, script
        else:
            assert "area" in done.stdout and "volume" in done.stdout


def test_the_stub_names_what_the_module_has():
    import ast
    stub = ast.parse((pathlib.Path(__file__).resolve().parents[2] / "python" / "vextal.pyi").read_text())
    def public(names):
        return {name for name in names if not name.startswith("__")}
    declared = {node.name for node in stub.body if isinstance(node, (ast.FunctionDef, ast.ClassDef))}
    # The fits are built only where Ceres is installed.
    if not hasattr(vextal, "fit_curve"):
        declared -= {"Curve", "CurveReport", "fit_curve"}
    assert declared == public(name for name in dir(vextal) if not name.startswith("_"))
    for node in stub.body:
        if isinstance(node, ast.ClassDef) and node.name != "SceneError" and node.name in declared:
            members = {item.name if isinstance(item, ast.FunctionDef) else item.target.id
                       for item in node.body if isinstance(item, (ast.FunctionDef, ast.AnnAssign))}
            assert public(members) == public(dir(getattr(vextal, node.name))), node.name
