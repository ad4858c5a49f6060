#include "wall/wall_model.h"

namespace korvan::wall {

std::vector<CurveRecord> user_curve_records(const engine::Problem& problem) {
  std::vector<CurveRecord> records;
  for (const engine::UserPyCurve& c : problem.user_curves) {
    CurveRecord r;
    r.from = r.to = c.station;
    r.contd = c.contd;
    for (const auto& [y, p] : c.points) {
      r.points.emplace_back(y * c.y_multiplier, p * c.p_multiplier);
    }
    records.push_back(std::move(r));
  }
  return records;
}

WallModel build_wall_model(const engine::Problem& problem) {
  WallModel m;
  build_wall_model(problem, m);
  return m;
}

void build_wall_model(const engine::Problem& problem, WallModel& m) {
  build_station_model(problem, m.stations);
  m.couples.clear();
  m.hinge_stations.clear();
  m.conditions = problem.conditions;
  m.condition_entry.fill(-1);
  for (size_t e = 0; e < problem.conditions.size(); ++e) {
    const engine::SpecifiedCondition& c = problem.conditions[e];
    auto mark = [&m, e](int s) {
      if (m.stations.in_tables(s)) {
        m.condition_entry[StationModel::index(s)] = static_cast<int>(e);
      }
    };
    if (c.fixes_deflection()) mark(c.station);
    if (c.fixes_slope()) {
      mark(c.station - 1);
      mark(c.station + 1);
    }
  }
  const double h = problem.geometry.increment_length;
  for (const engine::LoadEntry& e : problem.loads) {
    if (e.torque != 0.0) m.couples.push_back({e.from, e.torque / (2.0 * h)});
  }
  m.supports = supports_of(problem);
  place_supports(m.supports, m.stations);
  if (problem.control.hinge_model == 1) {
    m.hinge_stations = hinge_stations(m.supports);
  }
  m.curves = user_curve_records(problem);
  m.rigidity = rigidity_model(problem);
  m.allowable_deflection = problem.geometry.allowable_deflection;
  m.tolerance = problem.geometry.closure_tolerance;
  m.max_iterations = problem.geometry.max_iterations;
}

}  // namespace korvan::wall
