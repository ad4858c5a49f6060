#include "pressure/earth_pressure.h"

#include <algorithm>
#include <cmath>

#include "model/constants.h"
#include "model/shortest.h"
#include "model/rounding.h"
#include "pressure/surcharge.h"

namespace korvan::pressure {
namespace {

using DP = DistributionPoint;

constexpr double kTol = kDepthTolerance;

struct Layer {
  engine::SoilModel model = engine::SoilModel::kSoftClay;
  double t = 0.0, c = 0.0, phi = 0.0, kopt = 0.0, gamma = 0.0;
  bool drained = false;
};

void envelope(const Profile& p, std::vector<DistributionPoint>& pts);

double tan_deg(double d) { return std::tan(radians(d)); }
double sin_deg(double d) { return std::sin(radians(d)); }
double cos_deg(double d) { return std::cos(radians(d)); }

}  // namespace

double radians(double degrees) { return to_radians_57(degrees); }

int grid_steps(double thickness, bool english) {
  return nearest_steps(english ? thickness : 20.0 * thickness);
}

Profile build_profile(const engine::Problem& problem) {
  const engine::SoilProfile& soil = problem.soil;
  Profile p;
  p.english = problem.units() == engine::UnitSystem::kEnglish;
  p.option = problem.control.pressure_option();
  p.height = soil.wall.free_height;
  p.zw = soil.wall.water_backfill;
  p.zwe = soil.wall.water_excavation;
  p.q = soil.surface.pressure;
  p.beta = soil.wall.backfill_slope;
  p.m = soil.wall.active_factor;
  p.water_flag = soil.wall.water_flag;
  p.gamma_w = water_unit_weight(p.english);
  p.z0 = soil.layers.empty() ? 0.0 : soil.layers.front().top;
  p.first_layer_soft_clay = !soil.layers.empty() &&
                            soil.layers.front().type ==
                                static_cast<int>(engine::SoilModel::kSoftClay);
  p.loadings = soil.surcharges;
  p.older = older_style_values(soil);
  p.wall_length =
      problem.geometry.increments * problem.geometry.increment_length;
  p.href = reference_height(p.height, p.wall_length);
  for (const auto* list : {&problem.tie_backs, &problem.struts}) {
    for (const engine::Anchor& a : *list) {
      p.support_levels.push_back(from_feet(a.depth, p.english));
    }
  }
  std::sort(p.support_levels.begin(), p.support_levels.end());
  p.support_levels.erase(
      std::unique(p.support_levels.begin(), p.support_levels.end(),
                  [](double a, double b) { return std::fabs(a - b) <= kTol; }),
      p.support_levels.end());

  std::vector<Layer> layers;
  for (const engine::SoilLayer& in : soil.layers) {
    Layer l;
    l.model = in.model();
    l.t = in.thickness();
    l.c = in.at_top.strength;
    l.phi = in.at_top.friction_angle;
    l.kopt = in.rock() ? 0.0 : in.at_top.earth_pressure_coefficient();
    l.gamma = in.at_top.unit_weight;
    // Sand, silt and rock are drained, and so is a type code above those
    // of the soil models (a code below them is not).
    l.drained = l.model == engine::SoilModel::kSand ||
                l.model == engine::SoilModel::kSilt || in.rock() ||
                in.type > engine::kSoilModels || l.kopt > kGivenTolerance;
    layers.push_back(l);
  }

  // Split depths: the excavation line and the backfill water table.
  std::vector<double> splits = {p.height, p.zw};
  std::sort(splits.begin(), splits.end());
  if (std::fabs(splits[1] - splits[0]) <= kTol) splits.pop_back();
  std::erase_if(splits, [&](double s) { return std::fabs(s - p.z0) <= kTol; });

  auto add = [&](const Layer& l, double top, double bottom) {
    if (p.sub.size() >= static_cast<size_t>(engine::kMaxSublayers)) {
      p.overflow = true;
      return false;
    }
    Sublayer s;
    s.ztop = top;
    s.t = bottom - top;
    s.model = l.model;
    s.c = l.c;
    s.phi = l.phi;
    s.kopt = l.kopt;
    s.gamma = l.gamma;
    s.drained = l.drained;
    s.m = p.m;
    p.sub.push_back(s);
    return true;
  };
  double z = p.z0;
  size_t next = 0;
  bool full = false;
  for (const Layer& l : layers) {
    if (!(l.t > 0.0) || full) break;
    const double bottom = z + l.t;
    double top = z;
    while (next < splits.size() && !full) {
      const double s = splits[next];
      if (s > z + kTol && s < bottom - kTol) {
        full = !add(l, top, s);
        top = s;
        ++next;
      } else if (std::fabs(s - bottom) <= kTol) {
        ++next;
        break;
      } else if (s <= z + kTol) {
        ++next;  // above this layer: never reached again
      } else {
        break;
      }
    }
    if (!full) full = !add(l, top, bottom);
    z = bottom;
  }

  for (const Sublayer& s : p.sub) p.ztop.push_back(s.ztop);
  if (!p.sub.empty()) p.ztop.push_back(p.sub.back().ztop + p.sub.back().t);
  for (size_t i = 0; i < p.ztop.size(); ++i) {
    if (std::fabs(p.ztop[i] - p.height) < kTol) {
      p.kexc = i;
      break;
    }
  }
  for (double top : p.ztop) {
    p.submerged.push_back(std::fabs(top - p.zw) < kTol || top > p.zw);
  }
  p.qeq = equivalent_surface_pressure(p);
  return p;
}

double equivalent_surface_pressure(const Profile& p) {
  if (!(p.beta > 0.0) || p.sub.empty()) return 0.0;
  const double phi1 = p.sub[0].phi;
  return p.sub[0].gamma * tan_deg(p.beta) * sin_deg(45.0 - phi1 / 2.0) *
         (p.height - p.z0) / sin_deg(45.0 - p.beta + phi1 / 2.0);
}

std::optional<GenerationStop> profile_stop(const Profile& p) {
  if (!p.kexc) {
    return GenerationStop{1,
                          "the soil profile has no sublayer top at the "
                          "excavation line"};
  }
  if (p.overflow) {
    return GenerationStop{2, "the soil profile needs more than 21 sublayers"};
  }
  return std::nullopt;
}

std::optional<Refusal> generation_refusal(const engine::Problem& problem,
                                          int control_line) {
  const engine::SoilProfile& soil = problem.soil;
  const engine::EarthPressureOption option = problem.control.pressure_option();
  if (!problem.has_soil_profile || soil.layers.empty()) return std::nullopt;
  const engine::SoilLayer& first = soil.layers.front();
  const double height = soil.wall.free_height;

  // p-y curves are placed from the excavation line down: soil that starts
  // below it would leave the curves without soil above them.
  if (problem.control.generated_py_curves() && first.top > height + kTol) {
    return Refusal{
        first.line,
        "soil layer 1, type record, field 2 (top depth): the soil starts at "
        "depth " +
            engine::shortest(first.top) +
            ", below the excavation line at depth " + engine::shortest(height) +
            " (free height of the earth-pressure wall record); p-y curves "
            "are generated from the excavation line down, so start the "
            "first layer at or above it"};
  }
  if (!problem.control.generated_pressure()) return std::nullopt;

  const double beta = soil.wall.backfill_slope;
  if (beta > 0.0 && !(beta < 45.0 + first.at_top.friction_angle / 2.0)) {
    return Refusal{soil.wall.line,
                   "earth-pressure wall record, field 8 (slope of the "
                   "backfill): a slope of " +
                       engine::shortest(beta) +
                       " degrees is too steep for the equivalent surface "
                       "pressure of the first layer (below 45 + phi/2)"};
  }
  if (option == engine::EarthPressureOption::kFhwaEnvelope &&
      problem.tie_backs.empty() && problem.struts.empty()) {
    return Refusal{control_line,
                   "control record, field 6 (earth-pressure option): option "
                   "3, the apparent-pressure envelope for anchored walls, "
                   "is shaped by the tie backs and struts, and this wall has "
                   "none: its earth pressure would be zero; give the "
                   "supports or choose another option"};
  }
  if (option == engine::EarthPressureOption::kUniformClay) {
    // The envelope takes Ka from the optional coefficient alone; rock
    // ignores its coefficient, so the excavation line must lie in soil.
    for (size_t i = 0; i < soil.layers.size(); ++i) {
      const engine::SoilLayer& l = soil.layers[i];
      const bool rock = l.rock();
      const bool holds_line =
          l.top <= height + kTol && height < l.bottom - kTol;
      const std::string record =
          "soil layer " + std::to_string(i + 1) +
          " (its type record; field 6 of its top values record is the "
          "optional earth-pressure coefficient): ";
      if (rock && holds_line) {
        return Refusal{l.line, record +
                                   "earth-pressure option 5 takes Ka from the "
                                   "optional coefficient of the layer at the "
                                   "excavation line, and a rock layer takes "
                                   "none: its earth pressure would be zero; "
                                   "choose another option"};
      }
      if (!rock && !(l.at_top.earth_pressure_coefficient() > kGivenTolerance)) {
        return Refusal{l.line, record +
                                   "earth-pressure option 5 takes Ka from the "
                                   "optional coefficient, which is not given: "
                                   "Ka would be zero and so would the earth "
                                   "pressure; give the coefficient or choose "
                                   "another option"};
      }
    }
  }
  return std::nullopt;
}

void compute_pressures(Profile& p) {
  const size_t n = p.sub.size();
  const double h = p.height;

  p.qeq = equivalent_surface_pressure(p);

  // Vertical stress on the backfill side: total, then effective.
  double start = p.q;
  bool held_back = false;
  if (p.qeq > 0.0) {
    if (p.z0 < h) {
      held_back = true;
    } else {
      start = p.q + p.qeq;
    }
  }
  p.sigma_v.assign(n + 1, 0.0);
  p.sigma_s.assign(n + 1, start);
  p.sigma_v[0] = start;
  bool added = false;
  for (size_t i = 0; i < n; ++i) {
    p.sigma_v[i + 1] = p.sigma_v[i] + p.sub[i].gamma * p.sub[i].t;
    if (held_back && !added && std::fabs(p.ztop[i + 1] - h) <= kTol) {
      p.sigma_v[i + 1] += p.qeq;
      added = true;
    }
    if (added) p.sigma_s[i + 1] = start + p.qeq;
  }
  for (size_t i = 0; i <= n; ++i) {
    if (p.submerged[i]) p.sigma_v[i] -= (p.ztop[i] - p.zw) * p.gamma_w;
  }

  // Coefficients.
  const double b = std::fabs(p.beta);
  for (Sublayer& s : p.sub) {
    const double root = tan_deg(45.0 - s.phi / 2.0);
    if (b == 0.0 || !(s.phi > b)) {
      s.sqrt_ka = root;
      s.ka = root * root;
      s.slope_warning =
          b > 0.0 && s.model == engine::SoilModel::kSand && s.ztop < h;
    } else {
      const double cb = cos_deg(p.beta);
      const double cp = cos_deg(s.phi);
      const double r = std::sqrt(cb * cb - cp * cp);
      s.ka = cb * (cb - r) / (cb + r);
      s.sqrt_ka = std::sqrt(s.ka);
    }
    s.k0 = 1.0 - sin_deg(s.phi);
    s.sqrt_kp = tan_deg(45.0 + s.phi / 2.0);
    s.kp = s.sqrt_kp * s.sqrt_kp;
    s.ka_table = s.ka;
    if (s.kopt > kGivenTolerance) {
      s.ka = s.kopt;
      s.sqrt_ka = 0.0;
    }
    if (p.option == engine::EarthPressureOption::kUniformClay) s.ka = s.kopt;
  }

  // Active and water resultants above the excavation line.
  const size_t above = p.above_excavation();
  double net = 0.0;
  for (size_t i = 0; i < above; ++i) {
    Sublayer& s = p.sub[i];
    const double t = s.t;
    const double sa = s.ka * p.sigma_v[i];
    const double cohesion = 2.0 * s.c * s.sqrt_ka;
    s.pa1 = t * sa * s.m + sublayer_surcharge(p.older, s.ztop, t, p.href);
    const double gamma_eff =
        p.submerged[i] && s.drained ? s.gamma - p.gamma_w : s.gamma;
    s.pa2 = s.ka * 0.5 * s.m * t * t * gamma_eff;
    s.pa3 = -(t * cohesion * s.m);
    s.z1 = s.ztop + 0.5 * t;
    s.z2 = s.ztop + 2.0 * t / 3.0;
    if (s.pa1 + s.pa3 < 0.0) {
      const double pb = s.ka * p.sigma_v[i + 1] - cohesion;
      const double denominator = (cohesion - sa) + pb;
      s.zc = denominator != 0.0 ? t * pb / denominator : 0.0;
      s.pa1 = s.pa2 = s.pa3 = 0.0;
      s.pa4 = pb > 0.0 ? s.m * 0.5 * s.zc * pb : 0.0;
      s.z3 = p.ztop[i + 1] - s.zc / 3.0;
    }
    // Water below the backfill water table, for drained sublayers; the
    // depth of the sublayer top is its depth below the top of the wall.
    if (s.drained && p.submerged[i]) {
      s.water_force = true;
      s.pw1 = -((s.ztop - p.zw) * p.gamma_w * t * s.m);
      s.pw2 = -(s.m * 0.5 * p.gamma_w * t * t);
      p.water_flag = 1;
    }
    net += s.pa1 + s.pa2 + s.pa3 + s.pa4 - s.pw1 - s.pw2;
    if (s.c > kGivenTolerance && s.sqrt_ka != 0.0) p.clay_warning = true;
  }
  p.net_negative = net < kTol;
}

std::vector<DistributionPoint> distribution(const Profile& p) {
  std::vector<DistributionPoint> points;
  if (p.sub.empty()) return points;
  const size_t above = p.above_excavation();
  const double sv_exc = p.sigma_v[std::min(above, p.sub.size())];
  int k = 0;
  auto point = [&](size_t i, double z) {
    const Sublayer& s = p.sub[i];
    ++k;
    const double delta = z - s.ztop;
    const bool submerged = p.submerged[i];
    const double gamma_eff =
        submerged && s.drained ? s.gamma - p.gamma_w : s.gamma;
    const double cohesion = 2.0 * s.c * s.sqrt_ka;
    const bool is_above = i < above;
    double a =
        is_above ? s.m * (s.ka * (p.sigma_v[i] + gamma_eff * delta) - cohesion)
                 : s.m * (s.ka * sv_exc - cohesion);
    // Water is hydrostatic on both sides, below the excavation line too:
    // below both tables the net is gamma_w (zwe - zw). Where water is not
    // taken separately (the water-pressure flag is 0, or an undrained layer
    // whose total unit weight carries it) neither side's water is counted,
    // so that the front water is never taken off a backfill without it.
    const bool water = p.water_flag == 1 && s.drained;
    const bool backfill_water = water && submerged;
    double w = backfill_water ? s.m * p.gamma_w * (z - p.zw) : 0.0;
    if (water && z > p.zwe) w -= s.m * p.gamma_w * (z - p.zwe);
    const double surcharge = surcharge_at(p, z);
    // No point carries a zero or negative load.
    const double tiny = double(static_cast<float>(k) * 1.0e-12f);
    if (a < kTol) {
      if (w > kTol) w += a;
      a = tiny;
      if (w + a < kTol) w = tiny;
    }
    double total = a + w + surcharge;
    if (total < kTol) total = tiny;

    const double water_b = backfill_water ? p.gamma_w * (z - p.zw) : 0.0;
    const double area = p.sigma_s[i] < 1.0e-6 ? 0.0 : p.sigma_s[i];
    DistributionPoint d;
    d.col[DP::kDepth] = z;
    d.col[DP::kLoad] = total;
    d.col[DP::kSoilAndWater] = a + w;
    d.col[DP::kSurchargeTotal] =
        surcharge + std::max(0.0, s.m * (s.ka * area - cohesion));
    d.col[DP::kPassive] = s.m * (s.kp * (p.sigma_v[i] + gamma_eff * delta) +
                                 2.0 * s.c * s.sqrt_kp + water_b) +
                          surcharge;
    d.col[DP::kAtRest] = s.m * ((2.0 * s.c + p.sigma_v[i]) * s.k0 +
                                gamma_eff * s.k0 * delta + water_b) +
                         surcharge;
    d.col[DP::kSoil] = a;
    d.col[DP::kWater] = w;
    d.col[DP::kAreaSurcharge] = s.m * s.ka * p.sigma_s[i];
    d.col[DP::kDiscreteSurcharges] = surcharge;
    d.col[DP::kEnvelope] = 0.0;
    d.col[DP::kWallPressure] = total;
    d.col[DP::kCohesion] = -s.m * cohesion;
    points.push_back(d);
  };
  point(0, p.ztop[0]);
  for (size_t i = 0; i < p.sub.size(); ++i) {
    const int steps = grid_steps(p.sub[i].t, p.english);
    for (int j = 1; j <= steps; ++j) {
      point(i, p.sub[i].ztop + j * p.sub[i].t / steps);
    }
  }
  using engine::EarthPressureOption;
  if (p.option == EarthPressureOption::kFhwaEnvelope ||
      p.option == EarthPressureOption::kUniformClay ||
      p.option == EarthPressureOption::kTerzaghiPeck) {
    envelope(p, points);
  }
  return points;
}

double surcharge_at(const Profile& p, double z) {
  return surcharge_pressure(p.loadings, z, p.wall_length, p.href);
}

namespace {

// The trapezoid-rule total of a column over the points down to the
// excavation line, on the grid step of 1 inch or 0.05 m.
template <typename Value>
double total_above(const Profile& p, const std::vector<DistributionPoint>& pts,
                   Value value) {
  const double step = p.english ? 1.0 : 0.05;
  double sum = 0.0;
  for (size_t k = 1;
       k < pts.size() && pts[k].col[DP::kDepth] <= p.height + kTol; ++k) {
    sum += 0.5 * (value(pts[k - 1]) + value(pts[k])) * step;
  }
  return sum;
}

// The ordinate of the uniform clay envelope at the excavation line:
// Ka sigma_v m of the first sublayer at or below it.
double clay_ordinate(const Profile& p) {
  for (size_t j = 0; j < p.sub.size(); ++j) {
    const Sublayer& s = p.sub[j];
    if (s.ztop < p.height - kTol) continue;
    if (std::fabs(s.ztop - p.height) < kTol || j == 0) {
      return s.ka * p.sigma_v[j] * s.m;
    }
    const double f = (p.height - p.ztop[j - 1]) / (s.ztop - p.ztop[j - 1]);
    const double sv = p.sigma_v[j - 1] + f * (p.sigma_v[j] - p.sigma_v[j - 1]);
    return s.ka * sv * s.m;
  }
  return 0.0;
}

// The envelopes of options 3, 5 and 6 on the points above the excavation
// line; below it the water part joins the soil column.
void envelope(const Profile& p, std::vector<DistributionPoint>& pts) {
  const double h = p.height;
  const double soil_total = total_above(
      p, pts, [](const DistributionPoint& d) { return d.col[DP::kSoil]; });
  const double soil_water_total =
      total_above(p, pts, [](const DistributionPoint& d) {
        return d.col[DP::kSoil] + d.col[DP::kWater];
      });
  const double all_total = total_above(p, pts, [](const DistributionPoint& d) {
    return d.col[DP::kSoil] + d.col[DP::kWater] +
           d.col[DP::kDiscreteSurcharges];
  });
  const double p5 = clay_ordinate(p);
  const TerzaghiPeck tp = terzaghi_peck(p);
  const double m = p.m;
  for (DistributionPoint& d : pts) {
    const double z = d.col[DP::kDepth];
    if (!(z < h - kTol)) {
      d.col[DP::kSoil] += d.col[DP::kWater];
      d.col[DP::kWater] = 0.0;
      d.col[DP::kEnvelope] = 0.0;
      continue;
    }
    const double water = d.col[DP::kWater];
    const double surcharge = d.col[DP::kDiscreteSurcharges];
    double ordinate = 0.0;
    if (p.option == engine::EarthPressureOption::kFhwaEnvelope) {
      ordinate = anchored_envelope(p, soil_total, z);
      d.col[DP::kWallPressure] = ordinate + water + surcharge;
      d.col[DP::kSoilAndWater] = anchored_envelope(p, soil_water_total, z);
    } else if (p.option == engine::EarthPressureOption::kUniformClay) {
      double shape = 1.0;
      if (p.first_layer_soft_clay) {
        shape = z < 0.25 * h ? z / (0.25 * h) : 1.0;
      } else if (!p.support_levels.empty()) {
        shape = anchored_shape(p, z);
      }
      ordinate = p5 * shape;
      d.col[DP::kWallPressure] = ordinate + surcharge;
      d.col[DP::kAreaSurcharge] =
          p5 != 0.0 ? p.sigma_v[0] * p.sub[0].ka * p.sub[0].m * ordinate / p5
                    : 0.0;
      d.col[DP::kSoilAndWater] = anchored_envelope(p, all_total, z);
    } else {
      ordinate = terzaghi_peck_shape(p, tp, z) * m;
      d.col[DP::kWallPressure] = ordinate + surcharge;
      double cohesion = 0.0;
      if (!tp.granular && tp.soft) {
        const double r = (tp.q1 - 4.0 * tp.cbar + tp.gbar * z) * m;
        cohesion = r < 0.0 ? (-4.0 * tp.cbar - r) * m : -4.0 * tp.cbar * m;
      }
      d.col[DP::kCohesion] = cohesion;
    }
    d.col[DP::kEnvelope] = ordinate;
    d.col[DP::kLoad] = d.col[DP::kWallPressure];
  }
}

}  // namespace

double anchored_shape(const Profile& p, double z) {
  const size_t n = p.support_levels.size();
  const double h = p.height;
  if (n == 0) return 1.0;
  const double z1 = p.support_levels.front();
  const double zn = p.support_levels.back();
  const double top = 2.0 * z1 / 3.0;
  const double bottom = n == 1 ? top + h / 3.0 : h - 2.0 * (h - zn) / 3.0;
  if (z < top) return z / top;
  if (z <= bottom) return 1.0;
  return bottom < h ? (h - z) / (h - bottom) : 1.0;
}

double anchored_envelope(const Profile& p, double total, double z) {
  const size_t n = p.support_levels.size();
  const double h = p.height;
  if (n == 0 || !(h > 0.0)) return 0.0;
  const double z1 = p.support_levels.front();
  const double zn = p.support_levels.back();
  const double peak = n == 1 ? 3.9 * total / (2.0 * h)
                             : 1.3 * total / (h - ((h - zn) + z1) / 3.0);
  return peak * anchored_shape(p, z);
}

TerzaghiPeck terzaghi_peck(const Profile& p) {
  constexpr double kFlat = double(1.0e-10f);
  constexpr double kQuarterPi = 0.7853978872299194;
  TerzaghiPeck tp;
  const double h = p.height;
  if (!(h > 0.0)) return tp;
  double weight = 0.0, granular = 0.0, cbar = 0.0, fbar = 0.0, sigma = 0.0;
  for (size_t i = 0; i < p.above_excavation(); ++i) {
    const Sublayer& s = p.sub[i];
    sigma += s.gamma * s.t;
    weight += s.gamma * s.t;
    if (s.phi >= kFlat) {
      granular += s.t;
      cbar += s.t * sigma * std::tan(radians(s.phi));
      fbar += s.t * radians(s.phi);
    } else {
      cbar += s.t * s.c;
      fbar += s.t * std::atan2(s.c, sigma);
    }
  }
  tp.gbar = weight / h;
  tp.cbar = cbar / h;
  tp.q1 = p.sigma_v.empty() ? 0.0 : p.sigma_v[0];
  const double f = fbar / h;
  tp.granular = granular / h >= 0.5;
  if (tp.granular) {
    const double t = std::tan(kQuarterPi - f / 2.0);
    tp.p = 0.65 * t * t * (tp.gbar * h + tp.q1);
  } else {
    tp.soft = tp.cbar > 0.0 ? tp.gbar * h / tp.cbar >= 6.0 : true;
    tp.p = tp.soft ? tp.gbar * h - 4.0 * tp.cbar + tp.q1
                   : 0.3 * (tp.gbar * h + tp.q1);
  }
  tp.p = std::max(tp.p, 0.0);
  return tp;
}

double terzaghi_peck_shape(const Profile& p, const TerzaghiPeck& tp, double z) {
  const double h = p.height;
  if (tp.granular) return tp.p;
  const double quarter = 0.25 * h;
  if (z < quarter) return tp.p * z / quarter;
  if (tp.soft || z <= h - quarter) return tp.p;
  return tp.p * (h - z) / quarter;
}

}  // namespace korvan::pressure
