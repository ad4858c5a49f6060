// One problem (one stage) of the input data file, as read.
//
// Values are held in the units of the problem's unit system: English
// (inch, pound; depths of wall sections and supports in feet) or metric
// (metre, kilonewton). Tables are in input order.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace korvan::engine {

// Capacities of the engine's tables.
inline constexpr int kStationEntries = 416;  // stations -3 .. N+3
inline constexpr int kMaxIncrements = kStationEntries - 7;
inline constexpr int kMaxSpecifiedConditions = 20;
inline constexpr int kMaxCrossSections = 100;
inline constexpr int kMaxWallSections = 100;
inline constexpr int kMaxSupports = 20;  // tie backs and struts/rakers
inline constexpr int kMaxSoilLayers = 10;
inline constexpr int kMaxSublayers = 21;
inline constexpr int kMaxPyCurves = 400;
inline constexpr int kSectionShapes = 17;  // section shape codes 1..17
inline constexpr int kUserDefinedEiShape = 17;

enum class UnitSystem { kEnglish = 1, kMetric = 2 };

// The soil model of a layer, by its type code. A code outside 1..7 is
// kept and echoed as given and takes the soft-clay p-y model.
enum class SoilModel {
  kSoftClay = 1,
  kStiffClayWithFreeWater = 2,
  kStiffClayWithoutFreeWater = 3,
  kSand = 4,
  kSilt = 5,
  kRock = 6,
  kWeakRock = 7,
};
inline constexpr int kSoilModels = 7;  // type codes 1..7

// The model of a soil type code; codes outside 1..7 take soft clay.
constexpr bool listed_soil_type(int code) {
  return code >= 1 && code <= kSoilModels;
}
constexpr SoilModel soil_model_of(int code) {
  return listed_soil_type(code) ? static_cast<SoilModel>(code)
                                : SoilModel::kSoftClay;
}
constexpr bool is_rock(SoilModel m) {
  return m == SoilModel::kRock || m == SoilModel::kWeakRock;
}

// How the earth pressure of a problem is given (control record, field 6).
enum class EarthPressureOption {
  kNone,          // code <= 0
  kSpecified,     // 1: depth and pressure pairs
  kTriangular,    // 2: generated active pressure (Rankine/Coulomb)
  kFhwaEnvelope,  // 3: apparent-pressure envelope for anchored walls
  kSoilMovement,  // 4: generated, the wall pushed by soil movement
  kUniformClay,   // 5: envelope with Ka from the optional coefficient
  kTerzaghiPeck,  // 6: Terzaghi-Peck envelope
  // A code above 6: generated like option 2 (the triangular
  // distribution) but without the soft-clay note of options 2, 3 and 6.
  kOtherGenerated,
};

// Where the p-y curves come from (control record, field 7).
enum class PyOption {
  kUserCurves,  // code < 2
  kGenerated,   // 2
  kNone,        // code > 2
};

// The p-y loading of a soil profile: 1 static, 0 cyclic; any code but 0
// is static.
enum class Loading { kStatic, kCyclic };

// A surcharge loading's type: 1 point, 2 line, 3 strip.
enum class SurchargeType { kPoint = 1, kLine = 2, kStrip = 3 };

// What a specified condition fixes: code <= 1 deflection, 2 slope, >= 3
// both.
enum class SpecifiedKind { kDeflection, kSlope, kBoth };

// The 15 integers at the head of every problem.
struct ControlRecord {
  int unit_system = 0;       // 1 English, 2 metric
  int specified_points = 0;  // specified deflections and slopes
  int wall_sections = 0;
  int cross_sections = 0;
  int py_factors = 0;             // rows of p-y modification factors
  int earth_pressure_option = 0;  // <=0 none, 1 specified, 2..6 generated
  int py_option = 0;              // 2 generated, <2 user curves, >2 none
  int user_py_curves = 0;
  int stage_code = 0;  // >=2 staged problem
  int nonlinear_ei_sets = 0;
  int tie_backs = 0;
  int hinge_model = 0;      // 1: zero moment at lower tie backs
  int wale_flag = 0;        // >0: wales present
  int wale_continuity = 0;  // 1 simply supported, else continuous
  int struts = 0;           // struts/rakers

  EarthPressureOption pressure_option() const {
    const int c = earth_pressure_option;
    if (c <= 0) return EarthPressureOption::kNone;
    if (c > 6) return EarthPressureOption::kOtherGenerated;
    return static_cast<EarthPressureOption>(c);
  }
  // Options 2 and above generate the earth pressure from the soil profile.
  bool generated_pressure() const { return earth_pressure_option >= 2; }
  PyOption py_curves() const {
    if (py_option < 2) return PyOption::kUserCurves;
    return py_option == 2 ? PyOption::kGenerated : PyOption::kNone;
  }
  bool generated_py_curves() const {
    return py_curves() == PyOption::kGenerated;
  }
  UnitSystem units() const {
    return unit_system == 2 ? UnitSystem::kMetric : UnitSystem::kEnglish;
  }
};

struct WallGeometry {
  int increments = 0;             // N: stations 0..N
  double increment_length = 0.0;  // h, internal length unit
  double allowable_deflection = 0.0;
  double closure_tolerance = 0.0;
  double reference_depth = 0.0;
  double wall_width = 0.0;  // width of wall one analysis represents
  double wall_height = 0.0;
  int max_iterations = 0;  // 0: one linear solution; <0: stop
  // The ninth and tenth values of the record have no meaning for the
  // engine: read (they must be integers) and kept.
  int reserved_9 = 0;
  int reserved_10 = 0;
  int section_adjustment = 0;  // >0: adjust EI on the basis WA = WP
};

// A point with specified deflection and/or slope.
struct SpecifiedCondition {
  int case_code = 0;  // <=1 deflection, 2 slope, >=3 both (as read)
  int station = 0;
  double deflection = 0.0;
  double slope = 0.0;  // radians

  SpecifiedKind kind() const {
    if (case_code <= 1) return SpecifiedKind::kDeflection;
    return case_code == 2 ? SpecifiedKind::kSlope : SpecifiedKind::kBoth;
  }
  bool fixes_deflection() const { return kind() != SpecifiedKind::kSlope; }
  bool fixes_slope() const { return kind() != SpecifiedKind::kDeflection; }
};

struct WallSection {
  double top = 0.0;  // feet (English) or metres
  double bottom = 0.0;
  int cross_section = 0;
};

// A stiffness-and-load entry. With contd = 1 it is paired with the next
// entry: the range runs from this entry's first station to the next entry's
// last station, its values varying linearly between the two.
struct LoadEntry {
  int contd = 0;
  int from = 0;
  int to = 0;
  double load = 0.0;    // transverse load Q per station
  double torque = 0.0;  // applied couple T
  double axial = 0.0;   // axial load P as entered
  int line = 0;         // line of the input data file where it begins
};

// A lateral and rotational restraint entry; paired like LoadEntry.
struct RestraintEntry {
  int from = 0;
  int to = 0;
  int contd = 0;
  double lateral = 0.0;     // stiffness of transverse resistance S
  double rotational = 0.0;  // stiffness of rotational resistance R
  int line = 0;             // line of the input data file where it begins
};

// A tie back or a strut/raker (struts have no prestress).
struct Anchor {
  double depth = 0.0;  // feet (English) or metres
  double area = 0.0;
  double modulus = 0.0;
  double unbonded_length = 0.0;  // feet (English) or metres
  double angle = 0.0;            // horizontal angle, degrees
  double spacing = 0.0;          // feet (English) or metres
  double prestress = 0.0;
};

// A point of a moment-curvature table.
struct CurvaturePoint {
  double curvature = 0.0;  // 1/length
  double moment = 0.0;
};

// One thrust level of a moment-curvature table: a user-defined nonlinear
// EI set, or a level of a cross section's table.
struct ThrustLevel {
  double thrust = 0.0;
  double extra = 0.0;  // the second value of a section's level
  std::vector<CurvaturePoint> points;
};

// The records of a nonlinear cross section after its first row, kept as
// read: they describe materials, reinforcement, strands and casing, which
// the engine echoes but does not use.
struct NonlinearSectionRecords {
  int material_option = 0;
  std::array<double, 10> materials{};
  std::array<double, 6> reinforcement{};
  std::array<int, 4> counts{};  // list 1, bars, list 2, strands
  std::string steel_name;
  std::vector<int> bar_list;
  std::array<double, 5> bar_values{};
  int bar_option = 0;
  std::array<int, 6> layout_options{};
  std::array<double, 4> layout_values{};
  std::vector<std::array<double, 3>> bars;  // area, x, y
  std::vector<int> strand_list;
  std::array<double, 7> strand_values{};
  std::vector<std::array<double, 3>> strands;  // area, x, y
  std::array<int, 3> casing_options{};  // the third counts the casing values
  std::array<double, 2> casing_values{};
  std::vector<double> casing_table;
  std::array<int, 7> confinement_options{};
  std::array<double, 4> confinement_values{};
  std::array<int, 4> steel_options{};  // the fourth counts the steel values
  std::array<double, 2> steel_values{};
  std::vector<double> steel_table;
};

// A cross section. The dimension row holds, by position: equivalent
// diameter (or width), external width (outside diameter), external depth,
// wall thickness, flange width, flange thickness, web depth, web
// thickness, in the small length unit (inch or millimetre).
struct CrossSection {
  std::array<int, 2> unused{};
  int shape = 0;      // shape code, selects the printed section type
  int ei_option = 0;  // 0 elastic, otherwise nonlinear
  std::string name;   // up to 80 characters
  std::array<double, 8> dimensions{};
  // Elastic sections: the property row, by position: area, section
  // modulus, plastic modulus, moment of inertia (as entered: mm^4 in
  // metric), radius of gyration, torsional constant, yield stress, shear
  // area, modulus of elasticity, unit weight.
  std::array<double, 10> properties{};
  double property_extra = 0.0;
  int bottom_rows = 0;  // > 0: a second pair of rows for the bottom
  std::array<double, 8> bottom_dimensions{};
  std::array<double, 10> bottom_properties{};
  double bottom_extra = 0.0;
  std::array<int, 2> options{};
  double option_value = 0.0;
  std::array<int, 6> more_options{};
  std::string remark;
  // Nonlinear sections: the modulus of elasticity of the first row.
  double modulus = 0.0;
  NonlinearSectionRecords nonlinear;
  // The section's moment-curvature table, one level per axial thrust.
  std::vector<ThrustLevel> moment_curvature;

  // Positions in the dimension and property rows.
  static constexpr size_t kEquivalentDiameter = 0;
  static constexpr size_t kArea = 0;
  static constexpr size_t kMomentOfInertia = 3;
  static constexpr size_t kElasticModulus = 8;

  bool elastic() const { return ei_option == 0; }
  double equivalent_diameter() const { return dimensions[kEquivalentDiameter]; }
  // The elastic section's moment of inertia (as entered) and modulus of
  // elasticity, at the top and (with bottom_rows > 0) at the bottom.
  double moment_of_inertia() const { return properties[kMomentOfInertia]; }
  double elastic_modulus() const { return properties[kElasticModulus]; }
  double bottom_moment_of_inertia() const {
    return bottom_properties[kMomentOfInertia];
  }
  double bottom_elastic_modulus() const {
    return bottom_properties[kElasticModulus];
  }
};

// Earth-pressure data, form B: the wall record.
struct EarthPressureWall {
  int line = 0;                   // line of the input data file
  double free_height = 0.0;       // depth of the excavation line
  double width_pressure = 0.0;    // WA
  double width_resistance = 0.0;  // WP
  double water_backfill = 0.0;    // depth to the water table, backfill side
  double water_excavation = 0.0;  // depth to the water table, excavation
  double active_factor = 0.0;     // modification of active earth pressure
  int water_flag = 0;             // 1: backfill water pressure included
  double backfill_slope = 0.0;    // degrees
  double excavation_slope = 0.0;  // degrees
};

// The uniform surface pressure and the single older-style surcharge.
struct SurfaceLoads {
  double pressure = 0.0;
  double distance = 0.0;
  double point_load = 0.0;
  double line_load = 0.0;
  double strip_load = 0.0;
  double strip_width = 0.0;
};

// A surcharge loading; distances in the internal length unit (metric
// millimetres are converted on reading).
struct Surcharge {
  int type = 0;           // 1 point, 2 line, 3 strip (checked on reading)
  double load = 0.0;      // P
  double distance = 0.0;  // x, to the load or to the middle of the strip
  double width = 0.0;     // B, strip width
  double vertical = 0.0;  // v
  double factor = 0.0;    // f
  // x, B and v as entered (metric: millimetres).
  std::array<double, 3> entered{};

  SurchargeType kind() const { return static_cast<SurchargeType>(type); }
};

// Values of a soil layer at its top or bottom.
struct SoilValues {
  double unit_weight = 0.0;
  double strength = 0.0;          // cohesion / undrained shear strength;
                                  // compressive strength for rock
  double friction_angle = 0.0;    // degrees
  double epsilon50 = 0.0;         // weak rock: krm
  double subgrade_modulus = 0.0;  // k; weak rock: rock mass modulus
  // The sixth value, kept as read: the rock quality designation (%) of
  // weak rock, the optional earth-pressure coefficient K of the other
  // soils.
  double k_or_rqd = 0.0;

  double earth_pressure_coefficient() const { return k_or_rqd; }
  double rock_quality_designation() const { return k_or_rqd; }
};

struct SoilLayer {
  int line = 0;  // line of its type record
  int type = 0;  // soil type code, as read
  double top = 0.0;
  double bottom = 0.0;
  SoilValues at_top;
  SoilValues at_bottom;
  double thickness() const { return bottom - top; }
  SoilModel model() const { return soil_model_of(type); }
  bool rock() const { return is_rock(model()); }
};

// Earth-pressure data, form B, as a whole.
struct SoilProfile {
  EarthPressureWall wall;
  SurfaceLoads surface;
  std::vector<Surcharge> surcharges;
  int loading = 0;  // p-y loading: 1 static, 0 cyclic
  double load_cycles = 0.0;
  std::vector<SoilLayer> layers;

  Loading py_loading() const {
    return loading == 0 ? Loading::kCyclic : Loading::kStatic;
  }
};

// A depth and active earth pressure of earth-pressure option 1.
struct PressurePoint {
  double depth = 0.0;
  double pressure = 0.0;
};

// A row of the p-y modification factors.
struct PyFactor {
  double depth = 0.0;
  double p = 1.0;
  double y = 1.0;
};

// A user-specified p-y curve at one station; points as entered (y, p).
struct UserPyCurve {
  int station = 0;
  double p_multiplier = 1.0;
  double y_multiplier = 1.0;
  int contd = 0;  // 1 when the station lies at or below the reference depth
  std::vector<std::pair<double, double>> points;
  int line = 0;  // line of its header record
};

// A wale record: read and kept; the wale results come from the supports.
struct Wale {
  int number = 0;
  double values[3] = {0.0, 0.0, 0.0};
};

struct Problem {
  std::string title;  // 80 columns, the first 70 as read
  ControlRecord control;
  WallGeometry geometry;
  std::vector<SpecifiedCondition> conditions;
  std::vector<WallSection> wall_sections;
  std::vector<LoadEntry> loads;
  std::vector<RestraintEntry> restraints;
  std::vector<Anchor> tie_backs;
  std::vector<Anchor> struts;
  std::vector<Wale> wales;
  std::vector<CrossSection> cross_sections;
  std::vector<ThrustLevel> ei_sets;  // user-defined nonlinear EI
  int py_factor_option = 0;
  std::vector<PyFactor> py_factors;
  std::vector<PressurePoint> specified_pressure;
  bool has_soil_profile = false;
  SoilProfile soil;
  std::vector<UserPyCurve> user_curves;

  UnitSystem units() const { return control.units(); }
};

}  // namespace korvan::engine
