// The hand-off files: what the writer puts down the parser reads back, as
// rounded as the file carries it; a damaged file names its line and record.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>

#include "input/input_error.h"
#include "scratch/distribution_file.h"
#include "scratch/py_curve_file.h"

namespace korvan::scratch {
namespace {

using engine::InputError;
using engine::StopKind;

TEST(DistributionFile, RoundTripCarriesSixSignificantDigits) {
  std::vector<pressure::DistributionPoint> written(2);
  for (int c = 1; c <= 13; ++c) {
    written[0].col[c] = c * 1.234567891;
    written[1].col[c] = -c * 2.0e-7;
  }
  std::ostringstream file;
  write_distribution_file(file, written);
  std::istringstream in(file.str());
  const auto read = read_distribution_file(in, "w.epd");
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].col[1], 1.23457);   // 1PE12.5: the wall sees this
  EXPECT_EQ(read[0].col[13], 16.0494);  // 13 * 1.234567891 = 16.04938...
  EXPECT_EQ(read[1].col[5], -1.0e-6);
  EXPECT_EQ(read[0].col[0], 0.0);  // columns are 1-based
}

TEST(DistributionFile, DamagedFileNamesItsLineAndRecord) {
  const struct {
    const char* text;
    const char* where;
  } cases[] = {
      {"2\n 1.0 2.0 3.0 4.0 5.0 6.0 7.0 8.0 9.0 10.0 11.0 12.0 13.0\n"
       " 1.0 x\n",
       "w.epd:3: distribution record 2"},
      {"-1\n", "w.epd:1: distribution count record"},
  };
  for (const auto& c : cases) {
    std::istringstream in(c.text);
    try {
      read_distribution_file(in, "w.epd");
      ADD_FAILURE() << c.text;
    } catch (const InputError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.where, 0), 0u) << e.what();
    }
  }
}

// The writer's own layout is read field by field; the values are those the
// record reader gives for the same text, over the whole range of the
// numbers (three-digit exponents, subnormals, negative zero); a text in
// another layout, or with a field out of the form, goes to the record
// reader and its messages.
TEST(DistributionFile, DirectReadingGivesTheRecordReadersValues) {
  std::mt19937_64 rng(11);
  for (int trial = 0; trial < 200; ++trial) {
    std::vector<pressure::DistributionPoint> written(1 + rng() % 40);
    for (auto& p : written) {
      for (int c = 1; c <= 13; ++c) {
        double x = 0.0;
        do {
          x = rng() % 3 ? std::ldexp(static_cast<double>(rng() % 100000) - 5e4,
                                     static_cast<int>(rng() % 200) - 100)
                        : std::bit_cast<double>(rng());
        } while (!std::isfinite(x));
        p.col[c] = rng() % 50 ? x : -0.0;
      }
    }
    std::ostringstream file;
    write_distribution_file(file, written);
    std::istringstream direct(file.str()), records(file.str());
    const auto a = read_distribution_file(direct, "w.epd");
    const auto b = read_distribution_records(records, "w.epd");
    ASSERT_EQ(a.size(), written.size());
    ASSERT_EQ(b.size(), written.size());
    for (size_t i = 0; i < a.size(); ++i) {
      for (int c = 0; c <= 13; ++c) {
        ASSERT_EQ(std::bit_cast<uint64_t>(a[i].col[c]),
                  std::bit_cast<uint64_t>(b[i].col[c]))
            << "point " << i << " column " << c << "\n"
            << file.str();
      }
    }
  }
  std::vector<pressure::DistributionPoint> one(2);
  std::ostringstream file;
  write_distribution_file(file, one);
  std::string text = file.str();
  text[text.find('\n') + 10] = 'x';  // a field of the first record
  std::istringstream in(text);
  try {
    read_distribution_file(in, "w.epd");
    ADD_FAILURE() << text;
  } catch (const InputError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("w.epd:2: distribution record 1", 0),
              0u)
        << e.what();
  }
}

TEST(PyCurveFile, RoundTripOfUserAndGeneratedCurves) {
  engine::UserPyCurve user;
  user.station = 12;
  user.p_multiplier = 2.0;
  user.y_multiplier = 0.5;
  user.points = {{0.0, 0.0}, {1.0, 3.0}};
  py::GeneratedCurve gen;
  gen.depth = 7.25;
  gen.type = 3;
  for (int i = 0; i < 17; ++i) {
    gen.excavation.points[static_cast<size_t>(i)] = {i * 0.001234567,
                                                     i * 12.345678};
    gen.backfill.points[static_cast<size_t>(i)] = {i * 0.002, -i * 1.0};
  }
  std::ostringstream file;
  write_py_file(file, {user}, {gen}, 6);
  std::istringstream in(file.str());
  const PyCurveFile read = read_py_file(in, "w.pyc", 1, 1);
  EXPECT_EQ(read.count, 6);
  ASSERT_EQ(read.user.size(), 1u);
  EXPECT_EQ(read.user[0].station, 12);
  ASSERT_EQ(read.user[0].points.size(), 2u);
  // (y, p) with the multipliers applied, at full precision.
  EXPECT_EQ(read.user[0].points[1], (std::pair<double, double>{0.5, 6.0}));
  ASSERT_EQ(read.generated.size(), 1u);
  EXPECT_EQ(read.generated[0].depth, 7.25);
  ASSERT_EQ(read.generated[0].points.size(), 34u);
  // Excavation side first, four significant digits (1PE10.3).
  EXPECT_EQ(read.generated[0].points[3].first, 3.704e-3);
  EXPECT_EQ(read.generated[0].points[3].second, 37.04);
  EXPECT_EQ(read.generated[0].points[17 + 16].second, -16.0);
}

TEST(PyCurveFile, CountDecidesWhatIsRead) {
  {
    std::istringstream in("0\n");  // no curve follows a zero count
    const PyCurveFile read = read_py_file(in, "w.pyc", 1, 3);
    EXPECT_EQ(read.count, 0);
    EXPECT_TRUE(read.user.empty() && read.generated.empty());
  }
  const struct {
    const char* text;
    StopKind kind;
  } refused[] = {{"401\n", StopKind::kTooMuchData},
                 {"-2\n", StopKind::kQuiet},
                 {"1\n 3 1\n 1 x 2\n", StopKind::kInvalid},
                 // A generated curve the wall could not index.
                 {"2\n 3 0\n 2.0 3\n 1 1.0 0.1\n 2 2.0 0.2\n 3 3.0 0.3\n",
                  StopKind::kInvalid}};
  for (const auto& c : refused) {
    std::istringstream in(c.text);
    try {
      read_py_file(in, "w.pyc", 1, 1);
      ADD_FAILURE() << c.text;
    } catch (const InputError& e) {
      EXPECT_EQ(e.kind(), c.kind) << e.what();
      EXPECT_EQ(std::string(e.what()).rfind("w.pyc:", 0), 0u) << e.what();
    }
  }
  std::istringstream short_curve(refused[3].text);
  try {
    read_py_file(short_curve, "w.pyc", 1, 1);
  } catch (const InputError& e) {
    EXPECT_NE(std::string(e.what()).find("w.pyc:3: generated p-y curve header"
                                         ": a generated curve has 34 points, "
                                         "not 3"),
              std::string::npos)
        << e.what();
  }
}

}  // namespace
}  // namespace korvan::scratch
