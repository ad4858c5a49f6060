#!/usr/bin/env python3
"""Checks the project-file schema against the program.

Every golden and example input that the reader accepts is converted to a
project with `korvan convert` and validated against
docs/schema/korvan-project.schema.json (JSON Schema draft 2020-12, with the
jsonschema package); so are the hand-written projects of tests/data/project,
which must also convert back to input data files. Every member the schema
names must occur in one of these projects (so that the schema names nothing
the program does not write) and carry a description.

Usage: check_schema.py KORVAN REPOSITORY
"""
import json
import pathlib
import subprocess
import sys
import tempfile

from jsonschema import Draft202012Validator


def schema_members(node, found, where="$"):
    """(name, location) of every property the schema defines."""
    for name, sub in node.get("properties", {}).items():
        found.append((name, f"{where}.{name}"))
        if "description" not in sub:
            raise SystemExit(f"schema: {where}.{name} has no description")
        schema_members(sub, found, f"{where}.{name}")
    if "items" in node:
        schema_members(node["items"], found, where + "[]")
    for sub in node.get("anyOf", []):
        schema_members(sub, found, where)


def used_members(node, used):
    if isinstance(node, dict):
        for name, sub in node.items():
            used.add(name)
            used_members(sub, used)
    elif isinstance(node, list):
        for sub in node:
            used_members(sub, used)


def main():
    korvan, repo = sys.argv[1], pathlib.Path(sys.argv[2])
    schema = json.loads((repo / "docs/schema/korvan-project.schema.json").read_text())
    Draft202012Validator.check_schema(schema)
    validator = Draft202012Validator(schema)
    inputs = sorted(repo.glob("tests/golden/*/input.dat")) + sorted(repo.glob("examples/*.dat"))
    failures, used, checked = [], set(), 0
    with tempfile.TemporaryDirectory() as tmp:
        projects = []
        for i, dat in enumerate(inputs):
            out = pathlib.Path(tmp) / f"p{i}.json"
            done = subprocess.run([korvan, "convert", str(dat), str(out)],
                                  capture_output=True, text=True)
            if done.returncode == 2:
                continue  # refused by the reader, as a run refuses it
            if done.returncode != 0:
                failures.append(f"{dat}: convert gave status {done.returncode}: {done.stderr}")
                continue
            projects.append((dat, out))
        for fixture in sorted((repo / "tests/data/project").glob("*.json")):
            back = pathlib.Path(tmp) / (fixture.stem + ".dat")
            done = subprocess.run([korvan, "convert", str(fixture), str(back)],
                                  capture_output=True, text=True)
            if done.returncode != 0:
                failures.append(f"{fixture}: does not convert: {done.stderr.strip()}")
            projects.append((fixture, fixture))
        for source, path in projects:
            document = json.loads(path.read_text())
            for error in validator.iter_errors(document):
                place = "/".join(str(p) for p in error.absolute_path)
                failures.append(f"{source}: {place}: {error.message}")
            used_members(document, used)
            checked += 1
    defined = []
    schema_members(schema, defined)
    for name, where in defined:
        if name not in used:
            failures.append(f"schema member {where} occurs in no project the program writes")
    for f in failures:
        print("FAIL:", f)
    print(f"{checked} projects validated against the schema, {len(defined)} members defined")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
