#include "model/units.h"

#include <gtest/gtest.h>

#include <limits>

#include "model/rounding.h"

namespace korvan::engine {
namespace {

TEST(UnitLabels, EveryLabelHasItsWidthInEachSystem) {
  for (int sign : {1, -1, 0}) {
    const UnitLabels l = unit_labels(sign);
    EXPECT_EQ(l.length.size(), 3u) << sign;
    EXPECT_EQ(l.force.size(), 4u) << sign;
    EXPECT_EQ(l.short_length.size(), 2u) << sign;
    EXPECT_EQ(l.short_force.size(), 3u) << sign;
    EXPECT_EQ(l.long_length.size(), 8u) << sign;
    EXPECT_EQ(l.long_length_left.size(), 8u) << sign;
    EXPECT_EQ(l.small_length.size(), 2u) << sign;
    EXPECT_EQ(l.short_force2.size(), 3u) << sign;
  }
}

TEST(UnitLabels, EnglishMetricAndNeither) {
  const UnitLabels english = unit_labels(1);
  EXPECT_EQ(english.pressure(), " LBS/IN**2");
  EXPECT_EQ(english.unit_weight(), " LBS/IN**3");
  EXPECT_EQ(english.flexural_rigidity(), " LBS-IN**2");
  EXPECT_EQ(english.moment(), " LBS-IN");
  EXPECT_EQ(english.long_length, " FT     ");
  EXPECT_EQ(english.long_length_left, "FT      ");
  EXPECT_EQ(english.small_length, "IN");

  const UnitLabels metric = unit_labels(-1);
  EXPECT_EQ(metric.pressure(), "  KN/ M**2");
  EXPECT_EQ(metric.length, "  M");
  EXPECT_EQ(metric.small_length, "MM");
  EXPECT_EQ(metric.long_length_left, " M      ");

  const UnitLabels neither = unit_labels(0);
  EXPECT_EQ(neither.pressure(), "   F/ L**2");
  EXPECT_EQ(neither.short_force2, "  F");
}

// Depth over increment length as a station number: rounding half away from
// zero like the grid, and quotients beyond any table (increments of a
// nanometre, NaN) limited instead of overflowing the integer.
TEST(StationSteps, NearestAndFloorStayInRange) {
  EXPECT_EQ(nearest_steps(2.5), 3);
  EXPECT_EQ(nearest_steps(-2.5), -3);
  EXPECT_EQ(nearest_steps(479.9999), 480);
  EXPECT_EQ(floor_steps(-0.5), -1);
  EXPECT_EQ(floor_steps(199.999), 199);
  EXPECT_EQ(nearest_steps(480.0 / 1.0e-9), kFarSteps);
  EXPECT_EQ(nearest_steps(-1.0e300), -kFarSteps);
  EXPECT_EQ(floor_steps(std::numeric_limits<double>::infinity()), kFarSteps);
  EXPECT_EQ(nearest_steps(std::numeric_limits<double>::quiet_NaN()),
            -kFarSteps);
  EXPECT_GT(kFarSteps, 1000000);
}

}  // namespace
}  // namespace korvan::engine
