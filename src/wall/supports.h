// Tie backs, struts/rakers, wales and lateral and rotational restraints:
// springs and loads on the stations, and the forces they carry once the
// wall is solved.
#pragma once

#include <vector>

#include "model/problem.h"
#include "wall/station_model.h"

namespace korvan::wall {

// A tie back or strut placed on the wall. Numbered in one list, tie backs
// first.
struct Support {
  int number = 0;
  bool tie_back = true;
  int station = 0;
  double angle = 0.0;   // radians
  double spring = 0.0;  // k, added to S at the station
  double force = 0.0;   // q0, added to Q at the station
  const engine::Anchor* input = nullptr;
};

// The spring and the force term a support puts on its station:
//   k = A E cos^2(t) / (L (s/W)),  q0 = -(W/s) P cos(t)
// with L and s entered in feet in English units (taken in inches here), W
// the wall width in the internal length unit and t in radians from degrees
// with pi taken as 3.1416. A strut has no prestress P.
struct SupportTerms {
  double angle = 0.0;   // radians
  double spring = 0.0;  // k
  double force = 0.0;   // q0
};
SupportTerms support_terms(const engine::Anchor& anchor, double wall_width,
                           bool english, bool prestressed);

// Station of a support depth (feet in English units, metres in metric):
// the nearest station, halves away from zero.
int support_station(double depth, double increment_length, bool english);

// The supports of a problem with their springs and force terms.
std::vector<Support> supports_of(const engine::Problem& problem);

// Adds the springs and force terms to the station tables.
void place_supports(const std::vector<Support>& supports, StationModel& m);

// The stations whose rigidity the zero-moment hinge removes: every tie back
// but the first and every strut but the first, in input order.
std::vector<int> hinge_stations(const std::vector<Support>& supports);

// Forces in a support after the solution, and in its wale.
struct SupportForces {
  double horizontal = 0.0;     // H = q0 - k w(t), per station
  double along = 0.0;          // H / cos(t), per station
  double per_support = 0.0;    // along * s/W (12 s/W in English units)
  double wale_reaction = 0.0;  // H s/W (12 s/W English), per anchor
  double wale_load = 0.0;      // reaction / s
  double wale_moment = 0.0;    // q s^2/10 continuous, q s^2/8 simply supported
};
SupportForces support_forces(const Support& support,
                             const engine::Problem& problem,
                             const StationTable& deflections);

// The force and moment a restraint range carries at each of its stations:
// the stiffness that applies there (interpolated within a pair) times the
// deflection, and times the slope.
struct RestraintForce {
  int station = 0;
  double force = 0.0;
  double moment = 0.0;
};
struct StationResult;
std::vector<RestraintForce> restraint_forces(
    const engine::Problem& problem, const std::vector<StationResult>& results);

// The forces of every support and restraint of a solved problem, computed
// once after the solution and read by the report, the plot-data file and
// the results.
struct SupportResult {
  Support support;
  SupportForces forces;
};
struct SupportResults {
  std::vector<SupportResult> supports;  // in the order of the model
  std::vector<RestraintForce> restraints;
};
SupportResults support_results(const engine::Problem& problem,
                               const std::vector<Support>& supports,
                               const StationTable& deflections,
                               const std::vector<StationResult>& stations);

}  // namespace korvan::wall
