#include "report/fortran_format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <system_error>

// Every field is built in buffers on the stack and appended to the caller's
// string: a field costs no heap allocation once the record it is appended
// to has grown to its length.
namespace korvan::report {
namespace {

// Enough for any double in fixed form (309 integer digits, sign, point)
// before the requested decimals are added.
constexpr size_t kFixedReserve = 330;
// Enough for the sign, point and exponent of scientific form.
constexpr size_t kScientificReserve = 16;
// Decimals or digits converted on the stack; more (never asked for by the
// engine) are converted in a heap buffer.
constexpr size_t kStackDigits = 96;

// List-directed widths: the separator blank is not included.
constexpr int kListIntWidth = 11;   // INTEGER
constexpr int kListInt8Width = 20;  // INTEGER(8)
constexpr int kListRealWidth = 25;  // DOUBLE PRECISION, 1PG25.17E3
constexpr int kListRealDigits = 17;
constexpr int kListExponentWidth = 3;  // the F form leaves e + 2 blanks

// A conversion buffer of `size` characters: on the stack when it is small.
class Scratch {
 public:
  explicit Scratch(size_t size) {
    if (size > stack_.size()) heap_.resize(size);
    data_ = size > stack_.size() ? heap_.data() : stack_.data();
    size_ = size;
  }
  char* begin() { return data_; }
  char* end() { return data_ + size_; }

 private:
  std::array<char, kFixedReserve + kStackDigits> stack_;
  std::string heap_;
  char* data_;
  size_t size_;
};

// std::to_chars(args...) into [first, last); returns the end.
template <typename... Args>
char* convert(char* first, char* last, Args... args) {
  auto [end, ec] = std::to_chars(first, last, args...);
  if (ec != std::errc()) {
    throw std::logic_error("fortran_format: conversion buffer too small");
  }
  return end;
}

void stars(std::string& out, int w) {
  if (w > 0) out.append(static_cast<size_t>(w), '*');
}

// The pieces of a field, appended in order once it is known to fit.
class Pieces {
 public:
  void add(const char* text, size_t n) {
    parts_[count_++] = {text, n};
    size_ += n;
  }
  void add(std::string_view text) { add(text.data(), text.size()); }
  size_t size() const { return size_; }
  // Right-justified in w columns, or w asterisks when it does not fit.
  void right(std::string& out, int w) const {
    if (w < 0 || size_ > static_cast<size_t>(w)) return stars(out, w);
    // One append of the whole field, then the pieces copied into place: the
    // pieces are a few characters each.
    const size_t start = out.size();
    out.append(static_cast<size_t>(w), ' ');
    char* to = out.data() + start + (static_cast<size_t>(w) - size_);
    for (size_t i = 0; i < count_; ++i) {
      for (size_t k = 0; k < parts_[i].n; ++k) *to++ = parts_[i].data[k];
    }
  }

 private:
  struct Part {
    const char* data;
    size_t n;
  };
  std::array<Part, 8> parts_;
  size_t count_ = 0;
  size_t size_ = 0;
};

void right(std::string& out, std::string_view text, int w) {
  Pieces p;
  p.add(text);
  p.right(out, w);
}

// n >= 0 written in at least `width` digits with leading zeros, into `buf`
// (24 characters); returns the digits.
std::string_view zero_padded(char (&buf)[24], long long n, int width) {
  char digits[24];
  const char* end = convert(digits, digits + sizeof digits, n);
  const size_t size = static_cast<size_t>(end - digits);
  const size_t pad = std::max<size_t>(static_cast<size_t>(width), size) - size;
  std::memset(buf, '0', pad);
  std::memcpy(buf + pad, digits, size);
  return {buf, pad + size};
}

// A finite non-negative magnitude rounded to `digits` significant digits
// D: mag ~= D[0].D[1..] * 10^exponent. The digits are written into
// `scratch` (digits + kScientificReserve characters).
struct Significand {
  std::string_view digits;
  int exponent = 0;
};

// 10^k for 0 <= k <= 27: each is exact in the 64-bit significand of the
// x87 extended format (5^27 < 2^64).
constexpr long double kExactPow10[28] = {
    1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,
    1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L,
    1e20L, 1e21L, 1e22L, 1e23L, 1e24L, 1e25L, 1e26L, 1e27L};

// The rounded digits of mag from one extended-precision product with an
// exact power of ten, where that product decides them: it lies within
// 2^-64 (relative) of the exact scaled value, so that with at most 9
// digits its error is below 1e-10, far inside the margins kept from a
// tie and from the ends of the digit range. Elsewhere (ties, more digits,
// magnitudes beyond 10^+-27 of the digits, a narrower long double) false:
// the full conversion decides.
bool quick_significant(char* first, double mag, int digits, Significand& s) {
  if constexpr (std::numeric_limits<long double>::digits < 64) return false;
  if (digits < 1 || digits > 9) return false;
  int e2 = 0;
  std::frexp(mag, &e2);
  // floor(log10(mag)) or one below it.
  int e = static_cast<int>(std::floor((e2 - 1) * 0.30102999566398120));
  for (int pass = 0; pass < 2; ++pass) {
    const int k = digits - 1 - e;
    if (k > 27 || k < -27) return false;
    const long double scaled =
        k >= 0 ? mag * kExactPow10[k] : mag / kExactPow10[-k];
    if (scaled >= kExactPow10[digits]) {
      ++e;
      continue;
    }
    if (scaled < kExactPow10[digits - 1] + 1.0L ||
        scaled > kExactPow10[digits] - 1.0L) {
      return false;
    }
    const long double whole = std::floor(scaled);
    const long double fraction = scaled - whole;  // exact
    if (std::fabs(fraction - 0.5L) < 1e-6L) return false;
    unsigned long long n =
        static_cast<unsigned long long>(whole) + (fraction > 0.5L ? 1u : 0u);
    for (int i = digits - 1; i >= 0; --i) {
      first[i] = static_cast<char>('0' + n % 10);
      n /= 10;
    }
    s.digits = {first, static_cast<size_t>(digits)};
    s.exponent = e;
    return true;
  }
  return false;
}

Significand significant(char* first, char* last, double mag, int digits) {
  if (Significand quick; quick_significant(first, mag, digits, quick)) {
    return quick;
  }
  char* end =
      convert(first, last, mag, std::chars_format::scientific, digits - 1);
  char* e = static_cast<char*>(std::memchr(first, 'e', end - first));
  // "d.ddd": the point is taken out, moving the leading digit up to it.
  Significand s;
  if (e - first > 1) {
    first[1] = first[0];
    s.digits = {first + 1, static_cast<size_t>(e - first - 1)};
  } else {
    s.digits = {first, 1};
  }
  const bool minus = e[1] == '-';
  int x = 0;
  for (const char* c = e + 2; c < end; ++c) x = 10 * x + (*c - '0');
  s.exponent = minus ? -x : x;
  return s;
}

// Infinity and NaN in a real field of w columns, as gfortran writes them:
// the long spelling when it fits, then the short one, then asterisks. NaN
// is never signed.
void non_finite(std::string& out, double value, int w) {
#ifdef KORVAN_TRAP_NON_FINITE
  // Fuzz builds: a number that is not finite must never reach a file.
  __builtin_trap();
#endif
  if (std::isnan(value)) return right(out, "NaN", w);
  const bool negative = std::signbit(value);
  if (w >= 8 + negative) {
    return right(out, negative ? "-Infinity" : "Infinity", w);
  }
  right(out, negative ? "-Inf" : "Inf", w);
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

constexpr std::string_view kZeros = "0000000000000000000000000000000000000000";

}  // namespace

void append_i(std::string& out, long long value, int w) {
  char buf[24];
  const char* end = convert(buf, buf + sizeof buf, value);
  const std::string_view text(buf, static_cast<size_t>(end - buf));
  if (w == 0) {
    out += text;
  } else {
    right(out, text, w);
  }
}

void append_i_zero(std::string& out, long long value, int w) {
  // The sign would need a column beyond the w digits, so a negative value
  // never fits.
  if (w <= 0 || value < 0) return stars(out, w);
  char buf[24];
  const char* end = convert(buf, buf + sizeof buf, value);
  const size_t size = static_cast<size_t>(end - buf);
  if (size > static_cast<size_t>(w)) return stars(out, w);
  out.append(static_cast<size_t>(w) - size, '0').append(buf, size);
}

void append_f(std::string& out, double value, int w, int d) {
  if (w <= 0 || d < 0) return stars(out, w);
  if (!std::isfinite(value)) return non_finite(out, value, w);
  // The shortest body with d > 0 decimals is ".ddd", d + 1 columns.
  if (d > 0 && d >= w) return stars(out, w);
  value = unsigned_zero(value);
  const bool negative = std::signbit(value);
  Scratch buf(kFixedReserve + static_cast<size_t>(d));
  const char* end = convert(buf.begin(), buf.end(), std::fabs(value),
                            std::chars_format::fixed, d);
  std::string_view body(buf.begin(), static_cast<size_t>(end - buf.begin()));
  Pieces p;
  if (negative) p.add("-", 1);
  // The zero before the point is optional, except in the form "0.".
  if (body.size() + (d == 0) + negative > static_cast<size_t>(w) && d > 0 &&
      body[0] == '0') {
    body.remove_prefix(1);
  }
  p.add(body);
  if (d == 0) p.add(".", 1);
  p.right(out, w);
}

void append_e(std::string& out, double value, int w, int d, int scale) {
  // gfortran stops with a run-time error outside -d < k < d + 2.
  if (w <= 0 || d < 0 || scale <= -d || scale >= d + 2) return stars(out, w);
  if (!std::isfinite(value)) return non_finite(out, value, w);
  value = unsigned_zero(value);
  const bool negative = std::signbit(value);
  const int digits = scale > 0 ? d + 1 : d + scale;
  // The shortest field: the digits, the point and four exponent columns
  // (E+dd or +ddd), the leading zero of the 0P form dropped.
  const size_t mantissa = static_cast<size_t>(digits) + 1 +
                          (scale <= 0 ? static_cast<size_t>(-scale) : 0);
  if (mantissa + 4 + negative > static_cast<size_t>(w)) return stars(out, w);

  Scratch buf(static_cast<size_t>(digits) + kScientificReserve);
  Significand s;
  if (value == 0.0) {
    std::memset(buf.begin(), '0', static_cast<size_t>(digits));
    s.digits = {buf.begin(), static_cast<size_t>(digits)};
  } else {
    s = significant(buf.begin(), buf.end(), std::fabs(value), digits);
  }
  const int exponent = value == 0.0 ? 0 : s.exponent + 1 - scale;
  const int magnitude = std::abs(exponent);
  if (magnitude > 999) return stars(out, w);

  char exp_buf[24];
  const std::string_view exp_digits = zero_padded(exp_buf, magnitude, 2);
  const char* exp_mark = magnitude <= 99 ? (exponent < 0 ? "E-" : "E+")
                                         : (exponent < 0 ? "-" : "+");
  const size_t exp_size = (magnitude <= 99 ? 2 : 1) + exp_digits.size();

  // The zeros of a negative scale factor.
  std::string many_zeros;
  auto zeros = [&](int n) {
    if (static_cast<size_t>(n) <= kZeros.size()) return kZeros.substr(0, n);
    many_zeros.assign(static_cast<size_t>(n), '0');
    return std::string_view(many_zeros);
  };

  Pieces p;
  if (negative) p.add("-", 1);
  if (scale <= 0) {
    // The leading zero is optional: it goes when short of room.
    const size_t full =
        2 + static_cast<size_t>(-scale) + s.digits.size() + exp_size + negative;
    p.add(full > static_cast<size_t>(w) ? "." : "0.",
          full > static_cast<size_t>(w) ? 1 : 2);
    p.add(zeros(-scale));
    p.add(s.digits);
  } else {
    p.add(s.digits.substr(0, static_cast<size_t>(scale)));
    p.add(".", 1);
    p.add(s.digits.substr(static_cast<size_t>(scale)));
  }
  p.add(exp_mark, magnitude <= 99 ? 2 : 1);
  p.add(exp_digits);
  p.right(out, w);
}

void append_a(std::string& out, std::string_view text, int w) {
  if (w <= 0) return;
  if (text.size() >= static_cast<size_t>(w)) {
    out += text.substr(0, static_cast<size_t>(w));
    return;
  }
  right(out, text, w);
}

void append_real(std::string& out, double value, int w, int n) {
  const double magnitude = std::fabs(value);
  if (magnitude == 0.0 || magnitude < 1.0e-50)
    return append_f(out, value, w, n);
  const double lower = float_power(10.0f, 1 - n);
  const double upper = float_power(10.0f, n);
  if (magnitude > lower && magnitude < upper) {
    // INT truncates toward zero; only a negative result is lowered by one.
    int k = static_cast<int>(std::log10(magnitude));
    if (k < 0) --k;
    const int d = n - k;
    if (d <= n + 2) return append_f(out, value, w, d);
  }
  append_e(out, value, w, n, 1);
}

void append_list_int(std::string& out, long long value) {
  const bool default_kind = value >= std::numeric_limits<int>::min() &&
                            value <= std::numeric_limits<int>::max();
  out += ' ';
  append_i(out, value, default_kind ? kListIntWidth : kListInt8Width);
}

void append_list_real(std::string& out, double value) {
  out += ' ';
  if (!std::isfinite(value)) return non_finite(out, value, kListRealWidth);
  value = unsigned_zero(value);
  const bool negative = std::signbit(value);
  char buf[kListRealDigits + kScientificReserve];
  const Significand s =
      significant(buf, buf + sizeof buf, std::fabs(value), kListRealDigits);
  const int x = s.exponent;  // value ~= D.DDD * 10^x
  Pieces p;
  if (negative) p.add("-", 1);
  if (x >= -1 && x < kListRealDigits) {
    // F form: the same 17 digits, and blanks where the exponent would be.
    if (x < 0) {
      p.add("0.", 2);
      p.add(s.digits);
    } else {
      const size_t integer = static_cast<size_t>(x) + 1;
      p.add(s.digits.substr(0, integer));
      p.add(".", 1);
      p.add(s.digits.substr(integer));
    }
    constexpr int kTrail = kListExponentWidth + 2;
    p.right(out, kListRealWidth - kTrail);
    out.append(kTrail, ' ');
    return;
  }
  char exp_buf[24];
  p.add(s.digits.substr(0, 1));
  p.add(".", 1);
  p.add(s.digits.substr(1));
  p.add(x < 0 ? "E-" : "E+", 2);
  p.add(zero_padded(exp_buf, std::abs(x), kListExponentWidth));
  p.right(out, kListRealWidth);
}

#define KORVAN_FIELD(call) \
  std::string field;       \
  call;                    \
  return field

std::string fmt_i(long long value, int w) {
  KORVAN_FIELD(append_i(field, value, w));
}
std::string fmt_i_zero(long long value, int w) {
  KORVAN_FIELD(append_i_zero(field, value, w));
}
std::string fmt_f(double value, int w, int d) {
  KORVAN_FIELD(append_f(field, value, w, d));
}
std::string fmt_e(double value, int w, int d, int scale) {
  KORVAN_FIELD(append_e(field, value, w, d, scale));
}
std::string fmt_a(std::string_view text, int w) {
  KORVAN_FIELD(append_a(field, text, w));
}
std::string fmt_real(double value, int w, int n) {
  KORVAN_FIELD(append_real(field, value, w, n));
}
std::string list_int(long long value) {
  KORVAN_FIELD(append_list_int(field, value));
}
std::string list_real(double value) {
  KORVAN_FIELD(append_list_real(field, value));
}

#undef KORVAN_FIELD

}  // namespace korvan::report
