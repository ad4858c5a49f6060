// Readers of the cross sections, the user-defined nonlinear EI sets and
// the moment-curvature tables.
#include "input/problem_reader.h"

#include <array>
#include <cmath>
#include <vector>

#include "input/reader_helpers.h"
#include "model/constants.h"

namespace korvan::engine {
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

std::vector<std::array<double, 3>> read_point_records(RecordReader& in,
                                                      int count,
                                                      std::string_view record) {
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
    in.fail(StopKind::kInvalid,
            "section shape code " + std::to_string(c.shape) +
                " is not one of 1 to " + std::to_string(kSectionShapes));
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
  const int points =
      checked_count(in, in.integer("number of points"), "number of points");
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

std::vector<ThrustLevel> read_moment_curvature(RecordReader& in, int section) {
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
    in.fail(StopKind::kInvalid, what +
                                    ": the moment of the second point "
                                    "of its table must be above zero");
  }
  if (!((*table)[1].curvature > 0.0)) {
    in.fail(StopKind::kInvalid, what +
                                    ": the curvature of the second point "
                                    "of its table must be above zero");
  }
  for (size_t i = 1; i < table->size(); ++i) {
    if (!((*table)[i].curvature > (*table)[i - 1].curvature)) {
      in.fail(StopKind::kInvalid,
              what + ": the curvatures of its table must increase");
    }
  }
}

}  // namespace korvan::engine
