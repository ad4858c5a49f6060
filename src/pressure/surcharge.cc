#include "pressure/surcharge.h"

#include <cmath>

#include "model/constants.h"
#include "model/rounding.h"

namespace korvan::pressure {
namespace {

// Constants as single-precision literals widened to double.
constexpr double kSwitch = double(0.4f);
constexpr double kPointNear = double(0.28f);
constexpr double kPointFar = double(1.77f);
constexpr double kLineNear = double(0.203f);
constexpr double kLineFar = double(1.273f);
constexpr double kTwoOverPi = double(0.6366f);
constexpr double kSixteen = double(0.16f);
constexpr double kLoadGiven = double(1.0e-4f);
constexpr double kNoHeight = double(1.0e-6f);

}  // namespace

double point_load_pressure(double q, double x, double z, double href) {
  const double m = x / href;
  const double n = z / href;
  if (m <= kSwitch) {
    return kPointNear * q * n * n /
           (href * href * std::pow(kSixteen + n * n, 3));
  }
  return kPointFar * q * m * m * n * n /
         (href * href * std::pow(m * m + n * n, 3));
}

double line_load_pressure(double q, double x, double z, double href,
                          bool resultant_form) {
  const double m = x / href;
  const double n = z / href;
  if (m <= kSwitch) {
    return kLineNear * q * n / (href * std::pow(kSixteen + n * n, 2));
  }
  const double far = resultant_form ? kLineFar : 4.0 / kPi3_1416;
  return far * q * m * m * n / (href * std::pow(m * m + n * n, 2));
}

double strip_load_pressure(double q, double x, double b, double z,
                           bool resultant_form) {
  const double half = b / 2.0;
  const double theta1 = std::atan2(x + half, z);
  const double theta2 = std::atan2(x - half, z);
  const double beta = theta1 - theta2;
  const double factor = resultant_form ? kTwoOverPi : 2.0 / kPi3_1416;
  return factor * q * (beta - std::sin(beta) * std::cos(theta1 + theta2));
}

bool uses_wall_length(double free_height) { return free_height < kNoHeight; }

double reference_height(double free_height, double wall_length) {
  return uses_wall_length(free_height) ? wall_length : free_height;
}

double surcharge_pressure(const std::vector<engine::Surcharge>& loadings,
                          double z, double wall_length, double href) {
  if (loadings.empty() || !(wall_length > 0.0)) return 0.0;
  const double dz = wall_length / 200.0;
  double sum = 0.0;
  for (const engine::Surcharge& s : loadings) {
    const double level = s.vertical + z;
    int j = floor_steps(level / dz);
    if (j > 200) j = 200;
    while (j >= 1 && j * dz >= level) --j;
    if (j < 1) continue;
    const double depth = j * dz;
    const double q = s.load * s.factor;
    switch (s.kind()) {
      case engine::SurchargeType::kPoint:
        sum += point_load_pressure(q, s.distance, depth, href);
        break;
      case engine::SurchargeType::kLine:
        sum += line_load_pressure(q, s.distance, depth, href, false);
        break;
      default:
        sum += strip_load_pressure(q, s.distance, s.width, depth, false);
        break;
    }
  }
  return sum;
}

engine::SurfaceLoads older_style_values(const engine::SoilProfile& soil) {
  engine::SurfaceLoads v = soil.surface;
  for (const engine::Surcharge& s : soil.surcharges) {
    const double q = s.load * s.factor;
    v.distance = s.distance;
    const engine::SurchargeType kind = s.kind();
    v.point_load = kind == engine::SurchargeType::kPoint ? q : 0.0;
    v.line_load = kind == engine::SurchargeType::kLine ? q : 0.0;
    v.strip_load = kind == engine::SurchargeType::kStrip ? q : 0.0;
    if (kind == engine::SurchargeType::kStrip) v.strip_width = s.width;
  }
  return v;
}

double sublayer_surcharge(const engine::SurfaceLoads& v, double top, double t,
                          double href) {
  double sum = 0.0;
  const double step = t / 10.0;
  for (int j = 1; j <= 10; ++j) {
    const double z = top + (j - 0.5) * step;
    double p = 0.0;
    if (v.point_load > kLoadGiven) {
      p += point_load_pressure(v.point_load, v.distance, z, href);
    }
    if (v.line_load > kLoadGiven) {
      p += line_load_pressure(v.line_load, v.distance, z, href, true);
    }
    if (v.strip_load > kLoadGiven) {
      p +=
          strip_load_pressure(v.strip_load, v.distance, v.strip_width, z, true);
    }
    sum += p * step;
  }
  return sum;
}

}  // namespace korvan::pressure
