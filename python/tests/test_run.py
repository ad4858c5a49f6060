"""Runs from Python give the numbers of the command-line program, in
every thread alike, and faults surface as exceptions with their fields."""
import concurrent.futures
import json
import pathlib
import subprocess

import numpy as np
import pytest

import korvan
from conftest import EXAMPLES, GOLDEN_INPUTS, ROOT


def cli_json(cli, path, out):
    subprocess.run([cli, "run", str(path), "--json", "-o", str(out)],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    stem = path.stem
    found = [out / f"{stem}.results.json", out / f"{stem}.json"]
    for f in found:
        if f.exists():
            return json.loads(f.read_text(encoding="utf-8"))
    return None


@pytest.mark.parametrize("path", EXAMPLES + GOLDEN_INPUTS,
                         ids=lambda p: p.stem if p.parent.name == "examples"
                         else "golden-" + p.parent.name)
def test_results_equal_the_command_line_json(cli, path, tmp_path):
    expected = cli_json(cli, path, tmp_path)
    results = korvan.run(path, check=False)
    if expected is None:
        # No JSON (a file error): the status alone.
        assert results.exit_status == 4
        return
    got = results.to_dict()
    expected.pop("program")
    got["input"] = expected["input"]
    # Compare problem by problem first, for a readable failure.
    assert len(got["problems"]) == len(expected["problems"])
    for g, e in zip(got["problems"], expected["problems"]):
        for key in e:
            assert g[key] == e[key], f"problem {e['number']}: {key}"
    assert got == expected


def test_tables_and_arrays_agree():
    res = korvan.run(ROOT / "examples" / "anchored_wall_fhwa.dat")
    p = res.problems[0]
    df = p.stations
    assert list(df.columns[:8]) == ["depth", "deflection", "slope", "moment", "shear",
                                    "soil_reaction", "net_force", "rigidity"]
    assert len(df) == p.increments + 1
    np.testing.assert_array_equal(df["moment"].to_numpy(), p.moment)
    assert df.index[-1] == p.increments
    # Extremes come from the statics moment column and its depths.
    s = p.summary
    k = int(np.argmax(p.array("corrected_moment")))
    assert s["max_positive_moment"]["value"] == p.array("corrected_moment")[k]
    assert s["max_positive_moment"]["depth"] == p.depth[k]
    assert len(p.supports) == 2 and set(p.supports["kind"]) == {"tie back"}
    assert p.units["moment"] == "lb-in"
    with pytest.raises(ValueError):
        p.moment[0] = 1.0  # the arrays are read-only views of the results
    assert "KORVAN" in res.report() and res.plot_data() and res.iteration() is not None


def test_an_input_error_raises_with_its_fields(tmp_path):
    lines = (ROOT / "examples" / "cantilever_sheet_pile.dat").read_text().splitlines()
    fields = lines[2].split()
    fields[3] = "1.O-4"
    lines[2] = " ".join(fields)
    bad = tmp_path / "bad.dat"
    bad.write_text("\n".join(lines) + "\n")
    with pytest.raises(korvan.InputError) as caught:
        korvan.run(bad)
    e = caught.value
    assert (e.file, e.line, e.record, e.field) == (str(bad), 3, "wall-geometry record", 4)
    assert e.field_name == "deflection closure tolerance"
    assert "1.O-4" in e.message
    assert str(e).startswith(f"{bad}:3: wall-geometry record, field 4")
    # Without check the results carry it.
    res = korvan.run(bad, check=False)
    assert res.status == "input error" and res.exit_status == 2
    assert res.diagnostic.field == 4 and res.diagnostic.line == 3
    # A model read from the text refuses it as it converts it, naming it by
    # the name given.
    with pytest.raises(korvan.InputError) as caught:
        korvan.Model.from_text(bad.read_text(), name="trial.dat")
    e = caught.value
    assert (e.file, e.line, e.record, e.field) == ("trial.dat", 3, "wall-geometry record", 4)


def test_a_project_that_is_not_json_raises_with_its_line():
    with pytest.raises(korvan.InputError) as caught:
        korvan.Model.from_text('{\n  "problems": [\n  oops\n]}', name="w.json")
    assert caught.value.file == "w.json" and caught.value.line == 3


def test_threads_give_the_numbers_of_serial_runs():
    paths = EXAMPLES * 3
    serial = [korvan.run(p).to_dict() for p in paths]
    with concurrent.futures.ThreadPoolExecutor(4) as pool:
        threaded = list(pool.map(lambda p: korvan.run(p).to_dict(), paths))
    assert threaded == serial
