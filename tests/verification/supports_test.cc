// Support forces against statics. A wall held by a tie back (or strut) at
// its top and a pin at its toe is statically determinate: the support
// reaction follows from moments about the pin whatever the spring
// stiffness (Hibbeler, Structural Analysis, simply supported beam with a
// point load). With the hinge model a two-anchor wall on a pinned toe
// becomes determinate as well.
#include <gtest/gtest.h>

#include <cmath>

#include "model/constants.h"
#include "wall/solver.h"
#include "wall/supports.h"
#include "wall/wall_model.h"

namespace korvan::wall {
namespace {

// English wall, 40 increments of 6 in, EI = 2.9E9, pinned at its toe,
// 1 ft wide.
engine::Problem pinned_wall() {
  engine::Problem p;
  p.control.unit_system = 1;
  p.geometry.increments = 40;
  p.geometry.increment_length = 6.0;
  p.geometry.allowable_deflection = 1.0e6;
  p.geometry.closure_tolerance = 1.0e-12;
  p.geometry.max_iterations = 50;
  p.geometry.wall_width = 12.0;
  engine::CrossSection c;
  c.dimensions[0] = 12.0;
  c.properties[3] = 100.0;
  c.properties[8] = 29.0e6;
  p.cross_sections.push_back(c);
  p.wall_sections.push_back({0.0, 20.0, 1});
  p.conditions = {{1, 40, 0.0, 0.0}};
  return p;
}

engine::Anchor anchor(double depth_ft, double angle, double prestress) {
  engine::Anchor a;
  a.depth = depth_ft;
  a.area = 1.0;
  a.modulus = 29.0e6;
  a.unbonded_length = 20.0;
  a.angle = angle;
  a.spacing = 8.0;
  a.prestress = prestress;
  return a;
}

struct Solved {
  WallModel model;
  Solution solution;
};

Solved run(const engine::Problem& p) {
  Solved s{build_wall_model(p), {}};
  s.solution = solve(s.model, StationTable{}, nullptr);
  EXPECT_TRUE(s.solution.has_results());
  return s;
}

double relative(double actual, double expected) {
  return std::fabs(actual - expected) / std::fabs(expected);
}

// A 2000 lb load at station 30 (15 ft down); tie back at the top at 20
// degrees with a prestress; pin at the toe (20 ft). Moments about the pin:
// H * 20 ft = -2000 lb * 5 ft. Tolerance 1E-9 relative.
TEST(Supports, InclinedTieBackCarriesTheStaticReaction) {
  engine::Problem p = pinned_wall();
  p.control.tie_backs = 1;
  p.tie_backs = {anchor(0.0, 20.0, 5000.0)};
  p.loads = {{0, 30, 30, 2000.0, 0.0, 0.0}};
  const Solved s = run(p);
  const Support& t = s.model.supports[0];
  const SupportForces f = support_forces(t, p, s.solution.deflections);
  EXPECT_LT(relative(f.horizontal, -2000.0 * 5.0 / 20.0), 1e-9);
  const double angle = 20.0 * kPi3_1416 / 180.0;
  EXPECT_LT(relative(f.along, f.horizontal / std::cos(angle)), 1e-12);
  // Per tie back: 8 ft spacing on a 1 ft (12 in) wide strip.
  EXPECT_LT(relative(f.per_support, f.along * 12.0 * 8.0 / 12.0), 1e-12);
  // The spring takes cos squared; the prestress term cos once.
  const double c = std::cos(angle);
  EXPECT_LT(relative(t.spring, 1.0 * 29.0e6 * c * c / (12.0 * 20.0 * 8.0)),
            1e-12);
  EXPECT_LT(relative(t.force, -(12.0 / (12.0 * 8.0)) * 5000.0 * c), 1e-12);
}

// The same wall held by a horizontal strut 2 ft below the top: moments
// about the pin, H * 18 ft = -2000 lb * 5 ft.
TEST(Supports, StrutCarriesTheStaticReaction) {
  engine::Problem p = pinned_wall();
  p.control.struts = 1;
  p.struts = {anchor(2.0, 0.0, 0.0)};
  p.loads = {{0, 30, 30, 2000.0, 0.0, 0.0}};
  const Solved s = run(p);
  const SupportForces f =
      support_forces(s.model.supports[0], p, s.solution.deflections);
  EXPECT_EQ(s.model.supports[0].station, 4);
  EXPECT_LT(relative(f.horizontal, -2000.0 * 5.0 / 18.0), 1e-9);
  EXPECT_EQ(f.along, f.horizontal);
}

// Two tie backs (stations 4 and 16) and a pin at the toe are one support
// too many for statics; the hinge at the second tie back (zero moment
// there) makes the wall determinate. With a load P at the top (station 0):
// moments about the hinge for the part above it give
// H1 (16 - 4) h = -P 16 h; then moments about the pin for the whole wall
// give H2. Tolerance 1E-6 relative.
TEST(Supports, HingeModelMakesTwoAnchorsDeterminate) {
  engine::Problem p = pinned_wall();
  p.control.tie_backs = 2;
  p.control.hinge_model = 1;
  p.tie_backs = {anchor(2.0, 0.0, 0.0), anchor(8.0, 0.0, 0.0)};
  const double load = 1000.0;
  p.loads = {{0, 0, 0, load, 0.0, 0.0}};
  const Solved s = run(p);
  EXPECT_EQ(s.model.hinge_stations, std::vector<int>{16});
  const double h1 = -load * 16.0 / 12.0;
  const double h2 = -(load * 40.0 + h1 * 36.0) / 24.0;
  const StationTable& w = s.solution.deflections;
  EXPECT_LT(relative(support_forces(s.model.supports[0], p, w).horizontal, h1),
            1e-6);
  EXPECT_LT(relative(support_forces(s.model.supports[1], p, w).horizontal, h2),
            1e-6);
  EXPECT_NEAR(s.solution.stations[16].moment, 0.0, 1e-6 * load * 240.0);

  // Without the hinge the same wall is indeterminate and the reactions
  // differ.
  p.control.hinge_model = 0;
  const Solved t = run(p);
  EXPECT_GT(
      relative(support_forces(t.model.supports[0], p, t.solution.deflections)
                   .horizontal,
               h1),
      1e-3);
}

// Wales: the reaction per anchor Hw = H s / W (12 s / W in English units),
// the load q = Hw / s, and the largest moment q s^2 / 10 for a continuous
// wale, q s^2 / 8 for a simply supported one (Hibbeler: simple span wL^2/8;
// the usual q L^2 / 10 for a wale continuous over its anchors).
TEST(Supports, WaleMoments) {
  engine::Problem p = pinned_wall();
  p.control.tie_backs = 1;
  p.control.wale_flag = 1;
  p.tie_backs = {anchor(0.0, 0.0, 0.0)};
  p.loads = {{0, 30, 30, 2000.0, 0.0, 0.0}};
  const Solved s = run(p);
  const double h = -2000.0 * 5.0 / 20.0;  // lb per 12 in of wall
  const double hw = h * 12.0 * 8.0 / 12.0;
  const double q = hw / 8.0;

  p.control.wale_continuity = 2;
  SupportForces f =
      support_forces(s.model.supports[0], p, s.solution.deflections);
  EXPECT_LT(relative(f.wale_reaction, hw), 1e-9);
  EXPECT_LT(relative(f.wale_load, q), 1e-9);
  EXPECT_LT(relative(f.wale_moment, q * 64.0 / 10.0), 1e-9);
  p.control.wale_continuity = 1;
  f = support_forces(s.model.supports[0], p, s.solution.deflections);
  EXPECT_LT(relative(f.wale_moment, q * 64.0 / 8.0), 1e-9);
}

TEST(Supports, StationsAndRestraintForces) {
  // Halves of an increment go to the station further from the top.
  EXPECT_EQ(support_station(0.25, 6.0, true), 1);  // 3 in of 6
  EXPECT_EQ(support_station(0.24, 6.0, true), 0);
  EXPECT_EQ(support_station(0.75, 0.5, false), 2);  // 1.5 increments

  // A restraint pair reports the stiffness that applies at each station
  // (interpolated, not halved at the ends) times the deflection.
  engine::Problem p = pinned_wall();
  p.conditions.clear();
  p.restraints = {{0, 0, 1, 1000.0, 0.0}, {0, 40, 0, 3000.0, 0.0}};
  p.loads = {{0, 0, 40, 10.0, 0.0, 0.0}};
  const Solved s = run(p);
  const auto forces = restraint_forces(p, s.solution.stations);
  ASSERT_EQ(forces.size(), 41u);
  for (const RestraintForce& r : forces) {
    const double k = 1000.0 + 2000.0 * r.station / 40.0;
    EXPECT_LT(
        relative(
            r.force,
            k * s.solution.stations[static_cast<size_t>(r.station)].deflection),
        1e-12);
  }
}

}  // namespace
}  // namespace korvan::wall
