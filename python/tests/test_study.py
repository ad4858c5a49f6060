"""Studies give the numbers of serial runs, on threads and on Dask."""
import numpy as np
import pandas as pd
import pytest

import korvan
from conftest import EXAMPLES


def serial_table(models):
    rows = []
    for label, m in models.items():
        res = korvan.run(m, check=False)
        for p in res.problems:
            rows.append(dict(model=label, status=res.status, message=res.message,
                             **p.summary_row()))
    return pd.DataFrame(rows)


@pytest.fixture(scope="module")
def models(tmp_path_factory):
    """The examples, and a broken input that must not stop the study."""
    broken = tmp_path_factory.mktemp("study") / "broken.dat"
    broken.write_text(EXAMPLES[0].read_text().replace("\n", "\nX ", 2))
    ms = {p.stem: korvan.Model.load(p) for p in EXAMPLES}
    ms["broken"] = broken
    return ms


def test_a_thread_study_equals_serial_runs(models):
    expected = serial_table({k: v for k, v in models.items() if k != "broken"})
    table, full = korvan.study(models, workers=2, full=True)
    ok = table[table.model != "broken"].reset_index(drop=True)
    pd.testing.assert_frame_equal(ok, expected, check_dtype=False)
    # The broken input is a row, not an exception.
    bad = table[table.model == "broken"]
    assert len(bad) >= 1 and (bad.status == "input error").all()
    assert "broken.dat" in bad.message.iloc[0]
    # Full results in the order of the models, equal to serial ones.
    assert [r.input_name for r in full] == [
        f"{k}.json" if k != "broken" else "broken.dat" for k in models]
    assert full[0].to_dict() == korvan.run(models[EXAMPLES[0].stem]).to_dict()
    # One thread gives the same table.
    pd.testing.assert_frame_equal(korvan.study(models, workers=1), table)


def test_a_dask_study_equals_the_serial_study(models, dask_client):
    serial = korvan.study(models, workers=1)
    spread, full = korvan.study(models, client=dask_client, full=True)
    pd.testing.assert_frame_equal(spread, serial)
    assert full[1].to_dict() == korvan.run(models[EXAMPLES[1].stem]).to_dict()
    # Both workers took part.
    assert len(dask_client.scheduler_info()["workers"]) == 2


def test_sequences_are_labelled_by_position():
    table = korvan.study([EXAMPLES[0], EXAMPLES[0]], workers=2)
    assert list(table.model.unique()) == [0, 1]
    assert table.max_deflection.iloc[0] == table.max_deflection.iloc[-1]
    assert np.isfinite(table.top_deflection).all()
