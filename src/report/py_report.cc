#include "report/py_report.h"

#include "model/constants.h"

namespace korvan::report {
namespace {

constexpr const char* kSoilLines[] = {
    "THE SOIL IS A SOFT CLAY",
    "THE SOIL IS A STIFF CLAY WITH FREE WATER      ",
    "THE SOIL IS A STIFF CLAY WITHOUT FREE WATER   ",
    "THE SOIL IS A SAND",
    "THE SOIL IS A SILT",
    "THE LAYER IS ROCK",
    "THE LAYER IS WEAK ROCK"};

}  // namespace

void write_soil_data(RecordWriter& out, const py::PySoil& s,
                     const engine::UnitLabels& l) {
  const std::string length = s.english ? l.long_length.substr(0, 3) : l.length;
  out.empty_lines(1);
  out.blanks(6).line(std::string(50, '*'));
  out.blanks(6).line("*        SOIL LAYERS AND STRENGTH DATA           *");
  out.blanks(6).line(std::string(50, '*'));
  out.blanks(9)
      .put("X AT THE SURFACE OF EXCAVATION SIDE     = ")
      .f(in_feet(s.height, s.english), 10, 2)
      .line(length);
  out.blanks(9)
      .i(static_cast<long long>(s.layers.size()), 1)
      .line(" LAYER(S) OF SOIL");
  int number = 0;
  for (const py::DerivedLayer& d : s.layers) {
    out.blanks(9).put("LAYER").i(++number, 3).end_line();
    const engine::SoilModel model = d.model();
    out.blanks(9).line(kSoilLines[static_cast<int>(model) - 1]);
    // A type code outside those of the models prints no cyclic line.
    if (s.cyclic && engine::listed_soil_type(d.type) &&
        !engine::is_rock(model)) {
      out.line("              CYCLIC MODEL");
    }
  }

  const std::vector<py::ProfilePoint> profile = py::property_profile(s);
  out.empty_lines(1);
  out.blanks(9).line("DISTRIBUTION OF EFFECTIVE UNIT WEIGHT WITH DEPTH");
  out.blanks(27).i(static_cast<long long>(profile.size()), 2).line(" POINTS");
  out.blanks(13).put("X,").put(length).blanks(6).put("WEIGHT,").line(
      l.unit_weight());
  for (const py::DerivedLayer& d : s.layers) {
    for (auto [z, gamma] :
         {std::pair{d.top, d.gamma_top}, {d.bottom, d.gamma_bottom}}) {
      // Effective below the excavation-side water table.
      const double depth = z + s.height;
      const bool wet = !s.excavation.rows.empty() && [&] {
        for (const py::SideRow& r : s.excavation.rows) {
          if (depth >= r.top && depth <= r.bottom) {
            return r.water > 0.0;
          }
        }
        return false;
      }();
      out.blanks(5)
          .f(in_feet(depth, s.english), 15, 4)
          .e(wet ? gamma - s.gamma_w : gamma, 15, 4, 1)
          .end_line();
    }
  }

  out.empty_lines(1);
  out.blanks(9).line("DISTRIBUTION OF STRENGTH PARAMETERS WITH DEPTH");
  out.blanks(27).i(static_cast<long long>(profile.size()), 2).line(" POINTS");
  out.blanks(13)
      .put("X,")
      .put(length)
      .blanks(8)
      .put("C,")
      .put(l.pressure())
      .blanks(2)
      .put("PHI,DEGREE ")
      .blanks(6)
      .put("E50")
      .blanks(9)
      .put("KPY,")
      .line(l.unit_weight());
  for (const py::ProfilePoint& p : profile) {
    out.blanks(5)
        .f(in_feet(p.depth + s.height, s.english), 15, 2)
        .blanks(2)
        .e(p.v.strength, 13, 4, 1)
        .blanks(2)
        .f(to_degrees(p.v.phi), 13, 3)
        .e(p.v.eps50, 15, 4, 1)
        .blanks(2)
        .e(p.v.k, 13, 4, 1)
        .end_line();
  }

  if (!s.factors.empty()) {
    out.empty_lines(1);
    out.blanks(9).line("REDUCTION FACTORS FOR CLOSELY-SPACED WALL ELEMENTS");
    out.blanks(7 + 33).end_line();
    out.blanks(7).line("      DEPTH     P-FACTOR     Y-FACTOR        ");
    for (const py::FactorRow& r : s.factors) {
      out.blanks(12)
          .f(in_feet(r.depth, s.english), 7, 2)
          .blanks(4)
          .f(r.p, 6, 2)
          .blanks(6)
          .f(r.y, 6, 2)
          .end_line();
    }
  }
  out.empty_lines(1);
  out.blanks(8).line("P-Y CURVES DATA");
  out.empty_lines(1);
}

namespace {

// The heading and value line of a side, by soil model.
void model_values(RecordWriter& out, engine::SoilModel model,
                  const py::SideCurve& c, bool english,
                  const std::string& length, const engine::UnitLabels& l) {
  using engine::SoilModel;
  const double depth = in_feet(c.depth, english);
  const bool free_water = model == SoilModel::kStiffClayWithFreeWater;
  switch (model) {
    case SoilModel::kStiffClayWithFreeWater:
    case SoilModel::kStiffClayWithoutFreeWater:
      out.line(
          "  DEPTH BELOW GS      DIAM         C      CAVG GAMMA AVG"
          "         E50" +
          std::string(free_water ? "         KPY" : ""));
      out.blanks(7)
          .put(length)
          .blanks(8)
          .put(l.length)
          .put(l.pressure())
          .put(l.pressure())
          .line(l.unit_weight());
      out.f(depth, 10, 2).f(c.width, 10, 3);
      for (double v : {c.strength, c.average_strength, c.gamma}) {
        if (free_water) out.blanks(1);
        out.e(v, 10, 2, 1);
      }
      out.e(c.eps50, 12, 4, 1);
      if (free_water) out.e(c.k, 12, 5, 1);
      out.end_line();
      break;
    case SoilModel::kSand:
      out.line(
          std::string("  DEPTH BELOW GS   DIAM    PHI GAMMA AVG      KPY") +
          "    A    B" + (c.continuous ? "      PC " : "      PCT      PCD"));
      out.blanks(7)
          .put(length)
          .blanks(5)
          .put(l.length)
          .blanks(3)
          .put("DEG")
          .blanks(1)
          .put(l.unit_weight())
          .blanks(1)
          .line(l.unit_weight());
      out.f(depth, 10, 2)
          .f(c.width, 7, 2)
          .f(c.phi_degrees, 7, 2)
          .e(c.gamma, 9, 2, 1)
          .e(c.k, 9, 2, 1)
          .f(c.a, 5, 2)
          .f(c.b, 5, 2)
          .e(c.wedge, 9, 2, 1);
      if (!c.continuous) out.e(c.flow, 9, 2, 1);
      out.end_line();
      break;
    case SoilModel::kSilt:
      out.line(
          std::string("DEPTH B GS      DIAM       PHI GAMMA AVG       KPY") +
          "         A         B       PCT       PCC");
      out.f(depth, 10, 2)
          .f(c.width, 10, 2)
          .f(c.phi_degrees, 10, 1)
          .e(c.gamma, 10, 3, 1)
          .e(c.k, 10, 3, 1)
          .f(c.a, 10, 2)
          .f(c.b, 10, 2)
          .e(c.wedge, 10, 3, 1)
          .e(c.flow, 10, 3, 1)
          .end_line();
      break;
    case SoilModel::kRock:
      out.f(depth, 10, 2).f(c.width, 10, 3).e(c.strength, 10, 1, 1).end_line();
      break;
    case SoilModel::kWeakRock:
      out.line(
          "DEPTH B GS      DIAM        Qu       Eu  GAMMA AVG         E50"
          "      RQD");
      out.blanks(55).line("%");
      out.f(depth, 10, 2)
          .f(c.width, 10, 3)
          .e(c.strength, 10, 2, 1)
          .e(c.modulus, 10, 2, 1)
          .e(c.gamma, 10, 2, 1)
          .e(c.krm, 12, 3, 1)
          .f(c.rqd, 9, 3)
          .end_line();
      break;
    case SoilModel::kSoftClay:
      out.line("  DEPTH BELOW GS      DIAM          C   GAMMA AVG         E50");
      out.blanks(7)
          .put(length)
          .blanks(8)
          .put(l.length)
          .blanks(1)
          .put(l.pressure())
          .blanks(1)
          .line(l.unit_weight());
      out.f(depth, 10, 2)
          .f(c.width, 10, 3)
          .e(c.strength, 11, 4, 1)
          .e(c.gamma, 11, 4, 1)
          .e(c.eps50, 12, 4, 1)
          .end_line();
      break;
  }
}

}  // namespace

void write_generated_curve(RecordWriter& out, const py::GeneratedCurve& c,
                           const py::PySoil& s, const engine::UnitLabels& l) {
  const std::string length = s.english ? l.long_length.substr(0, 3) : l.length;
  using engine::SoilModel;
  const SoilModel model = c.model();
  // The stiff clay without free water prints its points with 5 decimals;
  // silt and the rocks print theirs in exponent form.
  const int decimals = model == SoilModel::kStiffClayWithoutFreeWater ? 5 : 3;
  const bool exponent = model == SoilModel::kSilt || engine::is_rock(model);
  const bool soil_model = !engine::is_rock(model);
  for (const py::SideCurve* side : {&c.excavation, &c.backfill}) {
    out.empty_lines(1);
    const bool excavation = side == &c.excavation;
    if (model == SoilModel::kRock) {
      out.put(excavation ? "DEPTH-EXCAVATION SIDE" : "DEPTH-BACKFILL SIDE  ")
          .line("      DIAM         C");
    } else {
      out.blanks(9).line(excavation ? "AT THE EXCAVATION SIDE"
                                    : "AT THE BACKFILL SIDE");
    }
    model_values(out, model, *side, s.english, length, l);
    if (side->small_deflection_modulus) {
      out.line("**** WARNING ****");
      out.line("DEFLECTION IS LESS THAN 1.0E-14.  THE PROGRAM");
      out.put("USED A SOIL MODULUS OF ")
          .e(*side->small_deflection_modulus, 12, 4, 1)
          .end_line();
    }
    out.blanks(21)
        .a("Y,", 17)
        .put(l.length)
        .a("P,", 17)
        .put(l.force)
        .put("/")
        .line(l.short_length);
    for (const py::CurvePoint& p : side->points) {
      out.blanks(21);
      if (exponent) {
        out.e(p.y, 20, 3, 1).e(p.p, 20, 3, 1).end_line();
      } else {
        out.f(p.y, 20, decimals).f(p.p, 20, decimals).end_line();
      }
    }
    if (!soil_model) continue;
    out.blanks(21)
        .put(" P-Multiplier = ")
        .e(side->p_multiplier, 10, 3, 1)
        .put(" Y-Multiplier = ")
        .e(side->y_multiplier, 10, 3, 1)
        .end_line();
  }
}

void write_py_stop(RecordWriter& out, const py::PyStop& stop) {
  out.empty_lines(2);
  if (stop.code == 5) {
    out.blanks(7).line("--------------------WARNING----------------------");
    out.blanks(7).line(
        "THE COHESIVE STRENGTH IS 0 FOR ROCK ACCORING TO THE INPUT");
    out.blanks(7).line(
        "DATA. PLEASE ENTER THE CORRECT VALUE AND RUN IT AGAIN.");
    return;
  }
  out.line("**** WARNING ****");
  out.put("THE VALUE OF X =")
      .e(stop.depth, 9, stop.code == 4 ? 2 : 1, 1)
      .end_line();
  // Only the friction-angle and k stops lead with a blank.
  out.line(stop.code == 1 && stop.curve == "PHI" ? " IS BEYOND THE EXTENT OF"
                                                 : "IS BEYOND THE EXTENT OF");
  out.line(stop.code == 4 ? "THE INPUT CURVE FOR UNIT WEIGHT"
                          : "THE INPUT " + stop.curve + " CURVE");
}

}  // namespace korvan::report
