// A reference for the tests of korvan/number_text.h: the same numbers as
// people read them, built on the report's Fortran-style formats instead of
// std::to_chars, so that the two can be compared value by value.
#pragma once

#include <stdexcept>
#include <string>

namespace korvan::report {

// The unit system of a problem, with its unit names: `internal_*` name the
// values as the engine holds them (JSON), the others the values as shown
// (HTML and terminal), which are the internal values times the factors.
struct Units {
  bool english = true;
  // Internal names.
  std::string length, force, moment, line_load, rigidity, spacing, wale_load,
      wale_moment;
  // Shown names and factors from the internal unit.
  std::string depth;  // ft or m
  double depth_factor = 1.0;
  std::string deflection;  // in or mm
  double deflection_factor = 1.0;
};
Units units_of(bool english);

// A value that is not a finite number reached a writer of results. The
// engine refuses such values before a run ends; should one come through,
// the writer stops with this instead of printing NaN, Infinity or null, and
// what it wrote is not to be kept.
struct NonFiniteValue : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Fixed-point text with `decimals` decimals; a value that rounds to zero
// has no sign. Both throw NonFiniteValue for a value that is not finite.
std::string fixed_text(double value, int decimals);
// The one format of values as people read them (HTML, terminal summary,
// chart labels): `digits` significant digits, with a power of ten that is
// a multiple of 3 outside the magnitudes 0.001 to 9999, as the chart axes
// scale: 0.4242, 1235, 645.2×10³, -1.146×10⁻⁶.
std::string number_text(double value, int digits = 4);
// The power of ten that values of decimal exponent `exponent` are shown
// with (0, or a multiple of 3).
int shown_power(int exponent);
// `value` / 10^power with `digits` significant digits and no power shown:
// a value in the unit of an axis scaled by 10^power.
std::string scaled_text(double value, int power, int digits = 4);
// Text for a machine: fixed-point for magnitudes from 0.001 to below 10^6,
// otherwise exponent form (1.234E+07); ASCII only.
std::string plain_number_text(double value, int digits);

namespace svg {
// "×10³" for power 3; empty for 0.
std::string power_label(int power);
}  // namespace svg

}  // namespace korvan::report
