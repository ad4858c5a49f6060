#include "wall/station_model.h"

#include <gtest/gtest.h>

#include <climits>

namespace korvan::wall {
namespace {

double at(const StationTable& t, int station) {
  return t[StationModel::index(station)];
}

engine::Problem wall_of(int increments) {
  engine::Problem p;
  p.geometry.increments = increments;
  p.geometry.increment_length = 12.0;
  return p;
}

TEST(StationModel, RangesMeetingAtAStationAddToOneFullValue) {
  engine::Problem p = wall_of(20);
  p.loads = {{0, 0, 10, 4.0, 0.0, 0.0}, {0, 10, 20, 4.0, 0.0, 0.0}};
  const StationModel m = build_station_model(p);
  EXPECT_EQ(at(m.load, 0), 2.0);
  EXPECT_EQ(at(m.load, 5), 4.0);
  EXPECT_EQ(at(m.load, 10), 4.0);
  EXPECT_EQ(at(m.load, 20), 2.0);
  EXPECT_EQ(at(m.load, 21), 0.0);
  EXPECT_FALSE(has_data_beyond_end(m));
}

TEST(StationModel, PairedEntriesVaryLinearlyAndAxialLoadIsReversed) {
  engine::Problem p = wall_of(10);
  // The pair runs from the first entry's FROM (2) to the second's TO (6);
  // the second entry's own FROM is not used and it is not applied alone.
  p.loads = {{1, 2, 99, 0.0, 0.0, 8.0},
             {0, -5, 6, 8.0, 0.0, 0.0},
             {0, 8, 8, 3.0, 0.0, 0.0}};
  const StationModel m = build_station_model(p);
  EXPECT_EQ(at(m.load, 2), 0.0);
  EXPECT_EQ(at(m.load, 3), 2.0);
  EXPECT_EQ(at(m.load, 4), 4.0);
  EXPECT_EQ(at(m.load, 5), 6.0);
  EXPECT_EQ(at(m.load, 6), 4.0);  // half of 8 at the end station
  EXPECT_EQ(at(m.load, 7), 0.0);
  EXPECT_EQ(at(m.load, 8), 3.0);  // a one-station range keeps its full value
  EXPECT_EQ(at(m.axial, 2), -4.0);
  EXPECT_EQ(at(m.axial, 4), -4.0);
  EXPECT_EQ(at(m.axial, 6), 0.0);
  EXPECT_FALSE(has_data_beyond_end(m));
}

TEST(StationModel, PairingOfContinuationFlags) {
  auto pairs = [](std::vector<int> flags) {
    std::vector<std::pair<size_t, size_t>> out;
    for (const EntryPair& p : pair_entries(flags)) {
      out.emplace_back(p.first, p.last);
    }
    return out;
  };
  using V = std::vector<std::pair<size_t, size_t>>;
  EXPECT_EQ(pairs({0, 0}), (V{{0, 0}, {1, 1}}));
  EXPECT_EQ(pairs({1, 0, 0}), (V{{0, 1}, {2, 2}}));
  // A chain: the middle entry closes one range and opens the next.
  EXPECT_EQ(pairs({1, 1, 0}), (V{{0, 1}, {1, 2}}));
  EXPECT_EQ(pairs({0, 1}), (V{{0, 0}}));
}

TEST(StationModel, RestraintsSpreadIntoSpringAndRotationalTables) {
  engine::Problem p = wall_of(4);
  p.restraints = {{0, 4, 0, 100.0, 50.0}};
  const StationModel m = build_station_model(p);
  EXPECT_EQ(at(m.spring, 0), 50.0);
  EXPECT_EQ(at(m.spring, 2), 100.0);
  EXPECT_EQ(at(m.rotational, 4), 25.0);
}

TEST(StationModel, DataBeyondTheEndsIsFound) {
  struct Case {
    int from, to;
    double value;
    bool beyond;
  };
  const Case cases[] = {
      {0, 10, 1.0, false},    // the whole wall
      {10, 11, 1.0, true},    // half a value stays at N+1
      {12, 12, 1.0, true},    // only at a fictitious station
      {-1, 0, 1.0, true},     // above the top
      {20, 30, 0.0, false},   // zeros anywhere are harmless
      {500, 600, 2.0, true},  // far outside the tables
      // The extremes of the station numbers: only the tables are visited.
      {INT_MIN, INT_MAX, 1.0, true},
      {INT_MAX - 1, INT_MAX, 0.0, false},
      {INT_MIN, 5, 0.0, false},
  };
  for (const Case& c : cases) {
    engine::Problem p = wall_of(10);
    p.loads = {{0, c.from, c.to, c.value, 0.0, 0.0}};
    EXPECT_EQ(has_data_beyond_end(build_station_model(p)), c.beyond)
        << c.from << ".." << c.to;
  }
}

TEST(StationModel, ConditionCodes) {
  engine::Problem p = wall_of(10);
  p.conditions = {{1, 0, 0.5, 0.0}, {2, 4, 0.0, 0.01}, {7, 8, 0.0, 0.0}};
  const StationModel m = build_station_model(p);
  auto code = [&m](int s) { return m.condition[StationModel::index(s)]; };
  EXPECT_EQ(code(0), kDeflection);
  EXPECT_EQ(code(3), kAboveSlope);
  EXPECT_EQ(code(4), kFree);
  EXPECT_EQ(code(5), kBelowSlope);
  EXPECT_EQ(code(7), kAboveSlope);  // case 7 is handled as case 3
  EXPECT_EQ(code(8), kDeflectionAndSlope);
  EXPECT_EQ(code(9), kBelowSlope);

  engine::Problem q = wall_of(10);
  q.conditions = {{2, 0, 0.0, 0.0}};
  const StationModel n = build_station_model(q);
  EXPECT_EQ(n.condition[StationModel::index(-1)], kAboveSlope);
  EXPECT_EQ(n.condition[StationModel::index(0)], kFree);
  EXPECT_EQ(n.condition[StationModel::index(1)], kBelowSlope);
}

}  // namespace
}  // namespace korvan::wall
