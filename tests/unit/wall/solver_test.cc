// Pieces of the solution with their own rules: pairing of p-y curve
// records, the relaxation factors, the secant rigidity of a table.
#include "wall/solver.h"

#include <cmath>
#include <limits>
#include <random>

#include <gtest/gtest.h>

#include "wall/rigidity.h"

namespace korvan::wall {
namespace {

CurveRecord at(int station, int contd) {
  CurveRecord r;
  r.from = r.to = station;
  r.contd = contd;
  r.points = {{-1.0, 1.0}, {1.0, -1.0}};
  return r;
}

std::vector<std::pair<size_t, size_t>> pairs(
    const std::vector<CurveRecord>& curves,
    std::optional<size_t>* out_of_order = nullptr) {
  std::vector<std::pair<size_t, size_t>> out;
  for (const CurveRange& r : curve_ranges(curves, out_of_order)) {
    out.emplace_back(r.first, r.last);
  }
  return out;
}

// The section adjustment multiplies EI inside the iteration by spacing /
// equivalent diameter, and by 1000 more in metric units. A metric wall:
// E = 2.0E8 kPa and I = 1.0E9 mm^4 give EI = 2.0E8 x 1.0E-3 = 2.0E5 kN-m^2;
// with a spacing of 2 m and a diameter of 0.5 m the adjusted EI is
// 2.0E5 x 2 / 0.5 x 1000 = 8.0E8. English units take no factor. (The
// mm^4 factor is 1.0E12 as a single, whence the relative tolerance.)
TEST(Rigidity, SectionAdjustmentByHand) {
  engine::Problem p;
  p.control.unit_system = 2;
  p.geometry.increments = 4;
  p.geometry.increment_length = 1.0;
  p.geometry.section_adjustment = 1;
  p.soil.wall.width_pressure = 2.0;
  engine::CrossSection c;
  c.properties[engine::CrossSection::kMomentOfInertia] = 1.0e9;  // I, mm^4
  c.properties[engine::CrossSection::kElasticModulus] = 2.0e8;   // E, kPa
  p.cross_sections = {c};
  p.wall_sections = {{0.0, 4.0, 1}};
  RigidityModel m = rigidity_model(p);
  ASSERT_EQ(m.sections.size(), 1u);
  m.sections[0].diameter = 0.5;
  StationTable w{};
  StationTable f{};
  auto near = [](double value, double expected) {
    return std::fabs(value - expected) <= 1e-6 * expected;
  };
  evaluate_rigidity(m, w, false, f);
  EXPECT_TRUE(near(f[StationModel::index(2)], 2.0e5));
  evaluate_rigidity(m, w, true, f);
  for (int s = 0; s <= 4; ++s) {
    EXPECT_TRUE(near(f[StationModel::index(s)], 8.0e8))
        << "station " << s << ": " << f[StationModel::index(s)];
  }
  m.english = true;
  evaluate_rigidity(m, w, true, f);
  EXPECT_TRUE(near(f[StationModel::index(2)], 2.0e5 * 2.0 / 0.5));
}

TEST(CurveRanges, PairsChainsSkipsAndOrder) {
  using V = std::vector<std::pair<size_t, size_t>>;
  // Unflagged curves stand alone; a chain of flagged curves forms
  // consecutive pairs; the unflagged record closing it is not used alone.
  EXPECT_EQ(pairs({at(2, 0), at(5, 0)}), (V{{0, 0}, {1, 1}}));
  EXPECT_EQ(pairs({at(2, 1), at(5, 1), at(9, 0)}), (V{{0, 1}, {1, 2}}));
  // A flagged last record has no partner.
  EXPECT_EQ(pairs({at(2, 0), at(5, 1)}), (V{{0, 0}}));
  // A pair that would end at its own first station is skipped: the first
  // record pairs with the one after.
  EXPECT_EQ(pairs({at(4, 1), at(4, 1), at(8, 1), at(12, 0)}),
            (V{{0, 2}, {2, 3}}));
  // A flagged curve followed by one above it is out of order.
  std::optional<size_t> bad;
  pairs({at(2, 1), at(9, 1), at(5, 0)}, &bad);
  ASSERT_TRUE(bad.has_value());
  EXPECT_EQ(*bad, 1u);
}

TEST(Relaxation, FactorSequence) {
  const double expected[] = {0.5,   0.25,  0.75,   0.125, 0.375,
                             0.625, 0.875, 0.0625, 0.1875};
  for (int c = 0; c < 9; ++c) {
    EXPECT_DOUBLE_EQ(relaxation_factor(c), expected[c]) << c;
  }
  EXPECT_DOUBLE_EQ(relaxation_factor(15), 1.0 / 32.0);
  EXPECT_DOUBLE_EQ(relaxation_factor(126), 63.5 / 64.0);
}

// Hand values for the table (0,0), (1E-4, 200), (3E-4, 300):
// initial rigidity 200 / 1E-4 = 2E6; at 2E-4 the moment 250, EI 1.25E6;
// beyond the table at 6E-4 the secant 300 / 6E-4 = 5E5.
TEST(SecantRigidity, HandValues) {
  const std::vector<engine::CurvaturePoint> t = {
      {0.0, 0.0}, {1.0e-4, 200.0}, {3.0e-4, 300.0}};
  EXPECT_DOUBLE_EQ(secant_rigidity(t, 0.0, -1.0), 2.0e6);
  EXPECT_DOUBLE_EQ(secant_rigidity(t, double(1.0e-8f), -1.0), 2.0e6);
  EXPECT_DOUBLE_EQ(secant_rigidity(t, 5.0e-5, -1.0), 2.0e6);
  EXPECT_DOUBLE_EQ(secant_rigidity(t, 2.0e-4, -1.0), 1.25e6);
  EXPECT_DOUBLE_EQ(secant_rigidity(t, 3.0e-4, -1.0), 1.0e6);
  EXPECT_DOUBLE_EQ(secant_rigidity(t, 6.0e-4, -1.0), 5.0e5);
  // A table of fewer than two points leaves EI as it was.
  EXPECT_EQ(secant_rigidity({{0.0, 0.0}}, 1.0e-3, 7.0), 7.0);
}

}  // namespace
}  // namespace korvan::wall

namespace korvan::wall {
namespace {

// The bisection of an ascending curve, and the walk from any segment, find
// the segment the point-by-point search finds: tables with repeated
// deflections, deflections on the points, between them, beyond either end
// and not a number.
TEST(CurveSegment, BisectionAndWalkFindTheSegmentOfTheSearch) {
  const std::vector<std::pair<double, double>> table = {
      {-2, 0}, {-1, 0}, {-1, 0}, {0, 0}, {0.5, 0}, {3, 0}};
  EXPECT_EQ(curve_segment(table, -5.0, true), 1u);
  EXPECT_EQ(curve_segment(table, -1.0, true), 1u);
  EXPECT_EQ(curve_segment(table, -0.5, true), 3u);
  EXPECT_EQ(curve_segment(table, 0.5, true), 4u);
  EXPECT_EQ(curve_segment(table, 9.0, true), 5u);
  EXPECT_EQ(curve_segment(table, std::nan(""), true), 1u);
  EXPECT_EQ(curve_segment(table, -1.0, true, 5), 1u);
  EXPECT_EQ(curve_segment(table, 9.0, true, 1), 5u);

  std::mt19937 rng(5);
  for (int trial = 0; trial < 20000; ++trial) {
    const size_t size = 2 + rng() % 40;
    std::vector<std::pair<double, double>> pts;
    double y = -10.0;
    for (size_t i = 0; i < size; ++i) {
      y += static_cast<double>(rng() % 3) * 0.5;  // repeats when 0
      pts.emplace_back(y, 0.0);
    }
    const double probes[] = {pts[rng() % size].first,
                             pts[rng() % size].first + 0.25,
                             -1e300,
                             1e300,
                             std::numeric_limits<double>::infinity(),
                             std::nan("")};
    for (double probe : probes) {
      const size_t search = curve_segment(pts, probe, false);
      ASSERT_EQ(curve_segment(pts, probe, true), search)
          << "size " << size << ", deflection " << probe;
      const size_t hint = 1 + rng() % (size - 1);
      ASSERT_EQ(curve_segment(pts, probe, true, hint), search)
          << "size " << size << ", deflection " << probe << ", from " << hint;
    }
  }
}

}  // namespace
}  // namespace korvan::wall
