#!/usr/bin/env python3
"""Runs the colouring benchmarks beside the reloads they add to, in one run,
and prints each colouring's median CPU time as a multiple of its surface's
BM_Reload at 255 x 255.

    python3 bench/colour-ratio.py build/bench/vextal-bench [more benchmark options]
"""
import json
import subprocess
import sys


def main():
    command = [sys.argv[1], "--benchmark_filter=BM_Colour/|BM_Reload/.*/255$",
               "--benchmark_repetitions=9", "--benchmark_report_aggregates_only=true",
               "--benchmark_enable_random_interleaving=true",
               "--benchmark_format=json"] + sys.argv[2:]
    run = json.loads(subprocess.run(command, check=True, capture_output=True, text=True).stdout)
    medians = {b["run_name"]: b["cpu_time"] for b in run["benchmarks"]
               if b.get("aggregate_name") == "median"}
    print(f"{'colouring':36} {'median us':>10} {'reload us':>10} {'ratio':>6}")
    for name, time in sorted(medians.items()):
        if not name.startswith("BM_Colour/"):
            continue
        _, mode, surface, grid = name.split("/")
        reload = medians[f"BM_Reload/{surface}/{grid}"]
        print(f"{name:36} {time:10.1f} {reload:10.1f} {time / reload:6.2f}")


if __name__ == "__main__":
    main()
