// Constants that the engine uses as single-precision literals widened to
// double: results must come out as these values make them. Each is
// defined here once, with what uses it; model-specific coefficients stay
// named beside their model.
#pragma once

#include <numbers>

namespace korvan {

// Curvature below which a nonlinear section takes its initial rigidity.
inline constexpr double kSmallCurvature = double(1.0e-8f);
// Pi as 3.1416: support angles, friction angles of the p-y models and
// their report, the surcharge formulas, the sand wedge.
inline constexpr double kPi3_1416 = double(3.1416f);
// Pi at full precision: the angle quantities of the silt model alone.
inline constexpr double kPiFull = std::numbers::pi;
// Inches per foot: depths, lengths and spacings given in feet in English
// units, and depths printed in feet.
inline constexpr double kInchesPerFoot = 12.0;
// One foot in metres: the alternative width b' of the p-y models and the
// movement curves of metric problems.
inline constexpr double kFootInMetres = double(0.3048f);
// mm^4 per m^4: moments of inertia of metric cross sections.
inline constexpr double kMm4PerM4 = double(1.0e12f);
// The automatic p-reduction factor for closely spaced wall elements,
// 0.64 (s/b)^0.34, applies for s/b from kContinuousRatio up to (and not
// including) kSpacingLimit.
inline constexpr double kSpacingFactor = double(0.64f);
inline constexpr double kSpacingExponent = double(0.34f);
inline constexpr double kSpacingLimit = 3.75;
// A wall whose spacing ratio s/b lies below this is continuous for the
// p-y models.
inline constexpr double kContinuousRatio = 1.1;

// Degrees per radian, as 57.2958: earth-pressure angles and the slope of
// the excavation surface.
inline constexpr double kDegreesPerRadian = double(57.2958f);
// Tolerance of coinciding depths, and of a value counting as given.
inline constexpr double kDepthTolerance = double(1.0e-5f);
inline constexpr double kGivenTolerance = double(1.0e-7f);
// Unit weight of water: pci (English) and kN/m^3 (metric).
inline constexpr double kWaterEnglish = double(0.036f);
inline constexpr double kWaterMetric = double(9.81f);

// The unit weight of water in the problem's unit system.
constexpr double water_unit_weight(bool english) {
  return english ? kWaterEnglish : kWaterMetric;
}

// One foot in the internal length unit (inch or metre).
constexpr double one_foot(bool english) {
  return english ? kInchesPerFoot : kFootInMetres;
}

// A length entered in feet in English units (metres in metric) in the
// internal length unit, and an internal length shown in feet (or metres).
constexpr double from_feet(double length, bool english) {
  return english ? length * kInchesPerFoot : length;
}
constexpr double in_feet(double length, bool english) {
  return english ? length / kInchesPerFoot : length;
}

// Degrees to radians and back with pi as 3.1416.
constexpr double to_radians(double degrees) {
  return degrees * kPi3_1416 / 180.0;
}
constexpr double to_degrees(double radians) {
  return radians * 180.0 / kPi3_1416;
}
// Degrees to radians by 57.2958 degrees per radian.
constexpr double to_radians_57(double degrees) {
  return degrees / kDegreesPerRadian;
}

}  // namespace korvan
