#!/usr/bin/env python3
"""How soon Ctrl-C stops vextal.export, and what the VTK hand-over costs.

    python3 bench/python-interrupt.py [BUILD_DIR]

For each format, exports the spheric default at 4096 x 4096 in a fresh
interpreter and sends it SIGINT after 0.5, 2 and 5 seconds (the build, the
weld, the writing); prints the median and the largest time from the signal
to the KeyboardInterrupt, and that the old file was kept. Then times the
hand-over of a 2048 x 2048 mesh to a vtkPolyData (docs/python.md's lines)
beside scene.mesh() itself, medians of 5. Run it with Debian's python3.
"""
import os
import pathlib
import statistics
import subprocess
import sys
import tempfile
import time

DELAYS = (0.5, 2.0, 5.0)
FORMATS = ("obj", "ply", "stl", "3mf", "glb")

PROGRAM = """
import os, signal, sys, threading, time, vextal
path, delay = sys.argv[1], float(sys.argv[2])
threading.Timer(delay, os.kill, (os.getpid(), signal.SIGINT)).start()
started = time.monotonic()
try:
    vextal.export(vextal.Scene("spheric"), path, grid=(4096, 4096))
    print("finished", time.monotonic() - started)
except KeyboardInterrupt:
    print("interrupted", time.monotonic() - started - delay)
"""


def latencies(folder, module):
    environment = dict(os.environ, PYTHONPATH=module)
    for name in FORMATS:
        times, kept, finished = [], True, []
        for delay in DELAYS:
            path = folder / ("old." + name)
            path.write_bytes(b"old")
            done = subprocess.run([sys.executable, "-c", PROGRAM, str(path), str(delay)],
                                  capture_output=True, text=True, env=environment, timeout=600)
            word, seconds = done.stdout.split()
            if word == "interrupted":
                times.append(float(seconds))
                kept = kept and path.read_bytes() == b"old"
            else:
                finished.append(f"{float(seconds):.1f} s")
        shown = (f"median {statistics.median(times) * 1000:.0f} ms, largest {max(times) * 1000:.0f} ms"
                 if times else "never interrupted")
        print(f"{name:4} signal to KeyboardInterrupt: {shown} ({len(times)} of {len(DELAYS)} "
              f"interrupted; the old file kept by each: {kept}; finished before the signal in "
              f"{', '.join(finished) or 'none'})")


def handover():
    import numpy as np
    import vextal
    from vtkmodules.util.numpy_support import numpy_to_vtk
    from vtkmodules.vtkCommonCore import vtkPoints
    from vtkmodules.vtkCommonDataModel import vtkCellArray, vtkPolyData
    scene = vextal.Scene("spheric")
    builds, hands = [], []
    for _ in range(5):
        start = time.perf_counter()
        mesh = scene.mesh(grid=(2048, 2048))
        mesh.triangles
        builds.append(time.perf_counter() - start)
        start = time.perf_counter()
        points = vtkPoints()
        points.SetData(numpy_to_vtk(mesh.vertices))
        cells = vtkCellArray()
        cells.SetData(3, numpy_to_vtk(mesh.triangles.astype(np.int64).ravel(), deep=True))
        polydata = vtkPolyData()
        polydata.SetPoints(points)
        polydata.SetPolys(cells)
        hands.append(time.perf_counter() - start)
    build, hand = statistics.median(builds), statistics.median(hands)
    print(f"2048 x 2048: scene.mesh() {build * 1000:.0f} ms, hand-over to vtkPolyData "
          f"{hand * 1000:.0f} ms (ratio {hand / build:.2f})")


def main():
    build = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "build").resolve()
    module = str(build / "python")
    sys.path.insert(0, module)
    with tempfile.TemporaryDirectory() as folder:
        latencies(pathlib.Path(folder), module)
    handover()


if __name__ == "__main__":
    main()
