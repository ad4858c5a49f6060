#include "unit/report/reference_fortran_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <system_error>

namespace korvan::report::reference {
namespace {

// Enough for any double in fixed form (309 integer digits, sign, point)
// before the requested decimals are added.
constexpr size_t kFixedReserve = 330;
// Enough for the sign, point and exponent of scientific form.
constexpr size_t kScientificReserve = 16;

// List-directed widths: the separator blank is not included.
constexpr int kListIntWidth = 11;   // INTEGER
constexpr int kListInt8Width = 20;  // INTEGER(8)
constexpr int kListRealWidth = 25;  // DOUBLE PRECISION, 1PG25.17E3
constexpr int kListRealDigits = 17;
constexpr int kListExponentWidth = 3;  // the F form leaves e + 2 blanks

std::string stars(int w) { return std::string(std::max(w, 0), '*'); }

// text right-justified in w columns, or asterisks when it does not fit.
std::string right(std::string_view text, int w) {
  if (w < 0 || text.size() > static_cast<size_t>(w)) return stars(w);
  return std::string(w - text.size(), ' ').append(text);
}

// std::to_chars(args...) into a buffer of `capacity` characters.
template <typename... Args>
std::string convert(size_t capacity, Args... args) {
  std::string buf(capacity, '\0');
  auto [end, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), args...);
  if (ec != std::errc()) {
    throw std::logic_error("fortran_format: conversion buffer too small");
  }
  buf.resize(end - buf.data());
  return buf;
}

// n >= 0 in at least `width` digits, padded with leading zeros.
std::string zero_padded(long long n, int width) {
  const std::string digits = convert(24, n);
  const size_t pad = std::max<size_t>(width, digits.size()) - digits.size();
  return std::string(pad, '0') + digits;
}

// A finite non-negative magnitude rounded to `digits` significant digits
// D: mag ~= D[0].D[1..] * 10^exponent. Zero has exponent 0.
struct Significand {
  std::string digits;
  int exponent;
};

Significand significant(double mag, int digits) {
  std::string text = convert(digits + kScientificReserve, mag,
                             std::chars_format::scientific, digits - 1);
  const size_t e = text.find('e');
  Significand s{"", 0};
  for (size_t i = 0; i < e; ++i) {
    if (text[i] != '.') s.digits += text[i];
  }
  // from_chars rejects a leading '+'.
  const size_t start = text[e + 1] == '+' ? e + 2 : e + 1;
  std::from_chars(text.data() + start, text.data() + text.size(), s.exponent);
  return s;
}

// Infinity and NaN in a real field of w columns, as gfortran writes them:
// the long spelling when it fits, then the short one, then asterisks. NaN
// is never signed.
std::string non_finite(double value, int w) {
#ifdef KORVAN_TRAP_NON_FINITE
  // Fuzz builds: a number that is not finite must never reach a file.
  __builtin_trap();
#endif
  if (std::isnan(value)) return right("NaN", w);
  const bool negative = std::signbit(value);
  if (w >= 8 + negative) return right(negative ? "-Infinity" : "Infinity", w);
  return right(negative ? "-Inf" : "Inf", w);
}

// Exact zero, negative zero included, is written without a sign.
double unsigned_zero(double value) { return value == 0.0 ? 0.0 : value; }

// x**m for a single-precision x and integer m, evaluated as the Fortran
// runtime does it: binary powering in single precision, then the
// reciprocal for a negative power.
float float_power(float x, int m) {
  unsigned n = m < 0 ? 0u - static_cast<unsigned>(m) : static_cast<unsigned>(m);
  float y = n % 2 ? x : 1.0f;
  while (n >>= 1) {
    x *= x;
    if (n % 2) y *= x;
  }
  return m < 0 ? 1.0f / y : y;
}

}  // namespace

std::string fmt_i(long long value, int w) {
  const std::string text = convert(24, value);
  return w == 0 ? text : right(text, w);
}

std::string fmt_i_zero(long long value, int w) {
  // The sign would need a column beyond the w digits, so a negative value
  // never fits.
  if (w <= 0 || value < 0) return stars(w);
  const std::string digits = zero_padded(value, w);
  return digits.size() > static_cast<size_t>(w) ? stars(w) : digits;
}

std::string fmt_f(double value, int w, int d) {
  if (w <= 0 || d < 0) return stars(w);
  if (!std::isfinite(value)) return non_finite(value, w);
  value = unsigned_zero(value);
  const bool negative = std::signbit(value);
  std::string body =
      convert(kFixedReserve + d, std::fabs(value), std::chars_format::fixed, d);
  if (d == 0) body += '.';
  // The zero before the point is optional, except in the form "0.".
  if (body.size() + negative > static_cast<size_t>(w) && d > 0 &&
      body[0] == '0') {
    body.erase(0, 1);
  }
  if (negative) body.insert(0, 1, '-');
  return right(body, w);
}

std::string fmt_e(double value, int w, int d, int scale) {
  // gfortran stops with a run-time error outside -d < k < d + 2.
  if (w <= 0 || d < 0 || scale <= -d || scale >= d + 2) return stars(w);
  if (!std::isfinite(value)) return non_finite(value, w);
  value = unsigned_zero(value);
  const bool negative = std::signbit(value);
  const int digits = scale > 0 ? d + 1 : d + scale;
  Significand s{std::string(digits, '0'), 0};
  if (value != 0.0) s = significant(std::fabs(value), digits);
  const int exponent = value == 0.0 ? 0 : s.exponent + 1 - scale;

  std::string body;
  if (scale <= 0) {
    // The leading zero is optional: it is dropped below when short of room.
    body = "0." + std::string(-scale, '0') + s.digits;
  } else {
    body = s.digits.substr(0, scale) + "." + s.digits.substr(scale);
  }
  const int magnitude = std::abs(exponent);
  if (magnitude > 999) return stars(w);
  if (magnitude <= 99) body += 'E';
  body += exponent < 0 ? '-' : '+';
  body += zero_padded(magnitude, 2);

  if (body.size() + negative > static_cast<size_t>(w) && scale <= 0) {
    body.erase(0, 1);
  }
  if (negative) body.insert(0, 1, '-');
  return right(body, w);
}

std::string fmt_a(std::string_view text, int w) {
  if (w <= 0) return "";
  if (text.size() >= static_cast<size_t>(w))
    return std::string(text.substr(0, w));
  return right(text, w);
}

std::string fmt_real(double value, int w, int n) {
  const double magnitude = std::fabs(value);
  if (magnitude == 0.0 || magnitude < 1.0e-50) return fmt_f(value, w, n);
  const double lower = float_power(10.0f, 1 - n);
  const double upper = float_power(10.0f, n);
  if (magnitude > lower && magnitude < upper) {
    // INT truncates toward zero; only a negative result is lowered by one.
    int k = static_cast<int>(std::log10(magnitude));
    if (k < 0) --k;
    const int d = n - k;
    if (d <= n + 2) return fmt_f(value, w, d);
  }
  return fmt_e(value, w, n, 1);
}

std::string list_int(long long value) {
  const bool default_kind = value >= std::numeric_limits<int>::min() &&
                            value <= std::numeric_limits<int>::max();
  return " " + right(convert(24, value),
                     default_kind ? kListIntWidth : kListInt8Width);
}

std::string list_real(double value) {
  if (!std::isfinite(value)) return " " + non_finite(value, kListRealWidth);
  value = unsigned_zero(value);
  const std::string sign = std::signbit(value) ? "-" : "";
  const Significand s = significant(std::fabs(value), kListRealDigits);
  const int x = s.exponent;  // value ~= D.DDD * 10^x
  if (x >= -1 && x < kListRealDigits) {
    // F form: the same 17 digits, and blanks where the exponent would be.
    const std::string body =
        x < 0 ? "0." + s.digits
              : s.digits.substr(0, x + 1) + "." + s.digits.substr(x + 1);
    constexpr int kTrail = kListExponentWidth + 2;
    return " " + right(sign + body, kListRealWidth - kTrail) +
           std::string(kTrail, ' ');
  }
  const std::string body = sign + s.digits.substr(0, 1) + "." +
                           s.digits.substr(1) + (x < 0 ? "E-" : "E+") +
                           zero_padded(std::abs(x), kListExponentWidth);
  return " " + right(body, kListRealWidth);
}

}  // namespace korvan::report::reference
