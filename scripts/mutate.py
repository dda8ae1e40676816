#!/usr/bin/env python3
"""Plants each fault of a list in the code, one at a time, and runs the test
suite (less the end-to-end label) against it: a fault the suite notices is
caught, one it lets through survived, one whose line is gone or no longer
unique is stale (the list needs mending, never counted as caught).

    scripts/mutate.py [--build DIR] [--list FILE] [--only NAME,...]
                      [--time-limit SECONDS] [--no-baseline]

The list (tests/mutations.toml) holds one [[fault]] per planted fault:
    name     a short name, unique in the list
    path     the file, from the repository's root
    find     the text to replace, exactly once in the file (or, with
             regex = true, a Python regular expression matching once)
    replace  what it becomes
    breaks   what a user would see go wrong
    tests    (optional) a ctest regular expression of the tests expected to
             notice: they run first, and the whole suite only when they pass,
             so a caught fault costs little. Caught still means a test of the
             suite less the end-to-end label failed.
    targets  (optional) the ninja targets that hold every program those
             tests run: only they are rebuilt before them (all are before
             the whole suite).

The file is restored on every way out, signals included. The build folder is
configured here when it has not been (with ccache when there is one), so the
script runs on a fresh clone; rebuilds are incremental.
"""

import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import time
import tomllib
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent


def run(command, timeout=None, quiet=True):
    """Runs a command; returns (exit status, its output). A run past the time
    limit is ended with its whole process group and reports None."""
    process = subprocess.Popen(command, cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                               text=True, errors="replace", start_new_session=True)
    try:
        output, _ = process.communicate(timeout=timeout)
        return process.returncode, output
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        output, _ = process.communicate()
        return None, output
    except BaseException:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()
        raise


def configure(build):
    if (build / "build.ninja").exists():
        return
    # The benchmarks run no test: left out, a fault relinks fewer programs.
    command = ["cmake", "-S", str(ROOT), "-B", str(build), "-G", "Ninja", "-DVEXTAL_BUILD_BENCH=OFF"]
    if shutil.which("ccache"):
        command.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
    status, output = run(command)
    if status != 0:
        sys.exit(f"mutate: cannot configure {build}:\n{output}")


def build_all(build, jobs, targets=()):
    return run(["ninja", "-C", str(build), f"-j{jobs}", *targets])


def suite(build, jobs, per_test, time_limit, tests=None):
    """Runs the suite less the end-to-end label (only `tests` when given),
    stopping at the first failure. Returns 'passed', 'failed' or 'timed out',
    and the name of the first failing test."""
    command = ["ctest", "--test-dir", str(build), "-LE", "e2e", "-j", str(jobs), "--timeout",
               str(per_test), "--stop-on-failure", "--output-on-failure"]
    if tests:
        command += ["-R", tests]
    status, output = run(command, timeout=time_limit)
    if status is None:
        return "timed out", ""
    if status == 0:
        return "passed", ""
    # A test past its time limit is named so: on a loaded machine that may be
    # the load's doing rather than the fault's.
    first = re.search(r"Test\s+#\d+: (\S+) \.*\s*\*\*\*(\w+)", output)
    if not first:
        return "failed", "(see ctest)"
    return "failed", first.group(1) + (" (timed out)" if first.group(2) == "Timeout" else "")


class Planted:
    """The fault in place for the length of a `with`; the file's bytes are
    put back however the block ends. A copy of them waits in the build
    folder meanwhile, so that a run ended by SIGKILL is mended by the next."""

    def __init__(self, build, path, original, mutated):
        self.copy = build / "mutate-original"
        self.path, self.original, self.mutated = path, original, mutated

    def __enter__(self):
        self.copy.write_bytes(str(self.path).encode() + b"\0" + self.original)
        self.path.write_bytes(self.mutated)
        return self

    def __exit__(self, *unused):
        self.path.write_bytes(self.original)
        self.copy.unlink()
        return False


def restore_left_over(build):
    copy = build / "mutate-original"
    if copy.exists():
        path, original = copy.read_bytes().split(b"\0", 1)
        Path(path.decode()).write_bytes(original)
        copy.unlink()
        print(f"mutate: restored {path.decode()}, left planted by a run that was killed", flush=True)


def mutated_text(fault, text):
    """The file's text with the fault planted, or None when the fault no
    longer applies (its text is missing or not unique)."""
    if fault.get("regex"):
        matches = list(re.finditer(fault["find"], text, re.M))
        if len(matches) != 1:
            return None
        match = matches[0]
        return text[:match.start()] + match.expand(fault["replace"]) + text[match.end():]
    if text.count(fault["find"]) != 1:
        return None
    return text.replace(fault["find"], fault["replace"])


def raise_on_signal(number, _frame):
    raise KeyboardInterrupt(f"signal {number}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=str(ROOT / "build-mutate"), help="build folder (default build-mutate)")
    parser.add_argument("--list", default=str(ROOT / "tests" / "mutations.toml"), help="the list of faults")
    parser.add_argument("--only", help="names of the faults to plant, comma-separated")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--time-limit", type=int, default=1200, help="seconds for one fault's whole suite")
    parser.add_argument("--test-timeout", type=int, default=300, help="seconds for one test")
    parser.add_argument("--no-baseline", action="store_true", help="skip the suite on the unchanged code")
    args = parser.parse_args()

    for number in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(number, raise_on_signal)

    faults = tomllib.loads(Path(args.list).read_text())["fault"]
    names = [fault["name"] for fault in faults]
    duplicates = {name for name in names if names.count(name) > 1}
    if duplicates:
        sys.exit(f"mutate: names used twice in the list: {', '.join(sorted(duplicates))}")
    if args.only:
        wanted = set(args.only.split(","))
        unknown = wanted - set(names)
        if unknown:
            sys.exit(f"mutate: no such fault: {', '.join(sorted(unknown))}")
        by_name = {fault["name"]: fault for fault in faults}
        faults = [by_name[name] for name in dict.fromkeys(args.only.split(","))]

    build = Path(args.build).resolve()
    configure(build)
    restore_left_over(build)
    status, output = build_all(build, args.jobs)
    if status != 0:
        sys.exit(f"mutate: the unchanged code does not build:\n{output[-4000:]}")
    if not args.no_baseline:
        outcome, first = suite(build, args.jobs, args.test_timeout, args.time_limit)
        if outcome != "passed":
            sys.exit(f"mutate: the suite fails on the unchanged code ({outcome} {first}); "
                     "a fault could not be told from it")
        print("baseline: the suite passes on the unchanged code", flush=True)

    results = []
    for fault in faults:
        path = ROOT / fault["path"]
        started = time.monotonic()
        original = path.read_bytes() if path.exists() else None
        text = mutated_text(fault, original.decode()) if original is not None else None
        if text is None:
            results.append((fault, "stale", "its text is missing or not unique"))
        else:
            with Planted(build, path, original, text.encode()):
                # The named tests first, with only the programs they run
                # rebuilt when the fault says which: a header many files
                # include then costs one program's build, not all of them.
                targets = fault.get("targets", "").split()
                status, output = build_all(build, args.jobs, targets)
                outcome, first = "passed", ""
                if status == 0 and fault.get("tests"):
                    outcome, first = suite(build, args.jobs, args.test_timeout, args.time_limit,
                                           fault["tests"])
                if status == 0 and outcome == "passed" and targets:
                    status, output = build_all(build, args.jobs)
                if status != 0:
                    results.append((fault, "stale", "does not build"))
                else:
                    if outcome == "passed":
                        outcome, first = suite(build, args.jobs, args.test_timeout, args.time_limit)
                    if outcome == "passed":
                        results.append((fault, "survived", ""))
                    elif outcome == "timed out" or first.endswith("(timed out)"):
                        # On a loaded machine a test may run out of time
                        # whatever the code: not counted either way.
                        results.append((fault, "timed out", first))
                    else:
                        results.append((fault, "caught", first))
        fault_, verdict, why = results[-1]
        seconds = time.monotonic() - started
        print(f"{verdict:9} {fault['name']:36} {why} ({seconds:.0f} s)", flush=True)

    # The build folder back on the unchanged code, for whoever uses it next.
    build_all(build, args.jobs)

    caught = sum(1 for _, verdict, _ in results if verdict == "caught")
    survived = [fault for fault, verdict, _ in results if verdict == "survived"]
    stale = [fault for fault, verdict, _ in results if verdict == "stale"]
    timed_out = [fault for fault, verdict, _ in results if verdict == "timed out"]
    counted = caught + len(survived)
    print()
    for fault in survived:
        print(f"survived: {fault['name']} ({fault['path']}): {fault['breaks']}")
    for fault in stale:
        print(f"stale: {fault['name']} ({fault['path']})")
    for fault in timed_out:
        print(f"timed out: {fault['name']} (plant it again with --only on a quieter machine)")
    score = 100.0 * caught / counted if counted else 0.0
    print(f"score: {caught} of {counted} caught ({score:.1f}%), {len(survived)} survived, {len(stale)} stale, "
          f"{len(timed_out)} timed out")
    return 0 if not survived and not stale and not timed_out else 1


if __name__ == "__main__":
    try:
        sys.exit(main())
    except KeyboardInterrupt as stop:
        sys.exit(f"mutate: stopped ({stop}); the file planted last was restored")
