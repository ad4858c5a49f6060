#include "present/json_results.h"

#include <cmath>
#include <nlohmann/json.hpp>
#include <ostream>

namespace korvan::report {

using namespace korvan::present;
namespace {

using Json = nlohmann::ordered_json;

constexpr int kFormatVersion = 1;

Json optional_number(const std::optional<double>& v) {
  return v ? Json(*v) : Json(nullptr);
}

Json units_object(const Units& u) {
  return Json{{"system", u.english ? "English" : "metric"},
              {"length", u.length},
              {"depth", u.length},
              {"deflection", u.length},
              {"slope", "rad"},
              {"moment", u.moment},
              {"shear", u.force},
              {"force", u.force},
              {"soil_reaction", u.line_load},
              {"net_force", u.force},
              {"EI", u.rigidity},
              {"earth_pressure", u.line_load},
              {"py_y", u.length},
              {"py_p", u.line_load},
              {"angle", "deg"},
              {"spacing", u.spacing},
              {"wale_load", u.wale_load},
              {"wale_moment", u.wale_moment}};
}

Json extreme(double value, double depth, bool present) {
  if (!present) return nullptr;
  return Json{{"value", value}, {"depth", depth}};
}

Json problem_object(const ProblemResults& p) {
  Json j;
  j["number"] = p.number;
  j["title"] = p.title;
  j["stage_code"] = p.stage_code;
  const std::optional<int> stage = stage_number(p);
  j["stage"] = stage ? Json(*stage) : Json(nullptr);
  j["units"] = units_object(units_of(p.english));
  j["outcome"] = outcome_name(p.outcome);
  j["warnings"] = p.warnings;
  j["iterations"] = p.iterations;
  j["increments"] = p.increments;
  j["increment_length"] = p.increment_length;
  j["wall_length"] = p.increments * p.increment_length;
  j["wall_width"] = p.wall_width;
  j["excavation_depth"] = optional_number(excavation_line(p));
  j["water_table_backfill"] = optional_number(p.water_backfill);
  j["water_table_excavation"] = optional_number(p.water_excavation);

  Json stations = Json::array();
  for (const StationResults& s : p.stations) {
    stations.push_back({{"station", s.station},
                        {"depth", s.depth},
                        {"deflection", s.deflection},
                        {"slope", s.slope},
                        {"moment", s.moment},
                        {"shear", s.shear},
                        {"soil_reaction", s.soil_reaction},
                        {"net_force", s.net_force},
                        {"EI", s.rigidity}});
  }
  j["stations"] = std::move(stations);

  Json supports = Json::array();
  for (const SupportResults& s : p.supports) {
    Json o{{"kind", s.tie_back ? "tie back" : "strut"},
           {"number", s.number},
           {"station", s.station},
           {"depth", s.depth},
           {"angle", s.angle},
           {"spacing", s.spacing},
           {"prestress", s.prestress},
           {"horizontal_force_per_station", s.horizontal_per_station},
           {"force_per_station", s.along_per_station},
           {"force_per_support", s.per_support}};
    o["wale"] = s.wale ? Json{{"reaction", s.wale_reaction},
                              {"load", s.wale_load},
                              {"moment", s.wale_moment}}
                       : Json(nullptr);
    supports.push_back(std::move(o));
  }
  j["supports"] = std::move(supports);

  Json restraints = Json::array();
  for (const RestraintResults& r : p.restraints) {
    restraints.push_back({{"station", r.station},
                          {"depth", r.depth},
                          {"force", r.force},
                          {"moment", r.moment}});
  }
  j["restraints"] = std::move(restraints);

  Json reactions = Json::array();
  for (const NodeReaction& r : p.node_reactions) {
    reactions.push_back({{"number", r.number},
                         {"station", r.station},
                         {"depth", r.depth},
                         {"force", r.force}});
  }
  j["node_reactions"] = std::move(reactions);

  Json pressure = Json::array();
  for (const PressurePoint& q : p.pressure) {
    pressure.push_back({{"depth", q.depth}, {"load", q.load}});
  }
  j["earth_pressure"] = std::move(pressure);

  Json curves = Json::array();
  for (const CurveResults& c : p.curves) {
    Json points = Json::array();
    for (const auto& [y, pv] : c.points) points.push_back({y, pv});
    curves.push_back({{"station", c.station},
                      {"depth", c.depth},
                      {"generated", c.generated},
                      {"points", std::move(points)}});
  }
  j["py_curves"] = std::move(curves);

  const bool results = !p.stations.empty();
  Json summary;
  summary["max_deflection"] =
      extreme(p.max_deflection.value, p.max_deflection.depth, results);
  summary["max_positive_moment"] =
      extreme(p.max_moment.value, p.max_moment.depth,
              results && p.max_moment.value > 0.0);
  summary["max_negative_moment"] =
      extreme(p.min_moment.value, p.min_moment.depth,
              results && p.min_moment.value < 0.0);
  summary["max_shear"] = extreme(p.max_shear.value, p.max_shear.depth, results);
  Json forces = Json::array();
  for (const SupportResults& s : p.supports) {
    forces.push_back(
        {{"kind", s.tie_back ? "tie back" : "strut"},
         {"number", s.number},
         {"depth", s.depth},
         {"force", s.per_support},
         {"horizontal_force_per_station", s.horizontal_per_station}});
  }
  summary["support_forces"] = std::move(forces);
  j["summary"] = std::move(summary);
  return j;
}

// JSON has no NaN nor Infinity: the library would write null, which a
// reader takes for "no value". Such a value stops the writer instead,
// named by its place in the document.
void require_finite(const Json& j, const std::string& where) {
  if (j.is_number_float() && !std::isfinite(j.get<double>())) {
    throw NonFiniteValue("the JSON value " + where + " is not a finite number");
  }
  if (j.is_object()) {
    for (const auto& [key, value] : j.items()) {
      require_finite(value, where + "/" + key);
    }
  } else if (j.is_array()) {
    for (size_t k = 0; k < j.size(); ++k) {
      require_finite(j[k], where + "/" + std::to_string(k));
    }
  }
}

}  // namespace

void write_json_results(std::ostream& out, const RunResult& run,
                        const ResultsSource& source) {
  Json doc;
  doc["format"] = "korvan results";
  doc["format_version"] = kFormatVersion;
  doc["program"] = Json{{"name", "korvan"}, {"version", source.version}};
  doc["input"] = source.input_name;
  doc["status"] = status_name(run.status);
  doc["exit_status"] = static_cast<int>(run.status);
  doc["message"] = run.message;
  doc["stop_code"] = run.stop_code;
  Json problems = Json::array();
  for (const ProblemResults& p : run.results) {
    problems.push_back(problem_object(p));
  }
  doc["problems"] = std::move(problems);
  require_finite(doc, "");
  // Titles come from the input as bytes; a byte that is not UTF-8 is
  // replaced rather than refused.
  out << doc.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
}

}  // namespace korvan::report
