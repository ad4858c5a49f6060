// The p-y models: one function per soil type, each giving the 17 points of
// both sides of the wall at one curve depth.
#pragma once

#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "py/soil_layers.h"

namespace korvan::py {

struct CurvePoint {
  double y = 0.0;
  double p = 0.0;  // force per unit length of wall
};

// One side's curve with the values the report shows beside it.
struct SideCurve {
  std::array<CurvePoint, 17> points{};  // after multipliers and p0
  double depth = 0.0;  // the model's depth below the side's surface
  double width = 0.0;
  double strength = 0.0;
  double gamma = 0.0;
  double eps50 = 0.0;
  // Further values some models print: average strength (stiff clays),
  // initial modulus k (stiff clay with free water, sand), friction angle in
  // degrees, coefficients A and B, and the wedge and flow-around
  // resistances of sand (flow-around 0 for a continuous wall, whose single
  // resistance stands in `wedge`).
  double average_strength = 0.0;
  double k = 0.0;
  double phi_degrees = 0.0;
  double a = 0.0, b = 0.0;
  double wedge = 0.0, flow = 0.0;
  bool continuous = false;
  // Weak rock: rock mass modulus, krm and RQD (percent).
  double modulus = 0.0, krm = 0.0, rqd = 0.0;
  double p_multiplier = 1.0;
  double y_multiplier = 1.0;
  std::optional<double> small_deflection_modulus;  // k0, when it was used
};

// What a model carries from one curve depth of a layer to the next; the
// driver starts it afresh for every layer.
struct LayerState {
  double previous_ultimate = 0.0;  // pu of the previous curve depth
  double running_sum = 0.0;        // running mean of a strength
  int running_count = 0;
};

// What a model needs at one curve depth.
struct ModelInput {
  const PySoil& soil;
  const std::vector<ProfilePoint>& profile;
  size_t layer = 0;         // index of the derived layer
  double z = 0.0;           // curve depth Z
  double previous_z = 0.0;  // the layer's previous curve depth
  bool first_of_layer = true;
  double resistance_above = 0.0;  // sum over the layers above (layering)
  double equivalent_depth = 0.0;  // of this layer, once computed
  LayerState* state = nullptr;    // never null when called by the driver
};

struct ModelResult {
  SideCurve excavation;
  SideCurve backfill;
  double resistance = 0.0;  // added to the layer's resistance sum
  std::optional<double> equivalent_depth;  // set on the layer's first depth
  // Set when a look-up met a stop: the run ends there and the curves and
  // values above are not used.
  std::optional<PyStop> stop;
};

// The result of a model that met a stop.
inline ModelResult stopped(PyStop stop) {
  ModelResult r;
  r.stop = std::move(stop);
  return r;
}

// The same for a model's intermediate results (a side's pass, the soil
// at a depth) that carry a `stop`.
template <class Partial>
Partial stopped_at(PyStop stop) {
  Partial r{};
  r.stop = std::move(stop);
  return r;
}

using Model = ModelResult (*)(const ModelInput&);

// The p-y model of a soil model; nullptr when its model is not available.
Model model_for(engine::SoilModel soil);

// Soft clay (Matlock 1970): cube-root curve to the ultimate resistance
// (static), degrading to a residual value under cyclic loading.
ModelResult soft_clay(const ModelInput& in);

// Stiff clay with free water (Reese, Cox and Koop 1975): As/Ac tables,
// five-segment static curve and cyclic curve.
ModelResult stiff_clay_with_water(const ModelInput& in);
// Stiff clay without free water (Welch and Reese 1972): quarter-power
// curve with load cycles.
ModelResult stiff_clay_without_water(const ModelInput& in);
// Sand (Reese, Cox and Koop 1974): wedge and flow-around resistance, A and
// B coefficients, four-piece curve.
ModelResult sand(const ModelInput& in);

// Silt, soil with cohesion and friction: the sand model's frictional
// resistance with a clay-type cohesive part, curves of three forms.
ModelResult silt(const ModelInput& in);
// Rock (code 6) and weak rock (code 7, Reese 1997): no load p0 and no
// resistance sums. A weak-rock layer of zero strength stops the run with
// PyStop{5, depth, "WEAK ROCK STRENGTH"}.
ModelResult rock(const ModelInput& in);
ModelResult weak_rock(const ModelInput& in);

// Equivalent depths (layering method) of the other branches, with the
// layer's properties at its first curve depth.
double equivalent_depth_stiff_clay_with_water(double above, double b,
                                              double width_for_tables, double c,
                                              double ca, double gamma,
                                              bool cyclic);
double equivalent_depth_stiff_clay_without_water(double above, double b,
                                                 double c, double ca,
                                                 double gamma);
// Sand (and weak rock): xc is the model's depth x of the curve depth.
double equivalent_depth_sand(double above, double b, double width_for_tables,
                             double phi, double gamma, bool cyclic, double xc);

double equivalent_depth_silt(double above, double b, double width_for_tables,
                             double phi, double c, double gamma, bool cyclic,
                             double xc);

// Defaults of stiff clays by strength c (psi or kPa), from 1000, 2000 and
// 4000 psf: epsilon-50, and the initial modulus k (lb/in^3 or kN/m^3).
double default_stiff_clay_eps50(double c, bool english);
double default_stiff_clay_k(double c, bool english);

// The empirical A and B coefficients of sand by depth / width (Reese, Cox
// and Koop 1974), static or cyclic.
const CoefficientTable& sand_a(bool cyclic);
const CoefficientTable& sand_b(bool cyclic);

// The side pass every model makes twice per curve depth, excavation side
// then backfill side (src/py/side_pass.cc).
//
// The width rule: a wall whose spacing ratio s/b lies below 1.1 is
// continuous (its resistance comes from the vertical stress, and the
// automatic p-multiplier is 1); the relative depths of the coefficient
// tables and y50 take the alternative width b' (one foot) on a continuous
// wall when it applies, the width b otherwise.
bool continuous_wall(const PySoil& soil);
double table_width(const PySoil& soil);

// The depths of a side's pass at curve depth Z: below that side's surface
// (the backfill surface lies H - z0 above Z = 0), and the depth the
// equations use, in which below the first layer the layer's equivalent
// depth stands in for the soil above it.
struct SideDepths {
  double below_surface = 0.0;
  double in_equations = 0.0;
};
SideDepths side_depths(const ModelInput& in, bool excavation);
// The depth below the side's surface as the models without an equivalent
// depth (stiff clay with free water, rock, weak rock) take it: Z, or
// (Z + H) - z0 on the backfill side; side_depths adds H - z0 to Z, which
// may differ from it in the last place.
double depth_below_surface(const PySoil& soil, double z, bool excavation);

// The unit-weight profile of a side.
const SideProfile& profile_of(const PySoil& soil, bool excavation);

// The slope factor 1 / (1 + tan |theta|) of the excavation side on a
// sloping excavation surface; 1 on the backfill side and on level ground.
double slope_factor(const PySoil& soil, bool excavation);

// The multipliers of a curve depth Z (taken at Z' = Z - z0 + H) and the
// load p0 a model adds on the backfill side and takes off on the
// excavation side.
struct SideLoads {
  double p_multiplier = 1.0;
  double y_multiplier = 1.0;
  double p0 = 0.0;
};
SideLoads side_loads(const PySoil& soil, double z, double p0 = 0.0);
// The earth-pressure term of curve depth Z (at Z + H) over s/b, from
// which the models' p0 start.
double side_pressure(const PySoil& soil, double z);
// The clay models: p0 = E(Z + H)/(s/b) - 2 c b, 0 when not above 1E-10.
SideLoads clay_side_loads(const PySoil& soil, double z, double c, double b);

// A point of a side's curve: (y ym, p pm), and with p0 (taken off on the
// excavation side, added on the backfill side).
CurvePoint multiplied(double y, double p, const SideLoads& loads);
CurvePoint side_point(double y, double p, const SideLoads& loads,
                      bool excavation);

// A side's curve with the values every model shows beside it; the model
// fills its points and its own values.
SideCurve side_curve(double depth, double width, double strength, double gamma,
                     const SideLoads& loads);

// The default epsilon-50 of a clay of strength c (psi or kPa).
double default_eps50(double c, bool english);

// The deflections of the 17 points as fractions of 8 y50.
extern const std::array<double, 17> kSoftClayFractions;

// Equivalent depth of a soft-clay (or rock) layer below others whose
// resistance sum is `above`: the depth at which the layer's own
// resistance would build up the same sum.
double equivalent_depth_soft_clay(double above, double b, double c,
                                  double gamma, bool cyclic);

}  // namespace korvan::py
