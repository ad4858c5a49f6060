#include "engine/problem_reader.h"

namespace korvan::engine {
namespace {

[[noreturn]] void refuse_at(const RecordReader& in, int line,
                            std::string_view record, StopKind kind,
                            std::string_view message) {
  throw InputError(kind, in.file_name() + ":" + std::to_string(line) + ": " +
                             std::string(record) + ": " +
                             std::string(message));
}

std::string numbered(std::string_view record, int number) {
  return std::string(record) + " " + std::to_string(number);
}

}  // namespace

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
  if (control.unit_system != 1 && control.unit_system != 2) {
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
  g.ninth = in.integer("ninth value");
  g.tenth = in.integer("tenth value");
  g.section_adjustment = in.integer("section-adjustment flag");
  in.end();
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
  }
  return g;
}

int read_count(RecordReader& in, std::string record, std::string_view field) {
  in.begin(std::move(record));
  const int count = in.integer(field);
  in.end();
  if (count < 0) {
    in.fail(StopKind::kInvalid,
            "negative count " + std::to_string(count));
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
    in.fail(StopKind::kStationsNotInOrder,
            "the first station " + std::to_string(c.station) +
                " is above station -1");
  }
  if (previous != nullptr && c.station < *previous) {
    in.fail(StopKind::kStationsNotInOrder,
            "station " + std::to_string(c.station) +
                " is above the previous station " + std::to_string(*previous));
  }
  if (c.station > increments + 1) {
    in.fail(StopKind::kInvalid,
            "station " + std::to_string(c.station) +
                " is below the grid (stations -1 to " +
                std::to_string(increments + 1) + ")");
  }
  return c;
}

WallSection read_wall_section(RecordReader& in, int number) {
  in.begin(numbered("wall-section record", number));
  WallSection w;
  w.top = in.real("top");
  w.bottom = in.real("bottom");
  w.cross_section = in.integer("cross section");
  in.end();
  return w;
}

LoadEntry read_load_entry(RecordReader& in, int number,
                          const LoadEntry* opening) {
  in.begin(numbered("stiffness-and-load record", number));
  LoadEntry e;
  e.contd = in.integer("continuation flag");
  e.from = in.integer("first station");
  e.to = in.integer("last station");
  e.load = in.real("transverse load");
  e.torque = in.real("torque");
  e.axial = in.real("axial load");
  in.end();
  e.line = in.record_line();
  if (e.to < e.from) {
    in.fail(StopKind::kStationsNotInOrder,
            "last station " + std::to_string(e.to) +
                " is above the first station " + std::to_string(e.from));
  }
  if (opening != nullptr && e.to < opening->from) {
    in.fail(StopKind::kStationsNotInOrder,
            "last station " + std::to_string(e.to) +
                " is above the first station " + std::to_string(opening->from) +
                " of the entry it closes");
  }
  return e;
}

RestraintEntry read_restraint(RecordReader& in, int number,
                              const RestraintEntry* opening) {
  in.begin(numbered("restraint record", number));
  RestraintEntry e;
  e.from = in.integer("first station");
  e.to = in.integer("last station");
  e.contd = in.integer("continuation flag");
  e.lateral = in.real("transverse stiffness");
  e.rotational = in.real("rotational stiffness");
  in.end();
  e.line = in.record_line();
  if (e.to < e.from) {
    in.fail(StopKind::kStationsNotInOrder,
            "last station " + std::to_string(e.to) +
                " is above the first station " + std::to_string(e.from));
  }
  if (opening != nullptr && e.to < opening->from) {
    in.fail(StopKind::kStationsNotInOrder,
            "last station " + std::to_string(e.to) +
                " is above the first station " + std::to_string(opening->from) +
                " of the entry it closes");
  }
  return e;
}

void check_last_entry_closed(const RecordReader& in, int contd,
                             std::string_view what) {
  if (contd == 1) {
    in.fail(StopKind::kInvalid,
            "the last " + std::string(what) +
                " is marked as continued but no entry follows to close it");
  }
}

void check_support_count(const RecordReader& in, const ControlRecord& control,
                         int control_line) {
  const int tie_backs = std::max(control.tie_backs, 0);
  const int struts = std::max(control.struts, 0);
  if (tie_backs + struts > kMaxSupports) {
    refuse_at(in, control_line,
              "control record, fields 11 and 15 (tie backs, struts/rakers)",
              StopKind::kTooMuchData,
              std::to_string(tie_backs) + " tie backs and " +
                  std::to_string(struts) + " struts/rakers, at most " +
                  std::to_string(kMaxSupports) + " together");
  }
}

namespace {
Anchor read_anchor(RecordReader& in, bool prestressed) {
  Anchor a;
  a.depth = in.real("depth");
  a.area = in.real("area");
  a.modulus = in.real("elastic modulus");
  a.unbonded_length = in.real("unbonded length");
  a.angle = in.real("horizontal angle");
  a.spacing = in.real("anchor spacing");
  if (prestressed) a.prestress = in.real("prestress force");
  in.end();
  return a;
}
}  // namespace

Anchor read_tie_back(RecordReader& in, int number) {
  in.begin(numbered("tie-back record", number));
  return read_anchor(in, true);
}

Anchor read_strut(RecordReader& in, int number) {
  in.begin(numbered("strut/raker record", number));
  return read_anchor(in, false);
}

Wale read_wale(RecordReader& in, int number) {
  in.begin(numbered("wale record", number));
  Wale w;
  w.number = in.integer("first value");
  for (double& v : w.values) v = in.real("wale value");
  in.end();
  return w;
}

int read_continuation(RecordReader& in) {
  in.begin("continuation record");
  const int code = in.integer("continuation code");
  in.end();
  return code;
}

}  // namespace korvan::engine
