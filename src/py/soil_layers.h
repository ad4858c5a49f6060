// The soil as the p-y models see it: derived layers below the excavation
// line, their curve depths, the layer-property profile and the side
// unit-weight profiles, the multipliers, and the earth-pressure term.
//
// Depths on the curve-depth scale Z are measured down from the excavation
// line (depth H below the top of the wall); absolute depths are below the
// top of the wall. Lengths in the internal unit (inch or metre).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/problem.h"

namespace korvan::py {

// A generation stop: code 1, a depth beyond the strength (or friction
// angle, or modulus) profile; code 4, beyond a unit-weight profile.
struct PyStop {
  int code = 0;
  double depth = 0.0;  // the depth looked up
  std::string curve;   // "STRENGTH", "PHI" or "UNIT WEIGHT"
};

struct LayerValues {
  double strength = 0.0;
  double phi = 0.0;  // radians
  double eps50 = 0.0;
  double k = 0.0;
  double rqd = 0.0;
};

struct DerivedLayer {
  int type = 1;  // soil type code, as read
  engine::SoilModel model() const { return engine::soil_model_of(type); }
  double top = 0.0;     // Z scale
  double bottom = 0.0;  // Z scale
  LayerValues at_top, at_bottom;
  double gamma_top = 0.0, gamma_bottom = 0.0;  // total unit weight
  int first_curve = 0;                         // indices into the curve depths
  int last_curve = 0;
};

// One side's unit-weight profile: rows cut at the side's water table, the
// effective unit weight being the total less the water's below it.
struct SideRow {
  double top = 0.0, bottom = 0.0;  // absolute depths
  double gamma_top = 0.0, gamma_bottom = 0.0;
  double water = 0.0;  // subtracted (0 or gamma_w)
};
struct SideProfile {
  double surface = 0.0;  // absolute depth of the side's surface
  double surface_stress = 0.0;
  std::vector<SideRow> rows;
};

// A row of the reduction-factor table.
struct FactorRow {
  double depth = 0.0, p = 1.0, y = 1.0;
};

struct PySoil {
  bool english = true;
  bool cyclic = false;
  double cycles = 0.0;
  double height = 0.0;         // H, the excavation line (zT)
  double z0 = 0.0;             // top of the soil on the backfill side (zE)
  double width = 0.0;          // b = WP
  double spacing_ratio = 1.0;  // s/b = WA/WP
  double alt_width = 0.0;      // b', one foot
  bool alt_flag = true;
  double excavation_slope = 0.0;  // degrees
  double gamma_w = 0.0;
  double increment = 0.0;  // h
  int increments = 0;      // N
  std::vector<DerivedLayer> layers;
  std::vector<double> curve_depths;  // Z of each curve, 5 per layer
  std::vector<FactorRow> factors;
  bool automatic_with_table = false;
  SideProfile backfill, excavation;
  // The earth-pressure distribution: (absolute depth, load per unit
  // length of wall); empty when the problem has none.
  std::vector<std::pair<double, double>> pressure;
};

// Builds the p-y soil of a problem with p-y option 2. `pressure` is the
// distribution's (depth, load per station) after the hand-off, or empty.
PySoil build_py_soil(const engine::Problem& problem,
                     const std::vector<std::pair<double, double>>& pressure);

// The layer-property profile: two points per derived layer.
struct ProfilePoint {
  double depth = 0.0;  // Z scale
  LayerValues v;
};
std::vector<ProfilePoint> property_profile(const PySoil& soil);

// Look-ups at curve depth Z. Strength, friction angle and modulus beyond
// the profile stop the run; epsilon-50 beyond it is "not given" (0).
enum class Property { kStrength, kPhi, kEps50, kModulus, kRqd };
// A looked-up value, or the stop the look-up met (the value is then not to
// be used).
struct Looked {
  double value = 0.0;
  std::optional<PyStop> stop;
};
Looked look_up(const std::vector<ProfilePoint>& profile, Property what,
               double z);

// Average strength of layer `layer` (0-based) from its top down to Z: the
// mean of the strength at the top and at Z. 0 above the profile, for a
// layer thinner than 1E-6, and for Z below the layer within the profile;
// beyond the last profile point `warned` is set and the mean is used.
double average_strength(const std::vector<ProfilePoint>& profile, size_t layer,
                        double z, bool* warned);

// A coefficient from a table by relative depth r = depth / width: linear
// within the table, its first or last interval extended outside it.
struct CoefficientTable {
  std::vector<double> relative_depth;
  std::vector<double> value;
};
double coefficient(const CoefficientTable& table, double relative_depth);

// Average effective unit weight and vertical stress at depth d below a
// side's surface; beyond the profile the run stops with code 4.
Looked average_unit_weight(const SideProfile& side, double d);
Looked vertical_stress(const SideProfile& side, double d, bool add_surface);

// The multipliers at depth z (the shifted depth Z' of a curve).
double p_multiplier(const PySoil& soil, double z);
double y_multiplier(const PySoil& soil, double z);
double table_factor(const std::vector<FactorRow>& rows, double z, bool p);

// The earth-pressure term at an absolute depth: the distribution's load
// per unit length, end values outside it; 0 without a distribution.
double earth_pressure_term(const PySoil& soil, double depth);

}  // namespace korvan::py
