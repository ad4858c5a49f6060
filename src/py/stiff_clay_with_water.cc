// Stiff clay with free water after Reese, Cox and Koop (1975), "Field
// testing and analysis of laterally loaded piles in stiff clay", OTC 2312:
// pc = min(2 ca b + gamma b x + 2.83 ca x, 11 c b), y50 = eps50 b, the
// empirical coefficients As (static) and Ac (cyclic) by x/b, a five-segment
// static curve and a cyclic curve, each capped by the initial line k x y.
#include <algorithm>
#include <cmath>

#include "model/constants.h"
#include "py/models.h"

namespace korvan::py {
namespace {

// As and Ac by x/b, constant beyond x/b = 4.
const CoefficientTable kAs{{0.0, 1.0, 2.0, 3.0, 4.0, 5.0},
                           {0.223, 0.46, 0.55, 0.59, 0.60, 0.60}};
const CoefficientTable kAc{{0.0, 1.0, 2.0, 3.0, 4.0, 5.0},
                           {0.20, 0.29, 0.30, 0.30, 0.30, 0.30}};

// Deflections of the 17 points: static in multiples of u = As y50, cyclic
// in multiples of yp = 4.1 As y50.
constexpr std::array<double, 17> kStaticMultiples = {
    0.0, 0.5, 1.0, 1.5, 2.0,  2.5,  3.0,  3.5,  4.0,
    4.5, 5.0, 5.5, 6.0, 10.0, 14.0, 18.0, 150.0};
constexpr std::array<double, 17> kCyclicMultiples = {
    0.0,  0.05, 0.10, 0.15, 0.20, 0.25, 0.30, 0.35, 0.40,
    0.45, 0.50, 0.55, 0.60, 1.0,  1.4,  1.8,  20.0};

// Strength thresholds of the default tables: 1000, 2000 and 4000 psf in
// psi and kPa.
struct Thresholds {
  double low, middle, high;
};
Thresholds thresholds(bool english) {
  if (english) {
    return {double(6.9444447f), double(13.888889f), double(27.777779f)};
  }
  return {double(47.88026f), double(95.76052f), double(191.52104f)};
}

// The share of pc that the layering method counts as carried: the static
// curve's final value, or the cyclic curve's, in units of pc.
double residual_factor(double as, double ac, bool cyclic) {
  return cyclic ? 0.936 * ac - 0.418 * as
                : 1.225 * std::sqrt(as) - 0.411 - 0.75 * as;
}

double static_p(double y, double pc, double y50, double as) {
  const double u = as * y50;
  if (y <= u) return 0.5 * pc * std::sqrt(y / y50);
  if (y <= 6.0 * u) {
    return pc *
           (0.5 * std::sqrt(y / y50) - 0.055 * std::pow((y - u) / u, 1.25));
  }
  if (y <= 18.0 * u) {
    return 0.5 * pc * std::sqrt(6.0 * as) - 0.411 * pc -
           (0.0625 / y50) * pc * (y - 6.0 * u);
  }
  return pc * (0.5 * std::sqrt(6.0 * as) - 0.75 * as - 0.411);
}

double cyclic_p(double y, double pc, double y50, double yp, double ac) {
  if (y <= 0.6 * yp) {
    const double r = std::fabs((y - 0.45 * yp) / (0.45 * yp));
    return ac * pc * (1.0 - std::pow(r, 2.5));
  }
  if (y <= 1.8 * yp) {
    return 0.936 * ac * pc - 0.085 * pc * (y - 0.6 * yp) / y50;
  }
  return 0.936 * ac * pc - 0.102 * pc * yp / y50;
}

struct SideResult {
  SideCurve curve;
  double pc = 0.0;
  double as = 0.0;
  double ac = 0.0;
  std::optional<PyStop> stop;
};

// One side pass at curve depth Z. Soil properties are read at Z on both
// sides; x is the depth below that side's soil surface: Z on the
// excavation side, Z + H - z0 below the backfill surface.
SideResult side(const ModelInput& in, bool excavation, double c, double ca) {
  const PySoil& s = in.soil;
  const double z = in.z;
  const double x = depth_below_surface(s, z, excavation);
  const SideProfile& profile = profile_of(s, excavation);
  const Looked looked_gamma = average_unit_weight(profile, x);
  if (looked_gamma.stop) return stopped_at<SideResult>(*looked_gamma.stop);
  const double gamma = looked_gamma.value;
  double eps50 = look_up(in.profile, Property::kEps50, z).value;  // no stop
  if (!(eps50 > 0.0)) eps50 = default_stiff_clay_eps50(c, s.english);
  const Looked looked_k = look_up(in.profile, Property::kModulus, z);
  if (looked_k.stop) return stopped_at<SideResult>(*looked_k.stop);
  double k = looked_k.value;
  if (!(k > 0.0)) k = default_stiff_clay_k(c, s.english);
  const double b = s.width;
  const double bt = table_width(s);

  // The coefficients by depth below the top of the soil on this side.
  const double as = coefficient(kAs, x / bt);
  const double ac = coefficient(kAc, x / bt);

  const double slope = slope_factor(s, excavation);
  double pc;
  if (continuous_wall(s)) {
    const Looked sigma = vertical_stress(profile, x, !excavation);
    if (sigma.stop) return stopped_at<SideResult>(*sigma.stop);
    pc = (sigma.value + 2.0 * c) * b * slope;
  } else {
    const double pc1 = 2.0 * ca * b + (gamma * b + 2.83 * ca) * x;
    pc = std::min(pc1 * slope, 11.0 * c * b);
  }
  const double y50 = eps50 * bt;
  const double initial = k * x;  // the initial line p = k x y

  const SideLoads loads = clay_side_loads(s, z, c, b);

  SideResult r;
  r.pc = pc;
  r.as = as;
  r.ac = ac;
  SideCurve& out = r.curve;
  out = side_curve(x, b, c, gamma, loads);
  out.average_strength = ca;
  out.eps50 = eps50;
  out.k = k;
  const double unit = s.cyclic ? 4.1 * as * y50 : as * y50;  // yp or u
  const auto& multiples = s.cyclic ? kCyclicMultiples : kStaticMultiples;
  for (size_t i = 0; i < multiples.size(); ++i) {
    const double y = multiples[i] * unit;
    double p =
        s.cyclic ? cyclic_p(y, pc, y50, unit, ac) : static_p(y, pc, y50, as);
    p = std::min(p, initial * y);
    out.points[i] = side_point(y, p, loads, excavation);
  }
  return r;
}

}  // namespace

double default_stiff_clay_eps50(double c, bool english) {
  const Thresholds t = thresholds(english);
  if (c < t.low) return 0.011;
  if (c < t.middle) return 0.007;
  if (c < t.high) return 0.005;
  return 0.004;
}

// lb/in^3, or kN/m^3.
double default_stiff_clay_k(double c, bool english) {
  const Thresholds t = thresholds(english);
  if (c < t.low) return english ? 250.0 : 67861.78125;
  if (c < t.middle) return english ? 500.0 : 135723.5625;
  if (c < t.high) return english ? 1000.0 : 271447.125;
  return english ? 2000.0 : 542894.25;
}

double equivalent_depth_stiff_clay_with_water(double above, double b,
                                              double width_for_tables, double c,
                                              double ca, double gamma,
                                              bool cyclic) {
  const double slope = gamma * b + 2.83 * ca;
  if (!(slope > 0.0) || !(width_for_tables > 0.0)) return 0.0;
  auto factor_at = [&](double x) {
    const double r = x / width_for_tables;
    return residual_factor(coefficient(kAs, r), coefficient(kAc, r), cyclic);
  };
  // pc grows linearly down to xl, where it meets 11 c b.
  const double xl = (11.0 * c - 2.0 * ca) * b / slope;
  constexpr int kSteps = 40;
  double residual = factor_at(0.0);
  double sum = 0.0;
  if (xl > 0.0) {
    const double d = xl / kSteps;
    for (int n = 1; n <= kSteps; ++n) {
      const double x = n * d;
      residual = factor_at(x);
      const double next = sum + (2.0 * ca * b + slope * x) * d * residual;
      if (next > above) return x - d * (next - above) / (next - sum);
      sum = next;
    }
  }
  const double deep = 11.0 * b * c * residual;
  return std::max(xl, 0.0) + (deep > 0.0 ? (above - sum) / deep : 0.0);
}

// The average strength ca. On the excavation side of the first layer it is
// the mean of the strength at the layer top and at Z. Everywhere else it is
// the running mean of the strengths at the layer's curve depths from its
// first down to Z. The running mean advances once per curve depth, before
// either side pass, and both passes read the same value: the two sides read
// their strength at the same Z, so counting a depth twice (once per pass)
// would only weight the depths unevenly (the excavation side at the k-th
// depth would see (2 c1 + ... + 2 c(k-1) + ck) / (2k - 1), the backfill side
// the plain mean) and make the two sides of one curve disagree.
ModelResult stiff_clay_with_water(const ModelInput& in) {
  const PySoil& s = in.soil;
  ModelResult result;
  LayerState local;
  LayerState& state = in.state != nullptr ? *in.state : local;

  const Looked looked_c = look_up(in.profile, Property::kStrength, in.z);
  if (looked_c.stop) return stopped(*looked_c.stop);
  const double c = looked_c.value;
  if (in.first_of_layer) {
    state.running_sum = 0.0;
    state.running_count = 0;
  }
  state.running_sum += c;
  ++state.running_count;
  const double running = state.running_sum / state.running_count;
  const double first_layer_mean =
      in.layer == 0 ? average_strength(in.profile, 0, in.z, nullptr) : running;

  const SideResult e = side(in, true, c, first_layer_mean);
  if (e.stop) return stopped(*e.stop);
  const SideResult b = side(in, false, c, running);
  if (b.stop) return stopped(*b.stop);
  result.excavation = e.curve;
  result.backfill = b.curve;

  if (in.layer > 0 && in.first_of_layer) {
    // The layering method's equivalent depth, for the layers below; the
    // curves of this model use the true depth x.
    result.equivalent_depth = equivalent_depth_stiff_clay_with_water(
        in.resistance_above, s.width, table_width(s), c, running, e.curve.gamma,
        s.cyclic);
  }
  if (!in.first_of_layer) {
    result.resistance = 0.5 * (state.previous_ultimate + e.pc) *
                        (in.z - in.previous_z) *
                        residual_factor(e.as, e.ac, s.cyclic);
  }
  state.previous_ultimate = e.pc;
  return result;
}

}  // namespace korvan::py
