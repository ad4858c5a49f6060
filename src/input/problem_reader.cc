#include "input/problem_reader.h"

#include <algorithm>
#include <cmath>

#include "model/constants.h"
#include "wall/supports.h"

namespace korvan::engine {
namespace {

[[noreturn]] void refuse_at(const RecordReader& in, int line,
                            std::string_view record, StopKind kind,
                            std::string_view message) {
  throw InputError(kind, in.file_name(), line, std::string(record),
                   std::string(message));
}

std::string numbered(std::string_view record, int number) {
  return std::string(record) + " " + std::to_string(number);
}

// A station number taken from the input: one far outside the station
// tables is refused before anything loops over it or indexes by it.
void check_station_reach(const RecordReader& in, int station, int field,
                         std::string_view name) {
  if (station >= -kFarthestStation && station <= kFarthestStation) return;
  refuse_at(in, in.record_line(),
            in.record() + ", field " + std::to_string(field) + " (" +
                std::string(name) + ")",
            StopKind::kInvalid,
            "station " + std::to_string(station) +
                " lies far outside the station tables (station numbers "
                "from " + std::to_string(-kFarthestStation) + " to " +
                std::to_string(kFarthestStation) + " are taken)");
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
                  shortest(g.increment_length) +
                  " make a wall longer than " + shortest(kMaxWallLength) +
                  " (of the length unit)");
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

// The last station of a range entry lies neither above its own first
// station nor above the first station of the entry it closes.
void check_station_order(const RecordReader& in, int from, int to,
                         const int* opening_from) {
  if (to < from) {
    in.fail(StopKind::kStationsNotInOrder,
            "last station " + std::to_string(to) +
                " is above the first station " + std::to_string(from));
  }
  if (opening_from != nullptr && to < *opening_from) {
    in.fail(StopKind::kStationsNotInOrder,
            "last station " + std::to_string(to) +
                " is above the first station " + std::to_string(*opening_from) +
                " of the entry it closes");
  }
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
  check_station_reach(in, e.from, 2, "first station");
  check_station_reach(in, e.to, 3, "last station");
  check_station_order(in, e.from, e.to,
                      opening != nullptr ? &opening->from : nullptr);
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
  // A restraint resists: a negative stiffness would push the wall away.
  if (!(e.lateral >= 0.0) || !(e.rotational >= 0.0)) {
    const bool lateral = !(e.lateral >= 0.0);
    refuse_at(in, e.line,
              in.record() + (lateral ? ", field 4 (transverse stiffness)"
                                     : ", field 5 (rotational stiffness)"),
              StopKind::kInvalid,
              "a stiffness of " + shortest(lateral ? e.lateral : e.rotational) +
                  " is below zero; it must be 0 or more");
  }
  check_station_reach(in, e.from, 1, "first station");
  check_station_reach(in, e.to, 2, "last station");
  check_station_order(in, e.from, e.to,
                      opening != nullptr ? &opening->from : nullptr);
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
  // In 64 bits: two counts near the top of the integers must not wrap
  // round below the limit.
  const long long tie_backs = std::max(control.tie_backs, 0);
  const long long struts = std::max(control.struts, 0);
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
Anchor read_anchor(RecordReader& in, bool prestressed, const WallGeometry& g,
                   UnitSystem units) {
  Anchor a;
  a.depth = in.real("depth");
  a.area = in.real("area");
  a.modulus = in.real("elastic modulus");
  a.unbonded_length = in.real("unbonded length");
  a.angle = in.real("horizontal angle");
  a.spacing = in.real("anchor spacing");
  if (prestressed) a.prestress = in.real("prestress force");
  in.end();
  const bool english = units == UnitSystem::kEnglish;
  const int station =
      wall::support_station(a.depth, g.increment_length, english);
  if (!(station >= 0 && station <= g.increments)) {
    in.fail(StopKind::kInvalid,
            "the depth puts it off the wall (stations 0 to " +
                std::to_string(g.increments) + ")");
  }
  if (!(a.area > 0.0)) in.fail(StopKind::kInvalid, "the area must be positive");
  if (!(a.modulus > 0.0)) {
    in.fail(StopKind::kInvalid, "the elastic modulus must be positive");
  }
  if (!(a.spacing > 0.0)) in.fail(StopKind::kInvalid, "the spacing must be positive");
  if (!(a.unbonded_length > 0.0)) {
    in.fail(StopKind::kInvalid, "the unbonded length must be positive");
  }
  if (!(std::fabs(a.angle) < 90.0)) {
    in.fail(StopKind::kInvalid, "the horizontal angle must lie below 90 degrees");
  }
  if (!(g.wall_width > 0.0)) {
    in.fail(StopKind::kInvalid,
            "the wall width of the wall-geometry record must be positive to "
            "share support forces");
  }
  // The spring and the prestress load the support puts on its station (as
  // the wall model makes them) must be numbers: an area of 1e300 times a
  // modulus is not.
  const wall::SupportTerms t =
      wall::support_terms(a, g.wall_width, english, prestressed);
  if (!std::isfinite(t.spring) || !std::isfinite(t.force)) {
    in.fail(StopKind::kInvalid,
            std::string("the ") + (std::isfinite(t.spring) ? "prestress load"
                                                         : "spring") +
                " of the support on its station is beyond the range of the "
                "numbers: check the area, modulus, lengths and spacing");
  }
  return a;
}
}  // namespace

Anchor read_tie_back(RecordReader& in, int number, const WallGeometry& g,
                     UnitSystem units) {
  in.begin(numbered("tie-back record", number));
  return read_anchor(in, true, g, units);
}

Anchor read_strut(RecordReader& in, int number, const WallGeometry& g,
                  UnitSystem units) {
  in.begin(numbered("strut/raker record", number));
  return read_anchor(in, false, g, units);
}

Wale read_wale(RecordReader& in, int number) {
  in.begin(numbered("wale record", number));
  Wale w;
  w.number = in.integer("first value");
  for (double& v : w.values) v = in.real("wale value");
  in.end();
  return w;
}

namespace {

template <size_t N>
void read_reals(RecordReader& in, std::array<double, N>& values,
                std::string_view field) {
  for (double& v : values) v = in.real(field);
}

template <size_t N>
void read_ints(RecordReader& in, std::array<int, N>& values,
               std::string_view field) {
  for (int& v : values) v = in.integer(field);
}

// A count read inside a block, which governs later records of the block.
int checked_count(const RecordReader& in, int count, std::string_view what) {
  if (count < 0) {
    in.fail(StopKind::kInvalid,
            "negative " + std::string(what) + " " + std::to_string(count));
  }
  return count;
}

std::vector<double> read_value_records(RecordReader& in, int count,
                                       std::string_view record) {
  std::vector<double> values;
  for (int i = 1; i <= count; ++i) {
    in.begin(numbered(record, i));
    values.push_back(in.real("value"));
    in.end();
  }
  return values;
}

std::vector<std::array<double, 3>> read_point_records(
    RecordReader& in, int count, std::string_view record) {
  std::vector<std::array<double, 3>> points;
  for (int i = 1; i <= count; ++i) {
    in.begin(numbered(record, i));
    std::array<double, 3> p{};
    read_reals(in, p, "area, x or y");
    in.end();
    points.push_back(p);
  }
  return points;
}

std::vector<int> read_int_list(RecordReader& in, int count,
                               std::string_view field) {
  std::vector<int> list;
  for (int i = 0; i < count; ++i) list.push_back(in.integer(field));
  return list;
}

void read_nonlinear_records(RecordReader& in, CrossSection& c,
                            const std::string& block) {
  NonlinearSectionRecords& r = c.nonlinear;
  in.begin(block + ", material record");
  r.material_option = in.integer("material option");
  read_reals(in, r.materials, "material value");
  in.end();

  in.begin(block + ", reinforcement record");
  read_reals(in, r.reinforcement, "reinforcement value");
  read_ints(in, r.counts, "count");
  in.end();
  for (int count : r.counts) checked_count(in, count, "count");
  // The two lists are read within one record, where one repeated value
  // ("2000000000*1") could supply a list of any length.
  for (int list : {0, 2}) {
    if (r.counts[static_cast<size_t>(list)] > kMaxListLength) {
      in.fail(StopKind::kInvalid,
              std::to_string(r.counts[static_cast<size_t>(list)]) +
                  " values in list " + std::to_string(list / 2 + 1) +
                  ", at most " + std::to_string(kMaxListLength));
    }
  }

  in.begin(block + ", steel-section name record");
  r.steel_name = in.text("steel-section name", 80);
  in.end();

  in.begin(block + ", bar record");
  r.bar_list = read_int_list(in, r.counts[0], "bar list entry");
  read_reals(in, r.bar_values, "bar value");
  r.bar_option = in.integer("bar option");
  in.end();

  in.begin(block + ", layout record");
  read_ints(in, r.layout_options, "layout option");
  read_reals(in, r.layout_values, "layout value");
  in.end();
  r.bars = read_point_records(in, r.counts[1], block + ", bar");

  in.begin(block + ", strand record");
  r.strand_list = read_int_list(in, r.counts[2], "strand list entry");
  read_reals(in, r.strand_values, "strand value");
  in.end();
  r.strands = read_point_records(in, r.counts[3], block + ", strand");

  in.begin(block + ", casing record");
  read_ints(in, r.casing_options, "casing option");
  read_reals(in, r.casing_values, "casing value");
  in.end();
  r.casing_table = read_value_records(
      in, checked_count(in, r.casing_options[2], "number of casing values"),
      block + ", casing value");

  in.begin(block + ", confinement record");
  read_ints(in, r.confinement_options, "confinement option");
  read_reals(in, r.confinement_values, "confinement value");
  in.end();

  in.begin(block + ", steel record");
  read_ints(in, r.steel_options, "steel option");
  read_reals(in, r.steel_values, "steel value");
  in.end();
  r.steel_table = read_value_records(
      in, checked_count(in, r.steel_options[3], "number of steel values"),
      block + ", steel value");
}

}  // namespace

CrossSection read_cross_section(RecordReader& in, int number) {
  const std::string block = numbered("cross section", number);
  CrossSection c;
  in.begin(block + ", header record");
  read_ints(in, c.unused, "unused value");
  c.shape = in.integer("section shape code");
  c.ei_option = in.integer("EI option");
  in.end();
  if (c.shape < 1 || c.shape > kSectionShapes) {
    in.fail(StopKind::kInvalid, "section shape code " +
                                    std::to_string(c.shape) +
                                    " is not one of 1 to " +
                                    std::to_string(kSectionShapes));
  }
  in.begin(block + ", name record");
  c.name = in.text("section name", 80);
  in.end();

  if (!c.elastic()) {
    in.begin(block + ", first property record");
    read_reals(in, c.dimensions, "section property");
    c.modulus = in.real("modulus of elasticity");
    in.end();
    read_nonlinear_records(in, c, block);
    return c;
  }

  in.begin(block + ", dimension record");
  read_reals(in, c.dimensions, "dimension");
  in.end();
  in.begin(block + ", property record");
  read_reals(in, c.properties, "section property");
  c.property_extra = in.real("further value");
  c.bottom_rows = checked_count(in, in.integer("count of bottom rows"),
                                "count of bottom rows");
  in.end();
  if (c.bottom_rows > 0) {
    in.begin(block + ", bottom dimension record");
    read_reals(in, c.bottom_dimensions, "dimension");
    in.end();
    in.begin(block + ", bottom property record");
    read_reals(in, c.bottom_properties, "section property");
    c.bottom_extra = in.real("further value");
    in.end();
  }
  if (!(c.moment_of_inertia() > 0.0 && c.elastic_modulus() > 0.0) ||
      (c.bottom_rows > 0 && !(c.bottom_moment_of_inertia() > 0.0 &&
                              c.bottom_elastic_modulus() > 0.0))) {
    in.fail(StopKind::kInvalid,
            "the moment of inertia and the modulus of elasticity must be "
            "positive");
  }
  if (!std::isfinite(c.moment_of_inertia() * c.elastic_modulus()) ||
      !std::isfinite(c.bottom_moment_of_inertia() *
                     c.bottom_elastic_modulus())) {
    in.fail(StopKind::kInvalid,
            "the flexural rigidity (modulus of elasticity times moment of "
            "inertia) is beyond the range of the numbers");
  }
  in.begin(block + ", option record");
  read_ints(in, c.options, "option");
  c.option_value = in.real("option value");
  read_ints(in, c.more_options, "option");
  in.end();
  in.begin(block + ", remark record");
  c.remark = in.text("remark", 80);
  in.end();
  return c;
}

void read_ei_set_header(RecordReader& in) {
  in.begin("nonlinear EI header record");
  in.integer("unused value");
  in.end();
}

namespace {
void read_curvature_points(RecordReader& in, ThrustLevel& level,
                           const std::string& block) {
  in.begin_count(block + ", point count record");
  in.integer("unused value");
  const int points = checked_count(in, in.integer("number of points"),
                                   "number of points");
  const int count_line = in.line_number();
  in.end();
  for (int i = 1; i <= points; ++i) {
    in.begin(block + ", " + numbered("point", i));
    CurvaturePoint p;
    p.curvature = in.real("curvature");
    p.moment = in.real("moment");
    in.end();
    // The rigidity of the point, moment over curvature, is printed and
    // used.
    if (p.curvature != 0.0 && !std::isfinite(p.moment / p.curvature)) {
      in.fail(StopKind::kInvalid,
              "the rigidity, moment over curvature, is beyond the range of "
              "the numbers");
    }
    level.points.push_back(p);
  }
  in.end_counted_group(count_line);
}
}  // namespace

ThrustLevel read_ei_set(RecordReader& in, int number) {
  const std::string block = numbered("nonlinear EI set", number);
  ThrustLevel set;
  in.begin(block + ", thrust record");
  set.thrust = in.real("axial thrust");
  in.end();
  read_curvature_points(in, set, block);
  return set;
}

std::vector<ThrustLevel> read_moment_curvature(RecordReader& in,
                                               int section) {
  const std::string block = numbered("moment-curvature table", section);
  in.begin_count(block + ", count record");
  in.integer("unused value");
  const int levels = checked_count(in, in.integer("number of thrust levels"),
                                   "number of thrust levels");
  in.end();
  std::vector<ThrustLevel> table;
  for (int k = 1; k <= levels; ++k) {
    const std::string level_block = block + ", " + numbered("level", k);
    ThrustLevel level;
    in.begin(level_block + " thrust record");
    level.thrust = in.real("axial thrust");
    level.extra = in.real("second value");
    in.end();
    read_curvature_points(in, level, level_block);
    table.push_back(std::move(level));
  }
  return table;
}

void check_nonlinear_table(const RecordReader& in, int section,
                           const CrossSection& c,
                           const std::vector<ThrustLevel>& ei_sets) {
  const std::vector<CurvaturePoint>* table = nullptr;
  if (!c.moment_curvature.empty()) {
    table = &c.moment_curvature.front().points;
  } else if (c.shape == kUserDefinedEiShape && !ei_sets.empty()) {
    table = &ei_sets.front().points;
  }
  const std::string what = "nonlinear cross section " + std::to_string(section);
  if (table == nullptr || table->size() < 2) {
    in.fail(StopKind::kInvalid,
            what + " needs a moment-curvature table of 2 or more points");
  }
  if (!((*table)[1].moment > 0.0)) {
    in.fail(StopKind::kInvalid, what + ": the moment of the second point "
                                       "of its table must be above zero");
  }
  if (!((*table)[1].curvature > 0.0)) {
    in.fail(StopKind::kInvalid, what + ": the curvature of the second point "
                                       "of its table must be above zero");
  }
  for (size_t i = 1; i < table->size(); ++i) {
    if (!((*table)[i].curvature > (*table)[i - 1].curvature)) {
      in.fail(StopKind::kInvalid,
              what + ": the curvatures of its table must increase");
    }
  }
}

int read_py_factor_option(RecordReader& in) {
  in.begin("p-y modification flag record");
  const int option = in.integer("multiplier option");
  in.end();
  return option;
}

PyFactor read_py_factor(RecordReader& in, int number) {
  in.begin(numbered("p-y modification record", number));
  PyFactor f;
  f.depth = in.real("depth");
  f.p = in.real("p-multiplier");
  f.y = in.real("y-multiplier");
  in.end();
  return f;
}

PressurePoint read_pressure_point(RecordReader& in, int number) {
  in.begin(numbered("active earth pressure record", number));
  PressurePoint p;
  p.depth = in.real("depth");
  p.pressure = in.real("active earth pressure");
  in.end();
  return p;
}

EarthPressureWall read_earth_pressure_wall(RecordReader& in) {
  in.begin("earth-pressure wall record");
  EarthPressureWall w;
  w.free_height = in.real("free height");
  w.line = in.record_line();
  w.width_pressure = in.real("width for earth pressure");
  w.width_resistance = in.real("width for soil resistance");
  w.water_backfill = in.real("water table at the backfill side");
  w.water_excavation = in.real("water table at the excavation side");
  w.active_factor = in.real("modification factor for active pressure");
  w.water_flag = in.integer("water-pressure flag");
  w.backfill_slope = in.real("slope of the backfill");
  w.excavation_slope = in.real("slope of the excavation ground");
  in.end();
  // A ground surface steeper than vertical has no meaning; the p-y models'
  // slope factors would turn negative and the resistances with them.
  auto check_slope = [&](double slope, const char* field) {
    if (!(std::fabs(slope) < 90.0)) {
      refuse_at(in, w.line, std::string("earth-pressure wall record, ") + field,
                StopKind::kInvalid,
                "a slope of " + shortest(slope) +
                    " degrees is not between -90 and 90 degrees");
    }
  };
  // The excavation line is a depth below the top of the wall; above it the
  // generated p-y curves would stand on stations above the wall.
  if (!(w.free_height >= 0.0)) {
    refuse_at(in, w.line, "earth-pressure wall record, field 1 (free height)",
              StopKind::kInvalid,
              "a free height of " + shortest(w.free_height) +
                  " is above the top of the wall; it must not be negative");
  }
  check_slope(w.backfill_slope, "field 8 (slope of the backfill)");
  check_slope(w.excavation_slope, "field 9 (slope of the excavation ground)");
  return w;
}

SurfaceLoads read_surface_loads(RecordReader& in) {
  in.begin("surface record");
  SurfaceLoads s;
  s.pressure = in.real("uniform surface pressure");
  s.distance = in.real("distance to the surcharge");
  s.point_load = in.real("point load");
  s.line_load = in.real("line load");
  s.strip_load = in.real("strip load");
  s.strip_width = in.real("strip width");
  in.end();
  return s;
}

Surcharge read_surcharge(RecordReader& in, int number, UnitSystem units) {
  in.begin(numbered("surcharge record", number));
  Surcharge s;
  s.type = in.integer("loading type");
  s.load = in.real("load");
  s.distance = in.real("horizontal distance");
  s.width = in.real("strip width");
  s.vertical = in.real("vertical distance");
  s.factor = in.real("factor");
  in.end();
  if (s.type < static_cast<int>(SurchargeType::kPoint) ||
      s.type > static_cast<int>(SurchargeType::kStrip)) {
    in.fail(StopKind::kInvalid, "loading type " + std::to_string(s.type) +
                                    " is not 1 (point), 2 (line) or 3 "
                                    "(strip)");
  }
  if (units == UnitSystem::kMetric) {
    // Entered in millimetres.
    s.distance /= 1000.0;
    s.width /= 1000.0;
    s.vertical /= 1000.0;
  }
  return s;
}

int read_soil_record(RecordReader& in, SoilProfile& soil) {
  in.begin("soil record");
  const int layers = in.integer("number of soil layers");
  soil.loading = in.integer("loading type");
  soil.load_cycles = in.real("number of load cycles");
  in.end();
  if (layers < 0) {
    in.fail(StopKind::kInvalid,
            "negative number of soil layers " + std::to_string(layers));
  }
  if (layers > kMaxSoilLayers) {
    in.fail(StopKind::kTooMuchData,
            std::to_string(layers) + " soil layers, at most " +
                std::to_string(kMaxSoilLayers));
  }
  // Cyclic loading takes its number of cycles into the curves (a negative
  // one was taken as one cycle without a word).
  if (soil.py_loading() == Loading::kCyclic &&
      !(soil.load_cycles >= 0.0 && soil.load_cycles <= kMaxLoadCycles)) {
    refuse_at(in, in.record_line(), "soil record, field 3 (number of load cycles)",
              StopKind::kInvalid,
              shortest(soil.load_cycles) + " load cycles is outside 0 to " +
                  shortest(kMaxLoadCycles));
  }
  return layers;
}

namespace {
// `rock_quality`: the sixth value is the rock quality designation of a
// weak rock whose p-y curves are generated.
SoilValues read_soil_values(RecordReader& in, const std::string& record,
                            bool rock_quality) {
  in.begin(record);
  SoilValues v;
  v.unit_weight = in.real("total unit weight");
  v.strength = in.real("strength");
  v.friction_angle = in.real("friction angle");
  v.epsilon50 = in.real("epsilon-50");
  v.subgrade_modulus = in.real("modulus of subgrade reaction");
  v.k_or_rqd = in.real("fifth property");
  in.end();
  const int line = in.record_line();
  auto refuse = [&](int field, const char* name, const std::string& why) {
    refuse_at(in, line,
              record + ", field " + std::to_string(field) + " (" + name + ")",
              StopKind::kInvalid, why);
  };
  // A soil has no negative weight, strength or strain (nor a weak rock a
  // negative krm in the epsilon-50 column).
  const std::pair<double, const char*> non_negative[] = {
      {v.unit_weight, "total unit weight"},
      {v.strength, "strength"},
      {v.epsilon50, "epsilon-50"}};
  int field = 1;
  for (const auto& [value, name] : non_negative) {
    if (!(value >= 0.0)) {
      refuse(field, name,
             "a " + std::string(name) + " of " + shortest(value) +
                 " is below zero; it must be 0 or more");
    }
    field += field == 2 ? 2 : 1;
  }
  if (!(v.friction_angle >= 0.0 && v.friction_angle < 90.0)) {
    refuse(3, "friction angle",
           "a friction angle of " + shortest(v.friction_angle) +
               " degrees is outside 0 to below 90 degrees");
  }
  if (rock_quality && !(v.rock_quality_designation() >= 0.0 &&
                        v.rock_quality_designation() <= 100.0)) {
    refuse(6, "rock quality designation",
           "a rock quality designation of " +
               shortest(v.rock_quality_designation()) +
               " % is outside 0 to 100 %");
  }
  return v;
}
}  // namespace

SoilLayer read_soil_layer(RecordReader& in, int number,
                          const SoilLayer* above, bool py_curves) {
  const std::string block = numbered("soil layer", number);
  SoilLayer layer;
  in.begin(block + ", type record");
  layer.type = in.integer("soil type code");
  layer.line = in.record_line();
  layer.top = in.real("top depth");
  layer.bottom = in.real("bottom depth");
  in.end();
  // A layer without thickness would end the soil profile there and drop
  // every layer below it.
  if (!(layer.bottom > layer.top)) {
    in.fail(StopKind::kInvalid, "the bottom must lie below the top");
  }
  // Earth pressure stacks the layers by thickness, the p-y curves place
  // them by depth: a gap or an overlap would give the two different soils.
  if (above != nullptr &&
      std::fabs(layer.top - above->bottom) > kDepthTolerance) {
    const bool gap = layer.top > above->bottom;
    refuse_at(in, layer.line, block + ", type record, field 2 (top depth)",
              StopKind::kInvalid,
              "the top depth " + shortest(layer.top) +
                  (gap ? " leaves a gap below" : " overlaps") +
                  " soil layer " + std::to_string(number - 1) +
                  ", which ends at depth " + shortest(above->bottom) +
                  "; give each layer's top depth equal to the bottom "
                  "depth of the layer above it");
  }
  const bool rock_quality = py_curves && layer.model() == SoilModel::kWeakRock;
  layer.at_top = read_soil_values(in, block + ", top values record",
                                  rock_quality);
  layer.at_bottom = read_soil_values(in, block + ", bottom values record",
                                     rock_quality);
  return layer;
}

void check_user_curve_count(const RecordReader& in, int count,
                            int control_line) {
  const char* record =
      "control record, field 8 (number of user-specified p-y curves)";
  if (count < 0) {
    refuse_at(in, control_line, record, StopKind::kQuiet,
              "negative number of p-y curves");
  }
  if (count > kMaxPyCurves) {
    refuse_at(in, control_line, record, StopKind::kTooMuchData,
              std::to_string(count) + " curves, at most " +
                  std::to_string(kMaxPyCurves));
  }
}

UserPyCurve read_user_curve(RecordReader& in, int number,
                            const WallGeometry& geometry) {
  const std::string block = numbered("p-y curve", number);
  UserPyCurve c;
  in.begin(block + ", header record");
  c.station = in.integer("station");
  c.line = in.line_number();
  const int points = in.integer("number of points");
  c.p_multiplier = in.real("p-multiplier", 1.0);
  c.y_multiplier = in.real("y-multiplier", 1.0);
  in.end();
  checked_count(in, points, "number of points");
  if (c.station < 0) {
    in.fail(StopKind::kInvalid,
            "station " + std::to_string(c.station) + " is above the wall");
  }
  check_station_reach(in, c.station, 1, "station");
  if (points < 2) {
    in.fail(StopKind::kInvalid, "a p-y curve needs at least 2 points, not " +
                                    std::to_string(points));
  }
  c.contd = c.station * geometry.increment_length >= geometry.reference_depth
                ? 1
                : 0;
  for (int i = 1; i <= points; ++i) {
    in.begin(block + ", " + numbered("point", i));
    const double y = in.real("deflection");
    const double p = in.real("soil resistance");
    in.end();
    // A soil does not resist with 1e308 (the solution would add such
    // values to one another and to the loads).
    if (!(std::fabs(y * c.y_multiplier) <= kMaxPyValue) ||
        !(std::fabs(p * c.p_multiplier) <= kMaxPyValue)) {
      in.fail(StopKind::kInvalid,
              "the point times the p- and y-multipliers of its curve is "
              "beyond " + shortest(kMaxPyValue) +
                  " in magnitude: no soil gives such values");
    }
    if (!c.points.empty() && y < c.points.back().first) {
      in.fail(StopKind::kInvalid,
              "deflections of a p-y curve must not decrease");
    }
    c.points.emplace_back(y, p);
  }
  in.end_counted_group(c.line);
  return c;
}

void check_user_curves_paired(const RecordReader& in,
                              const std::vector<UserPyCurve>& curves) {
  // The pairing of the solution: a continued curve pairs with the next
  // curve at another station; the curve closing a pair opens the next one
  // when it is continued itself.
  size_t i = 0;
  bool closes_pair = false;
  while (i < curves.size()) {
    if (curves[i].contd != 1) {
      ++i;
      closes_pair = false;
      continue;
    }
    size_t j = i + 1;
    while (j < curves.size() && curves[j].station == curves[i].station) ++j;
    if (j < curves.size()) {
      i = j;
      closes_pair = true;
      continue;
    }
    if (!closes_pair) {
      const UserPyCurve& c = curves[i];
      refuse_at(in, c.line, numbered("p-y curve", static_cast<int>(i) + 1) +
                                ", header record",
                StopKind::kInvalid,
                "the curve at station " + std::to_string(c.station) +
                    " lies at or below the reference depth, so it is "
                    "continued to the next curve, but no curve at another "
                    "station follows to pair with and it would act nowhere: "
                    "add a curve below it, or put the reference depth below "
                    "it for a curve that acts at its own station");
    }
    break;
  }
}

int read_continuation(RecordReader& in) {
  in.begin("continuation record");
  const int code = in.integer("continuation code");
  in.end();
  return code;
}

}  // namespace korvan::engine
