#!/usr/bin/env python3
"""Whole-process times of vextal-export on a 2048 x 2048 grid in every format,
beside VTK's parametric superellipsoid source (normals on) and its binary STL
writer on the same grid, all measured in one run with the runs interleaved;
then the peak memory of every format at 4096 x 4096.

    python3 bench/export-vs-vtk.py build/tools/vextal-export [--runs 5] [--no-memory]
                                   [--formats stl,ply,...]

Both sides of the comparison are whole processes, timed the same way: VTK's
Python process (start-up and import included, as a user runs it) against
vextal-export's STL process, one pair a run, their order swapped every other
run so that a drift of the machine's speed falls on both. The ratio is the
median of the pairs' ratios. VTK's own split between its source and its
writer is printed for information only.

VTK comes from Debian's python3-vtk9 (scripts/install-deps.sh bench), run by
the system's /usr/bin/python3. The files go to a temporary folder beside the
current one (on the same disk as a user's export), each removed after its
run. vextal-export's time includes making the file durable (fsync), which
VTK's writer does not do. The scene is examples/rounded-cube.vextal, a
superellipsoid with exponents 0.2 by the superformula.
"""
import argparse
import os
import pathlib
import re
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent
SCENE = ROOT / "examples" / "rounded-cube.vextal"
FORMATS = ["stl", "obj", "ply", "3mf", "glb"]
MEMORY_FORMATS = ["stl", "ply", "glb", "gltf", "3mf", "obj"]

# VTK in a child: the time of the source's update and of the writer, printed
# as "SOURCE WRITER" in seconds.
VTK_PROGRAM = """
import sys, time, vtk
grid, out = int(sys.argv[1]), sys.argv[2]
shape = vtk.vtkParametricSuperEllipsoid()
shape.SetN1(0.2)
shape.SetN2(0.2)
source = vtk.vtkParametricFunctionSource()
source.SetParametricFunction(shape)
source.SetUResolution(grid)
source.SetVResolution(grid)
source.GenerateNormalsOn()
start = time.perf_counter()
source.Update()
built = time.perf_counter()
writer = vtk.vtkSTLWriter()
writer.SetInputConnection(source.GetOutputPort())
writer.SetFileTypeToBinary()
writer.SetFileName(out)
writer.Write()
print(built - start, time.perf_counter() - built)
"""


def timed(command):
    start = time.perf_counter()
    result = subprocess.run(command, capture_output=True, text=True)
    elapsed = time.perf_counter() - start
    if result.returncode != 0:
        sys.exit(f"failed: {' '.join(map(str, command))}\n{result.stderr}")
    return elapsed, result.stdout


def export_command(exporter, grid, out):
    return [exporter, "--grid", f"{grid}x{grid}", str(SCENE), str(out)]


def export_seconds(exporter, format, folder):
    out = folder / f"out.{format}"
    elapsed = timed(export_command(exporter, 2048, out))[0]
    out.unlink()
    return elapsed


def vtk_seconds(folder, times):
    out = folder / "vtk.stl"
    elapsed, printed = timed(["/usr/bin/python3", "-c", VTK_PROGRAM, "2048", str(out)])
    source, writer = map(float, printed.split())
    times["vtk source"].append(source)
    times["vtk writer"].append(writer)
    out.unlink()
    return elapsed


def time_everything(exporter, runs, folder, formats):
    times = {name: [] for name in formats + ["stl", "vtk process", "vtk source", "vtk writer"]}
    ratios = []
    for run in range(runs):
        # The pair: VTK's whole process and vextal-export's STL, in turns.
        if run % 2 == 0:
            stl = export_seconds(exporter, "stl", folder)
            vtk = vtk_seconds(folder, times)
        else:
            vtk = vtk_seconds(folder, times)
            stl = export_seconds(exporter, "stl", folder)
        times["stl"].append(stl)
        times["vtk process"].append(vtk)
        ratios.append(vtk / stl)
        for format in formats:
            if format != "stl":
                times[format].append(export_seconds(exporter, format, folder))
    medians = {name: statistics.median(values) for name, values in times.items() if values}
    return medians, ratios


def peak_memory(exporter, folder):
    peaks = {}
    for format in MEMORY_FORMATS:
        out = folder / f"big.{format}"
        command = ["/usr/bin/time", "-v"] + export_command(exporter, 4096, out)
        result = subprocess.run(command, capture_output=True, text=True)
        if result.returncode != 0:
            sys.exit(f"failed: {' '.join(map(str, command))}\n{result.stderr}")
        kilobytes = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", result.stderr)[1])
        seconds = re.search(r"Elapsed \(wall clock\) time.*: ([\d:.]+)", result.stderr)[1]
        peaks[format] = (kilobytes * 1024, out.stat().st_size, seconds)
        out.unlink()
    return peaks


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("exporter")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--no-memory", action="store_true")
    parser.add_argument("--formats", default=",".join(FORMATS),
                        help="vextal-export's formats to time besides STL (default all)")
    args = parser.parse_args()
    formats = [f for f in args.formats.split(",") if f]
    with tempfile.TemporaryDirectory(dir=os.getcwd(), prefix="export-bench-") as name:
        folder = pathlib.Path(name)
        medians, ratios = time_everything(args.exporter, args.runs, folder, formats)
        print(f"2048 x 2048, whole processes, medians of {args.runs} interleaved runs:")
        for format in ["stl"] + [f for f in formats if f != "stl"]:
            print(f"  vextal-export {format:4} {medians[format]:7.2f} s")
        print(f"  VTK source and binary STL writer, whole Python process {medians['vtk process']:.2f} s"
              f" (inside it: source {medians['vtk source']:.2f} s, writer {medians['vtk writer']:.2f} s)")
        print(f"  VTK process / vextal-export stl process, paired run by run:"
              f" median {statistics.median(ratios):.1f}x"
              f" (from {min(ratios):.1f}x to {max(ratios):.1f}x over {len(ratios)} pairs)")
        if args.no_memory:
            return
        # The mesh's own arrays: positions, normals, triangles.
        vertices, triangles = 4095 * 4096 + 2, 2 * 4095 * 4096
        arrays = 24 * vertices + 12 * triangles
        print(f"4096 x 4096 (mesh arrays {arrays / 2**20:.0f} MiB), peak resident memory:")
        for format, (peak, size, seconds) in peak_memory(args.exporter, folder).items():
            print(f"  {format:4} {peak / 2**20:6.0f} MiB = {peak / arrays:.2f} x the arrays"
                  f"   (file {size / 2**20:.0f} MiB, {seconds})")


if __name__ == "__main__":
    main()
