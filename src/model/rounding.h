// Whole numbers of steps (stations, grid intervals) from real quotients.
// Depths and lengths of any size convert without overflow: the results are
// limited to plus or minus kFarSteps, far beyond every table, and a
// quotient that is not a number counts as far above.
#pragma once

#include <cmath>

namespace korvan {

inline constexpr int kFarSteps = 1 << 30;

inline int limited_steps(double whole) {
  if (!(whole > -kFarSteps)) return -kFarSteps;
  if (whole > kFarSteps) return kFarSteps;
  return static_cast<int>(whole);
}

// The nearest whole number of steps.
inline int nearest_steps(double x) { return limited_steps(std::round(x)); }

// The station of a depth: depth / h to the nearest whole number, halves
// away from zero (both in the internal length unit).
inline int station_of_depth(double depth, double increment_length) {
  return nearest_steps(depth / increment_length);
}

// The whole number of steps not above x.
inline int floor_steps(double x) { return limited_steps(std::floor(x)); }

}  // namespace korvan
