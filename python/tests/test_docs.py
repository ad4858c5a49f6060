"""The API reference in docs/python.md is the one the docstrings give."""
import runpy
import sys

from conftest import ROOT


def test_the_api_reference_is_up_to_date(monkeypatch):
    monkeypatch.setattr(sys, "argv", ["api_reference.py", "--check"])
    tool = runpy.run_path(str(ROOT / "python" / "tools" / "api_reference.py"))
    assert tool["main"]() == 0, "run python/tools/api_reference.py"
