// Everything the solver needs for one problem: the station tables and
// condition codes, the specified values, the applied couples, the p-y curve
// records and the rigidity model.
#pragma once

#include <array>
#include <utility>
#include <vector>

#include "model/problem.h"
#include "wall/rigidity.h"
#include "wall/station_model.h"
#include "wall/supports.h"

namespace korvan::wall {

// A p-y curve attached to stations from..to: points (y, p) with y
// increasing, p a force per unit length of wall that opposes y.
struct CurveRecord {
  int from = 0;
  int to = 0;
  int contd = 0;  // 1: paired with the next record
  std::vector<std::pair<double, double>> points;
  // Records pair only within their group (user curves, generated curves,
  // soil-movement curves).
  int group = 0;
};

// An applied couple T at station t, as the equivalent force T/(2h).
struct Couple {
  int station = 0;
  double force = 0.0;
};

struct WallModel {
  StationModel stations;
  // For every station with a condition code other than free, the entry of
  // the specified-condition list whose value applies there.
  std::array<int, engine::kStationEntries> condition_entry{};
  std::vector<engine::SpecifiedCondition> conditions;
  std::vector<Couple> couples;
  std::vector<CurveRecord> curves;
  RigidityModel rigidity;
  std::vector<Support> supports;  // tie backs, then struts/rakers
  // Stations whose rigidity the zero-moment hinge sets to zero inside the
  // iteration.
  std::vector<int> hinge_stations;
  double allowable_deflection = 0.0;
  double tolerance = 0.0;
  int max_iterations = 0;
};

// Builds the wall model of a problem from its input and its p-y curve
// records (user-specified curves, scaled by their multipliers, come from
// the problem itself).
WallModel build_wall_model(const engine::Problem& problem);
// The same into `out` (some 25 KB), which may live on the heap.
void build_wall_model(const engine::Problem& problem, WallModel& out);

// The p-y curve records of the user-specified curves of a problem.
std::vector<CurveRecord> user_curve_records(const engine::Problem& problem);

}  // namespace korvan::wall
