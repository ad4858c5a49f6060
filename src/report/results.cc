#include "report/results.h"

#include "model/constants.h"

namespace korvan::report {
namespace {

// Depths print in feet in English units (held in inches).
double shown_depth(double depth, engine::UnitSystem units) {
  return in_feet(depth, units == engine::UnitSystem::kEnglish);
}

std::string depth_label(const engine::UnitLabels& l, engine::UnitSystem units) {
  return units == engine::UnitSystem::kEnglish ? l.long_length.substr(0, 3)
                                               : l.length;
}

void write_outcome(RecordWriter& out, const wall::Solution& s) {
  out.empty_lines(1);
  switch (s.outcome) {
    case wall::Outcome::kDeflectionExceeded:
      out.put("     ***** MAX ALLOWABLE DEFLECTION EXCEEDED AT ***")
          .i(s.stations_over, 4)
          .line("  *** STATIONS *****");
      break;
    case wall::Outcome::kNotClosed:
      out.line("     ***** MAXIMUM NUMBER OF ITERATIONS  REACHED *****");
      out.line(
          "     ***** SOLUTION NOT CLOSED WITHIN SPECIFIED TOLERANCE *****");
      break;
    default:
      out.line("     ***** ANALYSIS COMPLETED *****");
      break;
  }
}

}  // namespace

void write_monitoring_header(RecordWriter& log, int max_iterations) {
  log.empty_lines(2);
  log.line("     ITERATION MONITORING");
  log.line("     --------------------");
  log.empty_lines(1);
  log.line(
      "    ITER     NODES      MAX. CHANGE     DEF.        DEF.        "
      "DEF.        DEF. ");
  log.line(
      "            EXC. TOL.    DEFLECTION    NODE 0      NODE 1      "
      "NODE 2      NODE 3");
  log.line(
      "    ----    ---------   -----------    ------      ------      "
      "------      ------");
  if (max_iterations == 0) {
    log.empty_lines(1);
    log.blanks(20).end_line();
  }
}

void write_iteration_line(RecordWriter& log, const wall::IterationRecord& r) {
  log.blanks(3)
      .i(r.iteration, 4)
      .blanks(6)
      .i(r.open_stations, 4)
      .blanks(6)
      .e(r.max_change, 12, 3, 1);
  for (double w : r.top) log.e(w, 12, 3, 1);
  log.end_line();
}

namespace {

void write_restraints(RecordWriter& out, const engine::Problem& p,
                      const wall::Solution& s, const engine::UnitLabels& l) {
  if (p.restraints.empty()) return;
  const engine::UnitSystem units = p.units();
  out.empty_lines(2);
  out.line("     LATERAL AND ROTATIONAL RESTRAINT RESULTS");
  out.line("     ----------------------------------------");
  out.empty_lines(1);
  out.line("     STA         X             FORCE           MOMENT");
  out.blanks(15)
      .put(depth_label(l, units))
      .blanks(14)
      .put(l.short_force)
      .blanks(11)
      .put(l.short_force)
      .put("-")
      .line(l.length);
  out.line("    -----    ---------       ---------       ---------");
  const double h = p.geometry.increment_length;
  for (const wall::RestraintForce& r : s.forces.restraints) {
    out.blanks(3)
        .i(r.station, 5)
        .blanks(2)
        .e(shown_depth(r.station * h, units), 12, 3, 1)
        .blanks(2)
        .e(r.force, 15, 4, 1)
        .blanks(2)
        .e(r.moment, 15, 4, 1)
        .end_line();
  }
}

void write_wales(RecordWriter& out, const engine::Problem& p,
                 const wall::Solution& s, bool tie_backs,
                 const engine::UnitLabels& l) {
  const engine::UnitSystem units = p.units();
  const std::string length = l.long_length.substr(0, 3);
  out.empty_lines(2);
  out.line("     WALES RESULTS");
  out.line("     -------------");
  out.empty_lines(1);
  out.line(
      "     N       TYPE               X           ANCHOR SPA.     "
      "HORIZ. REACT.       EQ. DL         MAX. MOMENT");
  out.blanks(30)
      .put(depth_label(l, units))
      .blanks(14)
      .put(length)
      .blanks(15)
      .put(l.short_force)
      .blanks(12)
      .put(l.short_force)
      .put("/")
      .put(length)
      .blanks(10)
      .put(l.short_force)
      .put("-")
      .line(length);
  out.line(
      "   -----  -----------    --------------   --------------   "
      "--------------   --------------   --------------");
  const double h = p.geometry.increment_length;
  for (const auto& [support, f] : s.forces.supports) {
    if (support.tie_back != tie_backs) continue;
    out.blanks(1)
        .i(support.number, 5)
        .blanks(4)
        .put(p.control.wale_continuity == 1 ? "SIMPLY SUP." : "CONTINUOUS ")
        .blanks(4)
        .e(shown_depth(support.station * h, units), 12, 3, 1);
    for (double v : {support.input->spacing, f.wale_reaction, f.wale_load,
                     f.wale_moment}) {
      out.blanks(2).e(v, 15, 4, 1);
    }
    out.end_line();
  }
}

void write_supports(RecordWriter& out, const engine::Problem& p,
                    const wall::Solution& s, bool tie_backs,
                    const engine::UnitLabels& l) {
  if ((tie_backs ? p.tie_backs : p.struts).empty()) return;
  const engine::UnitSystem units = p.units();
  out.empty_lines(2);
  if (tie_backs) {
    out.line("     TIE BACK RESULTS");
    out.line("     ----------------");
    out.empty_lines(1);
    out.line(
        "     N     STA         X        HOR.FORCE/STA.     FORCE/STA."
        "     FORCE/TIE BACK");
    out.blanks(21)
        .put(depth_label(l, units))
        .blanks(12)
        .put(l.short_force)
        .blanks(15)
        .put(l.short_force)
        .blanks(15)
        .line(l.short_force);
  } else {
    out.line("     STRUT/RAKER RESULTS");
    out.line("     ------------------");
    out.empty_lines(1);
    out.line(
        "     N     STA         X        HOR.FORCE/STA.     FORCE/STA."
        "      FORCE/STRUT");
    out.blanks(21)
        .put(depth_label(l, units))
        .blanks(13)
        .put(l.short_force)
        .blanks(14)
        .put(l.short_force)
        .blanks(14)
        .line(l.short_force);
  }
  out.line(
      "   -----  -----    --------     --------------   --------------"
      "   --------------");
  const double h = p.geometry.increment_length;
  for (const auto& [support, f] : s.forces.supports) {
    if (support.tie_back != tie_backs) continue;
    out.blanks(1)
        .i(support.number, 5)
        .blanks(2)
        .i(support.station, 5)
        .blanks(2)
        .e(shown_depth(support.station * h, units), 12, 3, 1);
    for (double v : {f.horizontal, f.along, f.per_support}) {
      out.blanks(2).e(v, 15, 4, 1);
    }
    out.end_line();
  }
  if (p.control.wale_flag > 0) write_wales(out, p, s, tie_backs, l);
}

}  // namespace

void write_results(RecordWriter& report, RecordWriter& log,
                   const engine::Problem& problem, const wall::Solution& s,
                   const engine::UnitLabels& l) {
  report.empty_lines(2);
  report.line("     RESULTS");
  report.line("     -------");
  report.put("     NUMBER OF ITERATIONS : ").i(s.iterations, 3).end_line();
  write_outcome(report, s);
  write_outcome(log, s);
  if (!s.has_results()) return;

  const engine::UnitSystem units = problem.units();
  report.empty_lines(1);
  report.line(
      "   STA I      X         DEFL.       SLOPE      MOMENT      "
      "SHEAR    SOIL_REACT NET_FORCE/STA    EI");
  report.blanks(12)
      .put(depth_label(l, units))
      .blanks(9)
      .put(l.length)
      .blanks(10)
      .put("RAD")
      .blanks(6)
      .put(l.short_force + "-" + l.short_length)
      .blanks(7)
      .put(l.force)
      .blanks(7)
      .put(l.short_force + "/" + l.short_length)
      .blanks(7)
      .put(l.force)
      .blanks(6)
      .line(l.short_force + "-" + l.short_length + "**2");
  report.line(
      "   ------    ----        ----       -----      ------      "
      "------    ---------   ---------   ---------");
  int station = 0;
  for (const wall::StationResult& r : s.stations) {
    report.blanks(2)
        .i(station++, 4)
        .blanks(2)
        .e(shown_depth(r.depth, units), 10, 3, 1);
    for (double v : {r.deflection, r.slope, r.moment, r.shear, r.soil_reaction,
                     r.net_force, r.rigidity}) {
      report.e(v, 12, 3, 1);
    }
    report.end_line();
  }

  write_restraints(report, problem, s, l);
  write_supports(report, problem, s, true, l);
  write_supports(report, problem, s, false, l);

  if (!problem.conditions.empty()) {
    report.empty_lines(2);
    report.line("     NODE REACTIONS");
    report.line("     --------------");
    report.empty_lines(1);
    report.line("     N     STA         X            FORCE    ");
    report.blanks(21).put(depth_label(l, units)).blanks(12).line(l.short_force);
    report.line("   -----  -----    --------    --------------");
    int entry = 0;
    const double h = problem.geometry.increment_length;
    for (const engine::SpecifiedCondition& c : problem.conditions) {
      const bool on_wall =
          c.station >= 0 && c.station < static_cast<int>(s.stations.size());
      const double force =
          on_wall ? s.stations[static_cast<size_t>(c.station)].net_force : 0.0;
      report.blanks(1)
          .i(++entry, 5)
          .blanks(2)
          .i(c.station, 5)
          .blanks(2)
          .e(shown_depth(c.station * h, units), 12, 3, 1)
          .blanks(2)
          .e(force, 15, 4, 1)
          .end_line();
    }
  }
}

namespace {

// A support record of the plot-data file: two integers, then reals.
void plot_support_line(RecordWriter& plot, int number, int second,
                       double first_real,
                       std::initializer_list<double> values) {
  plot.blanks(1).i(number, 5).blanks(2).i(second, 5).blanks(2).e(first_real, 12,
                                                                 3, 1);
  for (double v : values) plot.blanks(2).e(v, 15, 4, 1);
  plot.end_line();
}

void plot_supports(RecordWriter& plot, const engine::Problem& p,
                   const wall::Solution& s, bool tie_backs) {
  const size_t count = (tie_backs ? p.tie_backs : p.struts).size();
  if (count == 0) return;
  const double h = p.geometry.increment_length;
  plot.list_int(static_cast<long long>(count)).end_line();
  for (const auto& [support, f] : s.forces.supports) {
    if (support.tie_back != tie_backs) continue;
    const engine::Anchor& a = *support.input;
    plot_support_line(plot, support.number, support.station,
                      support.station * h,
                      {a.spacing, a.area, a.angle, f.horizontal, f.along,
                       f.per_support, tie_backs ? a.prestress : 0.0});
  }
  if (p.control.wale_flag <= 0) return;
  plot.list_int(static_cast<long long>(count)).end_line();
  const int type = p.control.wale_continuity;
  for (const auto& [support, f] : s.forces.supports) {
    if (support.tie_back != tie_backs) continue;
    plot_support_line(plot, support.number, type, f.wale_reaction,
                      {f.wale_load, f.wale_moment});
  }
}

}  // namespace

void write_plot_block(RecordWriter& plot, int stage_value,
                      const engine::Problem& problem,
                      const wall::WallModel* model, const wall::Solution* s) {
  const int m = problem.geometry.increments;
  if (model == nullptr || s == nullptr || !s->has_results()) {
    plot.list_int(0)
        .list_int(m)
        .list_int(problem.control.unit_system)
        .end_line();
    return;
  }
  plot.list_int(stage_value)
      .list_int(m)
      .list_int(problem.control.unit_system)
      .end_line();
  for (int k = 0; k < m; ++k) {
    const wall::StationResult& r = s->stations[static_cast<size_t>(k)];
    for (double v : {r.depth, r.deflection, r.moment, r.shear, r.net_force,
                     r.rigidity, r.soil_reaction}) {
      plot.blanks(1).e(v, 13, 4, 1);
    }
    plot.end_line();
  }
  plot_supports(plot, problem, *s, true);
  plot_supports(plot, problem, *s, false);
}

}  // namespace korvan::report
