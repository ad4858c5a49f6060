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
//  * in a real field, infinity is "Infinity" when it fits, else "Inf" (a
//    minus sign needs one more column), and NaN is "NaN", never signed;
//  * no locale is consulted.
#pragma once

#include <string>
#include <string_view>

namespace korvan::report {

// Iw: integer right-justified in w columns; w = 0 gives I0, the digits
// alone.
std::string fmt_i(long long value, int w);

// Iw.w: integer in w digits, padded with leading zeros (the form used for
// dates and times). A negative value never fits, its sign needing a column
// beyond the w digits.
std::string fmt_i_zero(long long value, int w);

// Fw.d: fixed-point real in w columns with d decimals. The leading zero of a
// value below one is dropped only when the field has no room for it.
std::string fmt_f(double value, int w, int d);

// Ew.d with scale factor k (kP, k = 0 or 1): exponent form in w columns with
// d digits after the point. k = 0 gives 0.123E+01, k = 1 gives 1.234E+00.
// A three-digit exponent drops the letter E (1.000+100). Zero has the
// exponent +00. Outside -d < k < d + 2, where gfortran stops with an error,
// the field is filled with asterisks.
std::string fmt_e(double value, int w, int d, int scale = 0);

// Aw: the first w characters of text, or text right-justified in w columns
// when it is shorter.
std::string fmt_a(std::string_view text, int w);

// The report's real-number writer: value in a field of w characters with n
// significant digits. Zero and magnitudes below 1.0E-50 are written as
// Fw.n; a magnitude strictly between 10^(1-n) and 10^n (bounds computed in
// single precision) is written as Fw.d with d = n - k, where k is the
// integer part of log10|x| (truncated toward zero), less one when that
// integer part is negative, unless d > n + 2; every other value, NaN and
// infinity included, is written as 1PEw.n.
std::string fmt_real(double value, int w, int n);

// List-directed output items as gfortran writes them (`WRITE(u,*)`), so
// that a record is the plain concatenation of its items. Each item begins
// with one blank: gfortran opens a record with a blank and separates items
// with a blank, so the first item reads the same as any other.
//  * list_int: a default INTEGER in 11 columns (12 with the blank); beyond
//    the range of a default INTEGER, an INTEGER(8) in 20 columns (21).
//  * list_real: a DOUBLE PRECISION value in 17 significant digits, in the
//    form 1PG25.17E3 (26 columns with the blank). When the rounded value
//    lies in [0.1, 1.0E17), and for zero, it is in F form with the point
//    placed to keep 17 digits (0.10000000000000001, 1.5000000000000000,
//    99999999999999984.) right-justified in 20 columns and followed by 5
//    trailing blanks that gfortran writes too; otherwise in E form with a
//    three-digit exponent (1.0000000000000000E-300, 9.9999999999999992E-002)
//    right-justified in 25. Infinity and NaN are right-justified in 25.
std::string list_int(long long value);
std::string list_real(double value);

// The same fields appended to `out`, built without heap allocation: the
// forms the record writer uses.
void append_i(std::string& out, long long value, int w);
void append_i_zero(std::string& out, long long value, int w);
void append_f(std::string& out, double value, int w, int d);
void append_e(std::string& out, double value, int w, int d, int scale = 0);
void append_a(std::string& out, std::string_view text, int w);
void append_real(std::string& out, double value, int w, int n);
void append_list_int(std::string& out, long long value);
void append_list_real(std::string& out, double value);

}  // namespace korvan::report
