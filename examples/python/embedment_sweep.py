#!/usr/bin/env python3
"""Embedment sweep of a cantilevered sheet pile.

The sheet pile of examples/sand_cantilever_water_metric.dat retains 4 m of
medium dense sand (water 3 m behind the wall). Its embedment below the
excavation line runs from 2.5 m to 8 m in steps of 0.25 m; each wall is one
run of a study (a thread pool on every core). The maximum moment and the
top deflection are plotted against the embedment: too short a wall moves
beyond the allowable deflection of 0.5 m (the soil in front cannot hold
it), and beyond some depth more
embedment changes little. The p-y curves are generated at a few depths
spread down to the toe and interpolated between them, so the moment steps
by a few per cent as those depths move with the toe.

    PYTHONPATH=build/python /usr/bin/python3 examples/python/embedment_sweep.py [--dask]

writes embedment_sweep.png and embedment_sweep.csv in the current folder.
With --dask the same study runs on a local Dask cluster of two worker
processes.
"""
import pathlib
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

import korvan  # noqa: E402

HERE = pathlib.Path(__file__).resolve().parent
BASE = HERE.parent / "sand_cantilever_water_metric.dat"


def wall_with_embedment(base: korvan.Model, embedment: float) -> korvan.Model:
    """The base wall lengthened or shortened to `embedment` metres below the
    excavation line (the increment length kept, the sand deepened to reach
    two increments and more below the toe)."""
    model = base.copy()
    p = model.problems[0]
    h = p.wall.increment_length                 # m
    length = p.soil.free_height + embedment     # m, top of wall to toe
    p.wall.increments = int(round(length / h))
    p.wall.height = length
    p.wall_sections[-1].bottom = length         # m (metric)
    deepest = p.soil.layers[-1]
    deepest.bottom = max(deepest.bottom, length + 3 * h)
    return model


def main() -> None:
    base = korvan.Model.load(BASE)
    embedments = np.arange(2.5, 8.0 + 1e-9, 0.25)
    models = {round(float(d), 2): wall_with_embedment(base, d) for d in embedments}

    client = None
    if "--dask" in sys.argv:
        from distributed import Client, LocalCluster
        cluster = LocalCluster(n_workers=2, threads_per_worker=1, host="127.0.0.1",
                               dashboard_address=None)
        client = Client(cluster)
    table = korvan.study(models, client=client)
    if client is not None:
        client.close()
        cluster.close()

    table = table.rename(columns={"model": "embedment_m"})
    table.to_csv("embedment_sweep.csv", index=False)
    closed = table[table.outcome == "completed"]
    print(table[["embedment_m", "outcome", "iterations", "max_positive_moment",
                 "top_deflection"]].to_string(index=False))

    fig, (ax_m, ax_d) = plt.subplots(1, 2, figsize=(11, 4.5))
    ax_m.plot(closed.embedment_m, closed.max_positive_moment, "o-")
    ax_m.set_xlabel("Embedment below the excavation line (m)")
    ax_m.set_ylabel("Maximum moment (kN-m per m of wall)")
    ax_m.set_ylim(0.0, 1.1 * closed.max_positive_moment.max())
    ax_d.plot(closed.embedment_m, closed.top_deflection * 1000.0, "o-", color="tab:red")
    ax_d.set_xlabel("Embedment below the excavation line (m)")
    ax_d.set_ylabel("Top deflection (mm)")
    ax_d.set_ylim(0.0, 1100.0 * closed.top_deflection.max())
    for ax in (ax_m, ax_d):
        ax.grid(True, lw=0.3)
        not_closed = table[table.outcome != "completed"].embedment_m
        ax.set_xlim(embedments[0] - 0.25, embedments[-1] + 0.25)
        if len(not_closed):
            ax.axvspan(not_closed.min() - 0.125, not_closed.max() + 0.125,
                       color="0.9", label="beyond the allowable deflection")
            ax.legend()
    fig.suptitle("Cantilevered sheet pile, 4 m of sand retained")
    fig.tight_layout()
    fig.savefig("embedment_sweep.png", dpi=120)
    print("wrote embedment_sweep.png and embedment_sweep.csv")


if __name__ == "__main__":
    main()
