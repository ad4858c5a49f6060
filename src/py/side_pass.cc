// What the side passes of the p-y models share: the width rule, the side
// depths and profiles, the multipliers and p0, and their application to
// a point.
#include <cmath>

#include "model/constants.h"
#include "py/models.h"

namespace korvan::py {

bool continuous_wall(const PySoil& s) {
  return s.spacing_ratio < kContinuousRatio;
}

double table_width(const PySoil& s) {
  return continuous_wall(s) && s.alt_flag ? s.alt_width : s.width;
}

SideDepths side_depths(const ModelInput& in, bool excavation) {
  const PySoil& s = in.soil;
  const double shift = excavation ? 0.0 : s.height - s.z0;
  SideDepths d;
  d.below_surface = in.z + shift;
  d.in_equations = in.layer > 0 ? (in.z - s.layers[in.layer].top) +
                                      in.equivalent_depth + shift
                                : d.below_surface;
  return d;
}

double depth_below_surface(const PySoil& s, double z, bool excavation) {
  return excavation ? z : z + s.height - s.z0;
}

const SideProfile& profile_of(const PySoil& s, bool excavation) {
  return excavation ? s.excavation : s.backfill;
}

double slope_factor(const PySoil& s, bool excavation) {
  const double theta = std::fabs(to_radians_57(s.excavation_slope));
  return excavation && theta > 1.0e-20 ? 1.0 / (1.0 + std::tan(theta)) : 1.0;
}

SideLoads side_loads(const PySoil& s, double z, double p0) {
  const double shifted = z - s.z0 + s.height;
  return {p_multiplier(s, shifted), y_multiplier(s, shifted), p0};
}

double side_pressure(const PySoil& s, double z) {
  return earth_pressure_term(s, z + s.height) / s.spacing_ratio;
}

SideLoads clay_side_loads(const PySoil& s, double z, double c, double b) {
  double p0 = side_pressure(s, z) - 2.0 * c * b;
  if (!(p0 > 1.0e-10)) p0 = 0.0;
  return side_loads(s, z, p0);
}

CurvePoint multiplied(double y, double p, const SideLoads& l) {
  return {y * l.y_multiplier, p * l.p_multiplier};
}

CurvePoint side_point(double y, double p, const SideLoads& l, bool excavation) {
  const CurvePoint m = multiplied(y, p, l);
  return {m.y, excavation ? m.p - l.p0 : m.p + l.p0};
}

SideCurve side_curve(double depth, double width, double strength, double gamma,
                     const SideLoads& l) {
  SideCurve out;
  out.depth = depth;
  out.width = width;
  out.strength = strength;
  out.gamma = gamma;
  out.p_multiplier = l.p_multiplier;
  out.y_multiplier = l.y_multiplier;
  return out;
}

}  // namespace korvan::py
