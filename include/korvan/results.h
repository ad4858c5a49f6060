// korvan: the results of a run as values, for callers that want numbers
// rather than the fixed-column report (JSON and HTML writers, scripts).
//
// Lengths and depths are in the internal length unit of the problem
// (inch in English units, metre in metric); forces in pounds or kilonewtons.
// Results compare equal when every value is the same (numbers exactly).
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace korvan {

// Results at one station 0..N.
struct StationResults {
  int station = 0;
  double depth = 0.0;
  double deflection = 0.0;
  double slope = 0.0;          // radians
  double moment = 0.0;         // force x length
  double shear = 0.0;          // force
  double soil_reaction = 0.0;  // force per unit length of wall
  double net_force = 0.0;      // force per station
  double rigidity = 0.0;       // EI, force x length^2
  // Moment and shear as statics gives them, for maxima and diagrams: as
  // `moment` and `shear` except at the end stations and their neighbours,
  // where the full end moment replaces the halved value of the difference
  // scheme and a toe without a specified deflection has no shear.
  double corrected_moment = 0.0;  // force x length
  double corrected_shear = 0.0;   // force

  bool operator==(const StationResults&) const = default;
};

// A tie back or strut/raker and its wale.
struct SupportResults {
  int number = 0;  // tie backs first, then struts/rakers
  bool tie_back = true;
  int station = 0;
  double depth = 0.0;
  double angle = 0.0;    // degrees
  double spacing = 0.0;  // as entered (feet in English units)
  double prestress = 0.0;
  double horizontal_per_station = 0.0;
  double along_per_station = 0.0;
  double per_support = 0.0;
  bool wale = false;
  double wale_reaction = 0.0;
  double wale_load = 0.0;
  double wale_moment = 0.0;

  bool operator==(const SupportResults&) const = default;
};

struct RestraintResults {
  int station = 0;
  double depth = 0.0;
  double force = 0.0;
  double moment = 0.0;

  bool operator==(const RestraintResults&) const = default;
};

struct NodeReaction {
  int number = 0;
  int station = 0;
  double depth = 0.0;
  double force = 0.0;

  bool operator==(const NodeReaction&) const = default;
};

// A point of the earth pressure on the wall: pressure times width, a force
// per unit length of wall.
struct PressurePoint {
  double depth = 0.0;
  double load = 0.0;

  bool operator==(const PressurePoint&) const = default;
};

// A p-y curve as the solver uses it: (y, p) from the backfill side
// (negative y) to the excavation side, p per unit length of wall.
struct CurveResults {
  int station = 0;
  double depth = 0.0;
  bool generated = false;
  std::vector<std::pair<double, double>> points;

  bool operator==(const CurveResults&) const = default;
};

// A soil layer of the input: its soil type code (1 soft clay ... 7 weak
// rock) and its top and bottom depths.
struct SoilLayerResults {
  int type = 0;
  double top = 0.0;
  double bottom = 0.0;

  bool operator==(const SoilLayerResults&) const = default;
};

// Where a tie back or strut/raker stands, as given in the input; known
// whether or not the problem has results.
struct SupportPosition {
  int number = 0;  // tie backs first, then struts/rakers
  bool tie_back = true;
  double depth = 0.0;

  bool operator==(const SupportPosition&) const = default;
};

struct Extreme {
  double value = 0.0;
  double depth = 0.0;

  bool operator==(const Extreme&) const = default;
};

// How the analysis of a problem ended.
enum class Outcome {
  kCompleted,           // closed within the tolerance and iteration limit
  kNotClosed,           // not closed within the iteration limit
  kDeflectionExceeded,  // the allowable deflection was exceeded
  kStopped,             // the analysis did not run to its end (input error,
                        // generator stop, negative iteration limit)
};

// The outcome in words, as the JSON results and the summaries give it:
// "completed", "not closed", "deflection exceeded", "stopped".
inline const char* outcome_name(Outcome outcome) {
  switch (outcome) {
    case Outcome::kCompleted:
      return "completed";
    case Outcome::kNotClosed:
      return "not closed";
    case Outcome::kDeflectionExceeded:
      return "deflection exceeded";
    case Outcome::kStopped:
      return "stopped";
  }
  return "stopped";
}

struct ProblemResults {
  int number = 0;  // 1-based within the run
  std::string title;
  int stage_code = 0;
  bool english = true;
  Outcome outcome = Outcome::kCompleted;
  // What the engine can tell about an outcome other than kCompleted, to
  // follow it in a sentence: "at 3 stations beyond the allowable deflection
  // of 2.5 in", "within the iteration limit of 100". Empty otherwise.
  std::string outcome_detail;
  // Warnings about the input that bear on the results, one short line each,
  // in shown units: "the soil profile ends 3.000 ft above the toe".
  std::vector<std::string> warnings;
  int iterations = 0;
  int increments = 0;
  double increment_length = 0.0;
  // The width of wall the analysis represents (wall-geometry record,
  // internal length unit): moments, shears, soil reactions and the forces
  // per station are per this width.
  double wall_width = 0.0;
  // The transverse load of each station 0..N as the wall model holds it
  // (loads given and earth pressure; force per station); empty when the
  // model was not built.
  std::vector<double> station_loads;
  std::optional<double> excavation_depth;  // free height H
  // Reference depth of the wall-geometry record: the excavation line of a
  // problem without a soil profile.
  double reference_depth = 0.0;
  std::optional<double> water_backfill;
  std::optional<double> water_excavation;
  // The input as drawn when there are no results.
  std::vector<SoilLayerResults> soil_layers;
  std::vector<SupportPosition> support_positions;
  std::vector<StationResults> stations;  // empty without results
  std::vector<SupportResults> supports;
  std::vector<RestraintResults> restraints;
  std::vector<NodeReaction> node_reactions;
  std::vector<PressurePoint> pressure;
  std::vector<CurveResults> curves;
  // Largest deflection by magnitude, largest positive and negative moment,
  // largest shear by magnitude (with sign).
  Extreme max_deflection, max_moment, min_moment, max_shear;

  bool operator==(const ProblemResults&) const = default;
};

}  // namespace korvan
