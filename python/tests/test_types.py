"""The package's types as a type checker sees them: mypy --strict on the
package and on a user's script, and stubtest of the stubs against the
compiled core. Skipped where Debian's mypy is not installed."""

from __future__ import annotations

import importlib.util
import os
import subprocess
import sys
from pathlib import Path

import pytest

import rf_compare

pytestmark = pytest.mark.skipif(importlib.util.find_spec("mypy") is None, reason="mypy is not installed")

PACKAGE = Path(rf_compare.__file__).parent
ALLOWLIST = Path(__file__).parent.parent / "stubtest_allowlist.txt"

USER_SCRIPT = '''
import numpy as np
import rf_compare

d = np.zeros((4, 4))
tree = rf_compare.rebuild(d, names=["a", "b", "c", "d"])
parent, child, length = tree.edges()
names: tuple[str, ...] | None = tree.names
table = rf_compare.pairs([d, d], metric="kf", threads=2)
rf_compare.Tree()  # error: not constructible
'''


def run(*arguments: str) -> subprocess.CompletedProcess[str]:
    environment = dict(os.environ, PYTHONPATH=str(PACKAGE.parent))
    return subprocess.run([sys.executable, "-m", *arguments], capture_output=True, text=True, env=environment,
                          cwd=PACKAGE.parent, check=False)


def test_the_package_is_clean_under_mypy_strict_and_stubtest():
    checked = run("mypy", "--strict", "--no-incremental", "rf_compare")
    assert checked.returncode == 0, checked.stdout
    stubs = run("mypy.stubtest", "rf_compare", "--allowlist", str(ALLOWLIST))
    assert stubs.returncode == 0, stubs.stdout


def test_a_user_s_script_is_checked_against_the_stubs(tmp_path):
    script = tmp_path / "script.py"
    script.write_text(USER_SCRIPT)
    checked = run("mypy", "--strict", "--no-incremental", str(script))
    errors = [line for line in checked.stdout.splitlines() if ": error:" in line]
    assert len(errors) == 1 and "script.py:10:" in errors[0], checked.stdout
