"""What the module's tests share: the built programs and the examples.

ctest runs them with VEXTAL_TOOLS (the folder of the built programs),
VEXTAL_EXAMPLES and PYTHONPATH (the built module) set.
"""
import os
import pathlib
import subprocess

import pytest


@pytest.fixture(scope="session")
def tools():
    return pathlib.Path(os.environ["VEXTAL_TOOLS"])


@pytest.fixture(scope="session")
def examples():
    return sorted(pathlib.Path(os.environ["VEXTAL_EXAMPLES"]).glob("*.vextal"))


@pytest.fixture
def run(tools):
    """Runs a built program; its status must be 0."""
    def run(program, *arguments):
        done = subprocess.run([str(tools / program), *map(str, arguments)],
                              capture_output=True, text=True)
        assert done.returncode == 0, done.stderr
        return done
    return run
