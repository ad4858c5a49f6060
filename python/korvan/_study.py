"""Studies: many runs, one table of summaries.

Without a client the runs share a thread pool in this process (the engine
runs without the GIL, one engine per run). With a ``dask.distributed``
client they are spread over its workers, so a study written for one
machine runs on a cluster unchanged.
"""
from __future__ import annotations

import concurrent.futures
import os
import sys
import time
from typing import Any, Iterable, Mapping, Optional, Union

import numpy as np
import pandas as pd

from . import _korvan
from .results import Results


def _run_one(text: bytes, name: str, shown: Optional[str], max_iterations: int,
             full: bool):
    """One run of a study, where it is executed (a thread or a Dask worker):
    the summary rows and, when asked, the whole results."""
    raw = _korvan.run_text(text, name, max_iterations=max_iterations, shown_path=shown)
    results = Results(raw, name)
    head = {"status": results.status, "message": results.message}
    rows = [dict(head, **p.summary_row()) for p in results.problems]
    if not rows:
        rows = [dict(head, problem=np.nan)]
    return rows, (results if full else None)


class _Progress:
    """A one-line progress bar on standard error."""

    def __init__(self, total: int, enabled: bool):
        self.total, self.done, self.enabled = total, 0, enabled and total > 0
        self.start = time.monotonic()
        self._draw()

    def _draw(self) -> None:
        if not self.enabled:
            return
        width = 30
        filled = int(width * self.done / self.total)
        elapsed = time.monotonic() - self.start
        sys.stderr.write(f"\rkorvan study [{'#' * filled}{'.' * (width - filled)}] "
                         f"{self.done}/{self.total} runs, {elapsed:.1f} s")
        sys.stderr.flush()

    def step(self) -> None:
        self.done += 1
        self._draw()

    def close(self) -> None:
        if self.enabled:
            sys.stderr.write("\n")
            sys.stderr.flush()


def _inputs(models) -> tuple[list[Any], list[tuple[bytes, str, Optional[str]]]]:
    from . import _input_of  # the same reading as korvan.run

    if isinstance(models, Mapping):
        labels, items = list(models.keys()), list(models.values())
    else:
        items = list(models)
        labels = list(range(len(items)))
    inputs = []
    for m in items:
        text, name, shown = _input_of(m)
        inputs.append((text.encode("utf-8", "surrogateescape"), name, shown))
    return labels, inputs


def study(models: Union[Iterable[Any], Mapping[Any, Any]], *, client=None,
          workers: Optional[int] = None, full: bool = False,
          progress: Optional[bool] = None, max_iterations: int = 0):
    """Runs many models and tabulates their summaries.

    Args:
        models: :class:`korvan.Model` objects or paths of input files, as a
            sequence (labelled 0, 1, ...) or a mapping ``{label: model}``.
        client: a ``dask.distributed.Client``: the runs are spread over its
            workers (each run builds its own engine on the worker that
            executes it); Dask's dashboard shows the progress. None: a
            thread pool in this process.
        workers: threads of the pool without a client (default: one per
            core). Ignored with a client.
        full: also return every run's :class:`korvan.Results`.
        progress: show a progress bar on standard error; default: when
            standard error is a terminal.
        max_iterations: as for :func:`korvan.run`.

    Returns:
        A DataFrame with one row per problem of each model, in the order of
        ``models``: ``model`` (the label), ``status`` and ``message`` of the
        run, then ``problem``, ``title``, ``stage``, ``units``, ``outcome``,
        ``iterations``, ``max_deflection``, ``max_positive_moment``,
        ``max_negative_moment``, ``max_shear`` (each with ``_depth``),
        ``top_deflection`` and ``max_support_force``, in the units of the
        JSON results (length: in or m). A run that stops on an input error
        gives its rows (or one row) with ``status`` ``"input error"``; it
        does not raise. With ``full=True``: ``(table, [Results, ...])``.
    """
    labels, inputs = _inputs(models)
    if progress is None:
        progress = sys.stderr.isatty()
    bar = _Progress(len(inputs), progress)
    outcomes: list[Any] = [None] * len(inputs)
    try:
        if client is None:
            n = workers or os.cpu_count() or 1
            with concurrent.futures.ThreadPoolExecutor(max_workers=n) as pool:
                futures = {pool.submit(_run_one, text, name, shown, max_iterations,
                                       full): k
                           for k, (text, name, shown) in enumerate(inputs)}
                for f in concurrent.futures.as_completed(futures):
                    outcomes[futures[f]] = f.result()
                    bar.step()
        else:
            from distributed import as_completed

            futures = client.map(_run_one, [i[0] for i in inputs],
                                 [i[1] for i in inputs], [i[2] for i in inputs],
                                 max_iterations=max_iterations, full=full, pure=False)
            index = {f.key: k for k, f in enumerate(futures)}
            for f in as_completed(futures):
                outcomes[index[f.key]] = f.result()
                bar.step()
    finally:
        bar.close()

    rows = []
    for label, (run_rows, _) in zip(labels, outcomes):
        for r in run_rows:
            rows.append(dict(model=label, **r))
    table = pd.DataFrame(rows)
    if full:
        return table, [results for _, results in outcomes]
    return table
