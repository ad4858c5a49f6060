"""korvan: analysis of flexible retaining walls, for Python.

    import korvan
    res = korvan.run("wall.dat")              # or a korvan.Model
    df = res.problems[0].stations             # pandas DataFrame
    res.plot()                                # depth diagrams (matplotlib)

    model = korvan.Model.load("wall.dat")
    model.problems[0].soil.layers[1].friction_angle = 32
    table = korvan.study([model, ...])        # many runs, one DataFrame

Values are in the units of the JSON results: lengths and depths in inches
(English units) or metres (metric), forces in lb or kN (docs/python.md).
The engine runs without the GIL: threads run in parallel.
"""
from __future__ import annotations

import os
import pathlib
from typing import Optional, Sequence, Union

from . import _korvan
from ._errors import Diagnostic, InputError
from .model import Model, Node, NodeList
from .results import ProblemResults, Results
from ._study import study

__version__: str = _korvan.__version__

__all__ = ["Model", "Node", "NodeList", "Results", "ProblemResults", "InputError",
           "Diagnostic", "run", "study", "__version__"]


def _input_of(model_or_path) -> tuple[str, str, Optional[str]]:
    """The text a run reads, its name, and the path shown for it."""
    if isinstance(model_or_path, Model):
        return model_or_path.run_input() + (None,)
    if isinstance(model_or_path, (str, os.PathLike)):
        p = pathlib.Path(model_or_path)
        text = p.read_bytes().decode("utf-8", "surrogateescape")
        return text, p.name, str(model_or_path)
    raise TypeError("korvan.run: a korvan.Model or the path of a .dat or .json file, "
                    f"not {type(model_or_path).__name__}")


def run(model_or_path: Union[Model, str, "os.PathLike[str]"], *,
        check: bool = True, max_iterations: int = 0,
        fixed_clock: Optional[Sequence[int]] = None) -> Results:
    """Analyses every problem of a model or of an input file.

    Args:
        model_or_path: a :class:`Model`, or the path of an input data file
            (``.dat``) or a project (``.json``); the report header and
            diagnostics show a path as given, as the command line does.
        check: raise :class:`InputError` when the run stops on an input
            error (with ``check=False`` the :class:`Results` say so in
            ``status`` and ``diagnostic``). Other outcomes (not closed,
            deflection exceeded, generator stop) never raise: see
            ``Results.status`` and each problem's ``outcome``.
        max_iterations: when positive, an upper bound on the iterations of
            every problem (below the input's own limit).
        fixed_clock: (year, month, day, hour, minute, second) to show in the
            report header instead of the clock (reproducible reports).

    Returns:
        :class:`Results`. The engine runs without the GIL; one engine per
        call, so calls from several threads run in parallel.
    """
    text, name, shown = _input_of(model_or_path)
    raw = _korvan.run_text(text.encode("utf-8", "surrogateescape"), name,
                           max_iterations=max_iterations, shown_path=shown,
                           fixed_clock=list(fixed_clock) if fixed_clock else None)
    results = Results(raw, name)
    if check and results.status == "input error":
        diags = [results.diagnostic] if results.diagnostic else []
        raise InputError(results.message, diags)
    return results
