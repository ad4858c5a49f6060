// Generated p-y curves of stiff clay without free water against Welch and
// Reese's equations computed by hand (Welch and Reese 1972, "Laterally
// loaded behavior of drilled shafts", Research Report 89-10, Center for
// Highway Research, University of Texas at Austin):
//   pu = min((0.5 x + 3 b) ca + gamma b x, 9 c b), y50 = 2.5 eps50 b,
//   p = 0.5 pu (y / y50)^(1/4) up to 16 y50, then pu;
//   N load cycles: p = min(pu, 0.5 pu (y / ((1 + 0.6 log10 N) y50))^(1/4)),
//   yu = 1.25 y50 (16 + 9.6 log10 N).
// Relative tolerance 1e-12 throughout: the hand values and the model's
// differ only by rounding.
#include <gtest/gtest.h>

#include <cmath>

#include "py/models.h"

namespace korvan::py {
namespace {

constexpr double kGamma = 110.0 / 1728.0;  // pci

// A wall of 40 increments of 12 in with its excavation line at H = 120 in
// and the soil from z0 = 24 in; one stiff clay layer whose strength grows
// linearly from 10 psi at z0 to 22 psi at 600 in, i.e. c = 12 + Z / 48 on
// the curve-depth scale. WA = 4 WP: no spacing factor.
engine::Problem stiff_wall(bool cyclic, double cycles) {
  engine::Problem p;
  p.control.unit_system = 1;
  p.control.py_option = 2;
  p.geometry.increments = 40;
  p.geometry.increment_length = 12.0;
  p.has_soil_profile = true;
  engine::EarthPressureWall& w = p.soil.wall;
  w.free_height = 120.0;
  w.width_pressure = 48.0;
  w.width_resistance = 12.0;
  w.water_backfill = w.water_excavation = 1.0e4;
  p.soil.loading = cyclic ? 0 : 1;
  p.soil.load_cycles = cycles;
  engine::SoilLayer l;
  l.type = 3;
  l.top = 24.0;
  l.bottom = 600.0;
  for (engine::SoilValues* v : {&l.at_top, &l.at_bottom}) {
    v->unit_weight = kGamma;
    v->epsilon50 = 0.005;
  }
  l.at_top.strength = 10.0;
  l.at_bottom.strength = 22.0;
  p.soil.layers = {l};
  return p;
}

// The driver's call for curve `k` of the single layer, which meets no stop.
ModelResult curve(const PySoil& soil, const std::vector<ProfilePoint>& profile,
                  size_t layer, int k, double above, double equivalent,
                  LayerState* state) {
  const DerivedLayer& d = soil.layers[layer];
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
                      state};
  ModelResult r = stiff_clay_without_water(in);
  EXPECT_FALSE(r.stop.has_value());
  return r;
}

double relative(double a, double b) { return std::fabs(a - b) / std::fabs(b); }

// Curve depth 96 (the second of the layer): c = 14, ca = (12 + 14) / 2 = 13.
// Excavation side x = 96; backfill side x = 96 + H - z0 = 192.
constexpr double kB = 12.0, kC = 14.0, kCa = 13.0, kY50 = 2.5 * 0.005 * 12.0;
const double kPuExcavation = (0.5 * 96.0 + 3.0 * kB) * kCa + kGamma * kB * 96.0;
const double kPuBackfill = 9.0 * kC * kB;

TEST(StiffClayWithoutWater, StaticUltimateResistanceAndPoints) {
  const PySoil soil = build_py_soil(stiff_wall(false, 0.0), {});
  const std::vector<ProfilePoint> profile = property_profile(soil);
  ASSERT_EQ(soil.curve_depths.size(), 5u);
  ASSERT_DOUBLE_EQ(soil.curve_depths[1], 96.0);  // (504 - 120) / 4
  LayerState state;
  const ModelResult r = curve(soil, profile, 0, 1, 0.0, 0.0, &state);

  // The backfill side is deep enough for 9 c b to govern.
  ASSERT_GT((0.5 * 192.0 + 3.0 * kB) * kCa + kGamma * kB * 192.0, kPuBackfill);
  ASSERT_LT(kPuExcavation, 9.0 * kC * kB);

  const SideCurve& e = r.excavation;
  const SideCurve& b = r.backfill;
  EXPECT_DOUBLE_EQ(e.depth, 96.0);
  EXPECT_DOUBLE_EQ(b.depth, 192.0);
  for (const SideCurve* s : {&e, &b}) {
    EXPECT_DOUBLE_EQ(s->strength, kC);
    EXPECT_DOUBLE_EQ(s->average_strength, kCa);
    EXPECT_DOUBLE_EQ(s->gamma, kGamma);
    EXPECT_EQ(s->eps50, 0.005);
    EXPECT_EQ(s->width, kB);
  }

  // y16 = 16 y50 = 2.4, yu = 20 y50 = 3 for one cycle.
  const double y16 = 16.0 * kY50;
  for (const auto& [s, pu] :
       {std::pair{&e, kPuExcavation}, std::pair{&b, kPuBackfill}}) {
    EXPECT_EQ(s->points[0].y, 0.0);
    EXPECT_EQ(s->points[0].p, 0.0);
    EXPECT_NEAR(s->points[1].y, 0.00001 * y16, 1e-18);
    EXPECT_NEAR(s->points[8].y, 0.025 * y16, 1e-15);
    EXPECT_LT(relative(s->points[8].p, 0.5 * pu * std::pow(0.4, 0.25)), 1e-12);
    EXPECT_LT(relative(s->points[13].p, 0.5 * pu * std::pow(8.0, 0.25)), 1e-12);
    EXPECT_NEAR(s->points[14].y, y16, 1e-14);
    EXPECT_NEAR(s->points[15].y, 2.7, 1e-14);
    EXPECT_NEAR(s->points[16].y, 3.0, 1e-14);
    for (size_t i = 14; i < 17; ++i) {
      EXPECT_LT(relative(s->points[i].p, pu), 1e-12) << i;
    }
  }
}

TEST(StiffClayWithoutWater, CyclicLoadCycles) {
  const PySoil cyclic = build_py_soil(stiff_wall(true, 100.0), {});
  const std::vector<ProfilePoint> profile = property_profile(cyclic);
  LayerState state;
  const SideCurve e = curve(cyclic, profile, 0, 1, 0.0, 0.0, &state).excavation;
  // N = 100: the deflection scale is (1 + 0.6 * 2) y50 = 0.33 and the
  // curve ends at yu = 1.25 * 0.15 * (16 + 19.2) = 6.6.
  const double pu = kPuExcavation, scale = 0.33;
  EXPECT_NEAR(e.points[16].y, 6.6, 1e-13);
  EXPECT_NEAR(e.points[15].y, 0.5 * (2.4 + 6.6), 1e-13);
  EXPECT_LT(relative(e.points[8].p, 0.5 * pu * std::pow(0.06 / scale, 0.25)),
            1e-12);
  EXPECT_LT(relative(e.points[14].p, 0.5 * pu * std::pow(2.4 / scale, 0.25)),
            1e-12);  // still below pu at y16
  EXPECT_LT(relative(e.points[15].p, 0.5 * pu * std::pow(4.5 / scale, 0.25)),
            1e-12);
  EXPECT_LT(relative(e.points[16].p, pu), 1e-12);  // the cap

  // One cycle of cyclic loading is the static curve.
  const PySoil once = build_py_soil(stiff_wall(true, 1.0), {});
  const PySoil still = build_py_soil(stiff_wall(false, 0.0), {});
  for (int k = 0; k < 5; ++k) {
    LayerState a, b;
    const ModelResult c1 = curve(once, profile, 0, k, 0.0, 0.0, &a);
    const ModelResult s1 = curve(still, profile, 0, k, 0.0, 0.0, &b);
    for (size_t i = 0; i < 17; ++i) {
      EXPECT_DOUBLE_EQ(c1.excavation.points[i].p, s1.excavation.points[i].p);
      EXPECT_DOUBLE_EQ(c1.excavation.points[i].y, s1.excavation.points[i].y);
      EXPECT_DOUBLE_EQ(c1.backfill.points[i].p, s1.backfill.points[i].p);
      EXPECT_DOUBLE_EQ(c1.backfill.points[i].y, s1.backfill.points[i].y);
    }
  }
}

// The load p0 = E / (s/b) - 2 c b, E read at Z + H; the multipliers at
// Z' = Z - z0 + H.
TEST(StiffClayWithoutWater, LoadAndMultipliers) {
  engine::Problem p = stiff_wall(false, 0.0);
  // Multipliers at Z' = 192: p 0.75, y 1.5 (at Z or Z + H they differ).
  p.py_factors = {{0.0, 1.0, 1.0}, {384.0, 0.5, 2.0}};
  // A wall load of 1200 d per station, 100 d per unit length.
  const PySoil soil = build_py_soil(p, {{0.0, 0.0}, {600.0, 720000.0}});
  const std::vector<ProfilePoint> profile = property_profile(soil);
  LayerState state;
  const ModelResult r = curve(soil, profile, 0, 1, 0.0, 0.0, &state);
  const double p0 = 100.0 * 216.0 / 4.0 - 2.0 * kC * kB;
  EXPECT_EQ(r.excavation.p_multiplier, 0.75);
  EXPECT_EQ(r.backfill.y_multiplier, 1.5);
  const double y = 0.025 * 16.0 * kY50;
  EXPECT_NEAR(r.excavation.points[8].y, 1.5 * y, 1e-15);
  EXPECT_LT(relative(r.excavation.points[8].p,
                     0.75 * 0.5 * kPuExcavation * std::pow(0.4, 0.25) - p0),
            1e-12);
  EXPECT_LT(relative(r.backfill.points[16].p, 0.75 * kPuBackfill + p0), 1e-12);
  EXPECT_LT(relative(r.excavation.points[0].p, -p0), 1e-12);
}

// s/b below 1.1: pu = (sigma + 2 c) b with sigma the side's vertical
// stress, and y50 on the alternative width of one foot. The excavation side
// takes the slope factor 1 / (1 + tan|theta|), a negative slope included.
TEST(StiffClayWithoutWater, ContinuousWallAndSlope) {
  engine::Problem p = stiff_wall(false, 0.0);
  p.soil.wall.width_pressure = p.soil.wall.width_resistance = 24.0;
  p.soil.wall.excavation_slope = -20.0;
  p.soil.surface.pressure = 5.0;
  const double b = 24.0;
  const double f = 1.0 / (1.0 + std::tan(20.0 / double(57.2958f)));
  LayerState state;
  {
    const PySoil soil = build_py_soil(p, {});
    const ModelResult r =
        curve(soil, property_profile(soil), 0, 1, 0.0, 0.0, &state);
    EXPECT_LT(
        relative(r.excavation.points[16].p, (kGamma * 96.0 + 2.0 * kC) * b * f),
        1e-12);
    EXPECT_LT(relative(r.backfill.points[16].p,
                       (5.0 + kGamma * 192.0 + 2.0 * kC) * b),
              1e-12);
    EXPECT_NEAR(r.excavation.points[14].y, 16.0 * 2.5 * 0.005 * 12.0, 1e-14);
    EXPECT_EQ(r.excavation.width, b);
  }
  // Spaced elements: the slope factor scales pu1 before the 9 c b cap.
  p.soil.wall.width_pressure = 96.0;
  const PySoil soil = build_py_soil(p, {});
  const ModelResult r =
      curve(soil, property_profile(soil), 0, 1, 0.0, 0.0, &state);
  const double pu1 = ((0.5 * 96.0 + 3.0 * b) * kCa + kGamma * b * 96.0) * f;
  ASSERT_LT(pu1, 9.0 * kC * b);
  EXPECT_LT(relative(r.excavation.points[16].p, pu1), 1e-12);
  EXPECT_NEAR(r.excavation.points[14].y, 16.0 * 2.5 * 0.005 * b, 1e-14);
}

// Welch and Reese's eps50 by strength: 0.011 below 1000 psf, 0.007 below
// 2000 psf, 0.005 below 4000 psf, then 0.004; the thresholds in psi and kPa
// as single-precision values.
TEST(StiffClayWithoutWater, DefaultEps50AtThresholds) {
  auto eps50 = [](double c, bool english) {
    engine::Problem p = stiff_wall(false, 0.0);
    engine::SoilLayer& l = p.soil.layers[0];
    for (engine::SoilValues* v : {&l.at_top, &l.at_bottom}) {
      v->strength = c;
      v->epsilon50 = 0.0;
    }
    if (!english) {
      p.control.unit_system = 2;
      p.geometry.increment_length = 0.3;
      p.soil.wall.free_height = 3.0;
      p.soil.wall.width_pressure = 1.2;
      p.soil.wall.width_resistance = 0.3;
      l.top = 0.6;
      l.bottom = 15.0;
      l.at_top.unit_weight = l.at_bottom.unit_weight = 18.0;
    }
    const PySoil soil = build_py_soil(p, {});
    LayerState state;
    const ModelResult r =
        curve(soil, property_profile(soil), 0, 1, 0.0, 0.0, &state);
    EXPECT_EQ(r.backfill.eps50, r.excavation.eps50);
    // y50 follows the default.
    EXPECT_NEAR(r.excavation.points[14].y,
                16.0 * 2.5 * r.excavation.eps50 * soil.width, 1e-12);
    return r.excavation.eps50;
  };
  auto below = [](float t) { return std::nextafter(double(t), 0.0); };
  EXPECT_EQ(eps50(below(6.9444447f), true), 0.011);
  EXPECT_EQ(eps50(double(6.9444447f), true), 0.007);
  EXPECT_EQ(eps50(below(13.888889f), true), 0.007);
  EXPECT_EQ(eps50(double(13.888889f), true), 0.005);
  EXPECT_EQ(eps50(below(27.777779f), true), 0.005);
  EXPECT_EQ(eps50(double(27.777779f), true), 0.004);
  EXPECT_EQ(eps50(below(47.88026f), false), 0.011);
  EXPECT_EQ(eps50(double(47.88026f), false), 0.007);
  EXPECT_EQ(eps50(double(95.76052f), false), 0.005);
  EXPECT_EQ(eps50(below(191.52104f), false), 0.005);
  EXPECT_EQ(eps50(double(191.52104f), false), 0.004);
}

// A weaker stiff clay under a stronger one: the upper layer's resistance
// sum (trapezoids of pu between its curve depths) sets the lower layer's
// equivalent depth, the depth at which the lower soil alone would build up
// the same sum: A h^2 + B h = F above xr, F(xr) + 9 c b (h - xr) below,
// with A = 0.5 gamma b + 0.25 c, B = 3 c b, xr = (9 c - 3 ca) b /
// (gamma b + 0.5 c).
TEST(StiffClayWithoutWater, EquivalentDepthUnderAnotherLayer) {
  // The function alone, checked against values worked out separately.
  const double b = 12.0, c = 8.0;
  EXPECT_EQ(equivalent_depth_stiff_clay_without_water(0.0, b, c, c, kGamma),
            0.0);
  EXPECT_NEAR(
      equivalent_depth_stiff_clay_without_water(20000.0, b, c, c, kGamma),
      49.32353695863255, 1e-9);
  EXPECT_NEAR(equivalent_depth_stiff_clay_without_water(69643.94169096209, b, c,
                                                        c, kGamma),
              120.90962099125363, 1e-9);  // F(xr): both branches give xr
  EXPECT_NEAR(
      equivalent_depth_stiff_clay_without_water(100000.0, b, c, c, kGamma),
      156.04394773782528, 1e-9);
  // An average strength below c moves xr deeper: 136.0233 with F(xr) =
  // 83246.27 for ca = 6, so 80000 now falls on the quadratic branch.
  EXPECT_NEAR(
      equivalent_depth_stiff_clay_without_water(80000.0, b, c, 6.0, kGamma),
      132.52391875442794, 1e-9);
  EXPECT_NEAR(
      equivalent_depth_stiff_clay_without_water(100000.0, b, c, 6.0, kGamma),
      155.41421012849582, 1e-9);

  // H = 60, soil from the top: 15 psi down to 180 (Z = 120), 8 psi below.
  engine::Problem p = stiff_wall(false, 0.0);
  p.soil.wall.free_height = 60.0;
  engine::SoilLayer lower = p.soil.layers[0];
  engine::SoilLayer& upper = p.soil.layers[0];
  upper.top = 0.0;
  upper.bottom = 180.0;
  upper.at_top.strength = upper.at_bottom.strength = 15.0;
  lower.top = 180.0;
  lower.at_top.strength = lower.at_bottom.strength = c;
  p.soil.layers.push_back(lower);
  const PySoil soil = build_py_soil(p, {});
  const std::vector<ProfilePoint> profile = property_profile(soil);
  ASSERT_EQ(soil.layers.size(), 2u);

  double sum = 0.0;
  LayerState state;
  double previous_pu = 0.0;
  for (int k = 0; k < 5; ++k) {
    const ModelResult r = curve(soil, profile, 0, k, 0.0, 0.0, &state);
    EXPECT_FALSE(r.equivalent_depth.has_value());
    const double pu = r.excavation.points[16].p;  // no p0, no multiplier
    const size_t i = static_cast<size_t>(k);
    const double expected =
        k == 0 ? 0.0
               : 0.5 * (previous_pu + pu) *
                     (soil.curve_depths[i] - soil.curve_depths[i - 1]);
    EXPECT_LT(std::fabs(r.resistance - expected), 1e-9 * (1.0 + expected)) << k;
    sum += r.resistance;
    previous_pu = pu;
  }

  // Lower layer, first depth Z = 120.1: c = ca = 8, gamma constant.
  LayerState lower_state;
  const ModelResult r = curve(soil, profile, 1, 5, sum, 0.0, &lower_state);
  ASSERT_TRUE(r.equivalent_depth.has_value());
  const double a = 0.5 * kGamma * b + 0.25 * c, bb = 3.0 * c * b;
  const double xr = (9.0 * c - 3.0 * c) * b / (kGamma * b + 0.5 * c);
  const double at_xr = (a * xr + bb) * xr;
  ASSERT_GT(sum, at_xr);  // the upper layer carries more than xr of it
  const double h = xr + (sum - at_xr) / (9.0 * b * c);
  EXPECT_LT(relative(*r.equivalent_depth, h), 1e-12);
  EXPECT_LT(relative(r.excavation.depth, 0.1 + h), 1e-12);
  EXPECT_LT(relative(r.backfill.depth, 0.1 + h + 60.0), 1e-12);
  EXPECT_EQ(r.resistance, 0.0);

  // The later depths of the layer use the equivalent depth so found, and
  // at that depth the lower clay is at its 9 c b.
  const ModelResult next =
      curve(soil, profile, 1, 6, sum, *r.equivalent_depth, &lower_state);
  EXPECT_LT(relative(next.excavation.depth, soil.curve_depths[6] - 120.0 + h),
            1e-12);
  EXPECT_LT(relative(next.excavation.points[16].p, 9.0 * c * b), 1e-12);
}

}  // namespace
}  // namespace korvan::py
