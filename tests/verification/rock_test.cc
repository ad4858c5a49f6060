// Rock and weak-rock p-y curves against hand calculations. Rock: the lines
// kr = 2000 su to y1 = 0.0004 b and slope 100 su to y2 = 0.0024 b, then
// 0.5 gamma b x (Reese and Nyman 1978). Weak rock: Reese (1997), "Analysis
// of laterally loaded piles in weak rock", J. Geotech. Geoenviron. Eng.
// 123(11), eqs. for pur, kir, yrm and yA; the expected numbers were worked
// out separately from those equations and agree to 1E-11 (relative).
#include <gtest/gtest.h>

#include <cmath>

#include "py/generator.h"
#include "py/models.h"

namespace korvan::py {
namespace {

constexpr double kGamma = 0.09;  // pci
constexpr double kB = 24.0;      // WP, in

engine::SoilLayer layer(int type, double top, double bottom, double strength,
                        double strength_bottom, double krm, double modulus,
                        double rqd) {
  engine::SoilLayer l;
  l.type = type;
  l.top = top;
  l.bottom = bottom;
  for (engine::SoilValues* v : {&l.at_top, &l.at_bottom}) {
    *v = {kGamma, strength, 0.0, krm, modulus, rqd};
  }
  l.at_bottom.strength = strength_bottom;
  return l;
}

// A wall of 40 increments of 12 in (curves down to 504 in below its top)
// with free height h; WA = 4 WP unless given, so no spacing factor.
engine::Problem wall(double h, std::vector<engine::SoilLayer> layers,
                     double wa = 4.0 * kB) {
  engine::Problem p;
  p.control.unit_system = 1;
  p.control.py_option = 2;
  p.geometry.increments = 40;
  p.geometry.increment_length = 12.0;
  p.has_soil_profile = true;
  engine::EarthPressureWall& w = p.soil.wall;
  w.free_height = h;
  w.width_pressure = wa;
  w.width_resistance = kB;
  w.water_backfill = w.water_excavation = 1.0e4;
  p.soil.loading = 1;
  p.soil.layers = std::move(layers);
  return p;
}

ModelResult at_depth(Model model, const PySoil& soil, size_t layer, double z,
                     bool first) {
  const std::vector<ProfilePoint> profile = property_profile(soil);
  LayerState state;
  const ModelInput in{soil, profile, layer, z, 0.0, first, 0.0, 0.0, &state};
  return model(in);
}

// The k-th curve depth of the soil.
ModelResult at_curve(Model model, const PySoil& soil, size_t layer, size_t k) {
  const bool first = static_cast<int>(k) == soil.layers[layer].first_curve;
  return at_depth(model, soil, layer, soil.curve_depths[k], first);
}

double relative(double a, double b) { return std::fabs(a - b) / std::fabs(b); }

TEST(Rock, CurveByHand) {
  const PySoil soil =
      build_py_soil(wall(0.0, {layer(6, 0, 600, 1000, 1000, 0, 0, 0)}), {});
  const ModelResult r = at_curve(rock, soil, 0, 1);  // Z = 126
  ASSERT_FALSE(r.stop);
  EXPECT_EQ(r.resistance, 0.0);
  EXPECT_FALSE(r.equivalent_depth);
  const SideCurve& e = r.excavation;
  EXPECT_EQ(e.strength, 1000.0);  // qu, printed as it is
  EXPECT_EQ(e.depth, 126.0);
  // su = 500, kr = 1E6, y1 = 0.0096, p1 = 9600, y2 = 0.0024 b = 0.0576.
  for (size_t j = 0; j < 17; ++j) {
    EXPECT_NEAR(e.points[j].y, 0.0576 * static_cast<double>(j) / 15.0, 1e-15);
  }
  EXPECT_EQ(e.points[0].p, 0.0);
  EXPECT_LT(relative(e.points[1].p, 3840.0), 1e-12);  // on kr
  EXPECT_LT(relative(e.points[2].p, 7680.0), 1e-12);
  EXPECT_LT(relative(e.points[3].p, 9696.0), 1e-12);    // 9600 + 5E4 * 0.00192
  EXPECT_LT(relative(e.points[14].p, 11808.0), 1e-12);  // short of b su
  // The 16th point lies at y2 and both last points carry 0.5 gamma b x.
  EXPECT_LT(relative(e.points[15].p, 0.5 * kGamma * kB * 126.0), 1e-12);
  EXPECT_LT(relative(e.points[16].p, 0.5 * kGamma * kB * 126.0), 1e-12);
}

// Free height 120 in, soil from 48 in, qu from 1000 to 2000 over 48-600;
// the excavation side under water. Multiplier table: p 0.5 and y 2.
TEST(Rock, SidesAndMultipliers) {
  engine::Problem p = wall(120.0, {layer(6, 48, 600, 1000, 2000, 0, 0, 0)}, kB);
  p.soil.wall.water_excavation = 120.0;
  p.py_factors = {{0.0, 0.5, 2.0}, {1000.0, 0.5, 2.0}};
  const PySoil soil = build_py_soil(p, {});
  const ModelResult r = at_curve(rock, soil, 0, 1);  // Z = 96
  ASSERT_FALSE(r.stop);
  // Both sides read qu at the curve's own elevation, 216 in.
  const double qu = 1000.0 + 168.0 / 552.0 * 1000.0;
  const double su = 0.5 * qu;
  const double gamma_e = kGamma - double(0.036f);
  for (const SideCurve* s : {&r.excavation, &r.backfill}) {
    EXPECT_LT(relative(s->strength, qu), 1e-12);
    EXPECT_NEAR(s->points[1].y, 2.0 * 0.0576 / 15.0, 1e-15);
    EXPECT_LT(relative(s->points[1].p, 2000.0 * su * 0.00384 * 0.5), 1e-12);
    EXPECT_LT(relative(s->points[3].p,
                       (2000.0 * su * 0.0096 + 100.0 * su * 0.00192) * 0.5),
              1e-12);
  }
  EXPECT_EQ(r.excavation.depth, 96.0);
  EXPECT_EQ(r.backfill.depth, 168.0);  // Z + H - z0
  EXPECT_LT(relative(r.excavation.gamma, gamma_e), 1e-12);
  EXPECT_LT(relative(r.backfill.gamma, kGamma), 1e-12);
  // The plateau takes no multiplier.
  EXPECT_LT(relative(r.excavation.points[16].p, 0.5 * gamma_e * kB * 96.0),
            1e-12);
  EXPECT_LT(relative(r.backfill.points[16].p, 0.5 * kGamma * kB * 168.0),
            1e-12);
}

// qur = 1000 psi, Er = 1E5 psi, krm = 0.0005 (yrm = 0.012), RQD 40.
const engine::SoilLayer kWeak = layer(7, 0, 600, 1000, 1000, 5e-4, 1e5, 40);

TEST(WeakRock, ReeseEquationsAboveAndBelowThreeB) {
  const PySoil soil = build_py_soil(wall(0.0, {kWeak}), {});
  // xr = 0.1 (+1E-8): pur = 17702.67, Kir = 1.00556E7, yA = 3.6848E-4.
  const ModelResult a = at_curve(weak_rock, soil, 0, 0);
  EXPECT_FALSE(a.stop);
  const SideCurve& s = a.excavation;
  EXPECT_NEAR(s.points[0].y, 6e-6, 1e-18);
  EXPECT_LT(relative(s.points[5].p, 2413.333334666667), 1e-11);   // Kir y
  EXPECT_LT(relative(s.points[6].p, 3958.436607264324), 1e-11);   // past yA
  EXPECT_LT(relative(s.points[13].p, 8851.333338466668), 1e-11);  // pur / 2
  EXPECT_LT(relative(s.points[16].p, 16474.18762861898), 1e-11);
  EXPECT_EQ(s.strength, 1000.0);
  EXPECT_EQ(s.modulus, 1e5);
  EXPECT_EQ(s.krm, 5e-4);
  EXPECT_EQ(s.rqd, 40.0);
  EXPECT_EQ(a.resistance, 0.0);
  EXPECT_FALSE(a.equivalent_depth);
  // xr = 126 > 3 b: pur = 91520, Kir = 5E7, yA = 3.8812E-4.
  const ModelResult b = at_curve(weak_rock, soil, 0, 1);
  const SideCurve& d = b.excavation;
  EXPECT_LT(relative(d.points[5].p, 12000.0), 1e-11);
  EXPECT_LT(relative(d.points[6].p, 20464.49413007808), 1e-11);
  EXPECT_LT(relative(d.points[13].p, 45760.0), 1e-11);
  EXPECT_LT(relative(d.points[16].p, 85168.95670502417), 1e-11);
  EXPECT_FALSE(b.stop);
}

TEST(WeakRock, ContinuousAtThreeB) {
  const PySoil soil = build_py_soil(wall(0.0, {kWeak}), {});
  const ModelResult above = at_depth(weak_rock, soil, 0, 71.99999, false);
  const ModelResult below = at_depth(weak_rock, soil, 0, 72.00001, false);
  for (size_t j = 0; j < 17; ++j) {
    EXPECT_LT(
        relative(above.excavation.points[j].p, below.excavation.points[j].p),
        1e-6)
        << j;
  }
  EXPECT_LT(relative(above.excavation.points[13].p, 45760.0), 1e-6);
}

TEST(WeakRock, FullQualityRockAndPMultiplier) {
  engine::SoilLayer l = kWeak;
  l.at_top.k_or_rqd = l.at_bottom.k_or_rqd = 100.0;  // alpha_r = 1/3
  const PySoil soil = build_py_soil(wall(0.0, {l}, 2.0 * kB), {});
  const ModelResult r = at_curve(weak_rock, soil, 0, 1);
  const double pm = double(0.64f) * std::pow(2.0, double(0.34f));
  const SideCurve& s = r.excavation;
  EXPECT_LT(relative(s.p_multiplier, pm), 1e-12);
  // pur = 5.2 qur b / 3 = 41600, Kir = 5E7, yA = 1.3564E-4.
  EXPECT_LT(relative(s.points[4].p, 5400.0 * pm), 1e-11);
  EXPECT_LT(relative(s.points[5].p, 7822.0544336197 * pm), 1e-11);
  EXPECT_LT(relative(s.points[16].p, 38713.16213864736 * pm), 1e-11);
  EXPECT_NEAR(s.points[16].y, 12.0 * 0.012, 1e-15);  // ym = 1
}

// Free height 24: weak rock 0-48 (cut at 24), clay 48-72, rock 72-96,
// weak rock 96-600. xr counts from the cut and through the rock above,
// but stops at the clay.
TEST(WeakRock, DepthBelowRockTopAndSides) {
  const PySoil soil =
      build_py_soil(wall(24.0, {layer(7, 0, 48, 1000, 1000, 5e-4, 1e5, 40),
                                layer(1, 48, 72, 5, 5, 0.01, 0, 0),
                                layer(6, 72, 96, 1000, 1000, 0, 0, 0), kWeak}),
                    {});
  ASSERT_EQ(soil.layers.size(), 4u);
  // xr = 0.1 at Z = 0.1 (not 24.1): the values of the single layer above.
  const ModelResult top = at_curve(weak_rock, soil, 0, 0);
  EXPECT_LT(relative(top.excavation.points[16].p, 16474.18762861898), 1e-11);
  // Z = 72.1: xr = 0.1 + 24 of rock; pur = 42342.67, Kir = 2.33889E7.
  const size_t k = static_cast<size_t>(soil.layers[3].first_curve);
  const ModelResult r = at_curve(weak_rock, soil, 3, k);
  EXPECT_LT(relative(r.excavation.points[5].p, 5613.333334666668), 1e-11);
  EXPECT_LT(relative(r.excavation.points[16].p, 39404.29135689472), 1e-11);
  EXPECT_LT(relative(r.excavation.depth, 72.1), 1e-12);
  EXPECT_LT(relative(r.backfill.depth, 96.1), 1e-12);  // Z + H - z0
  EXPECT_EQ(r.backfill.points[16].p, r.excavation.points[16].p);
}

// The small-deflection limit 2.0E-5 b (4.8E-4 here) changes no value:
// with Er = 5E5 (yA = 4.539E-5) the points at 7.2E-5 to 2.4E-4 lie
// between yA and the limit and stay on the quarter-power branch, under
// both Kir y and (at 2.4E-4) the secant to the curve at the limit.
TEST(WeakRock, SmallDeflectionsStayOnReeseCurve) {
  engine::SoilLayer l = kWeak;
  l.at_top.subgrade_modulus = l.at_bottom.subgrade_modulus = 5e5;
  const PySoil soil = build_py_soil(wall(0.0, {l}), {});
  const SideCurve s = at_curve(weak_rock, soil, 0, 1).excavation;
  EXPECT_LT(relative(s.points[2].p, 9000.0), 1e-11);  // Kir y below yA
  EXPECT_LT(relative(s.points[3].p, 12735.72956067408), 1e-11);
  EXPECT_LT(relative(s.points[5].p, 17208.51975396334), 1e-11);
  EXPECT_LT(relative(s.points[6].p, 20464.49413007808), 1e-11);  // at 4.8E-4
  EXPECT_FALSE(s.small_deflection_modulus);
}

// Below the profiles both the strength and the unit weight are beyond
// their extent: the first look-up's stop (the strength) is the one given.
TEST(Rock, FirstStopMetIsTheOneGiven) {
  const PySoil soil =
      build_py_soil(wall(0.0, {layer(6, 0, 600, 1000, 1000, 0, 0, 0)}), {});
  ASSERT_TRUE(average_unit_weight(soil.excavation, 700.0).stop);
  const ModelResult r = at_depth(rock, soil, 0, 700.0, false);
  ASSERT_TRUE(r.stop);
  EXPECT_EQ(r.stop->code, 1);
  EXPECT_EQ(r.stop->curve, "STRENGTH");
  EXPECT_EQ(r.stop->depth, 700.0);
}

TEST(WeakRock, ZeroStrengthStopsAfterFirstDepth) {
  engine::SoilLayer l = kWeak;
  l.at_top.strength = l.at_bottom.strength = 0.0;
  const PySoil soil = build_py_soil(wall(0.0, {l}), {});
  const ModelResult first = at_curve(weak_rock, soil, 0, 0);
  EXPECT_FALSE(first.stop);
  for (const CurvePoint& p : first.excavation.points) EXPECT_EQ(p.p, 0.0);
  const ModelResult second = at_curve(weak_rock, soil, 0, 1);
  ASSERT_TRUE(second.stop);
  EXPECT_EQ(second.stop->code, 5);
  EXPECT_EQ(second.stop->depth, 126.0);

  // The driver keeps the curves before the stop, none of the stopping
  // depth, and hands the stop on.
  const Generation g = generate_curves(soil);
  ASSERT_EQ(g.curves.size(), 1u);
  EXPECT_EQ(g.curves[0].excavation.points[16].p, 0.0);
  ASSERT_TRUE(g.stop);
  EXPECT_EQ(g.stop->code, 5);
  EXPECT_EQ(g.stop->depth, 126.0);
  EXPECT_EQ(g.stop->curve, "WEAK ROCK STRENGTH");

  // qur is the mean from the layer top: a layer that starts at 0 strength
  // has some at every depth below it, and goes on.
  l.at_bottom.strength = 1000.0;
  const ModelResult r =
      at_curve(weak_rock, build_py_soil(wall(0.0, {l}), {}), 0, 1);
  EXPECT_FALSE(r.stop);
  EXPECT_LT(relative(r.excavation.strength, 0.5 * 126.0 / 600.0 * 1000.0),
            1e-12);
}

}  // namespace
}  // namespace korvan::py
