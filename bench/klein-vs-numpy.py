#!/usr/bin/env python3
"""The typed Klein bottle against NumPy, side by side in one run, one core each.

  klein-vs-numpy.py [BUILD_DIR]    default build

Evaluates the same three expressions of bench/FormulaBench.cpp's Klein bottle
(some 30 operations) over the same 2048 x 2048 grid of u and v in float64 with
NumPy, and runs BM_KleinTyped (positions of the typed surface, one thread);
prints both medians and their ratio, of the processor time (the fair figure
on a machine that other work shares) and of the wall-clock time.
"""
import json
import os
import pathlib
import statistics
import subprocess
import sys
import tempfile
import time

# NumPy's elementwise operations run on one core; make sure its libraries do too.
for variable in ("OMP_NUM_THREADS", "OPENBLAS_NUM_THREADS", "MKL_NUM_THREADS"):
    os.environ[variable] = "1"
import numpy as np  # noqa: E402

ROOT = pathlib.Path(__file__).resolve().parent.parent
REPEATS = 7


def numpy_klein(u, v, r=2.0):
    half = u / 2
    ring = r + np.cos(half) * np.sin(v) - np.sin(half) * np.sin(2 * v)
    x = ring * np.cos(u)
    y = ring * np.sin(u)
    z = np.sin(half) * np.sin(v) + np.cos(half) * np.sin(2 * v)
    return np.stack([x, y, z], axis=-1).astype(np.float32)


def numpy_median():
    u, v = np.meshgrid(np.linspace(0, 2 * np.pi, 2048), np.linspace(0, 2 * np.pi, 2048),
                       indexing="ij")
    real, cpu = [], []
    for _ in range(REPEATS):
        start, start_cpu = time.perf_counter(), time.process_time()
        numpy_klein(u, v)
        real.append(time.perf_counter() - start)
        cpu.append(time.process_time() - start_cpu)
    return statistics.median(real) * 1000, statistics.median(cpu) * 1000


def typed_median(build):
    with tempfile.TemporaryDirectory() as folder:
        report = pathlib.Path(folder) / "klein.json"
        subprocess.run(
            [str(build / "bench" / "vextal-bench"), "--benchmark_filter=BM_KleinTyped",
             f"--benchmark_repetitions={REPEATS}", f"--benchmark_out={report}",
             "--benchmark_out_format=json"],
            capture_output=True, text=True, check=True)
        runs = [b for b in json.loads(report.read_text())["benchmarks"]
                if b.get("run_type") == "iteration"]
    return (statistics.median(b["real_time"] for b in runs),
            statistics.median(b["cpu_time"] for b in runs))


def main():
    build = ROOT / (sys.argv[1] if len(sys.argv) > 1 else "build")
    typed, typed_cpu = typed_median(build)
    numpy, numpy_cpu = numpy_median()
    print(f"typed Klein bottle, 2048 x 2048, one thread: {typed_cpu:.1f} ms processor time, "
          f"{typed:.1f} ms wall (medians of {REPEATS})")
    print(f"NumPy float64, the same expressions:        {numpy_cpu:.1f} ms processor time, "
          f"{numpy:.1f} ms wall (medians of {REPEATS})")
    print(f"NumPy / typed: {numpy_cpu / typed_cpu:.2f} in processor time, "
          f"{numpy / typed:.2f} in wall time")


if __name__ == "__main__":
    main()
