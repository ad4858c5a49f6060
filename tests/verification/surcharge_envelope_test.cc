// Surcharge pressures against hand values of the elastic solutions with
// their empirical coefficients (Terzaghi 1954 as modified for walls:
// point load 0.28 Q n^2 / (H^2 (0.16 + n^2)^3) for m <= 0.4 and
// 1.77 Q m^2 n^2 / (H^2 (m^2 + n^2)^3) beyond; line load
// 0.203 Q n / (H (0.16 + n^2)^2) and 4 Q m^2 n / (pi H (m^2 + n^2)^2);
// strip load (2q/pi)(beta - sin beta cos 2 alpha)), and the apparent-pressure
// envelopes of anchored and braced walls against hand computations
// (Terzaghi and Peck 1967; FHWA ground anchor guidance: p = 1.3 P / (2H/3)
// for one anchor level).
#include <gtest/gtest.h>

#include <cmath>

#include "pressure/earth_pressure.h"
#include "pressure/surcharge.h"

namespace korvan::pressure {
namespace {

constexpr double kPi = double(3.1416f);

TEST(Surcharge, PointLoadBothBranches) {
  const double h = 100.0, q = 1000.0;
  // m = 0.3, n = 0.5: 0.28 * 1000 * 0.25 / (1E4 * 0.41^3) = 0.101567...
  EXPECT_NEAR(point_load_pressure(q, 30.0, 50.0, h),
              0.28 * 1000.0 * 0.25 / (1.0e4 * std::pow(0.41, 3)), 1e-6);
  EXPECT_NEAR(point_load_pressure(q, 30.0, 50.0, h), 0.10157, 1e-4);
  // m = 0.5, n = 0.5: 1.77 * 1000 * 0.0625 / (1E4 * 0.5^3) = 0.0885.
  EXPECT_NEAR(point_load_pressure(q, 50.0, 50.0, h), 0.0885, 1e-6);
}

TEST(Surcharge, LineLoadBothBranchesAndForms) {
  const double h = 100.0, q = 100.0;
  // m = 0.2, n = 0.4: 0.203 * 100 * 0.4 / (100 * 0.32^2) = 0.79297.
  EXPECT_NEAR(line_load_pressure(q, 20.0, 40.0, h, false), 0.792969, 1e-5);
  // m = 1, n = 1: 4 * 100 / (pi * 100 * 4) = 1/pi; the resultant form
  // takes 1.273 / 4 instead.
  EXPECT_NEAR(line_load_pressure(q, 100.0, 100.0, h, false), 1.0 / kPi, 1e-12);
  EXPECT_NEAR(line_load_pressure(q, 100.0, 100.0, h, true),
              double(1.273f) / 4.0, 1e-12);
}

TEST(Surcharge, StripLoad) {
  // Strip 2 wide centred 1 from the wall at depth 1: theta1 = atan 2,
  // theta2 = 0, beta = atan 2; sigma = (2q/pi)(beta - sin beta cos beta).
  const double beta = std::atan(2.0);
  EXPECT_NEAR(strip_load_pressure(10.0, 1.0, 2.0, 1.0, false),
              2.0 * 10.0 / kPi * (beta - std::sin(beta) * std::cos(beta)),
              1e-12);
  // Zero width: nothing.
  EXPECT_EQ(strip_load_pressure(10.0, 1.0, 0.0, 1.0, false), 0.0);
}

TEST(Surcharge, GridAndOlderStyleValues) {
  // The 200-step grid on a 200-inch wall: the pressure at z = 50.5 is the
  // formula at the grid depth 50; at z below the first grid depth, 0.
  engine::Surcharge s;
  s.type = 1;
  s.load = 1000.0;
  s.factor = 0.5;
  s.distance = 30.0;
  const std::vector<engine::Surcharge> one = {s};
  EXPECT_DOUBLE_EQ(surcharge_pressure(one, 50.5, 200.0, 100.0),
                   point_load_pressure(500.0, 30.0, 50.0, 100.0));
  EXPECT_DOUBLE_EQ(surcharge_pressure(one, 50.0, 200.0, 100.0),
                   point_load_pressure(500.0, 30.0, 49.0, 100.0));
  EXPECT_EQ(surcharge_pressure(one, 1.0, 200.0, 100.0), 0.0);
  s.factor = 0.0;
  EXPECT_EQ(surcharge_pressure({s}, 50.5, 200.0, 100.0), 0.0);
  EXPECT_TRUE(uses_wall_length(0.0));
  EXPECT_EQ(reference_height(0.0, 240.0), 240.0);

  engine::SoilProfile soil;
  soil.surface.point_load = 7.0;
  engine::Surcharge strip;
  strip.type = 3;
  strip.load = 4.0;
  strip.factor = 2.0;
  strip.width = 5.0;
  strip.distance = 9.0;
  soil.surcharges = {strip};
  const engine::SurfaceLoads v = older_style_values(soil);
  EXPECT_EQ(v.point_load, 0.0);
  EXPECT_EQ(v.strip_load, 8.0);
  EXPECT_EQ(v.strip_width, 5.0);
  EXPECT_EQ(v.distance, 9.0);
}

// A profile of one layer over the excavated height H = 240 in, above
// ground water.
Profile one_layer(double gamma, double phi, double c, int option) {
  engine::Problem p;
  p.control.unit_system = 1;
  p.control.earth_pressure_option = option;
  p.geometry.increments = 100;
  p.geometry.increment_length = 6.0;
  p.soil.wall.free_height = 240.0;
  p.soil.wall.width_pressure = p.soil.wall.width_resistance = 12.0;
  p.soil.wall.water_backfill = p.soil.wall.water_excavation = 1.0e4;
  p.soil.wall.active_factor = 1.0;
  engine::SoilLayer l;
  l.type = phi > 0.0 ? 4 : 1;
  l.bottom = 600.0;
  l.at_top.unit_weight = gamma;
  l.at_top.friction_angle = phi;
  l.at_top.strength = c;
  p.soil.layers = {l};
  Profile profile = build_profile(p);
  compute_pressures(profile);
  return profile;
}

constexpr double kGamma = 120.0 / 1728.0;

TEST(Envelopes, TerzaghiPeckShapes) {
  const double h = 240.0;
  // Sand: a rectangle 0.65 Ka gamma H over the whole height, Ka with the
  // engine's pi/4.
  Profile sand = one_layer(kGamma, 30.0, 0.0, 6);
  TerzaghiPeck tp = terzaghi_peck(sand);
  const double t =
      std::tan(0.7853978872299194 - (30.0 / double(57.2958f)) / 2.0);
  EXPECT_TRUE(tp.granular);
  EXPECT_NEAR(tp.p, 0.65 * t * t * kGamma * h, 1e-12);
  EXPECT_NEAR(tp.p / (0.65 * kGamma * h), 1.0 / 3.0, 1e-5);
  EXPECT_EQ(terzaghi_peck_shape(sand, tp, 1.0), tp.p);

  // Soft clay, Ns = gamma H / c = 16.67 / 2 >= 6: p = gamma H - 4c,
  // rising over the top quarter, constant below.
  Profile soft = one_layer(kGamma, 0.0, 2.0, 6);
  tp = terzaghi_peck(soft);
  EXPECT_TRUE(tp.soft);
  EXPECT_NEAR(tp.p, kGamma * h - 8.0, 1e-12);
  EXPECT_NEAR(terzaghi_peck_shape(soft, tp, 30.0), tp.p / 2.0, 1e-12);
  EXPECT_EQ(terzaghi_peck_shape(soft, tp, 230.0), tp.p);

  // Stiff clay, Ns < 6: p = 0.3 gamma H, ramps over the top and bottom
  // quarters.
  Profile stiff = one_layer(kGamma, 0.0, 5.0, 6);
  tp = terzaghi_peck(stiff);
  EXPECT_FALSE(tp.soft);
  EXPECT_NEAR(tp.p, 0.3 * kGamma * h, 1e-12);
  EXPECT_NEAR(terzaghi_peck_shape(stiff, tp, 210.0), tp.p / 2.0, 1e-12);
  EXPECT_EQ(terzaghi_peck_shape(stiff, tp, 120.0), tp.p);
}

TEST(Envelopes, AnchoredWallOneAndTwoLevels) {
  Profile p = one_layer(kGamma, 30.0, 0.0, 3);
  const double h = 240.0;
  const double total = 1000.0;
  // One level at 60 in: p = 1.3 P / (2H/3), rising to it at 2 z1 / 3 = 40,
  // constant to 40 + H/3 = 120, falling to 0 at H.
  p.support_levels = {60.0};
  const double one = 1.3 * total / (2.0 * h / 3.0);
  EXPECT_NEAR(anchored_envelope(p, total, 80.0), one, 1e-12);
  EXPECT_NEAR(anchored_envelope(p, total, 20.0), one / 2.0, 1e-12);
  EXPECT_NEAR(anchored_envelope(p, total, 180.0), one / 2.0, 1e-12);
  // Two levels at 60 and 180: p = 1.3 P / (H - ((H - 180) + 60) / 3),
  // constant from 40 to H - 2 (H - 180) / 3 = 200.
  p.support_levels = {60.0, 180.0};
  const double two = 1.3 * total / (h - (60.0 + 60.0) / 3.0);
  EXPECT_NEAR(anchored_envelope(p, total, 199.0), two, 1e-12);
  EXPECT_NEAR(anchored_envelope(p, total, 220.0), two / 2.0, 1e-12);
  p.support_levels.clear();
  EXPECT_EQ(anchored_envelope(p, total, 100.0), 0.0);

  // The distribution of option 3 integrates its envelope to 1.3 P less
  // the ramps: with one level, P (0.5 * 40 + 80 + 0.5 * 120) / (2H/3) * 1.3.
  Profile real = one_layer(kGamma, 30.0, 0.0, 3);
  real.support_levels = {60.0};
  const std::vector<DistributionPoint> d = distribution(real);
  double soil = 0.0, envelope = 0.0;
  for (size_t k = 1; k < d.size() && d[k].col[1] <= h; ++k) {
    soil += 0.5 * (d[k - 1].col[7] + d[k].col[7]);
    envelope += 0.5 * (d[k - 1].col[11] + d[k].col[11]);
  }
  EXPECT_NEAR(envelope, 1.3 * soil * 160.0 / 160.0, 2e-3 * soil);
}

}  // namespace
}  // namespace korvan::pressure
