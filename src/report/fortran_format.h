// Fortran-style edit descriptors for the fixed-column output files.
//
// This is the only code in the engine that turns numbers into text. Every
// function returns exactly the characters that the matching Fortran edit
// descriptor (as gfortran writes it) would produce, with one deliberate
// exception: a value of exactly zero, negative zero included, is written
// without a sign.
//
// Shared rules:
//  * a value that does not fit its field fills the field with w asterisks;
//  * rounding is correct rounding of the exact binary value, ties to even;
//  * no locale is consulted.
#pragma once

#include <string>
#include <string_view>

namespace korvan::report {

// Iw: integer right-justified in w columns.
std::string fmt_i(long long value, int w);

// Iw.w: integer right-justified in w columns, padded with leading zeros to w
// digits (the form used for dates and times). A negative value takes one of
// the w columns for its sign.
std::string fmt_i_zero(long long value, int w);

// Fw.d: fixed-point real in w columns with d decimals. The leading zero of a
// value below one is dropped only when the field has no room for it.
std::string fmt_f(double value, int w, int d);

// Ew.d with scale factor k (kP, k = 0 or 1): exponent form in w columns with
// d digits after the point. k = 0 gives 0.123E+01, k = 1 gives 1.234E+00.
// A three-digit exponent drops the letter E (1.000+100).
std::string fmt_e(double value, int w, int d, int scale = 0);

// Aw: the first w characters of text, or text right-justified in w columns
// when it is shorter.
std::string fmt_a(std::string_view text, int w);

// The report's real-number writer: value in a field of w characters with n
// significant digits. Zero and magnitudes below 1.0E-50 are written as
// Fw.n; a magnitude strictly between 10^(1-n) and 10^n (bounds computed in
// single precision) is written as Fw.d with d = n - k, k being the integer
// part of log10|x| less one when negative, unless d > n + 2; every other
// value is written as 1PEw.n.
std::string fmt_real(double value, int w, int n);

// List-directed output items as gfortran writes them (`WRITE(u,*)`): each
// item with its own leading separator, so that a record is the
// concatenation of its items. An integer takes 12 columns; a double
// precision real is written in the 0PG form gfortran uses for list output.
std::string list_int(long long value);
std::string list_real(double value);

}  // namespace korvan::report
