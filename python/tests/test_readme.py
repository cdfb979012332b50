"""The README's Python examples run as written, from the project's folder,
one after another in one namespace, and print what the README says they
print (the ```text block that follows an example, where there is one)."""

from __future__ import annotations

import contextlib
import io
import os
import re
import warnings
from pathlib import Path

import pytest

README = Path(__file__).resolve().parents[2] / "README.md"
BLOCK = re.compile(r"```(\w*)\n(.*?)```", re.DOTALL)


def examples(language: str) -> list[tuple[str, str | None]]:
    """Each example of the language, with the output shown after it."""
    blocks = [(match.group(1), match.group(2)) for match in BLOCK.finditer(README.read_text())]
    found = []
    for k, (tag, code) in enumerate(blocks):
        if tag == language:
            shown = blocks[k + 1][1] if k + 1 < len(blocks) and blocks[k + 1][0] == "text" else None
            found.append((code, shown))
    return found


def test_the_readme_s_python_examples_print_what_it_shows(monkeypatch):
    monkeypatch.chdir(README.parent)
    namespace: dict[str, object] = {}
    assert examples("python"), "no Python example in the README"
    for code, shown in examples("python"):
        printed = io.StringIO()
        with contextlib.redirect_stdout(printed), warnings.catch_warnings():
            warnings.simplefilter("ignore")
            exec(compile(code, str(README), "exec"), namespace)  # noqa: S102 - the README's own examples
        if shown is not None:
            assert printed.getvalue() == shown, code
