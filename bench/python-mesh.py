#!/usr/bin/env python3
"""The Python module's tessellation beside the C++ one, measured in one run.

    python3 bench/python-mesh.py [BUILD_DIR]

Times scene.mesh(grid=(2048, 2048), threads=1) from Python (the starfish that
vextal-bench builds) and vextal-bench's BM_GridBuild/1 (the same grid, one
thread), in interleaved rounds so that a slow spell of the shared machine
touches both; prints the medians and the ratio Python / C++, and what the
first look at mesh.triangles adds (the triangles turned to the files' order). Run it with the
python3 the module was built for (Debian's, with NumPy).
"""
import json
import pathlib
import statistics
import subprocess
import sys
import time

ROUNDS = 3
PER_ROUND = 3
SCENE = '"sss\nslice 64 rotate 64\ncoef1 2 7 7 5 1 1\ncoef2 2 2 2 4 1 0.3\nrender\n'


def python_times(vextal, turns):
    """scene.mesh()'s times; the first .triangles (turned to the files'
    order then) go into `turns`."""
    scene = vextal.Scene.from_text(SCENE)
    times = []
    for _ in range(PER_ROUND):
        start = time.perf_counter()
        mesh = scene.mesh(grid=(2048, 2048), threads=1)
        times.append(time.perf_counter() - start)
        start = time.perf_counter()
        mesh.triangles
        turns.append(time.perf_counter() - start)
        del mesh
    return times


def bench_times(program):
    command = [str(program), "--benchmark_filter=^BM_GridBuild/1/real_time$",
               f"--benchmark_repetitions={PER_ROUND}", "--benchmark_format=json"]
    results = json.loads(subprocess.run(command, check=True, capture_output=True, text=True).stdout)
    scale = {"ms": 1e-3, "us": 1e-6, "ns": 1e-9, "s": 1.0}
    return [b["real_time"] * scale[b["time_unit"]] for b in results["benchmarks"]
            if b.get("run_type") == "iteration"]


def main():
    build = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "build").resolve()
    sys.path.insert(0, str(build / "python"))
    import vextal

    vextal.Scene.from_text(SCENE).mesh(grid=(2048, 2048), threads=1)  # warm the allocator
    python, cpp, turns = [], [], []
    for _ in range(ROUNDS):
        python += python_times(vextal, turns)
        cpp += bench_times(build / "bench" / "vextal-bench")
    p, c = statistics.median(python), statistics.median(cpp)
    print(f"{'2048 x 2048, one thread':28} {'median':>10}  runs")
    print(f"{'Python scene.mesh()':28} {p * 1e3:8.1f} ms  {len(python)}")
    print(f"{'vextal-bench BM_GridBuild/1':28} {c * 1e3:8.1f} ms  {len(cpp)}")
    print(f"{'ratio Python / C++':28} {p / c:10.3f}")
    print(f"{'then the first .triangles':28} {statistics.median(turns) * 1e3:8.1f} ms  {len(turns)}")


if __name__ == "__main__":
    main()
