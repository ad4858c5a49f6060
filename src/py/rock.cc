// Rock p-y curves.
//
// Rock (code 6), the strong-rock criterion of Reese and Nyman (1978) for
// vuggy limestone: with su = qu / 2, a line of slope kr = 2000 su up to
// y1 = 0.0004 b, then a line of slope 100 su up to the ultimate b su at
// y2 (= 0.0024 b); from y2 on the rock is taken as fractured and only the
// overburden term 0.5 gamma b x remains.
//
// Weak rock (code 7), Reese (1997), "Analysis of laterally loaded piles in
// weak rock", J. Geotech. Geoenviron. Eng. 123(11): alpha_r = 1 - RQD/150;
// pur = alpha_r qur b (1 + 1.4 xr / b) and kir = 100 + 400 xr / (3 b) down
// to xr = 3 b, pur = 5.2 alpha_r qur b and kir = 500 below; Kir = kir Er;
// p = Kir y up to yA and (pur / 2) (y / yrm)^(1/4), at most pur, from yA
// on, with yrm = krm b and yA = ((pur / 2) / yrm^(1/4) / Kir)^(4/3).
//
// Neither model applies a load p0 nor adds to the layer resistance sums,
// and neither has an equivalent depth: both read their properties at the
// curve depth Z on both sides, and the backfill side differs only in its
// depth x = Z + H - z0 below the backfill surface (and the unit weight
// averaged down to it). Both multipliers are evaluated at Z' = Z - z0 + H.
// Load cycles play no part in either curve.
#include <algorithm>
#include <cmath>
#include <limits>

#include "py/models.h"

namespace korvan::py {
namespace {

// Weak rock: added to the depth below the top of the layer.
constexpr double kBelowLayerTop = 1.0e-8;
// Weak rock: a strength below this counts as none.
constexpr double kNoStrength = 1.0e-10;

// Weak rock deflections as fractions of yrm.
constexpr std::array<double, 17> kWeakRockFractions = {
    0.0005, 0.001, 0.003, 0.006, 0.009, 0.02, 0.04, 0.06, 0.08,
    0.10,   0.25,  0.50,  0.75,  1.0,   4.0,  8.0,  12.0};

// The effective unit weight of a side averaged down to its depth x.
Looked side_gamma(const PySoil& s, double x, bool excavation) {
  return average_unit_weight(profile_of(s, excavation), x);
}

// A side's curve, or the stop its unit weight met.
struct RockSide {
  SideCurve curve;
  std::optional<PyStop> stop;
};

RockSide rock_side(const ModelInput& in, const SideLoads& loads, double qu,
                   bool excavation) {
  const double b = in.soil.width;
  const double x = depth_below_surface(in.soil, in.z, excavation);
  const Looked looked_gamma = side_gamma(in.soil, x, excavation);
  if (looked_gamma.stop) return {{}, looked_gamma.stop};
  const double gamma = looked_gamma.value;
  const double su = 0.5 * qu;
  const double kr = 2000.0 * su;
  const double y1 = 0.0004 * b;
  const double p1 = kr * y1;
  // su cancels out of y2; without strength its limit keeps the deflections
  // finite.
  const double y2 = su != 0.0 ? y1 + (b * su - p1) / (100.0 * su)
                              : y1 + (b - 2000.0 * y1) / 100.0;
  const double residual = 0.5 * gamma * b * x;

  SideCurve out = side_curve(x, b, qu, gamma, loads);
  for (size_t j = 0; j < out.points.size(); ++j) {
    // j / 15 is exactly 1 at the 16th point, which so lies at y2 itself.
    const double y = y2 * (static_cast<double>(j) / 15.0);
    // The fractured rock's residual takes no p-multiplier.
    if (y < y1) {
      out.points[j] = multiplied(y, kr * y, loads);
    } else if (y < y2) {
      out.points[j] = multiplied(y, p1 + 100.0 * su * (y - y1), loads);
    } else {
      out.points[j] = {y * loads.y_multiplier, residual};
    }
  }
  return {out, std::nullopt};
}

// Depth below the top of the rock: below the top of the layer (as cut at
// the excavation line) and through the rock layers directly above it.
double depth_in_rock(const PySoil& s, size_t layer, double z) {
  double xr = z - s.layers[layer].top + kBelowLayerTop;
  for (size_t j = layer; j-- > 0;) {
    const DerivedLayer& above = s.layers[j];
    if (!engine::is_rock(above.model())) break;
    xr += above.bottom - above.top;
  }
  return xr;
}

struct WeakRock {
  double qur = 0.0, er = 0.0, krm = 0.0, rqd = 0.0;
  double pur = 0.0;
  double initial = 0.0;  // Kir
  double yrm = 0.0;
  double ya = 0.0;
};

WeakRock weak_rock_values(const ModelInput& in, double b) {
  const PySoil& s = in.soil;
  WeakRock w;
  bool beyond = false;  // cannot happen at a curve depth inside its layer
  w.qur = average_strength(in.profile, in.layer, in.z, &beyond);
  // RQD and krm beyond the profile are "not given": never a stop.
  w.rqd = look_up(in.profile, Property::kRqd, in.z).value;
  w.krm = look_up(in.profile, Property::kEps50, in.z).value;
  w.er = s.layers[in.layer].at_top.k;
  const double xr = depth_in_rock(s, in.layer, in.z);
  const double alpha = 1.0 - w.rqd / 150.0;
  double kir;
  if (!(xr > 3.0 * b)) {
    w.pur = alpha * w.qur * b * (1.0 + 1.4 * xr / b);
    kir = 100.0 + 400.0 * xr / (3.0 * b);
  } else {
    w.pur = 5.2 * alpha * w.qur * b;
    kir = 500.0;
  }
  w.initial = kir * w.er;
  w.yrm = w.krm * b;
  // Without a modulus or a krm the initial line never meets the
  // quarter-power branch; without resistance the curve is flat at 0.
  w.ya = std::numeric_limits<double>::infinity();
  if (w.yrm > 0.0 && w.initial > 0.0) {
    w.ya = w.pur > 0.0
               ? std::pow(0.5 * w.pur / std::pow(w.yrm, 0.25) / w.initial,
                          4.0 / 3.0)
               : 0.0;
  }
  return w;
}

// The small-deflection limit of weak rock, 2.0E-5 b, changes no value:
// every point, however small its deflection, lies on Reese's curve. The
// limit stands in for the 1.0E-14 of the soft clay, where it replaces the
// infinite initial slope of a cube-root curve by a secant; this curve
// starts on the finite initial line Kir y already. Below yA a deflection
// under the limit takes Kir y, which is the curve. But yA often lies below
// the limit (for Er / qur of a few hundred), and between the two Kir y
// would lie above the curve, at the limit even above pur, while a secant
// to the curve at the limit would cut the rock's initial stiffness Kir by
// the factor (yA / limit)^(3/4); so the quarter-power branch stays.
RockSide weak_rock_side(const ModelInput& in, const SideLoads& loads,
                        const WeakRock& w, bool excavation) {
  const double x = depth_below_surface(in.soil, in.z, excavation);
  const Looked gamma = side_gamma(in.soil, x, excavation);
  if (gamma.stop) return {{}, gamma.stop};
  RockSide side;
  SideCurve& out = side.curve;
  out = side_curve(x, in.soil.width, w.qur, gamma.value, loads);
  out.modulus = w.er;
  out.krm = w.krm;
  out.rqd = w.rqd;
  for (size_t j = 0; j < out.points.size(); ++j) {
    const double y = w.yrm * kWeakRockFractions[j];
    const double p =
        y < w.ya ? w.initial * y
                 : std::min(w.pur, 0.5 * w.pur * std::pow(y / w.yrm, 0.25));
    out.points[j] = multiplied(y, p, loads);
  }
  return side;
}

}  // namespace

ModelResult rock(const ModelInput& in) {
  const SideLoads loads = side_loads(in.soil, in.z);
  const Looked qu = look_up(in.profile, Property::kStrength, in.z);
  if (qu.stop) return stopped(*qu.stop);
  const RockSide e = rock_side(in, loads, qu.value, true);
  if (e.stop) return stopped(*e.stop);
  const RockSide b = rock_side(in, loads, qu.value, false);
  if (b.stop) return stopped(*b.stop);
  ModelResult result;
  result.excavation = e.curve;
  result.backfill = b.curve;
  return result;
}

ModelResult weak_rock(const ModelInput& in) {
  const SideLoads loads = side_loads(in.soil, in.z);
  const WeakRock w = weak_rock_values(in, in.soil.width);
  const RockSide e = weak_rock_side(in, loads, w, true);
  if (e.stop) return stopped(*e.stop);
  const RockSide b = weak_rock_side(in, loads, w, false);
  if (b.stop) return stopped(*b.stop);
  // A layer without strength ends the run, though not on its first depth.
  if (!in.first_of_layer && w.qur < kNoStrength) {
    return stopped(PyStop{5, in.z, "WEAK ROCK STRENGTH"});
  }
  ModelResult result;
  result.excavation = e.curve;
  result.backfill = b.curve;
  return result;
}

}  // namespace korvan::py
