// Stiff clay without free water, after Welch and Reese (1972), "Laterally
// loaded behavior of drilled shafts", Research Report 89-10, Center for
// Highway Research, University of Texas at Austin:
//   pu = min((0.5 x + 3 b) ca + gamma b x, 9 c b),
//   p = 0.5 pu (y / y50)^(1/4) up to y16 = 16 y50, then pu (static),
//   y50 = 2.5 eps50 b;
// under N cycles of load the deflection scale grows by 1 + 0.6 log10 N and
// the curve ends at yu = 1.25 y50 (16 + 9.6 log10 N).
#include <algorithm>
#include <cmath>

#include "model/constants.h"
#include "py/models.h"

namespace korvan::py {

double equivalent_depth_stiff_clay_without_water(double above, double b,
                                                 double c, double ca,
                                                 double gamma) {
  // The layer's own resistance grows as A x^2 + B x down to xr, where pu1
  // meets 9 c b, and by 9 c b per unit depth below it.
  const double denominator = b * gamma + 0.5 * c;
  if (!(denominator > 0.0)) return 0.0;
  const double xr = (9.0 * c - 3.0 * ca) * b / denominator;
  const double a = 0.5 * gamma * b + 0.25 * c;
  const double bb = 3.0 * c * b;
  const double at_xr = (a * xr + bb) * xr;
  if (!(above > at_xr)) {
    return a > 0.0 ? (std::sqrt(bb * bb + 4.0 * a * above) - bb) / (2.0 * a)
                   : 0.0;
  }
  const double deep = 9.0 * b * c;
  return deep > 0.0 ? xr + (above - at_xr) / deep : xr;
}

namespace {

constexpr double kSmallest = 1.0e-14;

// Deflections of the 17 points before the last three, as fractions of y16;
// the curve then ends at y16, halfway to yu, and yu.
constexpr std::array<double, 14> kFractions = {
    0.0,  0.00001, 0.00005, 0.0001, 0.0005, 0.001, 0.005,
    0.01, 0.025,   0.05,    0.075,  0.10,   0.25,  0.50};

// Default epsilon-50 of a stiff clay by strength (psi or kPa): the
// thresholds are 1000, 2000 and 4000 psf in single precision.

struct SideResult {
  SideCurve curve;
  double pu = 0.0;
  std::optional<PyStop> stop;
};

// The properties both sides share at curve depth Z: the backfill side reads
// the soil at the curve's own elevation, as the excavation side does.
struct SoilAtDepth {
  double c = 0.0;
  double ca = 0.0;
  double eps50 = 0.0;
  std::optional<PyStop> stop;
};

SoilAtDepth soil_at(const ModelInput& in) {
  SoilAtDepth s;
  const Looked c = look_up(in.profile, Property::kStrength, in.z);
  if (c.stop) return stopped_at<SoilAtDepth>(*c.stop);
  s.c = c.value;
  // The curve depths lie inside the profile, so its end warning cannot
  // arise here.
  bool beyond_profile = false;
  s.ca = average_strength(in.profile, in.layer, in.z, &beyond_profile);
  s.eps50 = look_up(in.profile, Property::kEps50, in.z).value;  // no stop
  if (!(s.eps50 > 0.0))
    s.eps50 = default_stiff_clay_eps50(s.c, in.soil.english);
  return s;
}

SideResult side(const ModelInput& in, const SoilAtDepth& soil,
                bool excavation) {
  const PySoil& s = in.soil;
  const double z = in.z;
  const auto [true_depth, x] = side_depths(in, excavation);
  const SideProfile& profile = profile_of(s, excavation);
  const Looked looked_gamma = average_unit_weight(profile, true_depth);
  if (looked_gamma.stop) return stopped_at<SideResult>(*looked_gamma.stop);
  const double gamma = looked_gamma.value;
  const double b = s.width;
  const double c = soil.c;
  const double ca = soil.ca;

  const double slope = slope_factor(s, excavation);
  const double pu1 = ((0.5 * x + 3.0 * b) * ca + gamma * b * x) * slope;
  double pu = std::min(pu1, 9.0 * c * b);
  if (continuous_wall(s)) {
    const Looked sigma = vertical_stress(profile, true_depth, !excavation);
    if (sigma.stop) return stopped_at<SideResult>(*sigma.stop);
    pu = (sigma.value + 2.0 * c) * b * slope;
  }

  const double y50 = 2.5 * soil.eps50 * table_width(s);
  const double y16 = 16.0 * y50;
  // Static loading is one cycle: the factors below are then 1 and 0.
  const double cycles = s.cyclic ? std::max(s.cycles, 1.0) : 1.0;
  const double log_cycles = std::log10(cycles);
  const double scale = (1.0 + 0.6 * log_cycles) * y50;
  const double yu = 1.25 * y50 * (16.0 + 9.6 * log_cycles);
  // Below ymin the curve follows its secant at ymin.
  const double k0 = 0.5 * pu * std::pow(kSmallest / scale, 0.25) / kSmallest;

  const SideLoads loads = clay_side_loads(s, z, c, b);

  SideResult r;
  r.pu = pu;
  SideCurve& out = r.curve;
  out = side_curve(x, b, c, gamma, loads);
  out.average_strength = ca;
  out.eps50 = soil.eps50;
  for (size_t i = 0; i < out.points.size(); ++i) {
    double y;
    if (i < kFractions.size()) {
      y = y16 * kFractions[i];
    } else if (i == kFractions.size()) {
      y = y16;
    } else if (i == kFractions.size() + 1) {
      y = 0.5 * (y16 + yu);
    } else {
      y = yu;
    }
    const double p = y < kSmallest
                         ? k0 * y
                         : std::min(pu, 0.5 * pu * std::pow(y / scale, 0.25));
    out.points[i] = side_point(y, p, loads, excavation);
  }
  return r;
}

}  // namespace

ModelResult stiff_clay_without_water(const ModelInput& in) {
  ModelResult result;
  ModelInput input = in;
  const SoilAtDepth soil = soil_at(in);
  if (soil.stop) return stopped(*soil.stop);
  if (in.layer > 0 && in.first_of_layer) {
    // The layer's equivalent depth from its properties at its first depth,
    // as the excavation side sees them.
    const Looked gamma = average_unit_weight(in.soil.excavation, in.z);
    if (gamma.stop) return stopped(*gamma.stop);
    input.equivalent_depth = equivalent_depth_stiff_clay_without_water(
        in.resistance_above, in.soil.width, soil.c, soil.ca, gamma.value);
    result.equivalent_depth = input.equivalent_depth;
  }
  const SideResult e = side(input, soil, true);
  if (e.stop) return stopped(*e.stop);
  const SideResult b = side(input, soil, false);
  if (b.stop) return stopped(*b.stop);
  result.excavation = e.curve;
  result.backfill = b.curve;
  // The layer's resistance sum: trapezoids of the excavation side's
  // ultimate resistance between consecutive curve depths.
  if (!in.first_of_layer) {
    const double previous =
        in.state != nullptr ? in.state->previous_ultimate : e.pu;
    result.resistance = 0.5 * (previous + e.pu) * (in.z - in.previous_z);
  }
  if (in.state != nullptr) in.state->previous_ultimate = e.pu;
  return result;
}

}  // namespace korvan::py
