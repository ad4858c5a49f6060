"""Depth diagrams of a run with matplotlib, as the HTML report draws them."""
from __future__ import annotations

from typing import Iterable, Optional


def plot_results(results, problems: Optional[Iterable[int]] = None, *,
                 shown_units: bool = True) -> list:
    """One Figure per problem: deflection, slope, moment, shear, soil
    reaction and earth pressure (or net load) against depth, depth downward,
    with the excavation line, water tables and supports marked."""
    import matplotlib.pyplot as plt

    chosen = (list(problems) if problems is not None else
              [k for k, p in enumerate(results.problems) if p.has_stations])
    figures = []
    for k in chosen:
        p = results.problems[k]
        u = p.units
        df = u["depth_factor"] if shown_units else 1.0
        ff = u["deflection_factor"] if shown_units else 1.0
        depth_unit = u["shown_depth"] if shown_units else u["length"]
        defl_unit = u["shown_deflection"] if shown_units else u["length"]
        depth = p.depth * df
        h = p.increment_length
        pressure = p.earth_pressure
        if len(pressure) and p.has_stations:
            end = p.depth[-1] * (1.0 + 1e-9)
            pressure = pressure[pressure["depth"] <= end]
            load = (pressure["load"].to_numpy(), pressure["depth"].to_numpy() * df,
                    "Earth pressure")
        else:
            load = ((p.net_force / h) if h > 0 else p.net_force * 0.0, depth, "Net load")
        panels = [
            (p.deflection * ff, depth, "Deflection", defl_unit),
            (p.slope, depth, "Slope", "rad"),
            (p.array("corrected_moment"), depth, "Moment", u["moment"]),
            (p.array("corrected_shear"), depth, "Shear", u["force"]),
            (p.soil_reaction, depth, "Soil reaction", u["line_load"]),
            (load[0], load[1], load[2], u["line_load"]),
        ]
        fig, axes = plt.subplots(1, 6, figsize=(16, 6), sharey=True)
        name = f"Stage {p.stage}" if p.stage else f"Problem {p.number}"
        fig.suptitle(f"{name}: {p.title}")
        for ax, (x, y, title, unit) in zip(axes, panels):
            ax.plot(x, y, lw=1.5)
            ax.axvline(0.0, color="0.6", lw=0.8)
            ax.set_title(title)
            ax.set_xlabel(f"{title} ({unit})")
            ax.grid(True, lw=0.3)
            if p.excavation_depth is not None:
                ax.axhline(p.excavation_depth * df, color="tab:brown", ls="--", lw=0.8)
            for w in (p.water_table_backfill, p.water_table_excavation):
                if w is not None:
                    ax.axhline(w * df, color="tab:blue", ls=":", lw=0.8)
            for s in p._d["support_positions"]:
                ax.axhline(s["depth"] * df, color="tab:red", ls="-.", lw=0.6)
        axes[0].set_ylabel(f"Depth ({depth_unit})")
        if len(depth):
            axes[0].set_ylim(max(depth.max(), load[1].max() if len(load[1]) else 0), 0.0)
        fig.tight_layout()
        figures.append(fig)
    return figures
