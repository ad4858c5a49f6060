#!/usr/bin/env python3
"""Checks that every project include points down the layers.

Each folder under src/ (and app/, python/) may include the folders listed for it
below, itself, and the standard library; include/korvan/ is the public
API. A few single-file edges between layers are listed by file. Exit
status 1, with one line per offending include, when an include runs
against the layers.

Usage: check-layers.py [REPOSITORY]
"""
import pathlib
import re
import sys

PUBLIC = "korvan"  # include/korvan/*.h, written "korvan/x.h"
PHYSICS = {"wall", "pressure", "py"}

# Folder -> folders it may include (besides itself).
ALLOWED = {
    "model": set(),
    "wall": {"model"},
    "pressure": {"model"},
    "py": {"model"},
    # Input checks a support's station and spring while it reads the
    # record, as the wall model will make them (wall/supports.h).
    "input": {"model", PUBLIC},
    "report": {"model", "input", PUBLIC} | PHYSICS,
    # The hand-off files hold what the physics makes (curves, a pressure
    # distribution); they parse with the record reader and format with the
    # report's writer and number formats (file edges below).
    "scratch": {"model"} | PHYSICS,
    "run": {"model", "input", "scratch", "report", PUBLIC} | PHYSICS,
    # Project files (JSON) read through the run and write input data files.
    "project": {"model", "input", "run", "report", PUBLIC},
    "present": {PUBLIC},
    "capi": {PUBLIC, "run"},
    "app": {PUBLIC, "present", "serve"},
    # The HTTP server of `korvan serve`: the engine through the public API,
    # the results through the presentation library.
    "serve": {PUBLIC, "present"},
    # The Python module stands on the public API alone.
    "python": {PUBLIC},
    # The public headers (include/korvan/) stand on their own.
    "public": {PUBLIC},
}

# Single-file edges outside the folder rules: (including folder, header).
FILE_EDGES = {
    ("input", "wall/supports.h"),
    ("scratch", "input/record_reader.h"),
    ("scratch", "input/input_error.h"),
    ("scratch", "report/record_writer.h"),
    ("scratch", "report/fortran_format.h"),
}

# Quoted and angle-bracket includes: a project header written <run/run.h>
# is found through the same include paths and counts the same.
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^">]+)[">]', re.MULTILINE)


def folder_of(path, root):
    rel = path.relative_to(root).parts
    if rel[0] in ("app", "python"):
        return rel[0]
    if rel[0] == "include":
        return "public"
    return rel[1]


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else
                        pathlib.Path(__file__).resolve().parent.parent)
    files = [p for d in ("src", "app", "include", "python") for p in (root / d).rglob("*")
             if p.suffix in (".h", ".cc", ".c")]
    project = set(ALLOWED) | {PUBLIC}
    faults = []
    for path in sorted(files):
        layer = folder_of(path, root)
        if layer not in ALLOWED:
            faults.append(f"{path.relative_to(root)}: folder '{layer}' has "
                          "no place in the layers")
            continue
        text = path.read_text(encoding="utf-8")
        for match in INCLUDE.finditer(text):
            header = match.group(1)
            target = header.split("/")[0] if "/" in header else layer
            if target not in project:
                continue  # the standard library or a dependency
            if target == layer or target in ALLOWED[layer]:
                continue
            if (layer, header) in FILE_EDGES:
                continue
            line = text.count("\n", 0, match.start()) + 1
            faults.append(f"{path.relative_to(root)}:{line}: {layer}/ may "
                          f"not include \"{header}\"")
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} include(s) against the layers")
        return 1
    print(f"{len(files)} files: every include points down the layers")
    return 0


if __name__ == "__main__":
    sys.exit(main())
