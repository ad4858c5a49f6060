#include "input/problem_reader.h"

#include <cmath>

#include "input/reader_helpers.h"
#include "model/constants.h"

namespace korvan::engine {

ControlRecord read_control(RecordReader& in) {
  in.begin("control record");
  ControlRecord c;
  c.unit_system = in.integer("unit system code");
  c.specified_points = in.integer("number of specified points");
  c.wall_sections = in.integer("number of wall sections");
  c.cross_sections = in.integer("number of cross sections");
  c.py_factors = in.integer("number of p-y modification factors");
  c.earth_pressure_option = in.integer("earth-pressure option");
  c.py_option = in.integer("p-y option");
  c.user_py_curves = in.integer("number of user-specified p-y curves");
  c.stage_code = in.integer("stage code");
  c.nonlinear_ei_sets = in.integer("number of nonlinear EI sets");
  c.tie_backs = in.integer("number of tie backs");
  c.hinge_model = in.integer("hinge-model flag");
  c.wale_flag = in.integer("wale flag");
  c.wale_continuity = in.integer("wale continuity");
  c.struts = in.integer("number of struts/rakers");
  in.end();
  return c;
}

void check_unit_system(const RecordReader& in, const ControlRecord& control,
                       int control_line) {
  if (control.unit_system != static_cast<int>(UnitSystem::kEnglish) &&
      control.unit_system != static_cast<int>(UnitSystem::kMetric)) {
    refuse_at(in, control_line, "control record, field 1 (unit system code)",
              StopKind::kInvalid,
              "unit system code " + std::to_string(control.unit_system) +
                  " is neither 1 (English) nor 2 (metric)");
  }
}

WallGeometry read_wall_geometry(RecordReader& in) {
  in.begin("wall-geometry record");
  WallGeometry g;
  g.increments = in.integer("number of increments");
  g.increment_length = in.real("increment length");
  g.allowable_deflection = in.real("maximum allowable deflection");
  g.closure_tolerance = in.real("deflection closure tolerance");
  g.reference_depth = in.real("reference depth");
  g.wall_width = in.real("wall width");
  g.wall_height = in.real("wall height");
  g.max_iterations = in.integer("maximum number of iterations");
  g.reserved_9 = in.integer("ninth value");
  g.reserved_10 = in.integer("tenth value");
  g.section_adjustment = in.integer("section-adjustment flag");
  in.end();
  // A wall longer than the numbers reach is refused whatever the
  // iteration limit: its results (even of a run that ends here) would
  // show a length that is not a number.
  const double length = g.increments * g.increment_length;
  if (!(std::fabs(length) <= kMaxWallLength)) {
    refuse_at(in, in.record_line(),
              "wall-geometry record, field 2 (increment length)",
              StopKind::kInvalid,
              std::to_string(g.increments) + " increments of " +
                  shortest(g.increment_length) + " make a wall longer than " +
                  shortest(kMaxWallLength) + " (of the length unit)");
  }
  // Nothing is computed when the iteration limit ends the run.
  if (g.max_iterations >= 0) {
    if (g.increments < 1 || g.increments > kMaxIncrements) {
      in.fail(StopKind::kInvalid,
              "number of increments " + std::to_string(g.increments) +
                  " is outside 1 to " + std::to_string(kMaxIncrements));
    }
    if (!(g.increment_length > 0.0)) {
      in.fail(StopKind::kInvalid, "the increment length must be positive");
    }

    if (g.max_iterations > kMaxIterations) {
      refuse_at(in, in.record_line(),
                "wall-geometry record, field 8 (maximum number of "
                "iterations)",
                StopKind::kInvalid,
                std::to_string(g.max_iterations) + " iterations, at most " +
                    std::to_string(kMaxIterations));
    }
    // Nothing can close within a tolerance of zero, or one below the
    // resolution of the deflections (5e-324): the iteration would run to
    // its limit.
    if (g.max_iterations > 0 && !(g.closure_tolerance >= kMinTolerance)) {
      refuse_at(in, in.record_line(),
                "wall-geometry record, field 4 (deflection closure "
                "tolerance)",
                StopKind::kInvalid,
                "a tolerance of " + shortest(g.closure_tolerance) +
                    " is below " + shortest(kMinTolerance) +
                    " (of the length unit); it must not be when iterations "
                    "are asked for");
    }
  }
  return g;
}

int read_count(RecordReader& in, std::string record, std::string_view field) {
  in.begin_count(std::move(record));
  const int count = in.integer(field);
  in.end();
  if (count < 0) {
    in.fail(StopKind::kInvalid, "negative count " + std::to_string(count));
  }
  return count;
}

void check_specified_count(const RecordReader& in, int count,
                           int control_line) {
  const char* record = "control record, field 2 (number of specified points)";
  if (count < 0) {
    refuse_at(in, control_line, record, StopKind::kQuiet,
              "negative number of specified points");
  }
  if (count > kMaxSpecifiedConditions) {
    refuse_at(in, control_line, record, StopKind::kTooMuchData,
              std::to_string(count) + " points, at most " +
                  std::to_string(kMaxSpecifiedConditions));
  }
}

SpecifiedCondition read_specified_condition(RecordReader& in, int number,
                                            const int* previous,
                                            int increments) {
  in.begin(numbered("specified-condition record", number));
  SpecifiedCondition c;
  c.case_code = in.integer("case");
  c.station = in.integer("station");
  c.deflection = in.real("deflection");
  c.slope = in.real("slope");
  in.end();
  if (previous == nullptr && c.station < -1) {
    in.fail(StopKind::kStationsNotInOrder, "the first station " +
                                               std::to_string(c.station) +
                                               " is above station -1");
  }
  if (previous != nullptr && c.station < *previous) {
    in.fail(StopKind::kStationsNotInOrder,
            "station " + std::to_string(c.station) +
                " is above the previous station " + std::to_string(*previous));
  }
  // A slope is imposed through the stations on either side: it needs a
  // station on the wall.
  const bool slope = c.fixes_slope();
  const int lowest = slope ? 0 : -1;
  const int highest = slope ? increments : increments + 1;
  if (c.station < lowest || c.station > highest) {
    in.fail(StopKind::kInvalid,
            "station " + std::to_string(c.station) + " is off the grid for " +
                (slope ? "a specified slope (stations 0 to "
                       : "a specified deflection (stations -1 to ") +
                std::to_string(highest) + ")");
  }
  return c;
}

WallSection read_wall_section(RecordReader& in, int number, int sections) {
  in.begin(numbered("wall-section record", number));
  WallSection w;
  w.top = in.real("top");
  w.bottom = in.real("bottom");
  w.cross_section = in.integer("cross section");
  in.end();
  if (w.bottom < w.top) {
    in.fail(StopKind::kInvalid, "the bottom lies above the top");
  }
  if (w.cross_section < 1 || w.cross_section > sections) {
    in.fail(StopKind::kInvalid,
            "cross section " + std::to_string(w.cross_section) +
                " is not one of the problem's " + std::to_string(sections) +
                " cross sections");
  }
  return w;
}

int read_continuation(RecordReader& in) {
  in.begin("continuation record");
  const int code = in.integer("continuation code");
  in.end();
  return code;
}

}  // namespace korvan::engine
