#include "report/fortran_format.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>

#include "unit/report/reference_fortran_format.h"

namespace korvan::report {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct Case {
  double value;
  int w;
  int d;  // decimals, or significant digits for fmt_real
  const char* expected;
};

template <typename T>
T parse_number(const std::string& text) {
  T value{};
  const char* last = text.data() + text.size();
  auto [end, ec] = std::from_chars(text.data(), last, value);
  EXPECT_TRUE(ec == std::errc() && end == last) << "unreadable value " << text;
  return value;
}

// A row of table.txt is "kind value w d k |text|"; see make_table.f90.
std::string format_row(const std::string& kind, const std::string& value, int w,
                       int d, int k) {
  if (kind == "I") return fmt_i(parse_number<long long>(value), w);
  if (kind == "Z") return fmt_i_zero(parse_number<long long>(value), w);
  if (kind == "LI") return list_int(parse_number<long long>(value));
  const double x = parse_number<double>(value);
  if (kind == "F") return fmt_f(x, w, d);
  if (kind == "E") return fmt_e(x, w, d, k);
  if (kind == "R") return fmt_real(x, w, d);
  if (kind == "LR") return list_real(x);
  ADD_FAILURE() << "unknown kind " << kind;
  return "";
}

// Every row of the table gfortran wrote. Its zero rows already carry the
// unsigned text: make_table.f90 writes exact zero of either sign from +0.0,
// while the value column keeps the sign, which is what is passed here.
TEST(FortranFormatTable, AgreesWithGfortranOnEveryRow) {
  const std::string path =
      std::string(KORVAN_TEST_DATA) + "/fortran_format/table.txt";
  std::ifstream in(path);
  ASSERT_TRUE(in) << "cannot open " << path;
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    const size_t open = line.find('|');
    const size_t close = line.rfind('|');
    std::istringstream fields(line.substr(0, open));
    std::string kind, value;
    int w, d, k;
    if (open == std::string::npos || close == open ||
        !(fields >> kind >> value >> w >> d >> k)) {
      ADD_FAILURE() << "table.txt:" << number << ": malformed row: " << line;
      continue;
    }
    const std::string expected = line.substr(open, close - open + 1);
    EXPECT_EQ("|" + format_row(kind, value, w, d, k) + "|", expected)
        << "table.txt:" << number << ": " << line;
  }
  EXPECT_GT(number, 1000);
}

TEST(FortranFormat, Integers) {
  EXPECT_EQ(fmt_i(-77, 3), "-77");
  EXPECT_EQ(fmt_i(-77, 2), "**");
  EXPECT_EQ(fmt_i(123, 0), "123");
  EXPECT_EQ(fmt_i(std::numeric_limits<long long>::min(), 20),
            "-9223372036854775808");
  EXPECT_EQ(fmt_i_zero(7, 2), "07");
  EXPECT_EQ(fmt_i_zero(123, 2), "**");
  EXPECT_EQ(fmt_i_zero(-7, 3), "***");
}

TEST(FortranFormat, FixedPoint) {
  const Case cases[] = {
      // The zero before the point goes only when the field is full.
      {0.5, 4, 3, ".500"},
      {0.5, 5, 3, "0.500"},
      {-0.5, 5, 3, "-.500"},
      // Exact binary ties round to even; carries widen the number.
      {0.125, 6, 2, "  0.12"},
      {0.375, 6, 2, "  0.38"},
      {9.96, 3, 1, "***"},
      // d = 0 keeps the point, and the zero of "0." is never dropped.
      {5, 3, 0, " 5."},
      {0, 10, 0, "        0."},
      {0.4, 1, 0, "*"},
      // Rounding to zero keeps the sign; exact zero has none.
      {-0.0001, 10, 3, "    -0.000"},
      {-0.0, 10, 3, "     0.000"},
      {-0.0, 2, 1, ".0"},
      {-kInf, 8, 1, "    -Inf"},
      {1e20, 26, 3, " 100000000000000000000.000"},
      {1e300, 10, 3, "**********"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fmt_f(c.value, c.w, c.d), c.expected)
        << "F" << c.w << "." << c.d << " of " << c.value;
  }
}

TEST(FortranFormat, Exponent) {
  const Case plain[] = {
      // 0P: 0.ddd, the leading zero optional
      {1.23, 10, 3, " 0.123E+01"}, {1.23, 8, 3, ".123E+01"},
      {-1.23, 9, 3, "-.123E+01"},  {9.9996e98, 10, 3, " 0.100+100"},
      {-0.0, 10, 3, " 0.000E+00"}, {1.0, 10, 0, "**********"},  // 0PE10.0
  };
  for (const Case& c : plain) {
    EXPECT_EQ(fmt_e(c.value, c.w, c.d, 0), c.expected)
        << "E" << c.w << "." << c.d << " of " << c.value;
  }
  const Case scaled[] = {
      // 1P: d.ddd
      {9.9996, 10, 3, " 1.000E+01"},
      {1.2345e100, 10, 3, " 1.235+100"},
      {9.9996e-101, 10, 3, " 1.000-100"},
      {-1.234, 9, 3, "*********"},
      {1.23, 10, 0, "    1.E+00"},
      {-0.0, 10, 3, " 0.000E+00"},
      {4.9406564584124654e-324, 10, 2, "  4.94-324"},
      {-kInf, 9, 2, "-Infinity"},
  };
  for (const Case& c : scaled) {
    EXPECT_EQ(fmt_e(c.value, c.w, c.d, 1), c.expected)
        << "1PE" << c.w << "." << c.d << " of " << c.value;
  }
}

TEST(FortranFormat, Characters) {
  EXPECT_EQ(fmt_a("abc", 5), "  abc");
  EXPECT_EQ(fmt_a("abc", 2), "ab");
}

TEST(FortranFormat, ReportRealLayout) {
  const Case cases[] = {
      {123.4, 12, 4, "      123.40"},
      {0.00123, 12, 4, "  1.2300E-03"},
      {10000, 12, 4, "  1.0000E+04"},
      {1e-60, 12, 4, "      0.0000"},
      {-0.0, 12, 4, "      0.0000"},
      {0.5, 12, 4, "      0.5000"},
      {0.05, 12, 4, "    0.050000"},
      {0.01, 12, 4, "  1.0000E-02"},
      // 10^(1-n) in single precision lies above the double 0.001.
      {0.001, 12, 4, "  1.0000E-03"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fmt_real(c.value, c.w, c.d), c.expected)
        << c.value << " in " << c.w << " with " << c.d << " digits";
  }
}

// Records as gfortran writes them: the blank that opens a record and the
// blank between items are the same, and a real in F form ends with the
// five blanks that stand for its exponent.
TEST(FortranFormat, ListDirectedRecords) {
  EXPECT_EQ(list_int(0) + list_int(40) + list_int(1),
            "           0          40           1");
  EXPECT_EQ(
      list_real(1.5) + list_real(-1.5) + list_real(-0.0) + list_real(1e-300),
      "   1.5000000000000000       -1.5000000000000000        "
      "0.0000000000000000        1.0000000000000000E-300");
  EXPECT_EQ(list_int(1) + list_real(1.5) + list_int(2),
            "           1   1.5000000000000000                2");
  EXPECT_EQ(list_int(9223372036854775807LL) + list_int(-5),
            "  9223372036854775807          -5");
}

// Random values that reach every branch of the writers: any bit pattern
// (subnormals, infinities and NaNs among them), numbers near the decimal
// rounding ties and powers of ten, small integers, and zeros of either sign.
double random_value(std::mt19937_64& rng) {
  switch (rng() % 6) {
    case 0:
      return std::bit_cast<double>(rng());
    case 1: {  // d decimals and a last digit 5, nudged by a few ulps
      const int d = static_cast<int>(rng() % 12);
      double x = (static_cast<double>(rng() % 2000000) + 0.5) /
                 std::pow(10.0, d) * (rng() % 2 ? 1 : -1);
      for (int k = static_cast<int>(rng() % 5) - 2; k != 0;
           k -= k > 0 ? 1 : -1) {
        x = std::nextafter(x, k > 0 ? kInf : -kInf);
      }
      return x;
    }
    case 2: {  // near a power of ten, where the form and exponent change
      const int e = static_cast<int>(rng() % 640) - 320;
      double x = std::pow(10.0, e) * (rng() % 2 ? 1 : -1);
      for (int k = static_cast<int>(rng() % 9) - 4; k != 0;
           k -= k > 0 ? 1 : -1) {
        x = std::nextafter(x, k > 0 ? kInf : -kInf);
      }
      return x;
    }
    case 3:
      return static_cast<double>(static_cast<int64_t>(rng() % 200001) - 100000);
    case 4:
      return rng() % 2 ? 0.0 : -0.0;
    default: {  // the magnitudes of engineering results
      std::uniform_real_distribution<double> exponent(-12.0, 12.0);
      return std::pow(10.0, exponent(rng)) * (rng() % 2 ? 1 : -1);
    }
  }
}

// The digits of an E field come from one extended-precision product where
// that decides the rounding, else from the full conversion: every digit
// count, with halves (ties and a few ulps either side of them) and the ends
// of the digit range (where the exponent moves) over 10^-40 to 10^40.
TEST(FortranFormat, EFieldDigitsAtTiesAndAtTheEndsOfTheirRange) {
  int failures = 0;
  for (int digits = 1; digits <= 11 && failures < 20; ++digits) {
    const double top = std::pow(10.0, digits);
    const double mantissas[] = {
        1.0,          1.5,       5.5,        top / 2,   top / 2 + 0.5,
        top - 1.5,    top - 0.5, top - 0.25, top + 0.5, top / 10 + 0.5,
        12345678901.5};
    for (int e = -40; e <= 40; ++e) {
      const double unit = std::pow(10.0, e - digits + 1);
      for (double m : mantissas) {
        double x = m * unit;
        for (int ulps = -3; ulps <= 3; ++ulps) {
          double y = x;
          for (int k = ulps; k != 0; k -= k > 0 ? 1 : -1) {
            y = std::nextafter(y, k > 0 ? kInf : -kInf);
          }
          for (double v : {y, -y}) {
            const std::string got = fmt_e(v, 30, digits - 1, 1);
            const std::string want = reference::fmt_e(v, 30, digits - 1, 1);
            if (got != want && ++failures <= 20) {
              ADD_FAILURE() << std::hexfloat << v << " with " << digits
                            << " digits: |" << got << "| not |" << want << "|";
            }
          }
        }
      }
    }
  }
}

// The fields agree with the former writer (one string per piece) on random
// values, widths, decimals and scale factors: 2 million fields here, more
// with KORVAN_FORMAT_FIELDS=n (and another seed with KORVAN_FORMAT_SEED).
TEST(FortranFormat, AgreesWithTheFormerWriterOnRandomFields) {
  long long fields = 2'000'000;
  uint64_t seed = 20261209;
  if (const char* n = std::getenv("KORVAN_FORMAT_FIELDS")) {
    fields = std::atoll(n);
  }
  if (const char* s = std::getenv("KORVAN_FORMAT_SEED")) {
    seed = std::strtoull(s, nullptr, 10);
  }
  std::mt19937_64 rng(seed);
  int failures = 0;
  std::string appended = "x";
  for (long long i = 0; i < fields && failures < 20; ++i) {
    const double x = random_value(rng);
    const int w = static_cast<int>(rng() % 34) - 1;
    const int d = static_cast<int>(rng() % 14) - 1;
    const int k = static_cast<int>(rng() % 6) - 2;
    const long long n = static_cast<long long>(rng()) >> (rng() % 64);
    std::string got, want;
    switch (i % 8) {
      case 0:
        got = fmt_e(x, w, d, k), want = reference::fmt_e(x, w, d, k);
        break;
      case 1:
        got = fmt_e(x, w, d, 1), want = reference::fmt_e(x, w, d, 1);
        break;
      case 2:
        got = fmt_f(x, w, d), want = reference::fmt_f(x, w, d);
        break;
      case 3:
        got = fmt_real(x, w, d), want = reference::fmt_real(x, w, d);
        break;
      case 4:
        got = list_real(x), want = reference::list_real(x);
        break;
      case 5:
        got = fmt_i(n, w) + fmt_i_zero(n % 100000, w) + list_int(n);
        want = reference::fmt_i(n, w) + reference::fmt_i_zero(n % 100000, w) +
               reference::list_int(n);
        break;
      case 6: {
        const std::string text(static_cast<size_t>(rng() % 20), 'a');
        got = fmt_a(text, w), want = reference::fmt_a(text, w);
        break;
      }
      default:
        // Appending keeps what the record already holds.
        appended.resize(1);
        append_e(appended, x, w, d, 1);
        got = appended, want = "x" + reference::fmt_e(x, w, d, 1);
        break;
    }
    if (got != want) {
      ++failures;
      ADD_FAILURE() << "field " << i << " (kind " << i % 8 << ") of "
                    << std::hexfloat << x << " w=" << w << " d=" << d
                    << " k=" << k << " n=" << n << ": |" << got << "| not |"
                    << want << "|";
    }
  }
  EXPECT_EQ(failures, 0);
}

}  // namespace
}  // namespace korvan::report
