// Record-level checks and conversions of the input records.
#include "engine/problem_reader.h"

#include <gtest/gtest.h>

#include <sstream>

namespace korvan::engine {
namespace {

struct Input {
  explicit Input(std::string text) : in(std::move(text)), reader(in, "w.dat") {}
  std::istringstream in;
  RecordReader reader;
};

StopKind stop_of(auto&& read) {
  try {
    read();
  } catch (const InputError& e) {
    return e.kind();
  }
  ADD_FAILURE() << "no stop";
  return StopKind::kInvalid;
}

TEST(ProblemReader, MetricSurchargeDistancesAreEnteredInMillimetres) {
  Input f("1 50.0 2000.0 300.0 500.0 0.75\n1 50.0 2000.0 300.0 500.0 0.75\n");
  const Surcharge metric = read_surcharge(f.reader, 1, UnitSystem::kMetric);
  EXPECT_EQ(metric.load, 50.0);
  EXPECT_EQ(metric.distance, 2.0);
  EXPECT_EQ(metric.width, 0.3);
  EXPECT_EQ(metric.vertical, 0.5);
  EXPECT_EQ(metric.factor, 0.75);
  const Surcharge english = read_surcharge(f.reader, 2, UnitSystem::kEnglish);
  EXPECT_EQ(english.distance, 2000.0);
}

TEST(ProblemReader, StationOrderStops) {
  // Specified points: stations may repeat but not decrease; the first may
  // be -1 but not above.
  {
    Input f("1 5 0 0\n1 5 0 0\n1 4 0 0\n");
    const SpecifiedCondition a = read_specified_condition(f.reader, 1, nullptr, 10);
    const SpecifiedCondition b = read_specified_condition(f.reader, 2, &a.station, 10);
    EXPECT_EQ(b.station, 5);
    EXPECT_EQ(stop_of([&] { read_specified_condition(f.reader, 3, &b.station, 10); }),
              StopKind::kStationsNotInOrder);
  }
  {
    // A deflection may stand on stations -1..N+1, a slope (set through
    // the stations on either side) on 0..N only.
    Input f("1 -1 0 0\n3 -2 0 0\n2 -1 0 0\n1 11 0 0\n3 11 0 0\n");
    EXPECT_EQ(read_specified_condition(f.reader, 1, nullptr, 10).station, -1);
    EXPECT_EQ(stop_of([&] { read_specified_condition(f.reader, 1, nullptr, 10); }),
              StopKind::kStationsNotInOrder);
    EXPECT_EQ(stop_of([&] { read_specified_condition(f.reader, 1, nullptr, 10); }),
              StopKind::kInvalid);
    EXPECT_EQ(read_specified_condition(f.reader, 1, nullptr, 10).station, 11);
    EXPECT_EQ(stop_of([&] { read_specified_condition(f.reader, 1, nullptr, 10); }),
              StopKind::kInvalid);
  }
  // Load entries: TO before FROM, and a pair closed above its opening.
  {
    Input f("0 5 4 1 0 0\n1 5 9 1 0 0\n0 0 3 1 0 0\n");
    EXPECT_EQ(stop_of([&] { read_load_entry(f.reader, 1, nullptr); }),
              StopKind::kStationsNotInOrder);
    const LoadEntry opening = read_load_entry(f.reader, 2, nullptr);
    EXPECT_EQ(opening.line, 2);
    EXPECT_EQ(stop_of([&] { read_load_entry(f.reader, 3, &opening); }),
              StopKind::kStationsNotInOrder);
  }
}

TEST(ProblemReader, CountsAndCapacities) {
  Input f("");
  EXPECT_EQ(stop_of([&] { check_specified_count(f.reader, 21, 2); }),
            StopKind::kTooMuchData);
  EXPECT_EQ(stop_of([&] { check_specified_count(f.reader, -1, 2); }),
            StopKind::kQuiet);
  EXPECT_NO_THROW(check_specified_count(f.reader, 20, 2));
  EXPECT_EQ(stop_of([&] { check_user_curve_count(f.reader, 401, 2); }),
            StopKind::kTooMuchData);
  EXPECT_NO_THROW(check_user_curve_count(f.reader, 400, 2));
  ControlRecord c;
  c.tie_backs = 12;
  c.struts = 8;
  EXPECT_NO_THROW(check_support_count(f.reader, c, 2));
  c.struts = 9;
  EXPECT_EQ(stop_of([&] { check_support_count(f.reader, c, 2); }),
            StopKind::kTooMuchData);

  Input g("410 1.0 0 0 0 0 0 5 0 0 0\n409 1.0 0 0 0 0 0 5 0 0 0\n"
          "0 0.0 0 0 0 0 0 -1 0 0 0\n");
  EXPECT_EQ(stop_of([&] { read_wall_geometry(g.reader); }), StopKind::kInvalid);
  EXPECT_EQ(read_wall_geometry(g.reader).increments, 409);
  // Nothing is computed after a negative iteration limit: no check.
  EXPECT_EQ(read_wall_geometry(g.reader).max_iterations, -1);
}

TEST(ProblemReader, ElasticAndNonlinearCrossSectionBlocks) {
  Input f(
      "0 0 2 0\n'PIPE 24'\n24 24 0 0.5 0 0 0 0\n"
      "1 2 3 4000 5 6 7 8 2.9E7 10 11 0\n0 0 0.0 0 0 0 0 0 0\n'DONE'\n"
      "0 0 8 1\nSHAFT\n36 0 0 0 0 0 0 0 3.6E6\n"
      "1 10*0\n6*0.0 1 2 1 1\nNONE\n7 3.0 4*0.0 0\n6*0 4*0.0\n"
      "1 2 3\n4 5 6\n8 5*0.0 2*0.0\n7 8 9\n0 0 2 0.0 0.0\n0.1\n0.2\n"
      "7*0 4*0.0\n0 0 0 0 0.0 0.0\n9\n");
  const CrossSection pipe = read_cross_section(f.reader, 1);
  EXPECT_TRUE(pipe.elastic());
  EXPECT_EQ(pipe.equivalent_diameter(), 24.0);
  EXPECT_EQ(pipe.properties[3], 4000.0);
  EXPECT_EQ(pipe.properties[8], 2.9E7);
  EXPECT_EQ(pipe.remark.substr(0, 4), "DONE");

  const CrossSection shaft = read_cross_section(f.reader, 2);
  EXPECT_FALSE(shaft.elastic());
  EXPECT_EQ(shaft.modulus, 3.6E6);
  EXPECT_EQ(shaft.nonlinear.bar_list, std::vector<int>{7});
  EXPECT_EQ(shaft.nonlinear.bars.size(), 2u);
  EXPECT_EQ(shaft.nonlinear.strand_list, std::vector<int>{8});
  EXPECT_EQ(shaft.nonlinear.strands.size(), 1u);
  EXPECT_EQ(shaft.nonlinear.casing_table, (std::vector<double>{0.1, 0.2}));
  EXPECT_TRUE(shaft.nonlinear.steel_table.empty());
  // The block ended exactly: the next record is the 9.
  f.reader.begin("next");
  EXPECT_EQ(f.reader.integer("value"), 9);
}

TEST(ProblemReader, UserCurvesAreContinuedFromTheReferenceDepth) {
  WallGeometry g;
  g.increments = 20;
  g.increment_length = 6.0;
  g.reference_depth = 60.0;
  Input f("9 2 1 1\n0 0\n1 -5\n10 2 1 1\n0 0\n1 -5\n30 1 1 1\n0 0\n");
  EXPECT_EQ(read_user_curve(f.reader, 1, g).contd, 0);  // 54 above 60
  EXPECT_EQ(read_user_curve(f.reader, 2, g).contd, 1);  // 60 is not above
  EXPECT_EQ(stop_of([&] { read_user_curve(f.reader, 3, g); }),
            StopKind::kInvalid);  // one point is no curve
}

}  // namespace
}  // namespace korvan::engine
