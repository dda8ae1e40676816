#!/usr/bin/env python3
"""Whole-process times of vextal-export writing 3MF beside STL on a 2048 x 2048
grid, the runs interleaved, and the peak resident memory of both at
4096 x 4096 beside the mesh's own arrays (positions, normals, triangles).

    python3 bench/threemf-vs-stl.py build/tools/vextal-export [--runs 5] [--no-memory]
                                    [--colour MODE]

/usr/bin/time (scripts/install-deps.sh bench) measures the peak memory. The
files go to a temporary folder beside the current one (on the same disk as a
user's export), each removed after its run; both formats include making the
file durable. The scene is examples/rounded-cube.vextal. --colour adds a
coloured 3MF (per-vertex colour group) to both measurements.
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


def command(exporter, grid, out, extra):
    return [exporter, "--grid", f"{grid}x{grid}", str(SCENE), str(out)] + extra


def run(cmd):
    start = time.perf_counter()
    result = subprocess.run(cmd, capture_output=True, text=True)
    elapsed = time.perf_counter() - start
    if result.returncode != 0:
        sys.exit(f"failed: {' '.join(map(str, cmd))}\n{result.stderr}")
    return elapsed, result.stderr


def kinds(colour):
    found = [("stl", "stl", []), ("3mf", "3mf", [])]
    if colour:
        found.append((f"3mf {colour}", "3mf", ["--colour", colour]))
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("exporter")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--no-memory", action="store_true")
    parser.add_argument("--colour")
    args = parser.parse_args()
    with tempfile.TemporaryDirectory(dir=os.getcwd(), prefix="threemf-bench-") as name:
        folder = pathlib.Path(name)
        times = {label: [] for label, _, _ in kinds(args.colour)}
        for _ in range(args.runs):
            for label, extension, extra in kinds(args.colour):
                out = folder / f"out.{extension}"
                times[label].append(run(command(args.exporter, 2048, out, extra))[0])
                out.unlink()
        stl = statistics.median(times["stl"])
        print(f"2048 x 2048, medians of {args.runs} interleaved whole-process runs:")
        for label, values in times.items():
            median = statistics.median(values)
            print(f"  {label:12} {median:7.2f} s  = {median / stl:5.2f} x STL")
        if args.no_memory:
            return
        vertices, triangles = 4095 * 4096 + 2, 2 * 4095 * 4096
        arrays = 24 * vertices + 12 * triangles
        print(f"4096 x 4096 (mesh arrays {arrays / 2**20:.0f} MiB), peak resident memory:")
        for label, extension, extra in kinds(args.colour):
            out = folder / f"big.{extension}"
            _, printed = run(["/usr/bin/time", "-v"] + command(args.exporter, 4096, out, extra))
            peak = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", printed)[1]) * 1024
            wall = re.search(r"Elapsed \(wall clock\) time.*: ([\d:.]+)", printed)[1]
            print(f"  {label:12} {peak / 2**20:6.0f} MiB = {peak / arrays:.2f} x the arrays"
                  f"   (file {out.stat().st_size / 2**20:.0f} MiB, {wall})")
            out.unlink()


if __name__ == "__main__":
    main()
