#!/usr/bin/env python3
"""Monte Carlo reliability of a tied-back wall.

The soldier-pile wall of examples/soldier_pile_sand_two_tiebacks.dat
(20 ft retained, two prestressed tie backs) stands here in a silt whose
friction angle and cohesion are uncertain: the friction angle normal with
mean 28 degrees and standard deviation 2.5 degrees, the cohesion lognormal
with mean 2.0 psi and coefficient of variation 0.5, independent. Each draw
is one run of a study; the result is the probability that the largest
deflection exceeds the allowable 0.35 in, with its sampling error, and the
distribution of the deflection.

    PYTHONPATH=build/python /usr/bin/python3 examples/python/monte_carlo_tieback.py [N] [--dask]

writes monte_carlo_tieback.png and monte_carlo_tieback.csv in the current
folder (N draws, default 1000; the seed is fixed).
"""
import pathlib
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

import korvan  # noqa: E402

HERE = pathlib.Path(__file__).resolve().parent
BASE = HERE.parent / "soldier_pile_sand_two_tiebacks.dat"
ALLOWABLE = 0.35  # in


def draws(n: int, rng: np.random.Generator):
    phi = rng.normal(28.0, 2.5, n)                      # degrees
    mean, cov = 2.0, 0.5                                # psi
    s = np.sqrt(np.log(1.0 + cov**2))
    c = rng.lognormal(np.log(mean) - s**2 / 2.0, s, n)  # psi
    return phi, c


def main() -> None:
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    n = int(args[0]) if args else 1000
    base = korvan.Model.load(BASE)
    layer = base.problems[0].soil.layers[0]
    layer.soil = "silt"
    layer.epsilon50 = 0.01
    layer.subgrade_modulus = 100.0          # lb/in^3

    phi, c = draws(n, np.random.default_rng(20261209))
    models = []
    for k in range(n):
        m = base.copy()
        soil = m.problems[0].soil.layers[0]
        soil.friction_angle = phi[k]            # degrees, top and bottom
        soil.strength = c[k]                    # psi (lb/in^2)
        models.append(m)

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

    table["friction_angle"] = phi[table.model]
    table["cohesion"] = c[table.model]
    table.to_csv("monte_carlo_tieback.csv", index=False)
    # A draw without a closed solution counts as a failure.
    deflection = table.max_deflection.abs()
    failed = (table.outcome != "completed") | (deflection > ALLOWABLE)
    p = failed.mean()
    se = np.sqrt(p * (1.0 - p) / n)
    print(f"{n} draws: P(max deflection > {ALLOWABLE} in) = {p:.3f} "
          f"(standard error {se:.3f}); {int((table.outcome != 'completed').sum())} "
          "draws without a closed solution")

    fig, (ax_h, ax_s) = plt.subplots(1, 2, figsize=(11, 4.5))
    ax_h.hist(deflection[table.outcome == "completed"], bins=40, color="tab:blue")
    ax_h.axvline(ALLOWABLE, color="tab:red", label=f"allowable {ALLOWABLE} in")
    ax_h.set_xlabel("Largest deflection (in)")
    ax_h.set_ylabel("Draws")
    ax_h.legend()
    sc = ax_s.scatter(table.friction_angle, table.cohesion, c=deflection, s=8,
                      cmap="viridis")
    ax_s.set_xlabel("Friction angle (deg)")
    ax_s.set_ylabel("Cohesion (psi)")
    fig.colorbar(sc, ax=ax_s, label="Largest deflection (in)")
    fig.suptitle(f"Tied-back wall in silt: P(exceed) = {p:.3f} ± {se:.3f} ({n} draws)")
    fig.tight_layout()
    fig.savefig("monte_carlo_tieback.png", dpi=120)
    print("wrote monte_carlo_tieback.png and monte_carlo_tieback.csv")


if __name__ == "__main__":
    main()
