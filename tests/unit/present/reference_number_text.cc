#include "unit/present/reference_number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "model/constants.h"
#include "report/fortran_format.h"

namespace korvan::report {
namespace {

std::string trimmed(const std::string& s) {
  const size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

}  // namespace

Units units_of(bool english) {
  Units u;
  u.english = english;
  if (english) {
    u.length = "in";
    u.force = "lb";
    u.moment = "lb-in";
    u.line_load = "lb/in";
    u.rigidity = "lb-in^2";
    u.spacing = "ft";
    u.wale_load = "lb/ft";
    u.wale_moment = "lb-ft";
    u.depth = "ft";
    u.depth_factor = 1.0 / kInchesPerFoot;
    u.deflection = "in";
    u.deflection_factor = 1.0;
  } else {
    u.length = "m";
    u.force = "kN";
    u.moment = "kN-m";
    u.line_load = "kN/m";
    u.rigidity = "kN-m^2";
    u.spacing = "m";
    u.wale_load = "kN/m";
    u.wale_moment = "kN-m";
    u.depth = "m";
    u.depth_factor = 1.0;
    u.deflection = "mm";
    u.deflection_factor = 1000.0;
  }
  return u;
}

namespace {
void require_finite(double value) {
  if (!std::isfinite(value)) {
    throw NonFiniteValue(std::string("a result is not a finite number (") +
                         (value != value ? "NaN" : "infinite") + ")");
  }
}
}  // namespace

std::string fixed_text(double value, int decimals) {
  require_finite(value);
  std::string s = trimmed(fmt_f(value, 60, decimals));
  if (!s.empty() && s.back() == '.') s.pop_back();  // F editing of d = 0
  if (s.size() > 1 && s[0] == '-' &&
      s.find_first_not_of("-0.") == std::string::npos) {
    s.erase(0, 1);
  }
  return s;
}

int shown_power(int exponent) {
  if (exponent >= 4) return 3 * (exponent / 3);
  if (exponent <= -4) return -3 * ((-exponent + 2) / 3);
  return 0;
}

namespace {

// The digits and decimal exponent of `value` rounded to `digits`
// significant digits: 645204 gives "6452" and 5.
std::pair<std::string, int> significant(double value, int digits) {
  // 6.452E+05, or 6.452-300 for a three-digit exponent.
  const std::string e = trimmed(fmt_e(std::fabs(value), 30, digits - 1, 1));
  const size_t sign = e.find_last_of("+-");
  const size_t mark = e[sign - 1] == 'E' ? sign - 1 : sign;
  std::string mantissa = e.substr(0, mark);
  mantissa.erase(std::remove(mantissa.begin(), mantissa.end(), '.'),
                 mantissa.end());
  return {mantissa, std::stoi(e.substr(sign))};
}

// `digits` (significant digits) with the point after `integer` of them.
std::string placed(const std::string& digits, int integer) {
  if (integer <= 0) {
    return "0." + std::string(static_cast<size_t>(-integer), '0') + digits;
  }
  std::string s = digits;
  if (static_cast<size_t>(integer) >= s.size()) {
    return s + std::string(static_cast<size_t>(integer) - s.size(), '0');
  }
  return s.insert(static_cast<size_t>(integer), ".");
}

}  // namespace

std::string scaled_text(double value, int power, int digits) {
  require_finite(value);
  if (value == 0.0) return "0";
  const auto [mantissa, exponent] = significant(value, digits);
  return (value < 0.0 ? "-" : "") + placed(mantissa, exponent - power + 1);
}

std::string number_text(double value, int digits) {
  require_finite(value);
  if (value == 0.0) return "0";
  const int power = shown_power(significant(value, digits).second);
  return scaled_text(value, power, digits) + svg::power_label(power);
}

std::string plain_number_text(double value, int digits) {
  require_finite(value);
  const double magnitude = std::fabs(value);
  if (magnitude == 0.0) return "0";
  const int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
  if (exponent >= -3 && exponent < 6) {
    return fixed_text(value, std::max(0, digits - 1 - exponent));
  }
  return trimmed(fmt_e(value, 30, digits - 1, 1));
}

namespace svg {

std::string power_label(int power) {
  if (power == 0) return {};
  static const char* const digits[] = {"⁰", "¹", "²", "³", "⁴",
                                       "⁵", "⁶", "⁷", "⁸", "⁹"};
  std::string s = "×10";
  if (power < 0) s += "⁻";
  for (char c : std::to_string(std::abs(power))) s += digits[c - '0'];
  return s;
}

}  // namespace svg

}  // namespace korvan::report
