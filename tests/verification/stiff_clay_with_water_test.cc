// Generated p-y curves of stiff clay with free water against the equations
// of Reese, Cox and Koop (1975), "Field testing and analysis of laterally
// loaded piles in stiff clay", OTC 2312, computed by hand:
//   pc = min(2 ca b + gamma b x + 2.83 ca x, 11 c b), y50 = eps50 b,
//   static, u = As y50: 0.5 pc (y/y50)^0.5 to u; minus
//   0.055 pc ((y - u)/u)^1.25 to 6u; then falling at 0.0625 pc / y50 to
//   18u; then pc (0.5 (6 As)^0.5 - 0.75 As - 0.411);
//   cyclic, yp = 4.1 As y50: Ac pc (1 - |(y - 0.45 yp)/(0.45 yp)|^2.5) to
//   0.6 yp; then falling at 0.085 pc / y50 to 1.8 yp; then constant;
// every value capped by the initial line k x y. Plus the default eps50
// and k tables, the average strength, the layer's resistance sum and the
// equivalent depth of the layering method.
#include <gtest/gtest.h>

#include <cmath>

#include "py/models.h"

namespace korvan::py {
namespace {

constexpr double kGamma = 110.0 / 1728.0;  // pci, above the water tables

// A wall of 10 increments of 12 in (model bottom 144 in below the top),
// WP = 24 in and WA = 4 WP (no spacing factor), in one layer of stiff
// clay with free water from the top of the wall; eps50 0.005, k 500 pci.
// Curve depths 0.1, 36, 72, 108 and 143.9 in.
engine::Problem clay_wall(double c_top, double c_bottom, bool cyclic) {
  engine::Problem p;
  p.control.unit_system = 1;
  p.control.py_option = 2;
  p.geometry.increments = 10;
  p.geometry.increment_length = 12.0;
  p.has_soil_profile = true;
  engine::EarthPressureWall& w = p.soil.wall;
  w.width_pressure = 96.0;
  w.width_resistance = 24.0;
  w.water_backfill = w.water_excavation = 1.0e4;
  p.soil.loading = cyclic ? 0 : 1;
  engine::SoilLayer l;
  l.type = 2;
  l.bottom = 600.0;
  for (engine::SoilValues* v : {&l.at_top, &l.at_bottom}) {
    v->unit_weight = kGamma;
    v->epsilon50 = 0.005;
    v->subgrade_modulus = 500.0;
  }
  l.at_top.strength = c_top;
  l.at_bottom.strength = c_bottom;
  p.soil.layers = {l};
  return p;
}

// Runs a model over the curve depths of one layer as the driver does.
struct LayerRun {
  std::vector<ModelResult> results;
  double sum = 0.0;
  std::optional<PyStop> stop;
};
LayerRun run_layer(const PySoil& soil, size_t layer, double above,
                   Model model) {
  const std::vector<ProfilePoint> profile = property_profile(soil);
  LayerRun run;
  LayerState state;
  double equivalent = 0.0;
  const DerivedLayer& d = soil.layers[layer];
  for (int k = d.first_curve; k <= d.last_curve; ++k) {
    const bool first = k == d.first_curve;
    const size_t i = static_cast<size_t>(k);
    const ModelInput in{soil,
                        profile,
                        layer,
                        soil.curve_depths[i],
                        first ? 0.0 : soil.curve_depths[i - 1],
                        first,
                        above,
                        equivalent,
                        &state};
    run.results.push_back(model(in));
    if (!run.stop) run.stop = run.results.back().stop;
    if (run.results.back().equivalent_depth) {
      equivalent = *run.results.back().equivalent_depth;
    }
    run.sum += run.results.back().resistance;
  }
  return run;
}

// One call at curve depth z of the first layer.
ModelResult at_depth(const PySoil& soil, double z) {
  const std::vector<ProfilePoint> profile = property_profile(soil);
  LayerState state;
  const ModelInput in{soil, profile, 0, z, 0.0, true, 0.0, 0.0, &state};
  const ModelResult r = stiff_clay_with_water(in);
  EXPECT_FALSE(r.stop.has_value());
  return r;
}

double relative(double a, double b) { return std::fabs(a - b) / std::fabs(b); }

constexpr double kStaticU[17] = {0.0, 0.5,  1.0,  1.5,  2.0,  2.5,
                                 3.0, 3.5,  4.0,  4.5,  5.0,  5.5,
                                 6.0, 10.0, 14.0, 18.0, 150.0};

// x = 36 in, x/b = 1.5: As = 0.505 between the rows 1 and 2; the clay
// strength is constant, so ca = c on both sides, and pc1 < 11 c b.
TEST(StiffClayWithWater, StaticSegmentsByHand) {
  const PySoil soil = build_py_soil(clay_wall(10.0, 10.0, false), {});
  ASSERT_EQ(soil.curve_depths.size(), 5u);
  ASSERT_NEAR(soil.curve_depths[1], 36.0, 1e-12);
  const ModelResult r = at_depth(soil, 36.0);
  const double b = 24.0, c = 10.0, x = 36.0, y50 = 0.005 * b;
  const double as = 0.505;
  const double pc = 2.0 * c * b + (kGamma * b + 2.83 * c) * x;
  ASSERT_LT(pc, 11.0 * c * b);
  const double u = as * y50;
  for (const SideCurve* s : {&r.excavation, &r.backfill}) {
    const auto& p = s->points;
    for (size_t i = 0; i < 17; ++i) {
      EXPECT_LT(std::fabs(p[i].y - kStaticU[i] * u), 1e-14) << i;
    }
    EXPECT_EQ(p[0].p, 0.0);
    EXPECT_LT(relative(p[1].p, 0.5 * pc * std::sqrt(0.5 * as)), 1e-12);
    EXPECT_LT(relative(p[2].p, 0.5 * pc * std::sqrt(as)), 1e-12);
    EXPECT_LT(relative(p[6].p, pc * (0.5 * std::sqrt(3.0 * as) -
                                     0.055 * std::pow(2.0, 1.25))),
              1e-12);
    EXPECT_LT(relative(p[12].p, pc * (0.5 * std::sqrt(6.0 * as) -
                                      0.055 * std::pow(5.0, 1.25))),
              1e-12);
    EXPECT_LT(relative(p[13].p, pc * (0.5 * std::sqrt(6.0 * as) - 0.411 -
                                      0.0625 * 4.0 * as)),
              1e-12);
    EXPECT_LT(
        relative(p[16].p, pc * (0.5 * std::sqrt(6.0 * as) - 0.75 * as - 0.411)),
        1e-12);
    // Report values.
    EXPECT_DOUBLE_EQ(s->depth, x);
    EXPECT_EQ(s->width, b);
    EXPECT_DOUBLE_EQ(s->strength, c);
    EXPECT_DOUBLE_EQ(s->average_strength, c);
    EXPECT_DOUBLE_EQ(s->gamma, kGamma);
    EXPECT_EQ(s->eps50, 0.005);
    EXPECT_EQ(s->k, 500.0);
  }
}

// x = 36 in: Ac = 0.295, As = 0.505, yp = 4.1 As y50.
TEST(StiffClayWithWater, CyclicSegmentsByHand) {
  const PySoil soil = build_py_soil(clay_wall(10.0, 10.0, true), {});
  const ModelResult r = at_depth(soil, 36.0);
  const double b = 24.0, c = 10.0, x = 36.0, y50 = 0.005 * b;
  const double as = 0.505, ac = 0.295;
  const double pc = 2.0 * c * b + (kGamma * b + 2.83 * c) * x;
  const double yp = 4.1 * as * y50;
  const auto& p = r.excavation.points;
  EXPECT_EQ(p[0].p, 0.0);
  EXPECT_LT(std::fabs(p[3].y - 0.15 * yp), 1e-14);
  EXPECT_LT(relative(p[3].p, ac * pc * (1.0 - std::pow(0.30 / 0.45, 2.5))),
            1e-12);
  EXPECT_LT(relative(p[9].p, ac * pc), 1e-12);  // the peak at 0.45 yp
  EXPECT_LT(relative(p[12].p, ac * pc * (1.0 - std::pow(1.0 / 3.0, 2.5))),
            1e-12);
  EXPECT_LT(std::fabs(p[14].y - 1.4 * yp), 1e-14);
  EXPECT_LT(relative(p[14].p, 0.936 * ac * pc - 0.085 * pc * 0.8 * yp / y50),
            1e-12);
  EXPECT_LT(std::fabs(p[16].y - 20.0 * yp), 1e-13);
  EXPECT_LT(relative(p[16].p, 0.936 * ac * pc - 0.102 * pc * yp / y50), 1e-12);
}

// Deeper than 4 b the coefficients stay at As = 0.60 and Ac = 0.30; with
// pc1 above 11 c b the ultimate resistance is 11 c b.
TEST(StiffClayWithWater, DeepCoefficientsAndFinalValues) {
  const double b = 24.0, c = 10.0, pc = 11.0 * c * b;
  for (double z : {108.0, 143.9}) {
    const PySoil soil = build_py_soil(clay_wall(c, c, false), {});
    const auto& p = at_depth(soil, z).excavation.points;
    EXPECT_LT(relative(p[16].p, pc * (0.5 * std::sqrt(3.6) - 0.45 - 0.411)),
              1e-12)
        << z;
    EXPECT_LT(relative(p[14].p, pc * (0.5 * std::sqrt(3.6) - 0.411 - 0.3)),
              1e-12)
        << z;  // 14u on the third segment: 0.0625 * 8 * 0.6 = 0.3
    EXPECT_LT(std::fabs(p[16].y - 150.0 * 0.6 * 0.005 * b), 1e-12);

    const PySoil cyclic = build_py_soil(clay_wall(c, c, true), {});
    const auto& q = at_depth(cyclic, z).excavation.points;
    const double yp_over_y50 = 4.1 * 0.6;
    EXPECT_LT(relative(q[16].p, 0.936 * 0.3 * pc - 0.102 * pc * yp_over_y50),
              1e-12);
    EXPECT_LT(
        relative(q[13].p, 0.936 * 0.3 * pc - 0.085 * pc * 0.4 * yp_over_y50),
        1e-12);
  }
}

// Near the surface the initial line k x y lies below the curve for small
// deflections; at the surface itself it is zero, so only p0 remains.
TEST(StiffClayWithWater, InitialLineCapAndSurfaceValues) {
  {
    const PySoil soil = build_py_soil(clay_wall(10.0, 10.0, false), {});
    const double x = 0.1, b = 24.0, c = 10.0;
    const double as = 0.223 + 0.237 * x / b;
    const double pc = 2.0 * c * b + (kGamma * b + 2.83 * c) * x;
    const auto& p = at_depth(soil, x).excavation.points;
    const double kx = 500.0 * x;
    EXPECT_LT(relative(p[1].p, kx * p[1].y), 1e-12);
    EXPECT_LT(relative(p[12].p, kx * p[12].y), 1e-12);
    ASSERT_LT(pc * (0.5 * std::sqrt(6.0 * as) - 0.75 * as - 0.411),
              kx * p[16].y);
    EXPECT_LT(
        relative(p[16].p, pc * (0.5 * std::sqrt(6.0 * as) - 0.75 * as - 0.411)),
        1e-9);
  }
  // p0 = E / (s/b) - 2 c b = 27840 / 12 / 4 - 480 = 100 lb/in.
  for (bool cyclic : {false, true}) {
    const std::vector<std::pair<double, double>> pressure = {{0.0, 27840.0},
                                                             {600.0, 27840.0}};
    const PySoil soil = build_py_soil(clay_wall(10.0, 10.0, cyclic), pressure);
    const ModelResult r = at_depth(soil, 0.0);
    for (size_t i = 0; i < 17; ++i) {
      EXPECT_EQ(r.excavation.points[i].p, -100.0) << i;
      EXPECT_EQ(r.backfill.points[i].p, 100.0) << i;  // no free height
    }
    EXPECT_GT(r.excavation.points[16].y, 0.0);
  }
}

// A sloping excavation surface scales pc1 on the excavation side by
// f = 1 / (1 + tan|theta|). A continuous wall (s/b below 1.1) has
// pc = (sigma + 2 c) b (times f on the excavation side), and y50 and the
// relative depths use the alternative width b' = 12 in.
TEST(StiffClayWithWater, SlopeAndContinuousWall) {
  const double theta = 20.0 / double(57.2958f);
  const double f = 1.0 / (1.0 + std::tan(theta));
  auto final_value = [](double as) {
    return 0.5 * std::sqrt(6.0 * as) - 0.75 * as - 0.411;
  };
  engine::Problem p = clay_wall(10.0, 10.0, false);
  p.soil.wall.excavation_slope = -20.0;  // its size counts
  ModelResult r = at_depth(build_py_soil(p, {}), 36.0);
  const double pc1 = 480.0 + (kGamma * 24.0 + 28.3) * 36.0;
  EXPECT_LT(relative(r.excavation.points[16].p, f * pc1 * final_value(0.505)),
            1e-12);
  EXPECT_LT(relative(r.backfill.points[16].p, pc1 * final_value(0.505)), 1e-12);

  p.soil.wall.width_pressure = 24.0;
  r = at_depth(build_py_soil(p, {}), 36.0);
  const double as = 0.59;  // x / b' = 3
  const double pc = (kGamma * 36.0 + 20.0) * 24.0;
  EXPECT_LT(std::fabs(r.excavation.points[2].y - as * 0.005 * 12.0), 1e-15);
  EXPECT_LT(relative(r.excavation.points[16].p, f * pc * final_value(as)),
            1e-12);
  EXPECT_LT(relative(r.backfill.points[16].p, pc * final_value(as)), 1e-12);
}

// Default eps50 and k where the profile gives none, at the thresholds of
// 1000, 2000 and 4000 psf (English psi, metric kPa): each threshold
// belongs to the stiffer row.
TEST(StiffClayWithWater, DefaultEps50AndKAtThresholds) {
  struct Row {
    double c;
    double eps50;
    double k;
  };
  auto check = [](bool english, const std::vector<Row>& rows) {
    for (const Row& row : rows) {
      engine::Problem p = clay_wall(row.c, row.c, false);
      if (!english) {
        p.control.unit_system = 2;
        p.geometry.increment_length = 0.3;
        p.soil.wall.width_pressure = 2.4;
        p.soil.wall.width_resistance = 0.6;
        p.soil.layers[0].bottom = 15.0;
      }
      for (engine::SoilValues* v :
           {&p.soil.layers[0].at_top, &p.soil.layers[0].at_bottom}) {
        v->epsilon50 = 0.0;
        v->subgrade_modulus = 0.0;
      }
      const PySoil soil = build_py_soil(p, {});
      const ModelResult r = at_depth(soil, soil.curve_depths[1]);
      EXPECT_EQ(r.excavation.eps50, row.eps50) << row.c;
      EXPECT_EQ(r.excavation.k, row.k) << row.c;
      EXPECT_EQ(r.backfill.k, row.k) << row.c;
      // u = As y50 with y50 = eps50 b and As = 0.505 at x / b = 1.5.
      EXPECT_LT(relative(r.excavation.points[2].y,
                         0.505 * row.eps50 * (english ? 24.0 : 0.6)),
                1e-12);
    }
  };
  const auto below = [](float t) { return std::nextafter(double(t), 0.0); };
  check(true, {{below(6.9444447f), 0.011, 250.0},
               {double(6.9444447f), 0.007, 500.0},
               {below(13.888889f), 0.007, 500.0},
               {double(13.888889f), 0.005, 1000.0},
               {below(27.777779f), 0.005, 1000.0},
               {double(27.777779f), 0.004, 2000.0}});
  check(false, {{below(47.88026f), 0.011, 67861.78125},
                {double(47.88026f), 0.007, 135723.5625},
                {double(95.76052f), 0.005, 271447.125},
                {below(191.52104f), 0.005, 271447.125},
                {double(191.52104f), 0.004, 542894.25}});
}

// Average strength ca. First layer, excavation side: the mean of the
// strength at the layer top and at Z. Elsewhere, a running mean of the
// strengths at the layer's curve depths, advanced once per curve depth so
// that both sides of a curve see the same ca. With a free height of 60 in
// the backfill-side depth is Z + 60 while the strength is read at Z.
TEST(StiffClayWithWater, AverageStrengthAndResistanceSum) {
  engine::Problem p = clay_wall(6.0, 10.0, false);
  p.geometry.increments = 20;  // model bottom 264 - 60 = 204 in on Z
  p.soil.wall.free_height = 60.0;
  p.soil.layers[0].bottom = 120.0;
  engine::SoilLayer lower = p.soil.layers[0];
  lower.top = 120.0;
  lower.bottom = 600.0;
  lower.at_top.strength = 8.0;
  lower.at_bottom.strength = 24.0;
  p.soil.layers.push_back(lower);
  const PySoil soil = build_py_soil(p, {});
  ASSERT_EQ(soil.layers.size(), 2u);
  ASSERT_EQ(soil.curve_depths.size(), 10u);

  // Upper layer on Z: 0 to 60, c from 8 to 10.
  const LayerRun upper = run_layer(soil, 0, 0.0, stiff_clay_with_water);
  ASSERT_FALSE(upper.stop.has_value());
  auto c_upper = [](double z) { return 8.0 + z / 30.0; };
  double sum = 0.0;
  for (size_t k = 0; k < 5; ++k) {
    const double z = soil.curve_depths[k];
    sum += c_upper(z);
    const ModelResult& r = upper.results[k];
    EXPECT_NEAR(r.excavation.average_strength, 0.5 * (8.0 + c_upper(z)), 1e-12)
        << k;
    EXPECT_NEAR(r.backfill.average_strength, sum / double(k + 1), 1e-12) << k;
    EXPECT_NEAR(r.backfill.depth, z + 60.0, 1e-12);
    EXPECT_NEAR(r.backfill.strength, c_upper(z), 1e-12);
    EXPECT_FALSE(r.equivalent_depth.has_value());
  }

  // Lower layer on Z: 60 to 204, c = 8 + (Z - 60) / 30.
  const double above = 5000.0;
  const LayerRun lower_run = run_layer(soil, 1, above, stiff_clay_with_water);
  ASSERT_FALSE(lower_run.stop.has_value());
  auto c_lower = [](double z) { return 8.0 + (z - 60.0) / 30.0; };
  sum = 0.0;
  for (size_t k = 0; k < 5; ++k) {
    const double z = soil.curve_depths[5 + k];
    sum += c_lower(z);
    const ModelResult& r = lower_run.results[k];
    EXPECT_NEAR(r.excavation.average_strength, sum / double(k + 1), 1e-12) << k;
    EXPECT_EQ(r.backfill.average_strength, r.excavation.average_strength);
    EXPECT_NEAR(r.excavation.depth, z, 1e-12);  // the true depth
  }

  // The equivalent depth from the layer's properties at its first depth,
  // where ca = c.
  const double z1 = soil.curve_depths[5];
  ASSERT_TRUE(lower_run.results[0].equivalent_depth.has_value());
  EXPECT_DOUBLE_EQ(*lower_run.results[0].equivalent_depth,
                   equivalent_depth_stiff_clay_with_water(
                       above, 24.0, 24.0, c_lower(z1), c_lower(z1),
                       lower_run.results[0].excavation.gamma, false));

  // Resistance sum: from Z = 96 on x / b >= 4 and pc = 11 c b, so each
  // step adds 0.5 (pc' + pc) dZ (1.225 As^0.5 - 0.411 - 0.75 As), As = 0.6.
  const double residual = 1.225 * std::sqrt(0.6) - 0.411 - 0.45;
  EXPECT_EQ(lower_run.results[0].resistance, 0.0);
  for (size_t k = 2; k < 5; ++k) {
    const double z = soil.curve_depths[5 + k];
    const double zp = soil.curve_depths[4 + k];
    const double expected =
        0.5 * 11.0 * 24.0 * (c_lower(zp) + c_lower(z)) * (z - zp) * residual;
    EXPECT_LT(relative(lower_run.results[k].resistance, expected), 1e-12) << k;
  }
  // The cyclic residual factor 0.936 Ac - 0.418 As.
  p.soil.loading = 0;
  const LayerRun cyclic =
      run_layer(build_py_soil(p, {}), 1, above, stiff_clay_with_water);
  const double zp = soil.curve_depths[8], z = soil.curve_depths[9];
  EXPECT_LT(relative(cyclic.results[4].resistance,
                     0.5 * 11.0 * 24.0 * (c_lower(zp) + c_lower(z)) * (z - zp) *
                         (0.936 * 0.3 - 0.418 * 0.6)),
            1e-12);
}

// Equivalent depth of a stiff clay layer (b = 24 in, c = ca = 10 psi,
// gamma = 110 pcf) under a soft clay or sand layer whose resistance sum is
// F: pc(x) = 2 ca b + (gamma b + 2.83 ca) x summed over 40 steps of
// xl / 40, xl = (11 c - 2 ca) b / (gamma b + 2.83 ca), each step weighted
// by the residual factor at its depth. Reference values from an
// independent calculation of these sums; the first and the last-step rules
// by hand.
TEST(StiffClayWithWater, EquivalentDepthByHand) {
  const double b = 24.0, c = 10.0, g = kGamma;
  EXPECT_NEAR(
      equivalent_depth_stiff_clay_with_water(2000.0, b, b, c, c, g, false),
      32.64794273395634, 1e-9);  // within step 19
  EXPECT_NEAR(
      equivalent_depth_stiff_clay_with_water(5000.0, b, b, c, c, g, false),
      52.8095755121728, 1e-9);  // step 30
  EXPECT_NEAR(
      equivalent_depth_stiff_clay_with_water(2000.0, b, b, c, c, g, true),
      26.440052627354362, 1e-9);  // step 15
  EXPECT_NEAR(
      equivalent_depth_stiff_clay_with_water(5000.0, b, b, c, c, g, true),
      56.69981571760413, 1e-9);  // step 32
  EXPECT_EQ(equivalent_depth_stiff_clay_with_water(0.0, b, b, c, c, g, false),
            0.0);

  // Within the first step h = d F / G(1).
  const double slope = g * b + 2.83 * c;
  const double xl = (11.0 * c - 2.0 * c) * b / slope;
  const double d = xl / 40.0;
  const double as1 = 0.223 + 0.237 * d / b;
  const double g1 = (2.0 * c * b + slope * d) * d *
                    (1.225 * std::sqrt(as1) - 0.411 - 0.75 * as1);
  EXPECT_NEAR(
      equivalent_depth_stiff_clay_with_water(0.25 * g1, b, b, c, c, g, false),
      0.25 * d, 1e-12);

  // Beyond the 40 steps the remainder is carried at 11 b c R(xl).
  const double r = xl / b;  // between the rows 3 and 4
  const double as = 0.59 + (r - 3.0) * 0.01;
  const double residual = 1.225 * std::sqrt(as) - 0.411 - 0.75 * as;
  const double h1 =
      equivalent_depth_stiff_clay_with_water(2.0e5, b, b, c, c, g, false);
  const double h2 =
      equivalent_depth_stiff_clay_with_water(3.0e5, b, b, c, c, g, false);
  EXPECT_GT(h1, xl);
  EXPECT_NEAR(h2 - h1, 1.0e5 / (11.0 * b * c * residual), 1e-6);
}

}  // namespace
}  // namespace korvan::py
