"""Depth diagrams with matplotlib."""
import matplotlib

matplotlib.use("Agg")

import korvan  # noqa: E402
from conftest import ROOT  # noqa: E402


def test_six_depth_diagrams_per_stage(tmp_path):
    res = korvan.run(ROOT / "examples" / "staged_excavation.dat")
    figures = res.plot()
    assert len(figures) == len(res.problems) > 1
    for fig, p in zip(figures, res.problems):
        axes = fig.get_axes()
        assert [a.get_title() for a in axes] == [
            "Deflection", "Slope", "Moment", "Shear", "Soil reaction", "Net load"]
        # Depth downward in feet; deflection in inches, as the report shows them.
        assert axes[0].get_ylim()[0] > axes[0].get_ylim()[1] == 0.0
        line = axes[0].get_lines()[0]
        assert list(line.get_ydata()) == list(p.depth / 12.0)
        assert list(line.get_xdata()) == list(p.deflection)
        assert "(ft)" in axes[0].get_ylabel()
    figures[0].savefig(tmp_path / "stage1.png")
    assert (tmp_path / "stage1.png").stat().st_size > 1000
    # Internal units on request; one problem chosen.
    (fig,) = res.plot([1], shown_units=False)
    assert "(in)" in fig.get_axes()[0].get_ylabel()
    # With an earth-pressure distribution, that is the sixth diagram; metric
    # deflections in millimetres.
    res = korvan.run(ROOT / "examples" / "braced_excavation_clay_tp.dat")
    (fig,) = res.plot()
    axes = fig.get_axes()
    assert axes[5].get_title() == "Earth pressure"
    assert list(axes[0].get_lines()[0].get_xdata()) == list(res[0].deflection * 1000.0)
