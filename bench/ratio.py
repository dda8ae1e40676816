#!/usr/bin/env python3
"""Runs vextal-bench with repetitions and prints the medians as a table, each
fast benchmark beside its reference with the ratio reference / fast.

    python3 bench/ratio.py build/bench/vextal-bench [more benchmark options]
    python3 bench/ratio.py results.json        # a saved --benchmark_format=json run
"""
import json
import subprocess
import sys

KINDS = ["Reload", "ReloadAfterSave", "Tessellate", "Normals"]
# The reference a kind is measured against, when it is not its own.
REFERENCE_OF = {"ReloadAfterSave": "Reload"}
SURFACES = ["spheric", "toric", "harmonic"]
GRIDS = [10, 64, 255]
TO_MICROSECONDS = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}


def load(args):
    if args[0].endswith(".json"):
        with open(args[0]) as f:
            return json.load(f)
    # Interleaved repetitions: a spell in which the shared machine runs slower
    # then touches every benchmark a little instead of a few a lot.
    command = [args[0], "--benchmark_repetitions=9", "--benchmark_report_aggregates_only=true",
               "--benchmark_enable_random_interleaving=true", "--benchmark_format=json"] + args[1:]
    return json.loads(subprocess.run(command, check=True, capture_output=True, text=True).stdout)


def medians(results):
    times = {}
    for b in results["benchmarks"]:
        if b.get("aggregate_name") == "median":
            unit = TO_MICROSECONDS[b.get("time_unit", "ns")]
            times[b["run_name"]] = (b["real_time"] * unit, b["cpu_time"] * unit)
    return times


def shown(microseconds):
    return f"{microseconds / 1000:.2f} ms" if microseconds >= 1000 else f"{microseconds:.1f} µs"


def main(args):
    if not args:
        sys.exit(__doc__)
    results = load(args)
    times = medians(results)
    context = results.get("context", {})
    print(f"{context.get('date', '')}, {context.get('num_cpus', '?')} CPUs "
          f"at {context.get('mhz_per_cpu', '?')} MHz; medians of "
          f"{results['benchmarks'][0].get('repetitions', '?')} repetitions; "
          "real time unless marked CPU time\n")
    print("| benchmark | surface | grid | fast | fast, CPU time | reference | reference / fast |")
    print("|---|---|---|---|---|---|---|")
    for kind in KINDS:
        for surface in SURFACES:
            for grid in GRIDS:
                fast = times.get(f"BM_{kind}/{surface}/{grid}")
                reference = times.get(
                    f"BM_{REFERENCE_OF.get(kind, kind)}Reference/{surface}/{grid}")
                if not fast:
                    continue
                ratio = f"{reference[0] / fast[0]:.1f}x" if reference else "–"
                print(f"| {kind} | {surface} | {grid} | {shown(fast[0])} | {shown(fast[1])} | "
                      f"{shown(reference[0]) if reference else '–'} | {ratio} |")
    floor = times.get("BM_SceneFileSystemCalls/spheric/10")
    if floor:
        print(f"\nopen + fstat + read + close of a scene file alone: {shown(floor[0])}")
    tabled = {f"BM_{kind}{suffix}/{surface}/{grid}" for kind in KINDS
              for suffix in ("", "Reference") for surface in SURFACES for grid in GRIDS}
    others = sorted(name for name in times
                    if name not in tabled and name != "BM_SceneFileSystemCalls/spheric/10")
    if others:
        print("\n| other benchmark | median | CPU time |\n|---|---|---|")
        for name in others:
            print(f"| {name} | {shown(times[name][0])} | {shown(times[name][1])} |")


if __name__ == "__main__":
    main(sys.argv[1:])
