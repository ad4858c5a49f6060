// Generated earth pressure against textbook values: Rankine coefficients
// for level and sloping ground, the triangular resultant 1/2 Ka gamma H^2,
// effective stress and water pressure below the water table, and the
// tension zone of a cohesive layer (Das, Principles of Geotechnical
// Engineering, chapter on lateral earth pressure: Rankine active state,
// sloping backfill, c-phi soils and tension cracks).
#include <gtest/gtest.h>

#include <cmath>

#include "pressure/earth_pressure.h"
#include "pressure/handoff.h"

namespace korvan::pressure {
namespace {

// An English problem with generated pressure (option 2): one layer from
// the top of the wall to `bottom`, excavation at `height`.
engine::Problem soil_problem(double height, double bottom, double gamma,
                             double phi, double c) {
  engine::Problem p;
  p.control.unit_system = 1;
  p.control.earth_pressure_option = 2;
  p.has_soil_profile = true;
  engine::EarthPressureWall& w = p.soil.wall;
  w.free_height = height;
  w.width_pressure = w.width_resistance = 12.0;
  w.water_backfill = w.water_excavation = 10000.0;
  w.active_factor = 1.0;
  engine::SoilLayer layer;
  layer.type = c > 0.0 ? 1 : 4;
  layer.top = 0.0;
  layer.bottom = bottom;
  layer.at_top.unit_weight = layer.at_bottom.unit_weight = gamma;
  layer.at_top.friction_angle = layer.at_bottom.friction_angle = phi;
  layer.at_top.strength = layer.at_bottom.strength = c;
  p.soil.layers.push_back(layer);
  return p;
}

Profile computed(const engine::Problem& problem) {
  Profile p = build_profile(problem);
  EXPECT_FALSE(profile_stop(p).has_value());
  compute_pressures(p);
  return p;
}

constexpr double kGamma = 120.0 / 1728.0;  // 120 pcf in pci

TEST(EarthPressure, RankineCoefficients) {
  // Level ground, phi = 30: Ka = 1/3, Kp = 3, K0 = 1 - sin(phi) = 0.5
  // (to the 57.2958 degrees-per-radian constant: 1E-6).
  Profile level = computed(soil_problem(120.0, 300.0, kGamma, 30.0, 0.0));
  EXPECT_NEAR(level.sub[0].ka, 1.0 / 3.0, 1e-6);
  EXPECT_NEAR(level.sub[0].kp, 3.0, 1e-5);
  EXPECT_NEAR(level.sub[0].k0, 0.5, 1e-6);

  // Sloping backfill, beta = 10, phi = 30: Ka = cos b (cos b - r) /
  // (cos b + r), r = sqrt(cos^2 b - cos^2 phi), about 0.350.
  engine::Problem sloping = soil_problem(120.0, 300.0, kGamma, 30.0, 0.0);
  sloping.soil.wall.backfill_slope = 10.0;
  Profile s = computed(sloping);
  const double cb = std::cos(10.0 * std::acos(-1.0) / 180.0);
  const double cp = std::cos(30.0 * std::acos(-1.0) / 180.0);
  const double r = std::sqrt(cb * cb - cp * cp);
  EXPECT_NEAR(s.sub[0].ka, cb * (cb - r) / (cb + r), 1e-6);
  EXPECT_NEAR(s.sub[0].ka, 0.350, 5e-4);
  EXPECT_FALSE(s.sub[0].slope_warning);

  // A slope steeper than the friction angle of sand keeps the level value
  // and warns.
  sloping.soil.wall.backfill_slope = 35.0;
  Profile steep = computed(sloping);
  EXPECT_NEAR(steep.sub[0].ka, 1.0 / 3.0, 1e-6);
  EXPECT_TRUE(steep.sub[0].slope_warning);

  // An optional coefficient replaces Ka and removes the cohesion term.
  engine::Problem optional = soil_problem(120.0, 300.0, kGamma, 0.0, 5.0);
  optional.soil.layers[0].at_top.k_or_rqd = 0.4;
  Profile o = computed(optional);
  EXPECT_EQ(o.sub[0].ka, 0.4);
  EXPECT_EQ(o.sub[0].sqrt_ka, 0.0);
  EXPECT_EQ(o.sub[0].ka_table, o.sub[0].ka_table);
  EXPECT_TRUE(o.sub[0].drained);
}

// Dry sand, H = 10 ft: the triangle's resultant 1/2 Ka gamma H^2 at 2H/3,
// both as the sublayer resultant and as the integral of the distribution
// over the excavated height (trapezoid rule on the 1-inch grid, exact for
// a linear pressure).
TEST(EarthPressure, TriangularResultantOfDrySand) {
  const double h = 120.0;
  Profile p = computed(soil_problem(h, 300.0, kGamma, 30.0, 0.0));
  const double ka = p.sub[0].ka;
  const double expected = 0.5 * ka * kGamma * h * h;
  EXPECT_NEAR(p.sub[0].pa2, expected, 1e-9 * expected);
  EXPECT_NEAR(p.sub[0].z2, 2.0 * h / 3.0, 1e-12);
  const std::vector<DistributionPoint> d = distribution(p);
  ASSERT_EQ(d.size(), 301u);  // the top point and one per inch
  double integral = 0.0;
  for (size_t i = 1; i <= 120; ++i) {
    integral += 0.5 * (d[i - 1].col[12] + d[i].col[12]) *
                (d[i].col[1] - d[i - 1].col[1]);
  }
  EXPECT_NEAR(integral, expected, 1e-6 * expected);
  // Below the excavation the pressure stays at its value at H.
  EXPECT_NEAR(d[200].col[12], ka * kGamma * h, 1e-9);
}

// Water table 4 ft down in a 10 ft excavation: the effective stress below
// it is gamma zw + (gamma - gamma_w)(z - zw), the water force
// 1/2 gamma_w (H - zw)^2 and the distribution carries gamma_w (z - zw)
// on top of Ka times the effective stress.
TEST(EarthPressure, EffectiveStressAndWaterBelowTheWaterTable) {
  engine::Problem problem = soil_problem(120.0, 300.0, kGamma, 30.0, 0.0);
  problem.soil.wall.water_backfill = 48.0;
  Profile p = computed(problem);
  ASSERT_EQ(p.sub.size(), 3u);  // cut at the water table and at H
  const double gw = 0.036f;
  EXPECT_NEAR(p.sigma_v[1], kGamma * 48.0, 1e-12);
  EXPECT_NEAR(p.sigma_v[2], kGamma * 48.0 + (kGamma - gw) * 72.0, 1e-12);
  const Sublayer& wet = p.sub[1];
  EXPECT_NEAR(-wet.pw2, 0.5 * gw * 72.0 * 72.0, 1e-9);
  EXPECT_EQ(p.water_flag, 1);
  const std::vector<DistributionPoint> d = distribution(p);
  const DistributionPoint& at_h = d[120];
  EXPECT_NEAR(at_h.col[1], 120.0, 1e-12);
  EXPECT_NEAR(at_h.col[12], wet.ka * p.sigma_v[2] + gw * 72.0, 1e-9);
}

// Clay with c = 5 psi, phi = 0 (Ka = 1), gamma = 120 pcf, H = 20 ft: the
// net pressure gamma z - 2c is negative above the tension crack depth
// 2c / gamma (about 12 ft) and positive below; the sublayer carries only
// the triangle 1/2 (H - zt)(gamma H - 2c) acting a third of the way up
// from its bottom. Ka = tan^2(45 deg) is 1 only to the 57.2958
// degrees-per-radian constant: tolerance 1E-5 relative.
TEST(EarthPressure, ClayTensionZone) {
  const double h = 240.0;
  const double c = 5.0;
  Profile p = computed(soil_problem(h, 400.0, kGamma, 0.0, c));
  const Sublayer& s = p.sub[0];
  const double crack = 2.0 * c / kGamma;
  const double bottom = kGamma * h - 2.0 * c;
  EXPECT_NEAR(s.zc, h - crack, 1e-5 * h);
  EXPECT_NEAR(s.pa4, 0.5 * (h - crack) * bottom, 1e-5 * s.pa4);
  EXPECT_NEAR(s.z3, h - (h - crack) / 3.0, 1e-5 * h);
  EXPECT_EQ(s.pa1, 0.0);
  EXPECT_EQ(s.pa3, 0.0);
  EXPECT_TRUE(p.clay_warning);
  // No point of the distribution carries a zero or negative load.
  for (const DistributionPoint& d : distribution(p)) {
    EXPECT_GT(d.col[12], 0.0) << d.col[1];
  }
}

TEST(EarthPressure, ProfileStopsAndGrid) {
  // The profile ends above the excavation line.
  EXPECT_EQ(
      profile_stop(build_profile(soil_problem(200.0, 100.0, kGamma, 30.0, 0.0)))
          ->code,
      1);
  // More than 21 sublayers.
  engine::Problem many = soil_problem(120.0, 300.0, kGamma, 30.0, 0.0);
  many.soil.layers.clear();
  for (int i = 0; i < 10; ++i) {
    engine::SoilLayer l;
    l.type = 4;
    l.top = 30.0 * i;
    l.bottom = 30.0 * (i + 1);
    many.soil.layers.push_back(l);
  }
  many.soil.wall.free_height = 100.0;
  many.soil.wall.water_backfill = 50.0;
  EXPECT_EQ(build_profile(many).sub.size(), 12u);  // 10 layers and 2 cuts
  EXPECT_FALSE(profile_stop(build_profile(many)).has_value());
  // A water table at a layer boundary adds no sublayer; H = zw counts once.
  many.soil.wall.water_backfill = 90.0;
  EXPECT_EQ(build_profile(many).sub.size(), 11u);
  many.soil.wall.water_backfill = 100.0;
  EXPECT_EQ(build_profile(many).sub.size(), 11u);

  EXPECT_EQ(grid_steps(120.0, true), 120);
  EXPECT_EQ(grid_steps(3.0, false), 60);
  const std::vector<size_t> metric = shown_rows(60, false);
  EXPECT_EQ(metric.front(), 0u);
  EXPECT_EQ(metric[1], 4u);
  EXPECT_EQ(metric.back(), 59u);
  EXPECT_EQ(metric.size(), 16u);
  EXPECT_EQ(shown_rows(50, true).size(), 50u);

  // 10 layers with two cuts make at most 12 sublayers: only a table built
  // past the reader's capacity of 10 layers overflows the 21 sublayers.
  engine::Problem deep = many;
  for (int i = 10; i < 25; ++i) {
    engine::SoilLayer l;
    l.type = 4;
    l.top = 30.0 * i;
    l.bottom = 30.0 * (i + 1);
    deep.soil.layers.push_back(l);
  }
  EXPECT_EQ(profile_stop(build_profile(deep))->code, 2);
}

// Station loads interpolate the distribution's load per station between
// the records around each station; station 0 takes none.
TEST(EarthPressure, StationLoads) {
  std::vector<DistributionPoint> pts(3);
  pts[0].col[1] = 0.0;
  pts[0].col[2] = 0.0;
  pts[1].col[1] = 10.0;
  pts[1].col[2] = 10.0;
  pts[2].col[1] = 20.0;
  pts[2].col[2] = 30.0;
  const std::vector<double> loads = station_loads(pts, 5.0, 10);
  EXPECT_EQ(loads[0], 0.0);
  EXPECT_EQ(loads[1], 5.0);
  EXPECT_EQ(loads[3], 20.0);
  EXPECT_EQ(loads[4], 30.0);
  EXPECT_EQ(loads[5], 0.0);  // below the last record's station
}

}  // namespace
}  // namespace korvan::pressure
