// Record-level checks and conversions of the input records.
#include "input/problem_reader.h"

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
    const SpecifiedCondition a =
        read_specified_condition(f.reader, 1, nullptr, 10);
    const SpecifiedCondition b =
        read_specified_condition(f.reader, 2, &a.station, 10);
    EXPECT_EQ(b.station, 5);
    EXPECT_EQ(
        stop_of([&] { read_specified_condition(f.reader, 3, &b.station, 10); }),
        StopKind::kStationsNotInOrder);
  }
  {
    // A deflection may stand on stations -1..N+1, a slope (set through
    // the stations on either side) on 0..N only.
    Input f("1 -1 0 0\n3 -2 0 0\n2 -1 0 0\n1 11 0 0\n3 11 0 0\n");
    EXPECT_EQ(read_specified_condition(f.reader, 1, nullptr, 10).station, -1);
    EXPECT_EQ(
        stop_of([&] { read_specified_condition(f.reader, 1, nullptr, 10); }),
        StopKind::kStationsNotInOrder);
    EXPECT_EQ(
        stop_of([&] { read_specified_condition(f.reader, 1, nullptr, 10); }),
        StopKind::kInvalid);
    EXPECT_EQ(read_specified_condition(f.reader, 1, nullptr, 10).station, 11);
    EXPECT_EQ(
        stop_of([&] { read_specified_condition(f.reader, 1, nullptr, 10); }),
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
  // Two counts whose sum wraps round in 32 bits.
  c.tie_backs = 2147483647;
  c.struts = 1;
  EXPECT_EQ(stop_of([&] { check_support_count(f.reader, c, 2); }),
            StopKind::kTooMuchData);

  Input g(
      "410 1.0 0 0.001 0 0 0 5 0 0 0\n409 1.0 0 0.001 0 0 0 5 0 0 0\n"
      "0 0.0 0 0 0 0 0 -1 0 0 0\n");
  EXPECT_EQ(stop_of([&] { read_wall_geometry(g.reader); }), StopKind::kInvalid);
  EXPECT_EQ(read_wall_geometry(g.reader).increments, 409);
  // Nothing is computed after a negative iteration limit: no check.
  EXPECT_EQ(read_wall_geometry(g.reader).max_iterations, -1);
}

// The diagnostic of a refused read, or "" when the read passes.
std::string refusal_of(auto&& read) {
  try {
    read();
  } catch (const InputError& e) {
    return e.what();
  }
  return "";
}

TEST(ProblemReader, StationNumbersFarOutsideTheTablesAreRefusedAsRead) {
  // The extremes of the 32-bit integers once ran the spreading loops out
  // of the tables; a station within reach of the tables is left to the
  // check for data beyond the ends of the wall.
  Input f(
      "0 0 2147483647 1.0 0 0\n0 -2147483648 0 1.0 0 0\n"
      "0 0 416 1.0 0 0\n0 -417 0 1.0 0 0\n"
      "0 2147483647 0 1000.0 0\n-2147483648 5 0 1000.0 0\n"
      "2147483647 2 1 1\n0 0\n1 -5\n");
  EXPECT_EQ(refusal_of([&] { read_load_entry(f.reader, 1, nullptr); }),
            "w.dat:1: stiffness-and-load record 1, field 3 (last station): "
            "station 2147483647 lies far outside the station tables (station "
            "numbers from -416 to 416 are taken)");
  EXPECT_NE(refusal_of([&] { read_load_entry(f.reader, 2, nullptr); })
                .find("w.dat:2: stiffness-and-load record 2, field 2 (first "
                      "station): station -2147483648"),
            std::string::npos);
  EXPECT_EQ(read_load_entry(f.reader, 3, nullptr).to, 416);
  EXPECT_NE(refusal_of([&] { read_load_entry(f.reader, 4, nullptr); }), "");
  EXPECT_NE(refusal_of([&] {
              read_restraint(f.reader, 1, nullptr);
            }).find("w.dat:5: restraint record 1, field 2 (last station)"),
            std::string::npos);
  EXPECT_NE(refusal_of([&] {
              read_restraint(f.reader, 2, nullptr);
            }).find("field 1 (first station)"),
            std::string::npos);
  WallGeometry g;
  g.increments = 20;
  g.increment_length = 6.0;
  EXPECT_NE(refusal_of([&] {
              read_user_curve(f.reader, 1, g);
            }).find("p-y curve 1, header record, field 1 (station)"),
            std::string::npos);
}

TEST(ProblemReader, ValuesOutsideTheirPhysicalRangeAreRefused) {
  WallGeometry g;
  g.increments = 20;
  g.increment_length = 6.0;
  g.wall_width = 12.0;
  // depth, area, modulus, unbonded length, angle, spacing, prestress
  Input f(
      "5 0 2.9E7 20 15 8 0\n5 -1.0 2.9E7 20 15 8 0\n"
      "5 1.0 0 20 15 8 0\n5 1.0E300 2.9E10 20 15 8 0\n"
      "5 1.0 2.9E7 20 15 1.0E-300 1.0E10\n5 1.0 2.9E7 20 15 8 1.0E5\n");
  const char* why[] = {"the area must be positive", "the area must be positive",
                       "the elastic modulus must be positive",
                       "the spring of the support",
                       "the prestress load of the support"};
  for (const char* w : why) {
    EXPECT_NE(refusal_of([&] {
                read_tie_back(f.reader, 1, g, UnitSystem::kEnglish);
              }).find(w),
              std::string::npos)
        << w;
  }
  EXPECT_EQ(read_tie_back(f.reader, 6, g, UnitSystem::kEnglish).prestress,
            1.0E5);

  // Friction angles 0 to below 90 degrees; the rock quality designation of
  // a weak rock 0 to 100 % where its p-y curves are made, anything where
  // it is not used.
  const std::string rock =
      "7 0.0 10.0\n0.1 1000 0 0.0005 1.0E5 101\n0.1 1000 0 0.0005 1.0E5 50\n";
  const std::string sand = "4 0.0 10.0\n0.1 0 89.9 0 100 0\n0.1 0 0 0 100 0\n";
  auto layer = [](const std::string& text, bool py_curves) {
    Input f(text);
    return refusal_of(
        [&] { read_soil_layer(f.reader, 1, nullptr, py_curves); });
  };
  EXPECT_EQ(layer(rock, true),
            "w.dat:2: soil layer 1, top values record, field 6 (rock quality "
            "designation): a rock quality designation of 101 % is outside 0 "
            "to 100 %");
  EXPECT_EQ(layer(rock, false), "");
  EXPECT_EQ(layer(sand, true), "");
  EXPECT_NE(layer("4 0.0 10.0\n0.1 0 30 0 100 0\n0.1 0 400 0 100 0\n", false)
                .find("w.dat:3: soil layer 1, bottom values record, field 3 "
                      "(friction angle): a friction angle of 400 degrees is "
                      "outside 0 to below 90 degrees"),
            std::string::npos);
  EXPECT_NE(layer("4 0.0 10.0\n0.1 0 -5 0 100 0\n0.1 0 0 0 100 0\n", false),
            "");
  // No soil has a negative unit weight, strength or epsilon-50.
  EXPECT_EQ(
      layer("1 0.0 10.0\n-0.1 1 0 0.02 100 0\n0.1 1 0 0.02 100 0\n", false),
      "w.dat:2: soil layer 1, top values record, field 1 (total unit "
      "weight): a total unit weight of -0.1 is below zero; it must be 0 "
      "or more");
  EXPECT_NE(layer("1 0.0 10.0\n0.1 1 0 0.02 100 0\n0.1 -1 0 0.02 100 0\n", true)
                .find("w.dat:3: soil layer 1, bottom values record, field 2 "
                      "(strength): a strength of -1 is below zero"),
            std::string::npos);
  EXPECT_NE(layer("1 0.0 10.0\n0.1 1 0 -0.02 100 0\n0.1 1 0 0.02 100 0\n", true)
                .find("field 4 (epsilon-50): a epsilon-50 of -0.02"),
            std::string::npos);
  EXPECT_EQ(layer("1 0.0 10.0\n0 0 0 0 0 0\n0.1 1 0 0.02 100 0\n", true), "");

  // The number of load cycles where cyclic curves take it.
  auto cycles = [](const std::string& text) {
    Input f(text);
    SoilProfile soil;
    return refusal_of([&] { read_soil_record(f.reader, soil); });
  };
  EXPECT_EQ(cycles("1 0 -5\n"),
            "w.dat:1: soil record, field 3 (number of load cycles): -5 load "
            "cycles is outside 0 to 1e+06");
  EXPECT_NE(cycles("1 0 1e300\n"), "");
  EXPECT_EQ(cycles("1 0 1e6\n"), "");
  EXPECT_EQ(cycles("1 1 -5\n"), "");  // static loading: not used

  // Restraints resist: negative stiffnesses are refused.
  Input restraints("0 5 0 -1000.0 0\n0 5 0 1000.0 -1.0\n0 5 0 0 0\n");
  EXPECT_EQ(refusal_of([&] { read_restraint(restraints.reader, 1, nullptr); }),
            "w.dat:1: restraint record 1, field 4 (transverse stiffness): a "
            "stiffness of -1000 is below zero; it must be 0 or more");
  EXPECT_NE(refusal_of([&] {
              read_restraint(restraints.reader, 2, nullptr);
            }).find("field 5 (rotational stiffness)"),
            std::string::npos);
  EXPECT_EQ(refusal_of([&] { read_restraint(restraints.reader, 3, nullptr); }),
            "");

  // A user p-y point times its multipliers beyond any soil.
  WallGeometry curves;
  curves.increments = 20;
  curves.increment_length = 6.0;
  auto curve = [&](const std::string& text) {
    Input f(text);
    return refusal_of([&] { read_user_curve(f.reader, 1, curves); });
  };
  EXPECT_EQ(curve("5 2 1.0 1.0\n-2.0 1e308\n2.0 -1e308\n"),
            "w.dat:2: p-y curve 1, point 1: the point times the p- and "
            "y-multipliers of its curve is beyond 1e+30 in magnitude: no soil "
            "gives such values");
  EXPECT_NE(curve("5 2 1e20 1.0\n-2.0 1e11\n2.0 -1e10\n")
                .find("w.dat:2: p-y curve 1, point 1"),
            std::string::npos);
  EXPECT_EQ(curve("5 2 1.0 1.0\n-2.0 1e30\n2.0 -1e30\n"), "");

  // A closure tolerance must be above zero when iterations are asked for;
  // the iterations themselves are bounded.
  Input geometry(
      "20 6.0 10 0.0 0 12 120 100 0 0 0\n"
      "20 6.0 10 -1.0 0 12 120 1 0 0 0\n"
      "20 6.0 10 0.0 0 12 120 0 0 0 0\n"
      "20 6.0 10 0.001 0 12 120 100001 0 0 0\n"
      "20 6.0 10 0.001 0 12 120 100000 0 0 0\n"
      "20 6.0 10 5e-324 0 12 120 100 0 0 0\n"
      "20 6.0 10 1e-12 0 12 120 100 0 0 0\n");
  EXPECT_NE(refusal_of([&] { read_wall_geometry(geometry.reader); })
                .find("w.dat:1: wall-geometry record, field 4 (deflection "
                      "closure tolerance): a tolerance of 0 is below 1e-12 "
                      "(of the length unit)"),
            std::string::npos);
  EXPECT_NE(refusal_of([&] { read_wall_geometry(geometry.reader); }), "");
  EXPECT_EQ(read_wall_geometry(geometry.reader).max_iterations, 0);
  EXPECT_NE(refusal_of([&] { read_wall_geometry(geometry.reader); })
                .find("field 8 (maximum number of iterations): 100001 "
                      "iterations, at most 100000"),
            std::string::npos);
  EXPECT_EQ(read_wall_geometry(geometry.reader).max_iterations, 100000);
  // A tolerance below the resolution of the deflections never closes.
  EXPECT_NE(refusal_of([&] {
              read_wall_geometry(geometry.reader);
            }).find("a tolerance of 5e-324 is below 1e-12"),
            std::string::npos);
  EXPECT_EQ(read_wall_geometry(geometry.reader).closure_tolerance, 1e-12);

  // A wall longer than the numbers reach (its length printed as Infinity),
  // also where a negative iteration limit ends the run.
  Input length(
      "50 1e307 10 0.001 0 12 120 100 0 0 0\n"
      "50 1e307 10 0.001 0 12 120 -1 0 0 0\n"
      "409 2444.0 10 0.001 0 12 120 100 0 0 0\n");
  EXPECT_EQ(refusal_of([&] { read_wall_geometry(length.reader); }),
            "w.dat:1: wall-geometry record, field 2 (increment length): 50 "
            "increments of 1e+307 make a wall longer than 1e+06 (of the length "
            "unit)");
  EXPECT_NE(refusal_of([&] { read_wall_geometry(length.reader); }), "");
  EXPECT_EQ(read_wall_geometry(length.reader).increments, 409);
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
  EXPECT_EQ(pipe.moment_of_inertia(), 4000.0);
  EXPECT_EQ(pipe.elastic_modulus(), 2.9E7);
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

TEST(ProblemReader, ARepeatedValueCannotFillAnEndlessList) {
  // The bar list holds as many integers as its count says; one token
  // "2000000000*1" would supply them all.
  Input f(
      "0 0 8 1\nSHAFT\n36 0 0 0 0 0 0 0 3.6E6\n1 10*0\n"
      "6*0.0 2000000000 0 0 0\nNONE\n2000000000*1 5*0.0 0\n");
  EXPECT_NE(refusal_of([&] { read_cross_section(f.reader, 1); })
                .find("w.dat:5: cross section 1, reinforcement record: "
                      "2000000000 values in list 1, at most 1000"),
            std::string::npos);
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
