"""The results of a run as numpy arrays and pandas DataFrames.

Units are those of the JSON results (docs/json-results.md): lengths and
depths in the internal length unit of the problem (**inch** in English
units, **metre** in metric), forces in lb or kN, moments in lb-in or kN-m,
soil reactions and earth pressure per unit length of wall (lb/in, kN/m),
rigidity in lb-in^2 or kN-m^2, slopes in radians. Each problem names its
units in :attr:`ProblemResults.units`.
"""
from __future__ import annotations

from typing import Any, Optional

import numpy as np
import pandas as pd

from . import _korvan
from ._errors import Diagnostic

# The station table's columns, in the order of the report.
STATION_COLUMNS = ("depth", "deflection", "slope", "moment", "shear",
                   "soil_reaction", "net_force", "rigidity")


class ProblemResults:
    """The results of one problem (stage) of a run.

    Attributes:
        number: 1-based position in the run.
        title: the title record.
        stage_code: control field 9; ``stage`` is ``number`` for a stage of a
            staged excavation (stage code 2 or more), else None.
        english: True for English units, False for metric.
        units: the unit of each quantity (``units["moment"]`` is ``"lb-in"``
            or ``"kN-m"``), and the shown units and factors of the report
            (``shown_depth``: ft or m, ``depth_factor``).
        outcome: ``"completed"``, ``"not closed"``, ``"deflection exceeded"``
            or ``"stopped"``; ``outcome_detail`` says more.
        warnings: warnings about the input that bear on the results.
        iterations, increments, increment_length (length), wall_width
            (length: moments, shears and forces are per this width).
        excavation_depth: the excavation line (length), or None.
        water_table_backfill, water_table_excavation: depths (length) or None.
        station_loads: the transverse load of each station (force per station).
    """

    def __init__(self, d: dict):
        self._d = d
        self.number: int = d["number"]
        self.title: str = d["title"]
        self.stage_code: int = d["stage_code"]
        self.stage: Optional[int] = d["number"] if d["stage_code"] >= 2 else None
        self.english: bool = d["english"]
        self.units: dict = _korvan.units(d["english"])
        self.outcome: str = d["outcome"]
        self.outcome_detail: str = d["outcome_detail"]
        self.warnings: list[str] = list(d["warnings"])
        self.iterations: int = d["iterations"]
        self.increments: int = d["increments"]
        self.increment_length: float = d["increment_length"]
        self.wall_width: float = d["wall_width"]
        self.reference_depth: float = d["reference_depth"]
        self.water_table_backfill: Optional[float] = d["water_table_backfill"]
        self.water_table_excavation: Optional[float] = d["water_table_excavation"]
        self.station_loads: np.ndarray = d["station_loads"]
        if d["excavation_depth"] is not None:
            self.excavation_depth: Optional[float] = d["excavation_depth"]
        elif d["reference_depth"] > 0.0:
            self.excavation_depth = d["reference_depth"]
        else:
            self.excavation_depth = None

    def __repr__(self) -> str:
        return (f"<korvan.ProblemResults {self.number} {self.title!r}: "
                f"{self.outcome}, {self.iterations} iterations>")

    # -- stations ------------------------------------------------------------
    @property
    def has_stations(self) -> bool:
        """True when the problem has station results (it closed)."""
        return len(self._d["stations"]["depth"]) > 0

    def array(self, name: str) -> np.ndarray:
        """One station column as a numpy array (read-only view): ``station``,
        ``depth``, ``deflection``, ``slope``, ``moment``, ``shear``,
        ``soil_reaction``, ``net_force``, ``rigidity``, ``corrected_moment``
        or ``corrected_shear`` (moment and shear as statics gives them at the
        ends, as the diagrams and maxima use them)."""
        a = self._d["stations"][name].view()
        a.flags.writeable = False
        return a

    depth = property(lambda self: self.array("depth"), doc="Station depths (length).")
    deflection = property(lambda self: self.array("deflection"),
                          doc="Deflection (length), positive toward the excavation.")
    slope = property(lambda self: self.array("slope"), doc="Slope (rad).")
    moment = property(lambda self: self.array("moment"), doc="Bending moment (force x length).")
    shear = property(lambda self: self.array("shear"), doc="Shear (force).")
    soil_reaction = property(lambda self: self.array("soil_reaction"),
                             doc="Soil reaction (force per unit length of wall).")
    net_force = property(lambda self: self.array("net_force"),
                         doc="Net force on the station (force per station).")
    rigidity = property(lambda self: self.array("rigidity"), doc="EI (force x length^2).")

    @property
    def stations(self) -> pd.DataFrame:
        """The station table: index ``station``; columns depth, deflection,
        slope, moment, shear, soil_reaction, net_force, rigidity,
        corrected_moment, corrected_shear. Empty without results."""
        s = self._d["stations"]
        cols = STATION_COLUMNS + ("corrected_moment", "corrected_shear")
        df = pd.DataFrame({c: s[c] for c in cols},
                          index=pd.Index(s["station"], name="station"))
        return df

    # -- other tables ----------------------------------------------------------
    @property
    def supports(self) -> pd.DataFrame:
        """Tie backs, then struts and rakers: kind, number, station, depth
        (length), angle (deg), spacing (ft or m), prestress (force),
        horizontal_per_station, along_per_station (force per station),
        per_support (force), wale, wale_reaction, wale_load, wale_moment."""
        rows = [dict(kind="tie back" if s["tie_back"] else "strut", **s)
                for s in self._d["supports"]]
        cols = ["kind", "number", "tie_back", "station", "depth", "angle", "spacing",
                "prestress", "horizontal_per_station", "along_per_station",
                "per_support", "wale", "wale_reaction", "wale_load", "wale_moment"]
        return pd.DataFrame(rows, columns=cols)

    @property
    def restraints(self) -> pd.DataFrame:
        """Restrained stations: station, depth, force, moment."""
        return pd.DataFrame(self._d["restraints"],
                            columns=["station", "depth", "force", "moment"])

    @property
    def node_reactions(self) -> pd.DataFrame:
        """Reactions at points of specified deflection or slope."""
        return pd.DataFrame(self._d["node_reactions"],
                            columns=["number", "station", "depth", "force"])

    @property
    def earth_pressure(self) -> pd.DataFrame:
        """The earth-pressure distribution handed to the wall: depth, load
        (pressure times width, force per unit length of wall)."""
        return pd.DataFrame(self._d["earth_pressure"], columns=["depth", "load"])

    @property
    def py_curves(self) -> list[dict]:
        """The p-y curves the solver used: dicts of station, depth,
        generated, and points, an (n, 2) array of (y, p) from the backfill
        side (negative y) to the excavation side."""
        return [dict(c) for c in self._d["py_curves"]]

    @property
    def soil_layers(self) -> list[dict]:
        """The soil layers of the input: type code (1 soft clay ... 7 weak
        rock), top, bottom (length)."""
        return [dict(layer) for layer in self._d["soil_layers"]]

    # -- extremes ------------------------------------------------------------
    @property
    def summary(self) -> dict:
        """The extremes, as the JSON results give them: ``max_deflection``
        and ``max_shear`` (largest by magnitude, with sign),
        ``max_positive_moment`` and ``max_negative_moment``; each a dict of
        value and depth, or None (no results; no moment of that sign)."""
        d = self._d
        results = self.has_stations

        def extreme(e: dict, present: bool) -> Optional[dict]:
            return {"value": e["value"], "depth": e["depth"]} if present else None

        return {
            "max_deflection": extreme(d["max_deflection"], results),
            "max_positive_moment": extreme(d["max_moment"],
                                           results and d["max_moment"]["value"] > 0.0),
            "max_negative_moment": extreme(d["min_moment"],
                                           results and d["min_moment"]["value"] < 0.0),
            "max_shear": extreme(d["max_shear"], results),
        }

    def summary_row(self) -> dict:
        """One flat row of the summary, for a study's table: outcome,
        iterations, the extremes and their depths (NaN when absent), the top
        deflection and the largest support force by magnitude."""
        s = self.summary
        row: dict[str, Any] = {
            "problem": self.number, "title": self.title, "stage": self.stage,
            "units": self.units["system"], "outcome": self.outcome,
            "iterations": self.iterations,
        }
        for key in ("max_deflection", "max_positive_moment",
                    "max_negative_moment", "max_shear"):
            e = s[key]
            row[key] = e["value"] if e else np.nan
            row[key + "_depth"] = e["depth"] if e else np.nan
        row["top_deflection"] = (float(self._d["stations"]["deflection"][0])
                                 if self.has_stations else np.nan)
        forces = [sp["per_support"] for sp in self._d["supports"]]
        row["max_support_force"] = (max(forces, key=abs) if forces else np.nan)
        return row

    def to_dict(self) -> dict:
        """The problem as the JSON results hold it (docs/json-results.md)."""
        d = self._d
        u = self.units
        st = d["stations"]
        units = {"system": u["system"], "length": u["length"], "depth": u["length"],
                 "deflection": u["length"], "slope": "rad", "moment": u["moment"],
                 "shear": u["force"], "force": u["force"],
                 "soil_reaction": u["line_load"], "net_force": u["force"],
                 "EI": u["rigidity"], "earth_pressure": u["line_load"],
                 "py_y": u["length"], "py_p": u["line_load"], "angle": "deg",
                 "spacing": u["spacing"], "wale_load": u["wale_load"],
                 "wale_moment": u["wale_moment"]}
        stations = [
            {"station": int(st["station"][k]), "depth": float(st["depth"][k]),
             "deflection": float(st["deflection"][k]), "slope": float(st["slope"][k]),
             "moment": float(st["moment"][k]), "shear": float(st["shear"][k]),
             "soil_reaction": float(st["soil_reaction"][k]),
             "net_force": float(st["net_force"][k]), "EI": float(st["rigidity"][k])}
            for k in range(len(st["depth"]))]
        supports = []
        for s in d["supports"]:
            supports.append({
                "kind": "tie back" if s["tie_back"] else "strut",
                "number": s["number"], "station": s["station"], "depth": s["depth"],
                "angle": s["angle"], "spacing": s["spacing"], "prestress": s["prestress"],
                "horizontal_force_per_station": s["horizontal_per_station"],
                "force_per_station": s["along_per_station"],
                "force_per_support": s["per_support"],
                "wale": ({"reaction": s["wale_reaction"], "load": s["wale_load"],
                          "moment": s["wale_moment"]} if s["wale"] else None)})
        summary = self.summary
        summary["support_forces"] = [
            {"kind": "tie back" if s["tie_back"] else "strut", "number": s["number"],
             "depth": s["depth"], "force": s["per_support"],
             "horizontal_force_per_station": s["horizontal_per_station"]}
            for s in d["supports"]]
        return {
            "number": self.number, "title": self.title, "stage_code": self.stage_code,
            "stage": self.stage, "units": units, "outcome": self.outcome,
            "warnings": list(self.warnings), "iterations": self.iterations,
            "increments": self.increments, "increment_length": self.increment_length,
            "wall_length": self.increments * self.increment_length,
            "wall_width": self.wall_width, "excavation_depth": self.excavation_depth,
            "water_table_backfill": self.water_table_backfill,
            "water_table_excavation": self.water_table_excavation,
            "stations": stations, "supports": supports,
            "restraints": [dict(r) for r in d["restraints"]],
            "node_reactions": [dict(r) for r in d["node_reactions"]],
            "earth_pressure": [dict(q) for q in d["earth_pressure"]],
            "py_curves": [{"station": c["station"], "depth": c["depth"],
                           "generated": c["generated"],
                           "points": c["points"].tolist()} for c in d["py_curves"]],
            "summary": summary,
        }


class Results:
    """The outcome of a run: how it ended, every problem's results, and the
    texts of the report, plot-data and iteration files.

    Attributes:
        input_name: the input's name as shown.
        status: ``"completed"``, ``"not closed"``, ``"input error"``,
            ``"generator stop"`` or ``"file error"``; ``exit_status`` is the
            command line's exit status for it (0 to 4).
        message: the one-line diagnostic of statuses 2 to 4, else empty.
        stop_code: the generator stop code with ``"generator stop"``.
        diagnostic: with ``"input error"``, its parts (:class:`Diagnostic`).
        problems: one :class:`ProblemResults` per problem whose title was read.
    """

    def __init__(self, d: dict, input_name: str):
        self.input_name = input_name
        self.status: str = d["status"]
        self.exit_status: int = d["exit_status"]
        self.message: str = d["message"]
        self.stop_code: int = d["stop_code"]
        self.diagnostic: Optional[Diagnostic] = (
            Diagnostic.from_dict(d["diagnostic"]) if d["diagnostic"] else None)
        self.problems: list[ProblemResults] = [ProblemResults(p) for p in d["problems"]]
        self._texts = (d["report"], d["plot"], d["iteration"])

    def __repr__(self) -> str:
        return (f"<korvan.Results {self.input_name}: {self.status}, "
                f"{len(self.problems)} problems>")

    def __getitem__(self, k: int) -> ProblemResults:
        return self.problems[k]

    def __len__(self) -> int:
        return len(self.problems)

    def __iter__(self):
        return iter(self.problems)

    @property
    def ok(self) -> bool:
        """True when every problem was analysed and closed."""
        return self.exit_status == 0

    def report(self) -> str:
        """The text of the report file (``.out``), byte for byte as a run on
        files writes it (bytes that are not UTF-8 shown as U+FFFD)."""
        return self._texts[0]

    def plot_data(self) -> str:
        """The text of the plot-data file (``.plot``)."""
        return self._texts[1]

    def iteration(self) -> str:
        """The text of the iteration log (``.iter``)."""
        return self._texts[2]

    def summary(self) -> pd.DataFrame:
        """One row per problem: outcome, iterations and the extremes."""
        rows = [p.summary_row() for p in self.problems]
        return pd.DataFrame(rows, columns=list(rows[0]) if rows else ["problem"])

    def to_dict(self) -> dict:
        """The results as ``korvan run --json`` writes them (without the
        ``program`` member)."""
        return {"format": "korvan results", "format_version": 1,
                "input": self.input_name, "status": self.status,
                "exit_status": self.exit_status, "message": self.message,
                "stop_code": self.stop_code,
                "problems": [p.to_dict() for p in self.problems]}

    def plot(self, problems=None, *, shown_units: bool = True):
        """Draws the six depth diagrams of each problem (stage) with
        matplotlib: deflection, slope, moment, shear, soil reaction, and the
        earth pressure (or, without one, the net load). Returns one Figure
        per problem drawn. ``problems``: indices (0-based) to draw, default
        every problem with results. ``shown_units``: depths in ft or m and
        deflections in in or mm, as the HTML report shows them; False keeps
        the internal units."""
        from .plotting import plot_results
        return plot_results(self, problems, shown_units=shown_units)
