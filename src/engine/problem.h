// One problem (one stage) of the input data file, as read.
//
// Values are held in the units of the problem's unit system: English
// (inch, pound; depths of wall sections and supports in feet) or metric
// (metre, kilonewton). Tables are in input order.
#pragma once

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

enum class UnitSystem { kEnglish = 1, kMetric = 2 };

// The 15 integers at the head of every problem.
struct ControlRecord {
  int unit_system = 0;           // 1 English, 2 metric
  int specified_points = 0;      // specified deflections and slopes
  int wall_sections = 0;
  int cross_sections = 0;
  int py_factors = 0;            // rows of p-y modification factors
  int earth_pressure_option = 0; // <=0 none, 1 specified, 2..6 generated
  int py_option = 0;             // 2 generated, <2 user curves, >2 none
  int user_py_curves = 0;
  int stage_code = 0;            // >=2 staged problem
  int nonlinear_ei_sets = 0;
  int tie_backs = 0;
  int hinge_model = 0;           // 1: zero moment at lower tie backs
  int wale_flag = 0;             // >0: wales present
  int wale_continuity = 0;       // 1 simply supported, else continuous
  int struts = 0;                // struts/rakers
};

struct WallGeometry {
  int increments = 0;               // N: stations 0..N
  double increment_length = 0.0;    // h, internal length unit
  double allowable_deflection = 0.0;
  double closure_tolerance = 0.0;
  double reference_depth = 0.0;
  double wall_width = 0.0;          // width of wall one analysis represents
  double wall_height = 0.0;
  int max_iterations = 0;           // 0: one linear solution; <0: stop
  int ninth = 0;                    // read and kept
  int tenth = 0;                    // read and kept
  int section_adjustment = 0;       // >0: adjust EI on the basis WA = WP
};

// A point with specified deflection and/or slope.
struct SpecifiedCondition {
  int case_code = 0;  // <=1 deflection, 2 slope, >=3 both (as read)
  int station = 0;
  double deflection = 0.0;
  double slope = 0.0;  // radians
};

struct WallSection {
  double top = 0.0;     // feet (English) or metres
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
  double load = 0.0;     // transverse load Q per station
  double torque = 0.0;   // applied couple T
  double axial = 0.0;    // axial load P as entered
  int line = 0;          // line of the input data file where it begins
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
  double depth = 0.0;            // feet (English) or metres
  double area = 0.0;
  double modulus = 0.0;
  double unbonded_length = 0.0;  // feet (English) or metres
  double angle = 0.0;            // horizontal angle, degrees
  double spacing = 0.0;          // feet (English) or metres
  double prestress = 0.0;
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

  UnitSystem units() const {
    return control.unit_system == 2 ? UnitSystem::kMetric
                                    : UnitSystem::kEnglish;
  }
};

}  // namespace korvan::engine
