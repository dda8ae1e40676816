#!/usr/bin/env python3
"""Times the same benchmarks in two builds side by side and prints each row's
median in both, with the ratio new / old. The two programs take turns, round
after round, so that a slower spell of the shared machine falls on both.

    python3 bench/compare-builds.py OLD/bench/vextal-bench NEW/bench/vextal-bench \\
        [--rounds N] [--filter REGEX]
"""
import argparse
import json
import statistics
import subprocess

TO_MICROSECONDS = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}


def one_round(program, pattern):
    command = [program, "--benchmark_filter=" + pattern, "--benchmark_repetitions=3",
               "--benchmark_enable_random_interleaving=true", "--benchmark_format=json"]
    results = json.loads(subprocess.run(command, check=True, capture_output=True, text=True).stdout)
    times = {}
    for b in results["benchmarks"]:
        if b.get("run_type") == "iteration":
            unit = TO_MICROSECONDS[b.get("time_unit", "ns")]
            times.setdefault(b["run_name"], []).append(b["real_time"] * unit)
    return times


def shown(microseconds):
    return f"{microseconds / 1000:.3f} ms" if microseconds >= 1000 else f"{microseconds:.1f} us"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--filter", default="BM_Reload/|BM_ReloadAfterSave/|BM_Frame/")
    args = parser.parse_args()
    samples = {"old": {}, "new": {}}
    for _ in range(args.rounds):
        for build in ("old", "new"):
            for name, times in one_round(getattr(args, build), args.filter).items():
                samples[build].setdefault(name, []).extend(times)
    print(f"| benchmark | old | new | new / old |  ({args.rounds} rounds of 3, medians of real time)")
    print("|---|---|---|---|")
    for name in sorted(samples["new"]):
        if name not in samples["old"]:
            continue
        old = statistics.median(samples["old"][name])
        new = statistics.median(samples["new"][name])
        print(f"| `{name.removesuffix('/real_time')}` | {shown(old)} | {shown(new)} | {new / old:.2f} |")


if __name__ == "__main__":
    main()
