// Constants that the engine uses as single-precision literals widened to
// double: results must come out as these values make them.
#pragma once

namespace korvan {

// Curvature below which a nonlinear section takes its initial rigidity.
inline constexpr double kSmallCurvature = double(1.0e-8f);
// Pi as 3.1416, for angles given in degrees.
inline constexpr double kPi3_1416 = double(3.1416f);
// One foot in metres.
inline constexpr double kFootInMetres = double(0.3048f);
// mm^4 per m^4.
inline constexpr double kMm4PerM4 = double(1.0e12f);
// The automatic p-reduction factor for closely spaced wall elements.
inline constexpr double kSpacingFactor = double(0.64f);
inline constexpr double kSpacingExponent = double(0.34f);

// Degrees per radian, as 57.2958.
inline constexpr double kDegreesPerRadian = double(57.2958f);
// Tolerance of coinciding depths, and of a value counting as given.
inline constexpr double kDepthTolerance = double(1.0e-5f);
inline constexpr double kGivenTolerance = double(1.0e-7f);
// Unit weight of water: pci (English) and kN/m^3 (metric).
inline constexpr double kWaterEnglish = double(0.036f);
inline constexpr double kWaterMetric = double(9.81f);

}  // namespace korvan
