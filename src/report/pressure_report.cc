#include "report/pressure_report.h"

#include "model/constants.h"
#include "pressure/surcharge.h"

namespace korvan::report {
namespace {

using DP = pressure::DistributionPoint;

void frame(RecordWriter& out, int empty_before, std::string_view title) {
  const std::string stars(50, '*');
  out.empty_lines(empty_before);
  out.blanks(6).line(stars);
  out.blanks(6).line(title);
  out.blanks(6).line(stars);
  out.empty_lines(1);
}

// Lengths of the wall and depths print in feet in English units.
std::string depth_label(const engine::UnitLabels& l, bool english) {
  return english ? l.long_length.substr(0, 3) : l.length;
}

void value_line(RecordWriter& out, std::string_view label, double value,
                std::string_view unit) {
  out.blanks(6).put(label).e(value, 10, 3, 1).line(unit);
}

void loading_line(RecordWriter& out, std::string_view label, double value,
                  std::string_view unit) {
  out.blanks(6).put(label).e(value, 10, 3).line(unit);
}

// A depth of the soil-profile warnings: feet or metres, 1PE11.3, its unit.
std::string warning_depth(double depth, bool english) {
  return fmt_e(in_feet(depth, english), 11, 3, 1) + (english ? " FT" : " M");
}

}  // namespace

void write_wall_information(RecordWriter& out, const engine::Problem& problem,
                            const pressure::Profile& p,
                            const engine::UnitLabels& l) {
  const engine::EarthPressureWall& w = problem.soil.wall;
  const bool en = p.english;
  frame(out, 3, "*                WALL INFORMATION                *");
  value_line(out, "FREE HEIGHT OF WALL                    = ",
             in_feet(w.free_height, en), depth_label(l, en));
  value_line(out, "WIDTH FOR EARTH PRESSURE, WA           = ", w.width_pressure,
             l.length);
  value_line(out,
             "WIDTH FOR SOIL RESISTANCE, WP          = ", w.width_resistance,
             l.length);
  value_line(out, "DEPTH TO THE WATER TABLE AT BACKFILL   = ",
             in_feet(w.water_backfill, en), depth_label(l, en));
  value_line(out, "DEPTH TO THE WATER TABLE AT EXCAVATION = ",
             in_feet(w.water_excavation, en), depth_label(l, en));
  value_line(out, "UNIT WEIGHT OF WATER                   = ", p.gamma_w,
             l.unit_weight());
  value_line(out, "SLOPE OF THE BACKFILL (deg.)           = ", w.backfill_slope,
             "");
  value_line(
      out, "SLOPE OF THE EXCAVATION GROUND (deg.)  = ", w.excavation_slope, "");
  value_line(out, "MODIFICATION FOR ACTIVE EARTH PRESSURE = ", w.active_factor,
             "");
  out.empty_lines(1);
  if (problem.geometry.section_adjustment > 0) {
    out.blanks(6).line("* ADJUST SECTION PROPERTIES BASED ON WA=WP");
  }
}

void write_surcharge_information(RecordWriter& out,
                                 const engine::Problem& problem,
                                 const pressure::Profile& p,
                                 const engine::UnitLabels& l) {
  frame(out, 2, "*              SURCHARGE INFORMATION             *");
  out.empty_lines(1);
  value_line(out, "UNIFORM SURFACE PRESSURE     =", p.q, l.pressure());
  if (p.beta > 0.0) {
    out.empty_lines(1);
    value_line(out, "EQUIVALENT SURFACE PRESSURE  =", p.qeq, l.pressure());
    out.blanks(6).line("DUE TO SLOPE OF BACKFILL");
    out.blanks(6).line("STARTS AT EXCAVATION LINE");
  }
  if (!problem.soil.surcharges.empty() &&
      pressure::uses_wall_length(p.height)) {
    out.empty_lines(1);
    out.blanks(6).line(
        "* THE WALL HAS NO FREE HEIGHT: THE SURCHARGE PRESSURES");
    out.blanks(6).line("  USE THE WALL LENGTH AS THEIR REFERENCE HEIGHT");
  }
  int number = 0;
  for (const engine::Surcharge& s : problem.soil.surcharges) {
    out.empty_lines(1);
    out.blanks(6)
        .put("SURCHARGE LOADING NO.        = ")
        .i(++number, 10)
        .end_line();
    if (s.kind() == engine::SurchargeType::kStrip) {
      loading_line(out, "STRIP LOAD                   = ", s.load,
                   l.pressure());
      loading_line(out, "WIDTH OF THE STRIP LOAD      = ", s.width, l.length);
      loading_line(out, "HORIZONTAL DISTANCE BETWEEN  = ", s.distance,
                   l.length);
      out.blanks(6).line("WALL AND MIDDLE OF STRIP WIDTH          ");
    } else {
      loading_line(out,
                   s.kind() == engine::SurchargeType::kPoint
                       ? "POINT LOAD                   = "
                       : "LINE LOAD                    = ",
                   s.load,
                   s.kind() == engine::SurchargeType::kPoint
                       ? l.force
                       : l.force + "/" + l.short_length);
      loading_line(out, "HORIZONTAL DISTANCE BETWEEN  = ", s.distance,
                   l.length);
      out.blanks(6).line("THE WALL AND SURCHARGE         ");
    }
    loading_line(out, "VERTICAL DISTANCE BETWEEN    = ", s.vertical, l.length);
    out.blanks(6).line("THE WALL AND SURCHARGE         ");
    loading_line(out, "FACTOR FOR SURCHARGE LOAD    = ", s.factor, "");
    out.empty_lines(1);
  }
}

void write_soil_information(RecordWriter& out, const pressure::Profile& p) {
  frame(out, 2, "*                SOIL INFORMATION                *");
  out.empty_lines(1);
  out.blanks(7).line("         TOTAL   COHESION/       TOTAL UNIT");
  out.blanks(7).line(
      "LAYER  THICKNESS STRENGTH    PHI   WEIGHT   DRAINED  ZTOP");
  if (p.english) {
    out.blanks(7).line(
        "NO.      FT        PSI       DEG     PCI     T OR F   FT");
  } else {
    out.blanks(7).line(
        "NO.       M        kPa       DEG   kN/M^3    T OR F    M");
  }
  int number = 0;
  for (const pressure::Sublayer& s : p.sub) {
    out.blanks(7)
        .i(++number, 3)
        .f(in_feet(s.t, p.english), 9, 1)
        .f(s.c, 10, 1)
        .f(s.phi, 10, 1)
        .f(s.gamma, 9, 3)
        .blanks(5)
        .put(s.drained ? "T" : "F")
        .f(in_feet(s.ztop, p.english), 10, 2)
        .end_line();
  }
}

void write_overburden_table(RecordWriter& out, const pressure::Profile& p,
                            const engine::UnitLabels& l) {
  frame(out, 2, "*            EFFECTIVE OVERBURDEN STRESS         *");
  out.blanks(6).line("          DEPTH                     STRESS       ");
  out.blanks(16).put(depth_label(l, p.english)).blanks(22).line(l.pressure());
  for (size_t i = 0; i < p.sigma_v.size(); ++i) {
    out.blanks(12)
        .e(in_feet(p.ztop[i], p.english), 10, 3, 1)
        .blanks(17)
        .e(p.sigma_v[i], 10, 3, 1)
        .end_line();
  }
}

void write_coefficient_table(RecordWriter& out, RecordWriter& log,
                             const pressure::Profile& p) {
  frame(out, 2, "* ACTIVE AND PASSIVE EARTH PRESSURE COEFFICIENT  *");
  out.blanks(6)
      .put("  LAYER         ACTIVE EARTH     PASSIVE EARTH(*)")
      .line("  OPTIONAL EARTH(**)");
  out.blanks(6)
      .put("   NO.          COEFFICIENT       COEFFICIENT    ")
      .line("   COEFFICIENT  ");
  int number = 0;
  for (const pressure::Sublayer& s : p.sub) {
    if (s.slope_warning) {
      for (RecordWriter* w : {&log, &out}) {
        w->empty_lines(2);
        w->line("**** WARNING ******");
        w->line(
            "THE BACKFILL SLOPE ANGLE SHOULD BE LESS THAN THE "
            "'INTERNAL FRICTION ANGLE OF SAND.");
      }
    }
    out.blanks(10)
        .i(++number, 2)
        .blanks(9)
        .e(s.ka_table, 10, 3, 1)
        .blanks(8)
        .e(s.kp, 10, 3, 1)
        .blanks(8)
        .e(s.kopt, 10, 3, 1)
        .end_line();
  }
  out.empty_lines(1);
  out.blanks(6).line("NOTES:");
  out.blanks(6)
      .put("(*)  PASSIVE EARTH COEFFICIENT IS PRINTED ONLY FOR ")
      .line("REFERENCE, ");
  out.blanks(6).line("     IT IS NOT USED FOR ANALYSIS");
  out.blanks(6)
      .put("(**) OPTIONAL EARTH COEFFICIENT IS USED TO ESTIMATE")
      .line(" ACTIVE PRESSURE ");
  out.blanks(6).line("     IF IT IS DIFFERENT THAN ZERO");
}

void write_resultant_tables(RecordWriter& out, const pressure::Profile& p,
                            const engine::UnitLabels& l) {
  const std::string force = l.force + "/" + l.short_length;
  const std::string length = depth_label(l, p.english);
  const size_t above = p.above_excavation();
  frame(out, 2, "*      ACTIVE EARTH PRESSURE OF EACH LAYER       *");
  out.blanks(6)
      .put(" LAYER     PA1     Z1        PA2     Z2        PA3     Z3")
      .line("        PA4");
  out.blanks(6).put("  NO");
  for (int g = 0; g < 3; ++g) {
    out.blanks(4).put(force).blanks(1).blanks(3).put(length);
  }
  out.blanks(4).line(force);
  for (size_t i = 0; i < above; ++i) {
    const pressure::Sublayer& s = p.sub[i];
    out.blanks(6).i(static_cast<long long>(i + 1), 4);
    for (auto [force_value, depth] :
         {std::pair{s.pa1, s.z1}, {s.pa2, s.z2}, {s.pa3, s.z3}}) {
      out.blanks(1)
          .f(force_value, 10, 2)
          .blanks(1)
          .f(in_feet(depth, p.english), 6, 2);
    }
    out.blanks(1).f(s.pa4, 10, 2).end_line();
  }

  bool water = false;
  for (size_t i = 0; i < above; ++i) water = water || p.sub[i].water_force;
  if (!water) return;
  frame(out, 2, "*      ACTIVE WATER PRESSURE OF EACH LAYER       *");
  out.blanks(6).line(" LAYER    PW1     Z1       PW2      Z2                ");
  out.blanks(6)
      .put("  NO")
      .blanks(4)
      .put(force)
      .blanks(2)
      .put(length)
      .blanks(5)
      .put(force)
      .blanks(3)
      .line(length);
  out.empty_lines(1);
  for (size_t i = 0; i < above; ++i) {
    const pressure::Sublayer& s = p.sub[i];
    if (!s.water_force) continue;
    out.blanks(6)
        .i(static_cast<long long>(i + 1), 2)
        .blanks(1)
        .f(-s.pw1, 10, 2)
        .blanks(1)
        .f(in_feet(s.z1, p.english), 6, 2)
        .blanks(1)
        .f(-s.pw2, 10, 2)
        .blanks(1)
        .f(in_feet(s.z2, p.english), 6, 2)
        .end_line();
  }
}

void write_net_negative(RecordWriter& out) {
  out.empty_lines(2);
  out.blanks(5).line("Net active pressure is negative.");
  out.empty_lines(1);
}

void write_short_profile_warning(RecordWriter& out, double profile_end,
                                 double shortfall, bool english, bool pressure,
                                 bool curves) {
  out.empty_lines(2);
  out.line("**** WARNING ****");
  out.put("THE SOIL PROFILE ENDS")
      .put(warning_depth(shortfall, english))
      .put(" ABOVE THE TOE, AT DEPTH")
      .put(warning_depth(profile_end, english))
      .line(".");
  out.put("THE STATIONS BELOW IT TAKE NO GENERATED ")
      .line(pressure && curves ? "EARTH PRESSURE AND NO P-Y CURVES."
            : pressure         ? "EARTH PRESSURE."
                               : "P-Y CURVES.");
  if (curves) {
    out.line(
        "P-Y CURVES ARE GENERATED FROM SOIL LAYERS DOWN TO TWO INCREMENTS "
        "BELOW THE TOE.");
  }
}

void write_profile_above_model_bottom_warning(RecordWriter& out,
                                              double profile_end,
                                              double model_bottom,
                                              bool english) {
  out.empty_lines(2);
  out.line("**** WARNING ****");
  out.put("THE SOIL PROFILE ENDS AT DEPTH")
      .put(warning_depth(profile_end, english))
      .line(", ABOVE THE P-Y MODEL");
  out.put("BOTTOM AT")
      .put(warning_depth(model_bottom, english))
      .line(", TWO INCREMENTS BELOW THE TOE.");
  out.line(
      "THE P-Y CURVE DEPTHS OF THE LAST LAYER FOLLOW ITS BOTTOM, NOT THE "
      "MODEL");
  out.line("BOTTOM: EXTEND THE LAST LAYER TO THE MODEL BOTTOM.");
}

void write_option_message(RecordWriter& out, engine::EarthPressureOption option,
                          bool clay_warning) {
  using engine::EarthPressureOption;
  out.empty_lines(2);
  switch (option) {
    case EarthPressureOption::kTriangular:
      out.blanks(5).line("* GENERATED TRIANGULAR-DISTRIBUTION EARTH PRESSURE");
      break;
    case EarthPressureOption::kFhwaEnvelope:
      out.blanks(5).line(
          "* GENERATED TRAPEZOIDAL-DISTRIBUTION EARTH PRESSURE (ANCHORED "
          "WALLS, FHWA)");
      break;
    case EarthPressureOption::kSoilMovement:
      out.blanks(5).line("* EARTH PRESSURE GENERATED  BASED ON SOIL MOVEMENT");
      break;
    case EarthPressureOption::kUniformClay:
      out.blanks(5).line(
          "* GENERATED TRAPEZOIDAL-DISTRIBUTION EARTH PRESSURE (ANCHORED "
          "WALLS IN UNIFORM CLAY LAYER)");
      break;
    default:  // Terzaghi-Peck, and a code above 6
      out.blanks(5).line(
          "* GENERATED TRAPEZOIDAL-DISTRIBUTION EARTH PRESSURE (ANCHORED "
          "WALLS, TERZAGHI AND PECK)");
      break;
  }
  if (clay_warning && (option == EarthPressureOption::kTriangular ||
                       option == EarthPressureOption::kFhwaEnvelope ||
                       option == EarthPressureOption::kTerzaghiPeck)) {
    out.empty_lines(1);
    out.blanks(5).line("  * WARNING *");
    out.blanks(5).line(
        "This model uses a reduction of active loads for the cohesive "
        "strength ");
    out.blanks(5).line(
        "of clay. Please check carefully these results. Please evaluate if "
        "other ");
    out.blanks(5).line(
        "alternatives are more applicable to your model (e.g., other/reduced ");
    out.blanks(5).line(
        "cohesive strength, equivalent fluid pressure, and/or other type of ");
    out.blanks(5).line(
        "retained soil to simulate drained and/or long-term conditions).");
  }
}

void write_distribution_heading(RecordWriter& out, const engine::UnitLabels& l,
                                bool english) {
  out.empty_lines(1);
  out.blanks(8).line(" DEPTH         ACTIVE EARTH PRESSURE");
  out.blanks(9)
      .put(depth_label(l, english))
      .blanks(17)
      .put(l.force)
      .put("/")
      .line(l.short_length);
  out.blanks(8).line("--------       ------------------------");
}

void write_distribution_row(RecordWriter& out, double depth, double value,
                            bool english) {
  out.blanks(5)
      .e(in_feet(depth, english), 12, 5, 1)
      .blanks(8)
      .e(value, 12, 5, 1)
      .end_line();
}

void plot_distribution(RecordWriter& plot, int option,
                       const std::vector<pressure::DistributionPoint>& pts,
                       const std::vector<size_t>& rows, double h) {
  plot.list_int(option)
      .list_int(static_cast<long long>(rows.size()))
      .end_line();
  for (size_t r : rows) {
    const pressure::DistributionPoint& p = pts[r];
    for (double v :
         {p.col[DP::kDepth], p.col[DP::kLoad] / h, p.col[DP::kWallPressure],
          p.col[DP::kSoil], p.col[DP::kAreaSurcharge], p.col[DP::kEnvelope],
          p.col[DP::kDiscreteSurcharges], p.col[DP::kWater],
          p.col[DP::kCohesion]}) {
      plot.blanks(2).e(v, 12, 5, 1);
    }
    plot.end_line();
  }
}

}  // namespace korvan::report
