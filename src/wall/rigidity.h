// Flexural rigidity EI of the wall, station by station, from the wall
// sections and their cross sections.
#pragma once

#include <vector>

#include "model/problem.h"
#include "wall/station_model.h"

namespace korvan::wall {

// One wall section as the rigidity evaluation sees it. Depths are in feet
// (English) or metres, as the wall sections are entered.
struct SectionRigidity {
  double top = 0.0;
  double bottom = 0.0;
  bool nonlinear = false;
  double ei_top = 0.0;     // elastic: E*I at the top of the wall section
  double ei_bottom = 0.0;  // and at its bottom (differs when tapered)
  std::vector<engine::CurvaturePoint> table;  // nonlinear: M-phi points
  double diameter = 0.0;  // equivalent diameter of the cross section
};

// The further factor of the section adjustment in metric units.
inline constexpr double kSectionAdjustmentMetric = 1000.0;

struct RigidityModel {
  std::vector<SectionRigidity> sections;
  int increments = 0;
  double increment_length = 0.0;  // h, internal length unit
  bool english = true;
  // Section adjustment on the basis WA = WP: inside the iteration EI is
  // multiplied by spacing/diameter (times 1000 in metric units).
  bool adjust = false;
  double spacing = 0.0;
};

// True when a re-evaluation inside the iteration can change EI: a
// nonlinear section, or the section adjustment.
bool rigidity_varies(const RigidityModel& model);

// Builds the rigidity model of a problem. The cross sections named by the
// wall sections exist (checked on reading).
RigidityModel rigidity_model(const engine::Problem& problem);

// Secant rigidity of a moment-curvature table at curvature phi >= 0: the
// initial rigidity M2/phi2 at (near) zero curvature, M/phi beyond the last
// point, and the interpolated moment over phi in between.
double secant_rigidity(const std::vector<engine::CurvaturePoint>& table,
                       double phi, double unchanged);

// Evaluates F at stations 0..N from the deflections w (the curvature of
// nonlinear sections). `in_iteration` applies the section adjustment.
void evaluate_rigidity(const RigidityModel& model, const StationTable& w,
                       bool in_iteration, StationTable& flexural_rigidity);

}  // namespace korvan::wall
