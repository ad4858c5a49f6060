// The problems of an input data file, as read, to the project form.
#include <string>

#include "project/project_json.h"
#include "project/words.h"

namespace korvan::project {
namespace {

using engine::Problem;

// Texts are held padded to their 80 columns; a project keeps them without
// the trailing blanks, which the reader adds again.
std::string trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

Json code_value(int code, std::span<const Word> words) {
  if (const auto w = word_of(code, words)) return std::string(*w);
  return code;
}

// A flag: false for 0, true for 1, any other code as the integer.
Json flag_value(int code) {
  if (code == 0) return false;
  if (code == 1) return true;
  return code;
}

template <typename T, size_t N>
Json array_of(const std::array<T, N>& values) {
  Json a = Json::array();
  for (const T& v : values) a.push_back(v);
  return a;
}

template <typename T>
Json list_of(const std::vector<T>& values) {
  Json a = Json::array();
  for (const T& v : values) a.push_back(v);
  return a;
}

template <typename T, size_t N>
bool all_zero(const std::array<T, N>& values) {
  for (const T& v : values)
    if (v != T{}) return false;
  return true;
}

Json points_of(const std::vector<engine::CurvaturePoint>& points) {
  Json a = Json::array();
  for (const auto& p : points)
    a.push_back(Json::array({p.curvature, p.moment}));
  return a;
}

Json dimensions_of(const std::array<double, 8>& d) {
  Json j = Json::object();
  for (size_t i = 0; i < d.size(); ++i) j[kDimensionNames[i]] = d[i];
  return j;
}

Json properties_of(const std::array<double, 10>& p, double further) {
  Json j = Json::object();
  for (size_t i = 0; i < p.size(); ++i) j[kPropertyNames[i]] = p[i];
  j["further_value"] = further;
  return j;
}

Json nonlinear_of(const engine::NonlinearSectionRecords& r) {
  Json j = Json::object();
  j["material_option"] = r.material_option;
  j["materials"] = array_of(r.materials);
  j["reinforcement"] = array_of(r.reinforcement);
  j["steel_name"] = trimmed(r.steel_name);
  j["bar_list"] = list_of(r.bar_list);
  j["bar_values"] = array_of(r.bar_values);
  j["bar_option"] = r.bar_option;
  j["layout_options"] = array_of(r.layout_options);
  j["layout_values"] = array_of(r.layout_values);
  j["bars"] = list_of(r.bars);
  j["strand_list"] = list_of(r.strand_list);
  j["strand_values"] = array_of(r.strand_values);
  j["strands"] = list_of(r.strands);
  j["casing_options"] = Json::array({r.casing_options[0], r.casing_options[1]});
  j["casing_values"] = array_of(r.casing_values);
  j["casing_table"] = list_of(r.casing_table);
  j["confinement_options"] = array_of(r.confinement_options);
  j["confinement_values"] = array_of(r.confinement_values);
  j["steel_options"] =
      Json::array({r.steel_options[0], r.steel_options[1], r.steel_options[2]});
  j["steel_values"] = array_of(r.steel_values);
  j["steel_table"] = list_of(r.steel_table);
  return j;
}

Json cross_section_of(const engine::CrossSection& c) {
  Json j = Json::object();
  j["name"] = trimmed(c.name);
  j["shape"] = code_value(c.shape, kShapeWords);
  j["ei"] = code_value(c.ei_option, kEiWords);
  if (!all_zero(c.unused)) j["unused"] = array_of(c.unused);
  j["dimensions"] = dimensions_of(c.dimensions);
  if (c.elastic()) {
    j["properties"] = properties_of(c.properties, c.property_extra);
    if (c.bottom_rows > 0) {
      j["bottom"] = {
          {"dimensions", dimensions_of(c.bottom_dimensions)},
          {"properties", properties_of(c.bottom_properties, c.bottom_extra)}};
    }
    if (!all_zero(c.options) || c.option_value != 0.0 ||
        !all_zero(c.more_options)) {
      j["option_record"] = {{"options", array_of(c.options)},
                            {"value", c.option_value},
                            {"more_options", array_of(c.more_options)}};
    }
    j["remark"] = trimmed(c.remark);
  } else {
    j["elastic_modulus"] = c.modulus;
    j["nonlinear"] = nonlinear_of(c.nonlinear);
  }
  Json table = Json::array();
  for (const engine::ThrustLevel& l : c.moment_curvature) {
    table.push_back({{"thrust", l.thrust},
                     {"second_value", l.extra},
                     {"points", points_of(l.points)}});
  }
  j["moment_curvature"] = table;
  return j;
}

Json anchor_of(const engine::Anchor& a, bool tie_back) {
  Json j = {{"depth", a.depth},     {"area", a.area},
            {"modulus", a.modulus}, {"unbonded_length", a.unbonded_length},
            {"angle", a.angle},     {"spacing", a.spacing}};
  if (tie_back) j["prestress"] = a.prestress;
  return j;
}

Json soil_values_of(const engine::SoilValues& v) {
  return {{"unit_weight", v.unit_weight},
          {"strength", v.strength},
          {"friction_angle", v.friction_angle},
          {"epsilon50", v.epsilon50},
          {"subgrade_modulus", v.subgrade_modulus},
          {"coefficient_or_rqd", v.k_or_rqd}};
}

Json soil_of(const engine::SoilProfile& s) {
  const engine::EarthPressureWall& w = s.wall;
  Json j = {{"free_height", w.free_height},
            {"width_pressure", w.width_pressure},
            {"width_resistance", w.width_resistance},
            {"water_table_backfill", w.water_backfill},
            {"water_table_excavation", w.water_excavation},
            {"active_factor", w.active_factor},
            {"water_pressure", flag_value(w.water_flag)},
            {"backfill_slope", w.backfill_slope},
            {"excavation_slope", w.excavation_slope}};
  const engine::SurfaceLoads& f = s.surface;
  j["surface"] = {{"pressure", f.pressure},     {"distance", f.distance},
                  {"point_load", f.point_load}, {"line_load", f.line_load},
                  {"strip_load", f.strip_load}, {"strip_width", f.strip_width}};
  Json surcharges = Json::array();
  for (const engine::Surcharge& c : s.surcharges) {
    surcharges.push_back({{"type", code_value(c.type, kSurchargeWords)},
                          {"load", c.load},
                          {"distance", c.entered[0]},
                          {"width", c.entered[1]},
                          {"vertical", c.entered[2]},
                          {"factor", c.factor}});
  }
  j["surcharges"] = surcharges;
  j["loading"] = code_value(s.loading, kLoadingWords);
  j["load_cycles"] = s.load_cycles;
  Json layers = Json::array();
  for (const engine::SoilLayer& l : s.layers) {
    layers.push_back({{"soil", code_value(l.type, kSoilWords)},
                      {"top", l.top},
                      {"bottom", l.bottom},
                      {"at_top", soil_values_of(l.at_top)},
                      {"at_bottom", soil_values_of(l.at_bottom)}});
  }
  j["layers"] = layers;
  return j;
}

Json problem_of(const engine::ReadProblem& r, bool last) {
  const Problem& p = r.problem;
  const engine::ControlRecord& c = p.control;
  const engine::WallGeometry& g = p.geometry;
  Json j = Json::object();
  j["title"] = trimmed(p.title);
  j["units"] = code_value(c.unit_system, kUnitWords);
  j["stage"] = c.stage_code;
  if (r.continuation != (last ? 0 : 1)) j["continuation"] = r.continuation;
  j["hinge_model"] = flag_value(c.hinge_model);
  j["wall"] = {{"increments", g.increments},
               {"increment_length", g.increment_length},
               {"allowable_deflection", g.allowable_deflection},
               {"closure_tolerance", g.closure_tolerance},
               {"reference_depth", g.reference_depth},
               {"width", g.wall_width},
               {"height", g.wall_height},
               {"max_iterations", g.max_iterations},
               {"ninth_value", g.reserved_9},
               {"tenth_value", g.reserved_10},
               {"section_adjustment", flag_value(g.section_adjustment)}};
  Json conditions = Json::array();
  for (const engine::SpecifiedCondition& s : p.conditions) {
    conditions.push_back({{"fixes", code_value(s.case_code, kConditionWords)},
                          {"station", s.station},
                          {"deflection", s.deflection},
                          {"slope", s.slope}});
  }
  j["specified_conditions"] = conditions;
  Json sections = Json::array();
  for (const engine::WallSection& w : p.wall_sections) {
    sections.push_back({{"top", w.top},
                        {"bottom", w.bottom},
                        {"cross_section", w.cross_section}});
  }
  j["wall_sections"] = sections;
  Json cross = Json::array();
  for (const engine::CrossSection& s : p.cross_sections) {
    cross.push_back(cross_section_of(s));
  }
  j["cross_sections"] = cross;
  Json sets = Json::array();
  for (const engine::ThrustLevel& s : p.ei_sets) {
    sets.push_back({{"thrust", s.thrust}, {"points", points_of(s.points)}});
  }
  j["ei_sets"] = sets;
  Json loads = Json::array();
  for (const engine::LoadEntry& e : p.loads) {
    loads.push_back({{"continued", flag_value(e.contd)},
                     {"from", e.from},
                     {"to", e.to},
                     {"load", e.load},
                     {"torque", e.torque},
                     {"axial", e.axial}});
  }
  j["loads"] = loads;
  Json restraints = Json::array();
  for (const engine::RestraintEntry& e : p.restraints) {
    restraints.push_back({{"from", e.from},
                          {"to", e.to},
                          {"continued", flag_value(e.contd)},
                          {"lateral", e.lateral},
                          {"rotational", e.rotational}});
  }
  j["restraints"] = restraints;
  Json ties = Json::array();
  for (const engine::Anchor& a : p.tie_backs)
    ties.push_back(anchor_of(a, true));
  j["tie_backs"] = ties;
  Json struts = Json::array();
  for (const engine::Anchor& a : p.struts)
    struts.push_back(anchor_of(a, false));
  j["struts"] = struts;
  if (c.wale_flag > 0) {
    Json records = Json::array();
    for (const engine::Wale& w : p.wales) {
      records.push_back(
          {{"number", w.number},
           {"values", Json::array({w.values[0], w.values[1], w.values[2]})}});
    }
    j["wales"] = {
        {"continuity", code_value(c.wale_continuity, kContinuityWords)},
        {"records", records}};
  }
  if (c.py_factors > 0 && r.complete) {
    Json rows = Json::array();
    for (const engine::PyFactor& f : p.py_factors) {
      rows.push_back({{"depth", f.depth}, {"p", f.p}, {"y", f.y}});
    }
    j["py_factors"] = {
        {"option", code_value(p.py_factor_option, kFactorOptionWords)},
        {"rows", rows}};
  }
  Json pressure = {
      {"option", code_value(c.earth_pressure_option, kPressureWords)}};
  if (c.pressure_option() == engine::EarthPressureOption::kSpecified &&
      r.complete) {
    Json points = Json::array();
    for (const engine::PressurePoint& q : p.specified_pressure) {
      points.push_back({{"depth", q.depth}, {"pressure", q.pressure}});
    }
    pressure["points"] = points;
  }
  j["earth_pressure"] = pressure;
  j["py_curves"] = code_value(c.py_option, kPyWords);
  if (p.has_soil_profile) j["soil"] = soil_of(p.soil);
  Json curves = Json::array();
  for (const engine::UserPyCurve& u : p.user_curves) {
    Json points = Json::array();
    for (const auto& [y, q] : u.points) points.push_back(Json::array({y, q}));
    curves.push_back({{"station", u.station},
                      {"p_multiplier", u.p_multiplier},
                      {"y_multiplier", u.y_multiplier},
                      {"points", points}});
  }
  j["user_curves"] = curves;

  // Counts as read where they are not the lengths of the lists.
  Json counts = Json::object();
  const DerivedCounts derived = derived_counts(j);
  for (const CountField& f : kCountFields) {
    const int read = c.*(f.member);
    if (read != derived.*(f.member)) counts[std::string(f.name)] = read;
  }
  if (!counts.empty()) j["counts"] = counts;
  return j;
}

}  // namespace

namespace {

bool scalar_list(const Json& j) {
  if (!j.is_array()) return false;
  for (const Json& x : j)
    if (x.is_structured()) return false;
  return true;
}

void indent(std::string& out, int depth) {
  out.append(static_cast<size_t>(depth) * 2, ' ');
}

// Two-space indentation, with lists of numbers (rows, points) kept on one
// line each.
void print(const Json& j, int depth, std::string& out) {
  if (scalar_list(j)) {
    out += '[';
    for (size_t i = 0; i < j.size(); ++i) {
      if (i > 0) out += ", ";
      out += j[i].dump();
    }
    out += ']';
  } else if (j.is_array()) {
    if (j.empty()) {
      out += "[]";
      return;
    }
    out += "[\n";
    for (size_t i = 0; i < j.size(); ++i) {
      indent(out, depth + 1);
      print(j[i], depth + 1, out);
      out += i + 1 < j.size() ? ",\n" : "\n";
    }
    indent(out, depth);
    out += ']';
  } else if (j.is_object()) {
    if (j.empty()) {
      out += "{}";
      return;
    }
    out += "{\n";
    size_t i = 0;
    for (const auto& [key, value] : j.items()) {
      indent(out, depth + 1);
      out += Json(key).dump() + ": ";
      print(value, depth + 1, out);
      out += ++i < j.size() ? ",\n" : "\n";
    }
    indent(out, depth);
    out += '}';
  } else {
    out += j.dump();
  }
}

}  // namespace

std::string project_text(const Json& project) {
  std::string out;
  print(project, 0, out);
  out += '\n';
  return out;
}

Json problems_to_json(const std::vector<engine::ReadProblem>& problems) {
  Json j = Json::object();
  j["format"] = kFormatName;
  j["version"] = kFormatVersion;
  Json list = Json::array();
  for (size_t i = 0; i < problems.size(); ++i) {
    list.push_back(problem_of(problems[i], i + 1 == problems.size()));
  }
  j["problems"] = list;
  return j;
}

}  // namespace korvan::project
