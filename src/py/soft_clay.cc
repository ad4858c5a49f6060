// Soft clay p-y curves after Matlock (1970), "Correlations for design of
// laterally loaded piles in soft clay", OTC 1204: pu = (3 + gamma x / c +
// J x / b) c b with J = 0.5, at most 9 c b; p = 0.5 pu (y / y50)^(1/3),
// y50 = 2.5 eps50 b; cyclic loading degrades beyond 3 y50 to 0.72 pu (or
// 0.72 pu x / xr above the critical depth xr).
#include <cmath>

#include "model/constants.h"
#include "py/models.h"

namespace korvan::py {

const std::array<double, 17> kSoftClayFractions = {
    0.0,   0.00025, 0.0025, 0.0075, 0.02, 0.04, 0.06, 0.10, 0.15,
    0.225, 0.30,    0.40,   0.50,   0.65, 0.80, 1.0,  1.2};

double default_eps50(double c, bool english) {
  const double limits[3] = {english ? double(3.4722223f) : double(23.94013f),
                            english ? double(6.9444447f) : double(47.88026f),
                            english ? double(27.777779f) : double(191.52104f)};
  if (c < limits[0]) return 0.02;
  if (c < limits[1]) return 0.01;
  if (c < limits[2]) return 0.005;
  return 0.004;
}

double equivalent_depth_soft_clay(double above, double b, double c,
                                  double gamma, bool cyclic) {
  const double denominator = gamma * b + 0.5 * c;
  if (!(denominator > 0.0)) return 0.0;
  const double xr = 6.0 * c * b / denominator;
  const double a = 0.5 * gamma * b + 0.25 * c;
  const double bb = 3.0 * c * b;
  double at_xr, deep;
  if (cyclic) {
    at_xr = 0.72 *
            (b * xr * xr * gamma / 3.0 + 1.5 * xr * b * c + xr * xr * c / 6.0);
    deep = 0.72 * 9.0 * c * b;
  } else {
    at_xr = (a * xr + bb) * xr;
    deep = 9.0 * c * b;
  }
  if (!(above > at_xr)) {
    return a > 0.0 ? (std::sqrt(bb * bb + 4.0 * a * above) - bb) / (2.0 * a)
                   : 0.0;
  }
  return deep > 0.0 ? xr + (above - at_xr) / deep : xr;
}

namespace {

constexpr double kSmallest = 1.0e-14;

struct SideResult {
  SideCurve curve;
  double pu = 0.0;
  double x = 0.0;
  double xr = 0.0;
  std::optional<PyStop> stop;
};

SideResult side(const ModelInput& in, bool excavation) {
  const PySoil& s = in.soil;
  const double z = in.z;
  const auto [true_depth, x] = side_depths(in, excavation);
  const Looked looked_c = look_up(in.profile, Property::kStrength, z);
  if (looked_c.stop) return stopped_at<SideResult>(*looked_c.stop);
  const double c = looked_c.value;
  const SideProfile& profile = profile_of(s, excavation);
  const Looked looked_gamma = average_unit_weight(profile, true_depth);
  if (looked_gamma.stop) return stopped_at<SideResult>(*looked_gamma.stop);
  const double gamma = looked_gamma.value;
  double eps50 = look_up(in.profile, Property::kEps50, z).value;  // no stop
  if (!(eps50 > 0.0)) eps50 = default_eps50(c, s.english);
  const double b = s.width;

  double np = c > 0.0 ? 3.0 + gamma * x / c + 0.5 * x / b : 0.0;
  double slope_factor = 1.0;
  const double theta = to_radians_57(s.excavation_slope);
  if (excavation && theta > 0.0 && std::fabs(theta) > 1.0e-20) {
    slope_factor = 1.0 / (1.0 + std::tan(std::fabs(theta)));
    np *= slope_factor;
  }
  double pu = np <= 9.0 ? np * c * b : 9.0 * c * b;
  const bool continuous = continuous_wall(s);
  if (continuous) {
    const Looked sigma = vertical_stress(profile, true_depth, !excavation);
    if (sigma.stop) return stopped_at<SideResult>(*sigma.stop);
    pu = (sigma.value + 2.0 * c) * b;
    if (excavation && theta != 0.0) pu *= slope_factor;
  }
  const double y50 = 2.5 * eps50 * table_width(s);
  const double denominator = 0.5 * c + gamma * b;
  double xr = denominator > 0.0 ? 6.0 * c * b / denominator : 0.0;
  if (xr < 1.0e-6) xr = b;
  const double k0 = 0.5 * pu * std::pow(y50 / kSmallest, 2.0 / 3.0) / y50;
  const double y8 = 8.0 * y50;

  const SideLoads loads = clay_side_loads(s, z, c, b);

  SideResult r;
  r.pu = pu;
  r.x = x;
  r.xr = xr;
  SideCurve& out = r.curve;
  out = side_curve(x, b, c, gamma, loads);
  out.eps50 = eps50;
  for (size_t i = 0; i < kSoftClayFractions.size(); ++i) {
    const double y = y8 * kSoftClayFractions[i];
    double p;
    if (y < kSmallest) {
      p = k0 * y;
      if (i > 0) out.small_deflection_modulus = k0;
    } else if (!s.cyclic) {
      p = y <= y8 ? 0.5 * pu * std::cbrt(y / y50) : pu;
      if (p > pu) p = pu;
    } else if (y <= 3.0 * y50) {
      p = 0.5 * pu * std::cbrt(y / y50);
    } else if (x < xr) {
      const double residual = 0.72 * pu * x / xr;
      p = y >= 15.0 * y50 ? residual
                          : 0.72 * pu + (y - 3.0 * y50) / (12.0 * y50) *
                                            (residual - 0.72 * pu);
    } else {
      p = 0.72 * pu;
    }
    out.points[i] = side_point(y, p, loads, excavation);
  }
  return r;
}

}  // namespace

ModelResult soft_clay(const ModelInput& in) {
  ModelResult result;
  ModelInput input = in;
  if (in.layer > 0 && in.first_of_layer) {
    // The layer's equivalent depth from its properties at its first depth.
    const Looked c = look_up(in.profile, Property::kStrength, in.z);
    if (c.stop) return stopped(*c.stop);
    const Looked gamma = average_unit_weight(in.soil.excavation, in.z);
    if (gamma.stop) return stopped(*gamma.stop);
    input.equivalent_depth =
        equivalent_depth_soft_clay(in.resistance_above, in.soil.width, c.value,
                                   gamma.value, in.soil.cyclic);
    result.equivalent_depth = input.equivalent_depth;
  }
  const SideResult e = side(input, true);
  if (e.stop) return stopped(*e.stop);
  const SideResult b = side(input, false);
  if (b.stop) return stopped(*b.stop);
  result.excavation = e.curve;
  result.backfill = b.curve;
  if (!in.first_of_layer) {
    double ultimate = e.pu;
    if (in.soil.cyclic) {
      ultimate = 0.72 * e.pu + (e.x < e.xr ? 0.72 * e.pu * e.x / e.xr : 0.0);
    }
    result.resistance = ultimate * (in.z - in.previous_z);
  }
  return result;
}

Model model_for(engine::SoilModel soil) {
  using engine::SoilModel;
  switch (soil) {
    case SoilModel::kSoftClay:
      return soft_clay;
    case SoilModel::kStiffClayWithFreeWater:
      return stiff_clay_with_water;
    case SoilModel::kStiffClayWithoutFreeWater:
      return stiff_clay_without_water;
    case SoilModel::kSand:
      return sand;
    case SoilModel::kSilt:
      return silt;
    case SoilModel::kRock:
      return rock;
    case SoilModel::kWeakRock:
      return weak_rock;
  }
  return nullptr;
}

}  // namespace korvan::py
