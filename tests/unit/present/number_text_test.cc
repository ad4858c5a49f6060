// The presentation's number text against the report's (built on the
// Fortran formats): byte for byte over a large table of values.
#include "korvan/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "unit/present/reference_number_text.h"

namespace korvan {
namespace {

// Edge values, rounding carries at several digit counts and random values
// over the whole range of doubles and over the magnitudes results take.
std::vector<double> table_of_values() {
  std::vector<double> v = {0.0,
                           -0.0,
                           1.0,
                           -1.0,
                           0.5,
                           0.05,
                           0.0005,
                           0.001,
                           0.000999999,
                           9999.0,
                           9999.4,
                           9999.5,
                           9999.7,
                           -9999.96,
                           99999.95,
                           999999.5,
                           1.0e6,
                           1.1397e10,
                           -1.146e-6,
                           645204.0,
                           611999.203,
                           2.5,
                           0.125,
                           -0.0049,
                           1.0e300,
                           -1.7e308,
                           std::numeric_limits<double>::max(),
                           std::numeric_limits<double>::min(),
                           std::numeric_limits<double>::denorm_min(),
                           -std::numeric_limits<double>::denorm_min(),
                           1.0e-100,
                           9.9995e-100,
                           9.99951e99,
                           1.0e55,
                           1.0e56,
                           -1.0e55};
  // Carries: 9.99...95 and its neighbours at every digit count and decade.
  for (int e = -12; e <= 12; ++e) {
    double nines = 9.5;
    for (int digits = 1; digits <= 8; ++digits) {
      const double x = nines * std::pow(10.0, e);
      for (double y : {x, std::nextafter(x, 0.0), std::nextafter(x, 1e300)}) {
        v.push_back(y);
        v.push_back(-y);
      }
      nines = 9.0 + nines / 10.0;  // 9.95, 9.995, ...
    }
  }
  std::mt19937_64 random(20261209);
  std::uniform_real_distribution<double> exponent(-9.0, 12.0);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  for (int i = 0; i < 20000; ++i) {
    v.push_back(unit(random) * std::pow(10.0, exponent(random)));
  }
  for (int i = 0; i < 5000; ++i) {
    const std::uint64_t bits = random();
    double x;
    std::memcpy(&x, &bits, sizeof x);
    if (std::isfinite(x)) v.push_back(x);
  }
  return v;
}

TEST(PresentNumberText, AgreesWithTheReportTextByteForByte) {
  int compared = 0;
  for (double x : table_of_values()) {
    for (int digits = 1; digits <= 9; ++digits) {
      ASSERT_EQ(present::number_text(x, digits), report::number_text(x, digits))
          << x << " digits " << digits;
      ASSERT_EQ(present::plain_number_text(x, digits),
                report::plain_number_text(x, digits))
          << x << " digits " << digits;
      for (int power : {-9, -6, -3, 0, 3, 6, 9}) {
        ASSERT_EQ(present::scaled_text(x, power, digits),
                  report::scaled_text(x, power, digits))
            << x << " power " << power << " digits " << digits;
      }
      compared += 9;
    }
    for (int decimals = 0; decimals <= 8; ++decimals) {
      ASSERT_EQ(present::fixed_text(x, decimals),
                report::fixed_text(x, decimals))
          << x << " decimals " << decimals;
      ++compared;
    }
  }
  for (int exponent = -330; exponent <= 330; ++exponent) {
    ASSERT_EQ(present::shown_power(exponent), report::shown_power(exponent));
  }
  for (int power = -330; power <= 330; ++power) {
    ASSERT_EQ(present::power_label(power), report::svg::power_label(power));
  }
  EXPECT_GT(compared, 500000);
}

TEST(PresentNumberText, UnitsAndNonFiniteValues) {
  for (bool english : {true, false}) {
    const present::Units a = present::units_of(english);
    const report::Units b = report::units_of(english);
    EXPECT_EQ(a.english, b.english);
    EXPECT_EQ(
        a.length + a.force + a.moment + a.line_load + a.rigidity + a.spacing +
            a.wale_load + a.wale_moment + a.depth + a.deflection,
        b.length + b.force + b.moment + b.line_load + b.rigidity + b.spacing +
            b.wale_load + b.wale_moment + b.depth + b.deflection);
    EXPECT_EQ(a.depth_factor, b.depth_factor);
    EXPECT_EQ(a.deflection_factor, b.deflection_factor);
  }
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_THROW(present::number_text(nan), present::NonFiniteValue);
  EXPECT_THROW(present::fixed_text(-inf, 2), present::NonFiniteValue);
  EXPECT_THROW(present::plain_number_text(inf, 6), present::NonFiniteValue);
  EXPECT_THROW(present::scaled_text(nan, 3), present::NonFiniteValue);
  // The fixed text of an overflowing magnitude keeps the report's width.
  EXPECT_EQ(present::fixed_text(1.0e60, 2), std::string(60, '*'));
}

}  // namespace
}  // namespace korvan
