#include "py/soil_layers.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "model/constants.h"

namespace korvan::py {
namespace {

constexpr double kNotGiven = 1.0e-20;

LayerValues values_of(const engine::SoilValues& v) {
  return {v.strength, to_radians(v.friction_angle), v.epsilon50,
          v.subgrade_modulus, v.rock_quality_designation()};
}

LayerValues between(const LayerValues& a, const LayerValues& b, double f) {
  auto mix = [f](double x, double y) { return x + f * (y - x); };
  return {mix(a.strength, b.strength), mix(a.phi, b.phi), mix(a.eps50, b.eps50),
          mix(a.k, b.k), mix(a.rqd, b.rqd)};
}

// Side rows from the soil layers below `surface`, cut there and at the
// side's water table.
SideProfile side_profile(const engine::SoilProfile& soil, double surface,
                         double water_table, double gamma_w, double stress) {
  SideProfile side;
  side.surface = surface;
  side.surface_stress = stress;
  for (const engine::SoilLayer& l : soil.layers) {
    if (!(l.bottom > surface) || !(l.bottom > l.top)) continue;
    auto gamma_at = [&l](double z) {
      const double f = (z - l.top) / (l.bottom - l.top);
      return l.at_top.unit_weight +
             f * (l.at_bottom.unit_weight - l.at_top.unit_weight);
    };
    std::vector<double> cuts = {std::max(l.top, surface)};
    if (water_table > cuts[0] && water_table < l.bottom) {
      cuts.push_back(water_table);
    }
    cuts.push_back(l.bottom);
    for (size_t i = 0; i + 1 < cuts.size(); ++i) {
      SideRow r;
      r.top = cuts[i];
      r.bottom = cuts[i + 1];
      r.gamma_top = gamma_at(r.top);
      r.gamma_bottom = gamma_at(r.bottom);
      r.water = r.top >= water_table ? gamma_w : 0.0;
      side.rows.push_back(r);
    }
  }
  return side;
}

PyStop beyond(int code, double depth, const char* curve) {
  return PyStop{code, depth, curve};
}

}  // namespace

PySoil build_py_soil(const engine::Problem& problem,
                     const std::vector<std::pair<double, double>>& pressure) {
  const engine::SoilProfile& soil = problem.soil;
  PySoil s;
  s.english = problem.units() == engine::UnitSystem::kEnglish;
  s.cyclic = soil.py_loading() == engine::Loading::kCyclic;
  s.cycles = soil.load_cycles;
  s.height = soil.wall.free_height;
  s.z0 = soil.layers.empty() ? 0.0 : soil.layers.front().top;
  s.width = soil.wall.width_resistance;
  s.spacing_ratio = soil.wall.width_resistance > 0.0
                        ? soil.wall.width_pressure / soil.wall.width_resistance
                        : 1.0;
  s.alt_width = one_foot(s.english);
  s.excavation_slope = soil.wall.excavation_slope;
  s.gamma_w = water_unit_weight(s.english);
  s.increment = problem.geometry.increment_length;
  s.increments = problem.geometry.increments;

  // Derived layers below the excavation line, down to two increments
  // below the toe.
  const double h = s.height;
  const double model_bottom =
      (s.increments + 2) * s.increment - h;  // on the Z scale
  double previous = 0.0;
  for (const engine::SoilLayer& in : soil.layers) {
    if (!(in.bottom > h)) continue;
    const LayerValues top = values_of(in.at_top);
    const LayerValues bottom = values_of(in.at_bottom);
    const double span = in.bottom - in.top;
    auto at = [&](double z) {
      return span > 0.0 ? between(top, bottom, (z - in.top) / span) : top;
    };
    auto gamma_at = [&](double z) {
      const double f = span > 0.0 ? (z - in.top) / span : 0.0;
      return in.at_top.unit_weight +
             f * (in.at_bottom.unit_weight - in.at_top.unit_weight);
    };
    DerivedLayer d;
    d.type = in.type;
    d.top = previous;
    const double top_depth = std::max(in.top, h);
    d.at_top = at(top_depth);
    // The rock mass modulus of weak rock is its top value alone.
    if (in.model() == engine::SoilModel::kWeakRock) d.at_top.k = top.k;
    d.gamma_top = gamma_at(top_depth);
    d.bottom = in.bottom - h;
    bool last = false;
    if (model_bottom >= d.bottom - 1.0e-8) {
      d.at_bottom = bottom;
      d.gamma_bottom = in.at_bottom.unit_weight;
    } else {
      d.bottom = model_bottom;
      d.at_bottom = at(model_bottom + h);
      d.gamma_bottom = gamma_at(model_bottom + h);
      last = true;
    }
    previous = d.bottom;
    s.layers.push_back(d);
    if (last) break;
  }

  const double edge = s.english ? 0.1 : 0.01;
  for (DerivedLayer& d : s.layers) {
    const double q = (d.bottom - d.top) / 4.0;
    d.first_curve = static_cast<int>(s.curve_depths.size());
    const bool thin = edge >= q;
    s.curve_depths.push_back(thin ? d.top + q / 2.0 : d.top + edge);
    s.curve_depths.push_back(d.top + q);
    s.curve_depths.push_back(d.top + 2.0 * q);
    s.curve_depths.push_back(d.top + 3.0 * q);
    s.curve_depths.push_back(thin ? d.bottom - q / 2.0 : d.bottom - edge);
    d.last_curve = static_cast<int>(s.curve_depths.size()) - 1;
  }

  for (const engine::PyFactor& f : problem.py_factors) {
    s.factors.push_back({f.depth, f.p, f.y});
  }
  s.automatic_with_table = problem.py_factor_option == 1;
  s.backfill = side_profile(soil, s.z0, soil.wall.water_backfill, s.gamma_w,
                            soil.surface.pressure);
  s.excavation =
      side_profile(soil, h, soil.wall.water_excavation, s.gamma_w, 0.0);
  for (const auto& [depth, load] : pressure) {
    s.pressure.emplace_back(depth, load / s.increment);
  }
  return s;
}

std::vector<ProfilePoint> property_profile(const PySoil& soil) {
  std::vector<ProfilePoint> points;
  for (const DerivedLayer& d : soil.layers) {
    points.push_back({d.top, d.at_top});
    points.push_back({d.bottom, d.at_bottom});
  }
  return points;
}

namespace {
double field(const LayerValues& v, Property what) {
  switch (what) {
    case Property::kStrength:
      return v.strength;
    case Property::kPhi:
      return v.phi;
    case Property::kEps50:
      return v.eps50;
    case Property::kModulus:
      return v.k;
    default:
      return v.rqd;
  }
}
}  // namespace

Looked look_up(const std::vector<ProfilePoint>& p, Property what, double z) {
  size_t j = 1;
  while (j < p.size() && p[j].depth < z) ++j;
  if (p.size() < 2 || j >= p.size()) {
    if (what == Property::kEps50 || what == Property::kRqd) return {};
    return {0.0,
            beyond(1, z, what == Property::kStrength ? "STRENGTH" : "PHI")};
  }
  const double upper = field(p[j].v, what);
  if (z == p[j].depth) {
    if (j + 1 < p.size() && p[j + 1].depth == p[j].depth) {
      const double lower = field(p[j + 1].v, what);
      if (what == Property::kEps50 || what == Property::kModulus ||
          what == Property::kRqd) {
        const bool a = upper >= kNotGiven, b = lower >= kNotGiven;
        if (a && b) return {0.5 * (upper + lower), std::nullopt};
        if (b) return {lower, std::nullopt};
        return {upper, std::nullopt};
      }
      return {lower >= kNotGiven ? lower : upper, std::nullopt};
    }
    return {upper, std::nullopt};
  }
  const double a = field(p[j - 1].v, what);
  const double span = p[j].depth - p[j - 1].depth;
  return {span != 0.0 ? a + (z - p[j - 1].depth) / span * (upper - a) : upper,
          std::nullopt};
}

double average_strength(const std::vector<ProfilePoint>& p, size_t layer,
                        double z, bool* warned) {
  const size_t top = 2 * layer, bottom = 2 * layer + 1;
  if (p.empty() || z < p.front().depth || bottom >= p.size()) return 0.0;
  if (z - p[top].depth < 1.0e-5) {
    return look_up(p, Property::kStrength, z).value;
  }
  const double thickness = p[bottom].depth - p[top].depth;
  if (thickness < 1.0e-6) return 0.0;
  const double c_top = p[top].v.strength;
  const double at_z =
      c_top + (z - p[top].depth) / thickness * (p[bottom].v.strength - c_top);
  if (z < p[bottom].depth) return 0.5 * (c_top + at_z);
  if (z <= p.back().depth) return 0.0;
  if (warned != nullptr) *warned = true;
  return 0.5 * (c_top + at_z);
}

double coefficient(const CoefficientTable& t, double r) {
  const auto& x = t.relative_depth;
  const auto& v = t.value;
  if (x.size() < 2) return v.empty() ? 0.0 : v.front();
  size_t j = 1;
  while (j + 1 < x.size() && x[j] < r) ++j;
  const double span = x[j] - x[j - 1];
  return span != 0.0 ? v[j - 1] + (r - x[j - 1]) / span * (v[j] - v[j - 1])
                     : v[j];
}

namespace {
// Stress sum and thickness sum from a side's surface down to depth d; the
// stop when d lies beyond the side's profile.
std::optional<PyStop> side_sums(const SideProfile& side, double d,
                                double& stress, double& thickness) {
  stress = thickness = 0.0;
  const double a = side.surface + d;
  if (side.rows.empty() || !(a > side.rows.front().top) ||
      !(a > side.surface)) {
    return std::nullopt;
  }
  for (const SideRow& r : side.rows) {
    if (!(r.bottom > side.surface)) continue;
    const double top = std::max(r.top, side.surface);
    if (r.bottom < a) {
      stress +=
          (0.5 * (r.gamma_top + r.gamma_bottom) - r.water) * (r.bottom - top);
      thickness += r.bottom - top;
      continue;
    }
    const double f = r.bottom > r.top ? (a - r.top) / (r.bottom - r.top) : 0.0;
    const double at = r.gamma_top + f * (r.gamma_bottom - r.gamma_top);
    stress += (0.5 * (r.gamma_top + at) - r.water) * (a - top);
    thickness += a - top;
    return std::nullopt;
  }
  return beyond(4, a, "UNIT WEIGHT");
}
}  // namespace

Looked average_unit_weight(const SideProfile& side, double d) {
  double stress = 0.0, thickness = 0.0;
  std::optional<PyStop> stop = side_sums(side, d, stress, thickness);
  return {thickness > 0.0 ? stress / thickness : 0.0, std::move(stop)};
}

Looked vertical_stress(const SideProfile& side, double d, bool add_surface) {
  double stress = 0.0, thickness = 0.0;
  std::optional<PyStop> stop = side_sums(side, d, stress, thickness);
  return {stress + (add_surface ? side.surface_stress : 0.0), std::move(stop)};
}

double table_factor(const std::vector<FactorRow>& rows, double z, bool p) {
  auto value = [p](const FactorRow& r) { return p ? r.p : r.y; };
  if (rows.size() < 2 || z < rows.front().depth || z > rows.back().depth) {
    return 1.0;
  }
  size_t k = 1;
  while (k + 1 < rows.size() && rows[k].depth < z) ++k;
  if (z == rows[k].depth) {
    if (k + 1 < rows.size() && rows[k + 1].depth == rows[k].depth) {
      return value(rows[k + 1]);
    }
    return value(rows[k]);
  }
  const double span = rows[k].depth - rows[k - 1].depth;
  if (span == 0.0) return value(rows[k]);
  return value(rows[k - 1]) +
         (z - rows[k - 1].depth) / span * (value(rows[k]) - value(rows[k - 1]));
}

double p_multiplier(const PySoil& s, double z) {
  const double sb = s.spacing_ratio;
  const double automatic =
      (sb >= kSpacingLimit || sb < kContinuousRatio || z < s.height)
          ? 1.0
          : kSpacingFactor * std::pow(sb, kSpacingExponent);
  if (s.factors.empty()) return automatic;
  return table_factor(s.factors, z, true) *
         (s.automatic_with_table ? automatic : 1.0);
}

double y_multiplier(const PySoil& s, double z) {
  return s.factors.empty() ? 1.0 : table_factor(s.factors, z, false);
}

double earth_pressure_term(const PySoil& s, double depth) {
  const auto& t = s.pressure;
  if (t.empty()) return 0.0;
  if (depth <= t.front().first) return t.front().second;
  if (depth >= t.back().first) return t.back().second;
  size_t j = 1;
  while (t[j].first < depth) ++j;
  const double span = t[j].first - t[j - 1].first;
  return span != 0.0 ? t[j - 1].second + (depth - t[j - 1].first) / span *
                                             (t[j].second - t[j - 1].second)
                     : t[j].second;
}

}  // namespace korvan::py
