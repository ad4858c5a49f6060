"""The Python examples run and save their plots."""
import os
import subprocess
import sys

import pandas as pd

from conftest import ROOT


def run_example(name, tmp_path, *args):
    env = dict(os.environ, MPLBACKEND="Agg")
    done = subprocess.run([sys.executable, str(ROOT / "examples" / "python" / name), *args],
                          cwd=tmp_path, env=env, capture_output=True, text=True,
                          timeout=120)
    assert done.returncode == 0, done.stderr
    return done.stdout


def test_embedment_sweep(tmp_path):
    out = run_example("embedment_sweep.py", tmp_path)
    assert (tmp_path / "embedment_sweep.png").stat().st_size > 10000
    table = pd.read_csv(tmp_path / "embedment_sweep.csv")
    assert len(table) == 23 and "wrote embedment_sweep.png" in out
    closed = table[table.outcome == "completed"]
    # The longest walls close; deeper embedment holds the top back.
    assert closed.embedment_m.max() == 8.0
    assert closed.top_deflection.iloc[0] > closed.top_deflection.iloc[-1] > 0


def test_monte_carlo_tieback(tmp_path):
    out = run_example("monte_carlo_tieback.py", tmp_path, "200")
    assert (tmp_path / "monte_carlo_tieback.png").stat().st_size > 10000
    table = pd.read_csv(tmp_path / "monte_carlo_tieback.csv")
    assert len(table) == 200 and "P(max deflection > 0.35 in)" in out
    # More cohesion, less deflection.
    assert table.cohesion.corr(table.max_deflection) < -0.5
