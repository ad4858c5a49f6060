// The finite-difference solution against closed-form beam, beam-column and
// beam-on-elastic-foundation solutions. Each test names its source and its
// tolerance; grids are fine enough that the discretisation error stays
// inside the tolerance (checked by refining them by hand: halving h
// reduces each error about fourfold, or twofold where the boundary scheme
// is first order).
#include <gtest/gtest.h>

#include <cmath>

#include "wall/rigidity.h"
#include "verification/prismatic_wall.h"
#include "wall/solver.h"
#include "wall/wall_model.h"

namespace korvan::wall {
namespace {

using fixtures::kE;
using fixtures::kEI;
using fixtures::kI;
using fixtures::prismatic_wall;

Solution run(const engine::Problem& p) {
  const Solution s = solve(build_wall_model(p), StationTable{}, nullptr);
  EXPECT_TRUE(s.has_results());
  return s;
}

double relative(double actual, double expected) {
  return std::fabs(actual - expected) / std::fabs(expected);
}

// Cantilever clamped at its base (deflection and slope 0 at station N)
// under a lateral force P at its top: tip deflection P L^3 / 3EI (Timoshenko
// and Gere, Mechanics of Materials, cantilever with end load). The moment at
// the station above the clamp is P (L - h) by statics; the clamp station
// itself reports the boundary scheme's halved value. The boundary scheme
// is first order at the tip: the error is 0.75 % with 100 increments,
// 0.37 % with 200 and 0.19 % with 400. Tolerance 0.2 % with 400.
TEST(ClosedForm, CantileverWithEndLoad) {
  const int n = 400;
  const double h = 0.6;
  const double load = 1000.0;
  engine::Problem p = prismatic_wall(n, h);
  p.conditions = {{3, n, 0.0, 0.0}};
  p.loads = {{0, 0, 0, load, 0.0, 0.0}};
  const Solution s = run(p);
  const double length = n * h;
  EXPECT_LT(relative(s.stations[0].deflection,
                     load * std::pow(length, 3) / (3.0 * kEI)),
            2e-3);
  EXPECT_LT(relative(std::fabs(s.stations[n - 1].moment), load * (length - h)),
            1e-9);
  // Free top: no moment there; the shear carries the load.
  EXPECT_NEAR(s.stations[0].moment, 0.0, 1e-6 * load * length);
  EXPECT_LT(relative(std::fabs(s.stations[n / 2].shear), load), 1e-9);
}

// Simply supported span under a uniform load w per unit length: midspan
// deflection 5 w L^4 / 384 EI and moment w L^2 / 8 (Timoshenko and Gere).
// Tolerance 0.1 %.
TEST(ClosedForm, SimplySupportedUniformLoad) {
  const int n = 100;
  const double h = 2.4;
  const double w = 50.0;  // lb/in
  engine::Problem p = prismatic_wall(n, h);
  p.conditions = {{1, 0, 0.0, 0.0}, {1, n, 0.0, 0.0}};
  p.loads = {{0, 0, n, w * h, 0.0, 0.0}};
  const Solution s = run(p);
  const double length = n * h;
  EXPECT_LT(relative(std::fabs(s.stations[n / 2].deflection),
                     5.0 * w * std::pow(length, 4) / (384.0 * kEI)),
            1e-3);
  EXPECT_LT(
      relative(std::fabs(s.stations[n / 2].moment), w * length * length / 8.0),
      1e-3);
  // Each support carries half the load.
  EXPECT_LT(relative(std::fabs(s.stations[0].net_force), w * length / 2.0),
            2e-2);
}

// A linear p-y curve p = -k y at every station (two continued user curves
// at the top and the bottom, interpolated between them).
void linear_soil(engine::Problem& p, double k) {
  p.geometry.reference_depth = 0.0;
  for (int station : {0, p.geometry.increments}) {
    engine::UserPyCurve c;
    c.station = station;
    c.contd = 1;
    c.points = {{-1.0, k}, {1.0, -k}};
    p.user_curves.push_back(c);
  }
}

// Semi-infinite beam on an elastic foundation of modulus k (force per
// length squared) with a force H and a moment M at its top: top deflection
// 2 H lambda / k + 2 M lambda^2 / k, lambda = (k / 4EI)^(1/4); under H alone
// the largest moment, 0.3224 H / lambda, stands at depth pi / (4 lambda)
// (Hetenyi, Beams on Elastic Foundation, 1946). The wall is 10 / lambda
// long. Tolerance 0.5 %.
TEST(ClosedForm, SemiInfiniteBeamOnElasticFoundation) {
  const double k = 500.0;  // lb/in per in
  const double lambda = std::pow(k / (4.0 * kEI), 0.25);
  const int n = 400;
  const double h = 10.0 / lambda / n;
  const double force = 2000.0;

  engine::Problem p = prismatic_wall(n, h);
  linear_soil(p, k);
  p.loads = {{0, 0, 0, force, 0.0, 0.0}};
  Solution s = run(p);
  EXPECT_LT(relative(s.stations[0].deflection, 2.0 * force * lambda / k), 5e-3);
  size_t at_max = 0;
  for (size_t i = 0; i < s.stations.size(); ++i) {
    if (std::fabs(s.stations[i].moment) >
        std::fabs(s.stations[at_max].moment)) {
      at_max = i;
    }
  }
  EXPECT_LT(
      relative(std::fabs(s.stations[at_max].moment), 0.3224 * force / lambda),
      5e-3);
  EXPECT_NEAR(s.stations[at_max].depth, std::acos(-1.0) / (4.0 * lambda),
              1.5 * h);
  // The soil reaction is -k y per unit length.
  EXPECT_LT(
      relative(s.stations[10].soil_reaction, -k * s.stations[10].deflection),
      1e-9);

  // A moment M as a force pair at stations 0 and 1 (F at 0, -F at 1,
  // M = F h): the top deflection 2 M lambda^2 / k.
  const double pair = 5000.0;
  engine::Problem q = prismatic_wall(n, h);
  linear_soil(q, k);
  q.loads = {{0, 0, 0, pair, 0.0, 0.0}, {0, 1, 1, -pair, 0.0, 0.0}};
  s = run(q);
  EXPECT_LT(relative(std::fabs(s.stations[0].deflection),
                     2.0 * pair * h * lambda * lambda / k),
            5e-3);
}

// Simply supported beam-column under axial compression P and a uniform
// lateral load w: midspan deflection
//   w / (P c^2) (sec(c L / 2) - 1) - w L^2 / (8 P),  c = sqrt(P / EI)
// (Timoshenko and Gere, Theory of Elastic Stability, 1961, art. 1.11).
// A positive axial load as entered is compression. Tolerance 0.2 %.
TEST(ClosedForm, AxialCompressionAmplifiesDeflection) {
  const int n = 200;
  const double h = 1.2;
  const double length = n * h;
  const double w = 20.0;
  const double euler = std::pow(std::acos(-1.0), 2) * kEI / (length * length);
  const double axial = 0.5 * euler;
  engine::Problem p = prismatic_wall(n, h);
  p.conditions = {{1, 0, 0.0, 0.0}, {1, n, 0.0, 0.0}};
  p.loads = {{0, 0, n, w * h, 0.0, axial}};
  const Solution s = run(p);
  const double c = std::sqrt(axial / kEI);
  const double expected =
      w / (axial * c * c) * (1.0 / std::cos(c * length / 2.0) - 1.0) -
      w * length * length / (8.0 * axial);
  const double linear = 5.0 * w * std::pow(length, 4) / (384.0 * kEI);
  EXPECT_GT(expected, 1.9 * linear);  // roughly 1 / (1 - P / Pcr)
  EXPECT_LT(relative(std::fabs(s.stations[n / 2].deflection), expected), 2e-3);
}

// A nonlinear section: the rigidity reported at a station is the secant
// M(phi)/phi of the moment-curvature table at the station's curvature, and
// the moments still follow statics. Cantilever with an end load whose base
// moment lies on the second branch of a bilinear table.
TEST(ClosedForm, NonlinearSectionSecantRigidity) {
  const int n = 100;
  const double h = 2.4;
  const double load = 2000.0;
  engine::Problem p = prismatic_wall(n, h);
  engine::CrossSection& c = p.cross_sections[0];
  c.ei_option = 1;
  c.shape = 1;
  engine::ThrustLevel level;
  // Initial rigidity 2.9E9 up to 1.0E-4, then a quarter of it.
  level.points = {{0.0, 0.0},
                  {1.0e-4, 2.9e5},
                  {1.0e-2, 2.9e5 + 0.25 * 2.9e9 * (1.0e-2 - 1.0e-4)}};
  c.moment_curvature = {level};
  p.conditions = {{3, n, 0.0, 0.0}};
  p.loads = {{0, 0, 0, load, 0.0, 0.0}};
  const Solution s = run(p);
  bool beyond_yield = false;
  for (int k = 1; k < n; ++k) {
    const StationResult& r = s.stations[static_cast<size_t>(k)];
    EXPECT_LT(relative(std::fabs(r.moment), load * k * h), 1e-4)
        << "station " << k;
    const double phi = std::fabs(r.moment) / r.rigidity;
    EXPECT_LT(relative(r.rigidity, secant_rigidity(level.points, phi, 0.0)),
              1e-4)
        << "station " << k;
    beyond_yield = beyond_yield || phi > 1.0e-4;
  }
  EXPECT_TRUE(beyond_yield);
}

}  // namespace
}  // namespace korvan::wall
