#!/usr/bin/env python3
"""Writes the API reference of the korvan package, from its docstrings, into
docs/python.md between the markers "<!-- api -->" and "<!-- /api -->".

    PYTHONPATH=build/python /usr/bin/python3 python/tools/api_reference.py [--check]

With --check, writes nothing and exits 1 when docs/python.md is out of date.
"""
import inspect
import pathlib
import re
import sys

import korvan

DOC = pathlib.Path(__file__).resolve().parents[2] / "docs" / "python.md"


def doc(obj) -> str:
    return inspect.cleandoc(obj.__doc__ or "").strip()


def signature(name, obj, bound=False) -> str:
    try:
        try:
            sig = inspect.signature(obj, eval_str=True)
        except Exception:
            sig = inspect.signature(obj)
    except (TypeError, ValueError):
        return name
    if bound:
        params = list(sig.parameters.values())[1:]
        sig = sig.replace(parameters=params)
    text = str(sig).replace("korvan.model.", "").replace("korvan.results.", "")
    for long, short in (("typing.", ""), ("pathlib.", ""), ("korvan._errors.", ""),
                        ("ForwardRef('os.PathLike[str]')", "os.PathLike"),
                        ("pandas.core.frame.", "pandas."), ("'Model'", "Model"),
                        ("'Diagnostic'", "Diagnostic")):
        text = text.replace(long, short)
    return f"{name}{text}"


def block(text: str) -> list[str]:
    """A docstring with sections (Args:, Returns:) as preformatted text."""
    if "\n    " in text:
        return ["```text", text, "```"]
    return [text]


def section(name, obj, level="###") -> list[str]:
    return [f"{level} `{signature(name, obj)}`", ""] + block(doc(obj)) + [""]


def reference() -> str:
    out = []
    out += section("korvan.run", korvan.run)
    out += section("korvan.study", korvan.study)
    for cls in (korvan.Model, korvan.Results, korvan.ProblemResults, korvan.Node,
                korvan.NodeList,
                korvan.InputError, korvan.Diagnostic):
        out += [f"### `korvan.{cls.__name__}`", ""] + block(doc(cls)) + [""]
        for name, member in cls.__dict__.items():
            if name.startswith("_"):
                continue
            if isinstance(member, (classmethod, staticmethod)):
                fn = member.__func__
                out += [f"- `{cls.__name__}.{signature(name, fn, bound=True)}`: "
                        + " ".join(doc(fn).split())]
            elif isinstance(member, property):
                out += [f"- `{cls.__name__}.{name}` (property): " + " ".join(doc(member).split())]
            elif inspect.isfunction(member):
                out += [f"- `{cls.__name__}.{signature(name, member, bound=True)}`: "
                        + " ".join(doc(member).split())]
        out += [""]
    text = "\n".join(out).rstrip() + "\n"
    return re.sub(r"\n{3,}", "\n\n", text)


def main() -> int:
    current = DOC.read_text(encoding="utf-8")
    start, end = "<!-- api -->\n", "<!-- /api -->"
    i, j = current.index(start) + len(start), current.index(end)
    updated = current[:i] + "\n" + reference() + "\n" + current[j:]
    if "--check" in sys.argv:
        if updated != current:
            print(f"{DOC} is out of date: run {sys.argv[0]}")
            return 1
        return 0
    DOC.write_text(updated, encoding="utf-8")
    return 0


if __name__ == "__main__":
    sys.exit(main())
