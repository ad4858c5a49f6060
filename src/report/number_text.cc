#include "korvan/number_text.h"

#include "model/constants.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace korvan::present {
namespace {

// Fixed text longer than this is asterisks, as in a report field.
constexpr size_t kFixedColumns = 60;
// Enough for any double in fixed form (309 integer digits, sign, point)
// before the decimals, and for the sign, point and exponent of the
// scientific form.
constexpr size_t kFixedReserve = 330;
constexpr size_t kScientificReserve = 16;

// std::to_chars(args...) into a buffer of `capacity` characters.
template <typename... Args>
std::string chars(size_t capacity, Args... args) {
  std::string buf(capacity, '\0');
  const auto [end, ec] =
      std::to_chars(buf.data(), buf.data() + buf.size(), args...);
  if (ec != std::errc()) {
    throw std::logic_error("number_text: conversion buffer too small");
  }
  buf.resize(static_cast<size_t>(end - buf.data()));
  return buf;
}

void require_finite(double value) {
  if (!std::isfinite(value)) {
    throw NonFiniteValue(std::string("a result is not a finite number (") +
                         (std::isnan(value) ? "NaN" : "infinite") + ")");
  }
}

// A magnitude rounded to `digits` significant digits: 645204 gives "6452"
// and 5 (6.452 × 10^5). Zero gives zeros and 0.
struct Significand {
  std::string digits;
  int exponent = 0;
};

Significand significant(double magnitude, int digits) {
  assert(digits >= 1);
  const std::string text =
      chars(static_cast<size_t>(digits) + kScientificReserve, magnitude,
            std::chars_format::scientific, digits - 1);
  const size_t e = text.find('e');
  Significand s;
  for (size_t i = 0; i < e; ++i) {
    if (text[i] != '.') s.digits += text[i];
  }
  // from_chars rejects a leading '+'.
  const size_t start = text[e + 1] == '+' ? e + 2 : e + 1;
  std::from_chars(text.data() + start, text.data() + text.size(), s.exponent);
  return s;
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

std::string fixed_text(double value, int decimals) {
  require_finite(value);
  if (decimals < 0) return std::string(kFixedColumns, '*');
  const bool negative = std::signbit(value) && value != 0.0;
  std::string body =
      chars(kFixedReserve + static_cast<size_t>(decimals), std::fabs(value),
            std::chars_format::fixed, decimals);
  // The width counts a point after the digits when there are no decimals;
  // the zero before the point goes first when the text is too long.
  const size_t point = decimals == 0 ? 1 : 0;
  if (body.size() + point + negative > kFixedColumns && decimals > 0 &&
      body[0] == '0') {
    body.erase(0, 1);
  }
  if (body.size() + point + negative > kFixedColumns) {
    return std::string(kFixedColumns, '*');
  }
  const bool zero = body.find_first_not_of("0.") == std::string::npos;
  return negative && !zero ? "-" + body : body;
}

int shown_power(int exponent) {
  if (exponent >= 4) return 3 * (exponent / 3);
  if (exponent <= -4) return -3 * ((-exponent + 2) / 3);
  return 0;
}

std::string scaled_text(double value, int power, int digits) {
  require_finite(value);
  if (value == 0.0) return "0";
  const Significand s = significant(std::fabs(value), digits);
  return (value < 0.0 ? "-" : "") + placed(s.digits, s.exponent - power + 1);
}

std::string number_text(double value, int digits) {
  require_finite(value);
  if (value == 0.0) return "0";
  const int power = shown_power(significant(std::fabs(value), digits).exponent);
  return scaled_text(value, power, digits) + power_label(power);
}

std::string plain_number_text(double value, int digits) {
  require_finite(value);
  const double magnitude = std::fabs(value);
  if (magnitude == 0.0) return "0";
  const int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
  if (exponent >= -3 && exponent < 6) {
    return fixed_text(value, std::max(0, digits - 1 - exponent));
  }
  // D.DDDE+XX; a three-digit exponent takes the place of the E.
  const Significand s = significant(magnitude, digits);
  std::string text = value < 0.0 ? "-" : "";
  text += s.digits.substr(0, 1) + "." + s.digits.substr(1);
  const int shown = std::abs(s.exponent);
  if (shown <= 99) text += 'E';
  text += s.exponent < 0 ? '-' : '+';
  if (shown < 10) text += '0';
  return text + chars(8, shown);
}

std::string power_label(int power) {
  if (power == 0) return {};
  static const char* const superscripts[] = {"⁰", "¹", "²", "³", "⁴",
                                             "⁵", "⁶", "⁷", "⁸", "⁹"};
  std::string s = "×10";
  if (power < 0) s += "⁻";
  for (char c : chars(8, std::abs(power))) s += superscripts[c - '0'];
  return s;
}

}  // namespace korvan::present
