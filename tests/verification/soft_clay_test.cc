// Generated soft-clay p-y curves against Matlock's equations computed by
// hand (Matlock 1970, "Correlations for design of laterally loaded piles in
// soft clay", OTC 1204): Np = 3 + gamma x / c + J x / b with J = 0.5,
// capped at 9; p = 0.5 pu (y / y50)^(1/3), y50 = 2.5 eps50 b; cyclic
// residual 0.72 pu (x / xr above the critical depth xr = 6 c b /
// (gamma b + J c)). Plus the equivalent depth of a lower layer, the
// multiplier table and the look-up rules at layer boundaries.
#include <gtest/gtest.h>

#include <cmath>

#include "py/generator.h"
#include "py/models.h"

namespace korvan::py {
namespace {

constexpr double kGamma = 110.0 / 1728.0;

// Soft clay of constant strength c from the top of the wall (H = 0) on a
// wall of 40 increments of 12 in, WA = 4 WP so that no spacing factor
// applies.
engine::Problem clay_wall(double c, double eps50, bool cyclic) {
  engine::Problem p;
  p.control.unit_system = 1;
  p.control.py_option = 2;
  p.geometry.increments = 40;
  p.geometry.increment_length = 12.0;
  p.has_soil_profile = true;
  engine::EarthPressureWall& w = p.soil.wall;
  w.width_pressure = 48.0;
  w.width_resistance = 12.0;
  w.water_backfill = w.water_excavation = 1.0e4;
  p.soil.loading = cyclic ? 0 : 1;
  engine::SoilLayer l;
  l.type = 1;
  l.bottom = 600.0;
  for (engine::SoilValues* v : {&l.at_top, &l.at_bottom}) {
    v->unit_weight = kGamma;
    v->strength = c;
    v->epsilon50 = eps50;
  }
  p.soil.layers = {l};
  return p;
}

double relative(double a, double b) { return std::fabs(a - b) / std::fabs(b); }

TEST(SoftClay, StaticCurveByHand) {
  const PySoil soil = build_py_soil(clay_wall(5.0, 0.01, false), {});
  ASSERT_EQ(soil.curve_depths.size(), 5u);
  EXPECT_NEAR(soil.curve_depths[0], 0.1, 1e-12);
  EXPECT_NEAR(soil.curve_depths[1], 126.0, 1e-12);  // (504 - 0) / 4
  const Generation g = generate_curves(soil);
  ASSERT_FALSE(g.stop);
  ASSERT_EQ(g.curves.size(), 5u);

  // Shallow: Np = 3 + gamma x / c + 0.5 x / b at x = 0.1.
  const double x = 0.1;
  const double np = 3.0 + kGamma * x / 5.0 + 0.5 * x / 12.0;
  const double pu = np * 5.0 * 12.0;
  const double y50 = 2.5 * 0.01 * 12.0;
  const SideCurve& e = g.curves[0].excavation;
  EXPECT_LT(relative(e.points[16].p, pu), 1e-12);  // 1.2 y8: the plateau
  EXPECT_LT(relative(e.points[15].p, pu), 1e-12);  // 8 y50
  EXPECT_LT(
      relative(e.points[14].p, 0.5 * pu * std::cbrt(0.8 * 8.0 * y50 / y50)),
      1e-12);  // 6.4 y50, still on the cube root
  EXPECT_NEAR(e.points[7].y, 0.10 * 8.0 * y50, 1e-15);
  EXPECT_LT(relative(e.points[7].p, 0.5 * pu * std::cbrt(0.8)), 1e-12);
  EXPECT_EQ(e.points[0].p, 0.0);

  // Deeper: 3 + gamma x / c + 0.5 x / b above 9 at x = 126, so pu = 9 c b.
  EXPECT_LT(relative(g.curves[1].excavation.points[16].p, 9.0 * 5.0 * 12.0),
            1e-12);
  // The backfill side of a wall without free height mirrors it.
  EXPECT_LT(relative(g.curves[1].backfill.points[16].p, 540.0), 1e-12);
}

TEST(SoftClay, CyclicCurveByHand) {
  const PySoil soil = build_py_soil(clay_wall(5.0, 0.01, true), {});
  const Generation g = generate_curves(soil);
  const double y50 = 0.3;
  const double xr = 6.0 * 5.0 * 12.0 / (kGamma * 12.0 + 0.5 * 5.0);
  // Above the critical depth: from 0.72 pu at 3 y50 towards 0.72 pu x/xr
  // at 15 y50; the last point (1.2 * 8 y50 = 9.6 y50) lies between.
  const double x = 0.1;
  const double pu = (3.0 + kGamma * x / 5.0 + 0.5 * x / 12.0) * 60.0;
  const double residual = 0.72 * pu * x / xr;
  const double expected =
      0.72 * pu + (9.6 - 3.0) / 12.0 * (residual - 0.72 * pu);
  EXPECT_LT(relative(g.curves[0].excavation.points[16].p, expected), 1e-12);
  // Up to 3 y50 the static cube root.
  EXPECT_LT(relative(g.curves[0].excavation.points[9].p,
                     0.5 * pu * std::cbrt(0.225 * 8.0)),
            1e-12);
  // Below the critical depth every point beyond 3 y50 is 0.72 pu.
  ASSERT_GT(soil.curve_depths[2], xr);
  for (size_t i = 11; i < 17; ++i) {
    EXPECT_LT(relative(g.curves[2].excavation.points[i].p, 0.72 * 540.0), 1e-12)
        << i;
  }
  (void)y50;
}

TEST(SoftClay, SmallDeflectionModulusAndDefaultEps50) {
  // An epsilon-50 so small that the second point falls below 1E-14.
  const PySoil soil = build_py_soil(clay_wall(5.0, 1.0e-13, false), {});
  const Generation g = generate_curves(soil);
  const SideCurve& e = g.curves[0].excavation;
  ASSERT_TRUE(e.small_deflection_modulus.has_value());
  const double y50 = 2.5e-13 * 12.0;
  const double pu = e.points[16].p;
  EXPECT_LT(relative(*e.small_deflection_modulus,
                     0.5 * pu * std::pow(y50 / 1.0e-14, 2.0 / 3.0) / y50),
            1e-12);
  EXPECT_LT(
      relative(e.points[1].p, *e.small_deflection_modulus * e.points[1].y),
      1e-12);

  EXPECT_EQ(default_eps50(3.0, true), 0.02);
  EXPECT_EQ(default_eps50(double(3.4722223f), true), 0.01);  // 500 psf
  EXPECT_EQ(default_eps50(10.0, true), 0.005);
  EXPECT_EQ(default_eps50(200.0, false), 0.004);
}

// The equivalent depth solves A h^2 + B h = F below the critical depth
// (A = 0.5 gamma b + 0.25 c, B = 3 c b), and beyond it adds the remainder
// at the deep resistance 9 c b.
TEST(SoftClay, EquivalentDepthByHand) {
  const double b = 12.0, c = 4.0, g = kGamma;
  const double a = 0.5 * g * b + 0.25 * c, bb = 3.0 * c * b;
  const double xr = 6.0 * c * b / (g * b + 0.5 * c);
  const double at_xr = (a * xr + bb) * xr;
  const double small = 0.3 * at_xr;
  const double h = equivalent_depth_soft_clay(small, b, c, g, false);
  EXPECT_NEAR(a * h * h + bb * h, small, 1e-9 * small);
  EXPECT_NEAR(equivalent_depth_soft_clay(at_xr, b, c, g, false), xr, 1e-9);
  EXPECT_NEAR(equivalent_depth_soft_clay(at_xr + 4320.0, b, c, g, false),
              xr + 4320.0 / (9.0 * c * b), 1e-9);
  EXPECT_EQ(equivalent_depth_soft_clay(0.0, b, c, g, false), 0.0);

  // A soft layer under a stiffer one starts deeper than its own top.
  engine::Problem p = clay_wall(10.0, 0.01, false);
  engine::SoilLayer lower = p.soil.layers[0];
  p.soil.layers[0].bottom = 120.0;
  lower.top = 120.0;
  lower.at_top.strength = lower.at_bottom.strength = 2.0;
  p.soil.layers.push_back(lower);
  const Generation gen = generate_curves(build_py_soil(p, {}));
  ASSERT_EQ(gen.curves.size(), 10u);
  EXPECT_GT(gen.curves[5].excavation.depth, gen.curves[5].depth - 120.0);
}

TEST(Multipliers, TableLookUpAndSpacingFactor) {
  const std::vector<FactorRow> rows = {
      {0.0, 1.0, 1.0}, {10.0, 0.5, 0.8}, {10.0, 0.7, 0.9}, {20.0, 1.0, 1.0}};
  EXPECT_EQ(table_factor(rows, 10.0, true), 0.7);  // a step: the lower row
  EXPECT_EQ(table_factor(rows, 10.0, false), 0.9);
  EXPECT_DOUBLE_EQ(table_factor(rows, 5.0, true), 0.75);
  EXPECT_EQ(table_factor(rows, 20.0, true), 1.0);
  EXPECT_EQ(table_factor(rows, 25.0, true), 1.0);
  EXPECT_EQ(table_factor({{0.0, 0.5, 0.5}}, 0.0, true), 1.0);

  PySoil s;
  s.height = 10.0;
  s.spacing_ratio = 2.0;
  EXPECT_DOUBLE_EQ(p_multiplier(s, 12.0),
                   double(0.64f) * std::pow(2.0, double(0.34f)));
  EXPECT_EQ(p_multiplier(s, 5.0), 1.0);  // above the excavation line
  s.spacing_ratio = 4.0;
  EXPECT_EQ(p_multiplier(s, 12.0), 1.0);
  s.spacing_ratio = 1.0;
  EXPECT_EQ(p_multiplier(s, 12.0), 1.0);
  // The factor applies from s/b = 1.1 up to, not including, 3.75 (just
  // below 3.75 it is 1.0022).
  s.spacing_ratio = 3.74;
  EXPECT_DOUBLE_EQ(p_multiplier(s, 12.0),
                   double(0.64f) * std::pow(3.74, double(0.34f)));
  s.spacing_ratio = 3.75;
  EXPECT_EQ(p_multiplier(s, 12.0), 1.0);
  s.spacing_ratio = 1.1;
  EXPECT_DOUBLE_EQ(p_multiplier(s, 12.0),
                   double(0.64f) * std::pow(1.1, double(0.34f)));
  s.spacing_ratio = 1.0999;
  EXPECT_EQ(p_multiplier(s, 12.0), 1.0);
}

TEST(LookUps, LayerBoundariesAndProfileEnds) {
  std::vector<ProfilePoint> p(4);
  p[0] = {0.0, {2.0, 0.0, 0.02, 10.0, 0.0}};
  p[1] = {10.0, {5.0, 0.0, 0.0, 20.0, 0.0}};
  p[2] = {10.0, {3.0, 0.0, 0.01, 40.0, 0.0}};
  p[3] = {20.0, {4.0, 0.0, 0.03, 60.0, 0.0}};
  auto value = [&p](Property what, double z) {
    const Looked l = look_up(p, what, z);
    EXPECT_FALSE(l.stop.has_value());
    return l.value;
  };
  EXPECT_EQ(value(Property::kStrength, 10.0), 3.0);
  EXPECT_EQ(value(Property::kEps50, 10.0), 0.01);    // one given
  EXPECT_EQ(value(Property::kModulus, 10.0), 30.0);  // mean
  EXPECT_DOUBLE_EQ(value(Property::kStrength, 5.0), 3.5);
  EXPECT_EQ(value(Property::kStrength, 20.0), 4.0);
  EXPECT_EQ(value(Property::kEps50, 21.0), 0.0);
  const Looked beyond = look_up(p, Property::kStrength, 21.0);
  ASSERT_TRUE(beyond.stop.has_value());
  EXPECT_EQ(beyond.stop->code, 1);
  EXPECT_EQ(beyond.stop->depth, 21.0);

  // Average strength of the first layer: the mean of its top value and the
  // value at the depth; 0 below the layer within the profile; beyond the
  // profile a warning and the mean.
  bool warned = false;
  EXPECT_DOUBLE_EQ(average_strength(p, 0, 4.0, &warned), 0.5 * (2.0 + 3.2));
  EXPECT_EQ(average_strength(p, 0, 15.0, &warned), 0.0);
  EXPECT_FALSE(warned);
  std::vector<ProfilePoint> one(p.begin(), p.begin() + 2);
  EXPECT_DOUBLE_EQ(average_strength(one, 0, 12.0, &warned), 0.5 * (2.0 + 5.6));
  EXPECT_TRUE(warned);

  // Coefficients by relative depth, the end intervals extended.
  const CoefficientTable t{{0.0, 1.0, 2.0, 3.0}, {2.0, 1.5, 1.0, 1.0}};
  EXPECT_DOUBLE_EQ(coefficient(t, 0.5), 1.75);
  EXPECT_DOUBLE_EQ(coefficient(t, 5.0), 1.0);
  EXPECT_DOUBLE_EQ(coefficient(t, -1.0), 2.5);

  // Side profile: nothing at its surface; below the water table the
  // effective weight.
  SideProfile side;
  side.surface = 10.0;
  side.surface_stress = 1.0;
  side.rows = {{10.0, 20.0, 0.1, 0.1, 0.0}, {20.0, 40.0, 0.1, 0.1, 0.04}};
  const Looked at_surface = average_unit_weight(side, 0.0);
  const Looked sigma = vertical_stress(side, 20.0, true);
  const Looked gamma = average_unit_weight(side, 20.0);
  EXPECT_EQ(at_surface.value, 0.0);
  EXPECT_DOUBLE_EQ(sigma.value, 1.0 + 0.1 * 10.0 + 0.06 * 10.0);
  EXPECT_DOUBLE_EQ(gamma.value, 1.6 / 20.0);
  EXPECT_FALSE(at_surface.stop || sigma.stop || gamma.stop);
  const Looked deep = vertical_stress(side, 40.0, false);
  ASSERT_TRUE(deep.stop.has_value());
  EXPECT_EQ(deep.stop->code, 4);
}

}  // namespace
}  // namespace korvan::py
