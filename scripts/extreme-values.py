#!/usr/bin/env python3
"""Runs the engine on every golden input and example with one number at a
time pushed to the edge of the doubles, and reports every run that

  - writes NaN or Infinity into an output file (report, plot data,
    iteration log, JSON results, HTML report) or the summary, or null in
    the JSON results where a number is due,
  - leaves a results writer to meet a value that is not a number (the
    writer refuses it: "is not a finite number" on standard error),
  - ends with status 0 or 1 although a value is not finite,
  - refuses the input with a message about a scratch file (the p-y curve
    file or the earth-pressure distribution file) instead of the input,
  - crashes (a signal, or a status outside 0..4) or runs longer than the
    time limit.

Each numeric token of an input is, in turn, multiplied by 1e300 (when it
is a non-zero real), set to 1e308 and set to -1e308. Integer fields refuse
the reals at once, so trying every token costs little.

    scripts/extreme-values.py [--korvan build/korvan] [-j 2] [--timeout 20]
                              [--max-iterations 50] [INPUT ...]

Without inputs it takes tests/golden/*/input.dat and examples/*.dat. The
exit status is 1 when anything was found. Only the standard library is
used.
"""
import argparse
import concurrent.futures
import os
import re
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
NUMBER = re.compile(r"^[+-]?(\d+\.?\d*|\.\d+)([EeDd]?[+-]?\d+)?$")
NON_FINITE = re.compile(r"(?<![A-Za-z])(NaN|nan|NAN|Inf|inf|Infinity|infinity)"
                        r"(?![A-Za-z])")
SCRATCH = re.compile(r"\.(pyc|epd)\b")
# JSON members that are null when there is no such value.
NULLABLE = {"stage", "excavation_depth", "water_table_backfill",
            "water_table_excavation", "max_deflection", "max_positive_moment",
            "max_negative_moment", "max_shear"}


def json_findings(text):
    """Places in a JSON document where a number is not finite or is
    null where a number is due."""
    import json
    import math
    found = []

    def walk(value, where, key):
        if isinstance(value, float) and not math.isfinite(value):
            found.append(where)
        elif value is None and key not in NULLABLE:
            found.append(where + " (null)")
        elif isinstance(value, dict):
            for k, v in value.items():
                walk(v, where + "/" + k, k)
        elif isinstance(value, list):
            for i, v in enumerate(value):
                walk(v, where + "/" + str(i), None)
    try:
        walk(json.loads(text), "", None)
    except ValueError as e:
        found.append("not JSON: " + str(e)[:60])
    return found


def tokens(text):
    """(line index, start, end) of every numeric token of the text."""
    found = []
    for i, line in enumerate(text.split("\n")):
        for m in re.finditer(r"[^\s,/']+", line):
            tok = m.group(0)
            if "*" in tok:
                continue
            if NUMBER.match(tok):
                found.append((i, m.start(), m.end(), tok))
    return found


def variants(tok):
    real = any(c in tok for c in ".EeDd")
    out = []
    value = float(tok.replace("D", "E").replace("d", "e"))
    if real and value != 0.0:
        out.append(("x1e300", repr(value * 1e300) if abs(value * 1e300) < 1.7e308
                    else None))
    out.append(("1e308", "1.0E308"))
    out.append(("-1e308", "-1.0E308"))
    return [(name, text) for name, text in out if text is not None]


def run_one(args, source, text, where, name):
    folder = tempfile.mkdtemp(prefix="korvan-extreme-")
    try:
        stem = "case"
        path = os.path.join(folder, stem + ".dat")
        with open(path, "w", encoding="latin-1") as f:
            f.write(text)
        command = [args.korvan, "run", path, "--json", "--html", "--summary"]
        if args.max_iterations > 0:
            command += ["--max-iterations", str(args.max_iterations)]
        try:
            done = subprocess.run(command, capture_output=True, text=True,
                                  errors="replace", timeout=args.timeout)
        except subprocess.TimeoutExpired:
            return f"{source} {where} {name}: ran longer than {args.timeout} s"
        status = done.returncode
        problems = []
        if status < 0 or status > 4:
            problems.append(f"crashed (status {status})")
        bad_files = []
        for ext in (".out", ".plot", ".iter", ".results.json", ".html"):
            out = os.path.join(folder, stem + ext)
            if not os.path.exists(out):
                continue
            # The report names the run's folder, whose random name may
            # spell "nan" or "inf": it is left out of the search.
            with open(out, errors="replace") as f:
                written = f.read()
            if NON_FINITE.search(written.replace(folder, "")):
                bad_files.append(ext)
            elif ext == ".results.json":
                places = json_findings(written)
                if places:
                    bad_files.append(".json at " + ", ".join(places[:3]))
        if NON_FINITE.search(done.stdout.replace(folder, "")):
            bad_files.append("summary")
        if bad_files:
            problems.append("non-finite values in " + ", ".join(bad_files) +
                            f" (status {status})")
        if "is not a finite number" in done.stderr:
            problems.append("a results writer met a value that is not a "
                            "number: " + done.stderr.strip()[:160])
        if status == 2 and SCRATCH.search(done.stderr):
            problems.append("refused naming a scratch file: " +
                            done.stderr.strip()[:160])
        if problems:
            return f"{source} {where} {name}: " + "; ".join(problems)
        return None
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--korvan", default=os.path.join(ROOT, "build", "korvan"))
    parser.add_argument("-j", "--jobs", type=int, default=2)
    parser.add_argument("--timeout", type=float, default=20.0)
    parser.add_argument("--max-iterations", type=int, default=50)
    parser.add_argument("inputs", nargs="*")
    args = parser.parse_args()
    inputs = args.inputs
    if not inputs:
        golden = os.path.join(ROOT, "tests", "golden")
        inputs = sorted(os.path.join(golden, d, "input.dat")
                        for d in os.listdir(golden)
                        if os.path.exists(os.path.join(golden, d, "input.dat")))
        examples = os.path.join(ROOT, "examples")
        inputs += sorted(os.path.join(examples, f) for f in os.listdir(examples)
                         if f.endswith(".dat"))
    jobs = []
    for source in inputs:
        with open(source, encoding="latin-1") as f:
            text = f.read()
        lines = text.split("\n")
        shown = os.path.relpath(source, ROOT)
        for (i, start, end, tok) in tokens(text):
            for name, replacement in variants(tok):
                changed = list(lines)
                changed[i] = lines[i][:start] + replacement + lines[i][end:]
                jobs.append((shown, "\n".join(changed),
                             f"line {i + 1} col {start + 1} ({tok})", name))
    print(f"{len(jobs)} runs over {len(inputs)} inputs", file=sys.stderr)
    findings = []
    with concurrent.futures.ThreadPoolExecutor(max_workers=args.jobs) as pool:
        for result in pool.map(lambda j: run_one(args, *j), jobs):
            if result:
                findings.append(result)
                print(result, flush=True)
    print(f"{len(findings)} findings in {len(jobs)} runs", file=sys.stderr)
    return 1 if findings else 0


if __name__ == "__main__":
    sys.exit(main())
