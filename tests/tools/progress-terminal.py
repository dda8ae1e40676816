#!/usr/bin/env python3
"""Progress lines are shown on a terminal and never in a pipe or a file, for
every tool that has one: vextal-animate's bar and vextal-export's steps on a
large grid. The terminal is a pseudo-terminal made here.
    progress-terminal.py EXPORT ANIMATE EXAMPLES_DIR
"""
import os
import pty
import subprocess
import sys
import tempfile

exporter, animate, examples = sys.argv[1:4]
scene = os.path.join(examples, "sphere.vextal")
failures = []


def on_terminal(command):
    """What `command` writes to its standard error, a pseudo-terminal."""
    leader, follower = pty.openpty()
    process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=follower)
    os.close(follower)
    written = b""
    while True:
        try:
            chunk = os.read(leader, 65536)
        except OSError:  # EIO: every end of the terminal is closed
            break
        if not chunk:
            break
        written += chunk
    os.close(leader)
    if process.wait() != 0:
        failures.append(f"{command}: exit {process.returncode}")
    return written.decode(errors="replace")


def in_pipe(command):
    done = subprocess.run(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if done.returncode != 0:
        failures.append(f"{command}: exit {done.returncode}")
    return done.stderr.decode(errors="replace")


def expect(condition, what):
    if not condition:
        failures.append(what)


with tempfile.TemporaryDirectory() as work:
    gif = os.path.join(work, "out.gif")
    animation = [animate, scene, gif, "--frames", "3", "--size", "32x24"]
    shown = on_terminal(animation)
    expect("frame 3 of 3 [" in shown and shown.endswith("\r\x1b[K"), f"animate on a terminal: {shown!r}")
    expect(in_pipe(animation) == "", "animate wrote progress into a pipe")
    expect(on_terminal(animation + ["--quiet"]) == "", "animate --quiet wrote progress")

    # A million vertices and more: the steps are told on a terminal only.
    stl = os.path.join(work, "out.stl")
    large = [exporter, scene, stl, "--grid", "1000x1001"]
    shown = on_terminal(large)
    expect(shown.startswith("vextal-export: ") and shown.endswith("...\r\n"), f"export on a terminal: {shown!r}")
    expect(in_pipe(large) == "", "export wrote progress into a pipe")
    expect(on_terminal([exporter, scene, stl]) == "", "export told the steps of a small grid")

for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
