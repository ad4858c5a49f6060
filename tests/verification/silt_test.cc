// Generated silt p-y curves against hand computations. The frictional part
// is the sand resistance of Reese, Cox and Koop (1974), "Analysis of
// laterally loaded piles in sand", OTC 2080: the smaller of the wedge
// resistance and the flow-around resistance b gamma x (Ka (tan^8 beta - 1) +
// K0 tan(phi) tan^4 beta), K0 = 0.4, beta = 45 deg + phi/2, with their
// empirical A coefficient; the cohesive part is Matlock's (1970, OTC 1204)
// (3 + gamma x / c + 0.5 x / b) c b, at most 9 c b. pu = A ps and
// pm = 1.5 ps + pc at ym = b/60, pu at yu = 3b/80. Tolerances are relative,
// 1e-12 for values computed along the same path and 1e-9 where the hand
// computation takes another order of operations.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "model/constants.h"
#include "py/models.h"

namespace korvan::py {
namespace {

constexpr double kGamma = 110.0 / 1728.0;  // 110 pcf in lb/in^3
constexpr double kPi = std::numbers::pi;
constexpr double kB = 12.0;

double radians(double degrees) { return degrees * kPi3_1416 / 180.0; }

// One silt layer from the top of the wall (H = z0 = 0) to 600 in, a wall of
// 40 increments of 12 in, WP = 12 in and WA = 48 in (s/b = 4: no spacing
// factor, not a continuous wall), water far below unless given.
engine::Problem silt_wall(double c, double phi_degrees, double k) {
  engine::Problem p;
  p.control.unit_system = 1;
  p.control.py_option = 2;
  p.geometry.increments = 40;
  p.geometry.increment_length = 12.0;
  p.has_soil_profile = true;
  engine::EarthPressureWall& w = p.soil.wall;
  w.width_pressure = 48.0;
  w.width_resistance = kB;
  w.water_backfill = w.water_excavation = 1.0e4;
  p.soil.loading = 1;
  engine::SoilLayer l;
  l.type = 5;
  l.bottom = 600.0;
  for (engine::SoilValues* v : {&l.at_top, &l.at_bottom}) {
    v->unit_weight = kGamma;
    v->strength = c;
    v->friction_angle = phi_degrees;
    v->subgrade_modulus = k;
  }
  p.soil.layers = {l};
  return p;
}

// The driver's loop over layers and curve depths (as generate_curves does
// for every model), keeping the layers' resistance sums.
struct Generated {
  std::vector<ModelResult> curves;
  std::vector<double> sums;
};
Generated generate(const PySoil& soil) {
  Generated r;
  const std::vector<ProfilePoint> profile = property_profile(soil);
  r.sums.assign(soil.layers.size(), 0.0);
  for (size_t i = 0; i < soil.layers.size(); ++i) {
    double above = 0.0;
    for (size_t j = 0; j < i; ++j) above += r.sums[j];
    double equivalent = 0.0;
    LayerState state;
    const DerivedLayer& layer = soil.layers[i];
    for (int k = layer.first_curve; k <= layer.last_curve; ++k) {
      const bool first = k == layer.first_curve;
      const auto at = static_cast<size_t>(k);
      const ModelInput in{soil,
                          profile,
                          i,
                          soil.curve_depths[at],
                          first ? 0.0 : soil.curve_depths[at - 1],
                          first,
                          above,
                          equivalent,
                          &state};
      r.curves.push_back(silt(in));
      EXPECT_FALSE(r.curves.back().stop.has_value());
      if (r.curves.back().equivalent_depth) {
        equivalent = *r.curves.back().equivalent_depth;
      }
      r.sums[i] += r.curves.back().resistance;
    }
  }
  return r;
}

// Reese's frictional resistance on level ground at depth x, written out
// from the paper: min(wedge, flow-around), Ka = tan^2(45 deg - phi/2).
double reese_ps(double phi, double gamma, double x, double b) {
  const double beta = kPi / 4.0 + phi / 2.0, alpha = phi / 2.0;
  const double ka = std::pow(std::tan(kPi / 4.0 - phi / 2.0), 2);
  const double tb = std::tan(beta), tbp = std::tan(beta - phi);
  const double wedge =
      gamma * x *
      (0.4 * x * std::tan(phi) * std::sin(beta) / (tbp * std::cos(alpha)) +
       tb / tbp * (b + x * tb * std::tan(alpha)) +
       0.4 * x * tb * (std::tan(phi) * std::sin(beta) - std::tan(alpha)) -
       ka * b);
  const double flow =
      b * gamma * x *
      (ka * (std::pow(tb, 8) - 1.0) + 0.4 * std::tan(phi) * std::pow(tb, 4));
  return std::min(wedge, flow);
}

double rel(double a, double b) { return std::fabs(a - b) / std::fabs(b); }

// Every point of a side against the hand deflections and resistances.
template <class P>
void expect_points(const SideCurve& s, const std::array<double, 17>& y,
                   P p_of) {
  for (size_t i = 0; i < 17; ++i) {
    EXPECT_NEAR(s.points[i].y, y[i], 1e-9 * y[16]) << i;
    EXPECT_NEAR(s.points[i].p, p_of(y[i]), 1e-9 * p_of(y[16])) << i;
  }
}

// The sand form's deflections: yb/2 and yb, nine between yb and ym, ym,
// two between ym and yu, yu, 1.2 yu.
std::array<double, 17> sand_deflections(double yb, double ym, double yu) {
  std::array<double, 17> y{0.0, yb / 2.0, yb};
  for (int j = 1; j <= 9; ++j) y[2 + j] = yb + (ym - yb) * j / 10.0;
  y[12] = ym;
  y[13] = (yu + 2.0 * ym) / 3.0;
  y[14] = (2.0 * yu + ym) / 3.0;
  y[15] = yu;
  y[16] = 1.2 * yu;
  return y;
}

// c = 0: the sand curve with pm = 1.5 ps in place of B ps. At x = 0.1 in
// (x/b = 1/120, A = 2.83 - 0.35 / 60 by the static table) and k = 100
// lb/in^3 the line meets the power curve before ym.
TEST(Silt, CohesionlessIsTheSandCurveWithPmOfOnePointFivePs) {
  const PySoil soil = build_py_soil(silt_wall(0.0, 35.0, 100.0), {});
  const Generated r = generate(soil);
  ASSERT_EQ(r.curves.size(), 5u);
  const double x = 0.1, phi = radians(35.0);
  const double ps = reese_ps(phi, kGamma, x, kB);
  const double a = 2.83 + (2.48 - 2.83) * (x / kB) / 0.5;
  const double pu = a * ps, pm = 1.5 * ps;
  const double ym = kB / 60.0, yu = 3.0 * kB / 80.0, kx = 100.0 * x;
  const double m = (pu - pm) / (yu - ym);
  const double n = pm / (m * ym);
  const double cc = pm / std::pow(ym, 1.0 / n);
  const double yk = std::pow(cc / kx, n / (n - 1.0));
  ASSERT_LT(yk, ym / 5.0);  // the base deflection is yk itself
  const std::array<double, 17> y = sand_deflections(yk, ym, yu);
  for (const SideCurve* s : {&r.curves[0].excavation, &r.curves[0].backfill}) {
    EXPECT_LT(rel(s->wedge, ps), 1e-9);
    EXPECT_EQ(s->flow, 0.0);
    EXPECT_LT(rel(s->a, a), 1e-12);
    EXPECT_LT(rel(s->b, 2.14 + (1.83 - 2.14) * (x / kB) / 0.5), 1e-12);
    expect_points(*s, y, [&](double v) {
      return v >= yu   ? pu
             : v >= ym ? pm + m * (v - ym)
             : v <= yk ? kx * v
                       : cc * std::pow(v, 1.0 / n);
    });
  }
  EXPECT_LT(rel(r.curves[0].excavation.points[12].p, 1.5 * ps), 1e-9);

  // Cyclic loading takes A (and the printed B) from the cyclic table.
  engine::Problem cyclic = silt_wall(0.0, 35.0, 100.0);
  cyclic.soil.loading = 0;
  const SideCurve c0 = generate(build_py_soil(cyclic, {})).curves[0].excavation;
  EXPECT_LT(rel(c0.a, 0.75 + (0.93 - 0.75) * (x / kB) / 0.5), 1e-12);
  EXPECT_LT(rel(c0.b, 0.53 + (0.72 - 0.53) * (x / kB) / 0.5), 1e-12);
  EXPECT_LT(rel(c0.points[16].p, c0.a * ps), 1e-9);
}

// The three forms at x = 126 in (x/b = 10.5: A = 0.88, pu = 0.88 ps below
// pm, m negative, n = pm / (|m| ym)). With c = 1 psi, Np = gamma x / c +
// 3 + 5.25 exceeds 9, so pc = 9 c b. The form follows kx: above pm / ym
// the sand form (case 1); down to pu / yu a line to the falling straight
// piece through (ym, pm) and (yu, pu) (case 2); below that a line straight
// to pu (case 3).
TEST(Silt, ThreeFormsByWhereTheInitialLineMeetsTheCurve) {
  const double x = 126.0, phi = radians(30.0);
  const double ps = reese_ps(phi, kGamma, x, kB);
  const double pc = 9.0 * 1.0 * kB;
  ASSERT_GT(kGamma * x / 1.0 + 3.0 + 0.5 * x / kB, 9.0);
  const double pu = 0.88 * ps, pm = 1.5 * ps + pc;
  const double ym = kB / 60.0, yu = 3.0 * kB / 80.0;
  const double m = (pu - pm) / (yu - ym);
  ASSERT_LT(m, 0.0);
  const double n = pm / (-m * ym), cc = pm / std::pow(ym, 1.0 / n);
  auto curve_for = [](double k) {
    const Generated r = generate(build_py_soil(silt_wall(1.0, 30.0, k), {}));
    return r.curves[1].excavation;
  };

  // Case 1: k = 500 (yk below ym / 5, the base deflection) and k = 200
  // (yk between ym / 5 and ym: the base deflection is ym / 10).
  for (double k : {500.0, 200.0}) {
    const double kx = k * x;
    const double yk = std::pow(cc / kx, n / (n - 1.0));
    ASSERT_LT(yk, ym);
    const double yb = yk > ym / 5.0 ? ym / 10.0 : yk;
    const SideCurve s = curve_for(k);
    EXPECT_LT(rel(s.wedge, ps), 1e-9);
    EXPECT_LT(rel(s.flow, pc), 1e-12);
    expect_points(s, sand_deflections(yb, ym, yu), [&](double y) {
      const double p = y >= yu   ? pu
                       : y >= ym ? pm + m * (y - ym)
                       : y <= yk ? kx * y
                                 : cc * std::pow(y, 1.0 / n);
      return std::min(p, kx * y);
    });
  }
  // Case 2: k = 100, kx between pu / yu and pm / ym; the line meets the
  // straight piece at yA.
  {
    const double kx = 100.0 * x;
    ASSERT_GT(kx, pu / yu);
    ASSERT_LT(kx, pm / ym);
    const double ya = (pm - ym * m) / (kx - m);
    std::array<double, 17> y{0.0,        ya / 8,     ya / 4, 3 * ya / 8, ya / 2,
                             5 * ya / 8, 7 * ya / 8, ya,     ya};
    for (int j = 1; j <= 5; ++j) y[8 + j] = ya + (yu - ya) * j / 6.0;
    y[14] = yu;
    y[15] = 1.1 * yu;
    y[16] = 1.2 * yu;
    expect_points(curve_for(100.0), y, [&](double v) {
      return v <= ya ? kx * v : v < yu ? pm + m * (v - ym) : pu;
    });
  }
  // Case 3: k = 20, kx below pu / yu: the line reaches pu at yB = pu / kx.
  {
    const double kx = 20.0 * x, yb = pu / kx;
    std::array<double, 17> y{};
    for (int j = 0; j <= 12; ++j) y[j] = j * yb / 12.0;
    y[13] = 1.05 * yb;
    y[14] = 1.10 * yb;
    y[15] = 1.15 * yb;
    y[16] = 1.20 * yb;
    expect_points(curve_for(20.0), y,
                  [&](double v) { return std::min(kx * v, pu); });
  }
}

// With a free height H = 60 in and soil from the top of the wall (z0 = 0),
// the backfill side of the curve at Z = 30 in lies 90 in below the
// backfill surface but reads the soil at its own elevation (phi = 30 deg of
// the upper layer, not 35 deg 60 in deeper); both sides take the
// multipliers at Z' = Z + H, here the spacing factor 0.64 * 2^0.34 of
// s/b = 2.
TEST(Silt, BackfillSideBelowTheBackfillSurface) {
  engine::Problem p = silt_wall(0.0, 30.0, 100.0);
  p.soil.wall.free_height = 60.0;
  p.soil.wall.width_pressure = 24.0;
  engine::SoilLayer lower = p.soil.layers[0];
  p.soil.layers[0].bottom = 120.0;
  lower.top = 120.0;
  lower.at_top.friction_angle = lower.at_bottom.friction_angle = 35.0;
  p.soil.layers.push_back(lower);
  const PySoil soil = build_py_soil(p, {});
  ASSERT_NEAR(soil.curve_depths[2], 30.0, 1e-12);
  const ModelResult r = generate(soil).curves[2];
  const double factor = double(0.64f) * std::pow(2.0, double(0.34f));
  EXPECT_LT(rel(r.backfill.p_multiplier, factor), 1e-12);
  EXPECT_LT(rel(r.excavation.p_multiplier, factor), 1e-12);
  EXPECT_EQ(r.backfill.depth, 90.0);
  EXPECT_EQ(r.excavation.depth, 30.0);
  EXPECT_EQ(r.backfill.phi_degrees, 30.0);
  const double phi = radians(30.0);
  EXPECT_LT(rel(r.backfill.wedge, reese_ps(phi, kGamma, 90.0, kB)), 1e-9);
  EXPECT_LT(rel(r.excavation.wedge, reese_ps(phi, kGamma, 30.0, kB)), 1e-9);
  const double pu = r.backfill.a * r.backfill.wedge;
  EXPECT_LT(rel(r.backfill.points[16].p, factor * pu), 1e-12);
}

// A continuous wall (WA = WP, s/b = 1 < 1.1): ps = Kp sigma b with the
// Coulomb passive coefficient for a wall friction of 10 degrees, pc =
// 2 c b Kp^0.5; A and the deflections by the one-foot width b' = 12 in.
TEST(Silt, ContinuousWallUsesCoulombPassiveCoefficient) {
  engine::Problem p = silt_wall(1.0, 30.0, 500.0);
  p.soil.wall.width_pressure = p.soil.wall.width_resistance = 24.0;
  const Generated r = generate(build_py_soil(p, {}));
  const double phi = radians(30.0), delta = 10.0 * kPi / 180.0;
  const double root =
      std::sqrt(std::sin(phi + delta) * std::sin(phi) / std::cos(delta));
  const double kp =
      std::pow(std::cos(phi), 2) / std::cos(delta) / std::pow(1.0 - root, 2);
  EXPECT_NEAR(kp, 4.1433, 1e-4);  // the tabulated Coulomb value
  const SideCurve& s = r.curves[1].excavation;
  const double x = 126.0;
  EXPECT_TRUE(s.continuous);
  EXPECT_LT(rel(s.wedge, kp * kGamma * x * 24.0), 1e-6);
  EXPECT_LT(rel(s.flow, 2.0 * 1.0 * 24.0 * std::sqrt(kp)), 1e-6);
  // A at x / b' = 0.1 / 12 on the first curve, not at x / b.
  EXPECT_LT(rel(r.curves[0].excavation.a, 2.83 - 0.35 * (0.1 / 12.0) / 0.5),
            1e-12);
  EXPECT_LT(rel(s.points[16].y, 1.2 * 3.0 * 12.0 / 80.0), 1e-12);
}

// k not given: the stiff-clay default by c (250 lb/in^3 below 1000 psf,
// 500 from it) plus 25 / 90 / 225 above water or 20 / 60 / 125 submerged
// for phi up to 30, up to 36 and above 36 degrees; submerged when the
// effective unit weight is at most 0.04507112 lb/in^3. Metric: the kN/m^3
// values of the same tables.
TEST(Silt, DefaultModulusByStrengthFrictionAngleAndWater) {
  auto k_of = [](double c, double phi, bool submerged) {
    engine::Problem p = silt_wall(c, phi, 0.0);
    if (submerged) {  // 0.08 - 0.036 = 0.044 effective
      p.soil.wall.water_excavation = 0.0;
      p.soil.layers[0].at_top.unit_weight = 0.08;
      p.soil.layers[0].at_bottom.unit_weight = 0.08;
    }
    const Generated r = generate(build_py_soil(p, {}));
    EXPECT_EQ(r.curves[1].backfill.k, r.curves[1].excavation.k);
    return r.curves[1].excavation.k;
  };
  EXPECT_EQ(k_of(1.0, 30.0, false), 250.0 + 25.0);
  EXPECT_EQ(k_of(1.0, 30.01, false), 250.0 + 90.0);
  EXPECT_EQ(k_of(1.0, 36.0, false), 250.0 + 90.0);
  EXPECT_EQ(k_of(1.0, 36.01, false), 250.0 + 225.0);
  EXPECT_EQ(k_of(1.0, 30.0, true), 250.0 + 20.0);
  EXPECT_EQ(k_of(1.0, 36.0, true), 250.0 + 60.0);
  EXPECT_EQ(k_of(1.0, 40.0, true), 250.0 + 125.0);
  EXPECT_EQ(k_of(double(6.9444447f), 20.0, false), 500.0 + 25.0);
  EXPECT_EQ(k_of(6.94, 20.0, false), 250.0 + 25.0);

  engine::Problem p = silt_wall(50.0, 30.0, 0.0);  // kPa, degrees, kN/m^3
  p.control.unit_system = 2;
  p.geometry.increment_length = 0.3;
  p.soil.wall.width_pressure = 2.0;
  p.soil.wall.width_resistance = 0.5;
  p.soil.wall.water_backfill = p.soil.wall.water_excavation = 100.0;
  p.soil.layers[0].bottom = 15.0;
  p.soil.layers[0].at_top.unit_weight = 18.0;
  p.soil.layers[0].at_bottom.unit_weight = 18.0;
  const Generated r = generate(build_py_soil(p, {}));
  EXPECT_EQ(r.curves[1].excavation.k, 135723.5625 + 6786.18017578125);
}

// At the surface (x = 0) no form applies: every point is 0 before the load
// p0 = E/(s/b) - 2 c Ka^0.5 b, taken off the excavation side and added to
// the backfill side; p0 is 0 when that is negative.
TEST(Silt, SurfaceCurveCarriesOnlyTheLoad) {
  // E = 1200 lb per 12 in station = 100 lb/in at every depth.
  const std::vector<std::pair<double, double>> pressure = {{0.0, 1200.0},
                                                           {600.0, 1200.0}};
  auto surface = [&](double c) {
    const PySoil soil = build_py_soil(silt_wall(c, 30.0, 100.0), pressure);
    const std::vector<ProfilePoint> profile = property_profile(soil);
    LayerState state;
    const ModelInput in{soil, profile, 0, 0.0, 0.0, true, 0.0, 0.0, &state};
    const ModelResult r = silt(in);
    EXPECT_FALSE(r.stop.has_value());
    return r;
  };
  const double ka = 1.0 / 3.0;  // tan^2(30 deg)
  const double p0 = 100.0 / 4.0 - 2.0 * 0.5 * std::sqrt(ka) * kB;
  const ModelResult r = surface(0.5);
  EXPECT_EQ(r.excavation.depth, 0.0);
  for (size_t i = 0; i < 17; ++i) {
    EXPECT_LT(rel(r.excavation.points[i].p, -p0), 1e-6) << i;
    EXPECT_LT(rel(r.backfill.points[i].p, p0), 1e-6) << i;
    if (i > 0) {
      EXPECT_GT(r.excavation.points[i].y, r.excavation.points[i - 1].y);
    }
  }
  EXPECT_LT(rel(r.excavation.points[16].y, 1.2 * 3.0 * kB / 80.0), 1e-12);
  // c = 2 psi: 25 - 2 * 2 * 0.577 * 12 < 0, so no load at all.
  const ModelResult none = surface(2.0);
  for (size_t i = 0; i < 17; ++i) {
    EXPECT_EQ(none.excavation.points[i].p, 0.0);
    EXPECT_EQ(none.backfill.points[i].p, 0.0);
  }
}

// A sloping excavation surface: Ka = cos t (cos t - r) / (cos t + r), r =
// (cos^2 t - cos^2 phi)^0.5, on both sides (seen through p0). A slope
// steeper than phi has no real Ka; the slope is limited to phi there, where
// Ka = cos(phi), the limit of the formula, so p0 is continuous in the slope
// and the curves stay finite (also on a continuous wall, whose Kp root
// would go negative).
TEST(Silt, SlopeSteeperThanFrictionAngleIsLimitedToIt) {
  const std::vector<std::pair<double, double>> pressure = {{0.0, 4800.0},
                                                           {600.0, 4800.0}};
  auto curve_at = [&](double slope, double wa, size_t curve = 1) {
    engine::Problem p = silt_wall(0.5, 30.0, 100.0);
    p.soil.wall.excavation_slope = slope;
    p.soil.wall.width_pressure = wa;
    return generate(build_py_soil(p, pressure)).curves[curve];
  };
  // p0 = 400 / (s/b) - 2 c Ka^0.5 b read off the backfill side's minimum
  // (the curve adds p0 to a curve that starts at 0).
  auto ka_of = [](const ModelResult& r, double sb) {
    const double p0 = r.backfill.points[0].p;
    return std::pow((400.0 / sb - p0) / (2.0 * 0.5 * kB), 2);
  };
  const double phi = radians(30.0);
  const double t = 20.0 / double(57.2958f);
  const double r20 =
      std::sqrt(std::pow(std::cos(t), 2) - std::pow(std::cos(phi), 2));
  EXPECT_LT(rel(ka_of(curve_at(20.0, 48.0), 4.0),
                std::cos(t) * (std::cos(t) - r20) / (std::cos(t) + r20)),
            1e-9);
  const double at_phi = ka_of(curve_at(40.0, 48.0), 4.0);
  EXPECT_LT(rel(at_phi, std::cos(phi)), 1e-9);
  EXPECT_EQ(ka_of(curve_at(60.0, 48.0), 4.0), at_phi);
  EXPECT_LT(rel(ka_of(curve_at(29.9999, 48.0), 4.0), at_phi), 1e-2);
  // Near the surface the sloping wedge's weight falls short of the active
  // push on it; the frictional part stays at 0 and no point of the
  // excavation side pulls beyond the load p0.
  for (double wa : {48.0, 12.0}) {
    for (size_t curve : {0u, 1u}) {
      const ModelResult r = curve_at(60.0, wa, curve);
      const double p0 = r.backfill.points[0].p;
      for (const SideCurve* s : {&r.excavation, &r.backfill}) {
        EXPECT_GE(s->wedge, 0.0);
        for (const CurvePoint& q : s->points) {
          EXPECT_TRUE(std::isfinite(q.p) && std::isfinite(q.y)) << wa;
        }
      }
      for (const CurvePoint& q : r.excavation.points) {
        EXPECT_GE(q.p, -p0 - 1e-12) << wa << " " << curve;
      }
    }
  }
}

// The layering method against a hand computation (Python, double
// precision) of the 50-step sum for b = 12 in, phi = 35 deg, c = 1 psi,
// gamma = 110 pcf, static, xc = 130 in: xl = 203.5025 in; a sum of 5000 lb
// is reached inside the steps, 1e6 lb beyond xl.
TEST(Silt, EquivalentDepthOfALowerLayer) {
  const double phi = radians(35.0);
  auto h = [&](double above) {
    return equivalent_depth_silt(above, kB, kB, phi, 1.0, kGamma, false, 130.0);
  };
  EXPECT_EQ(h(0.0), 0.0);
  EXPECT_LT(rel(h(5000.0), 24.596852184361758), 1e-9);
  EXPECT_LT(rel(h(2.0e5), 139.20037130925576), 1e-9);
  EXPECT_LT(rel(h(1.0e6), 293.478073184874), 1e-9);

  // Two silt layers: the upper one's sum is the trapezoids of pu = A ps
  // between its curve depths plus pu down to its bottom; the lower one's
  // depth is (Z - top) + h, with h from that sum and its first depth.
  engine::Problem p = silt_wall(1.0, 35.0, 100.0);
  engine::SoilLayer lower = p.soil.layers[0];
  p.soil.layers[0].bottom = 240.0;
  lower.top = 240.0;
  lower.at_top.friction_angle = lower.at_bottom.friction_angle = 25.0;
  p.soil.layers.push_back(lower);
  const PySoil soil = build_py_soil(p, {});
  const Generated r = generate(soil);
  ASSERT_EQ(r.curves.size(), 10u);
  double sum = 0.0;
  for (size_t i = 1; i < 5; ++i) {
    const SideCurve& a = r.curves[i - 1].excavation;
    const SideCurve& b = r.curves[i].excavation;
    sum += 0.5 * (a.a * a.wedge + b.a * b.wedge) *
           (soil.curve_depths[i] - soil.curve_depths[i - 1]);
  }
  sum += r.curves[4].excavation.a * r.curves[4].excavation.wedge *
         (240.0 - soil.curve_depths[4]);
  EXPECT_LT(rel(r.sums[0], sum), 1e-12);
  ASSERT_TRUE(r.curves[5].equivalent_depth.has_value());
  const double z = soil.curve_depths[5];
  const double expected =
      equivalent_depth_silt(sum, kB, kB, radians(25.0), 1.0, kGamma, false, z);
  EXPECT_LT(rel(*r.curves[5].equivalent_depth, expected), 1e-12);
  EXPECT_LT(rel(r.curves[7].excavation.depth,
                soil.curve_depths[7] - 240.0 + expected),
            1e-12);
  EXPECT_GT(expected, 0.0);
}

}  // namespace
}  // namespace korvan::py
