// The nonlinear solution of one problem: the wall as a beam-column on the
// station grid, p-y curves re-linearised and EI re-evaluated every
// iteration, the five-term difference equations solved by forward
// recursion and back-substitution, iterated to closure.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "wall/wall_model.h"

namespace korvan::wall {

enum class Outcome {
  kConverged,           // deflections closed within the tolerance
  kCompleted,           // iteration limit 0, or reached with all closed
  kNotClosed,           // iteration limit reached, stations still open
  kDeflectionExceeded,  // a deflection beyond the allowable one
  kNotFinite,           // the equations gave deflections out of range
};

// One iteration as the monitoring line shows it.
struct IterationRecord {
  int iteration = 0;
  int open_stations = 0;        // stations whose change exceeds the tolerance
  double max_change = 0.0;      // largest deflection change
  std::array<double, 4> top{};  // deflections of stations 0..3
};
using IterationSink = std::function<void(const IterationRecord&)>;

// Results at a station (s = 0..N). Lengths in the internal unit; the soil
// reaction is a force per unit length of wall, the net force a force per
// station.
struct StationResult {
  double depth = 0.0;
  double deflection = 0.0;
  double slope = 0.0;
  double moment = 0.0;
  double shear = 0.0;
  double soil_reaction = 0.0;
  double net_force = 0.0;
  double rigidity = 0.0;
  // Moment and shear as statics gives them at the end stations, for maxima
  // and diagrams: equal to `moment` and `shear` except at the end stations
  // and their neighbours. The moment at an end station is the full moment
  // just inside the wall (the difference scheme's value there is half of
  // it: a clamped or slope-fixed end shows half its clamp moment); the shear
  // beside an end uses that moment, and a toe without a specified
  // deflection shows no shear.
  double corrected_moment = 0.0;
  double corrected_shear = 0.0;
};

struct Solution {
  Outcome outcome = Outcome::kCompleted;
  // Deflections at stations -3..N+3 when the iteration ended; the next
  // stage starts from them.
  StationTable deflections{};
  int iterations = 0;     // as reported
  int stations_over = 0;  // stations beyond the allowable deflection
  std::vector<StationResult> stations;  // 0..N, when closed or completed
  // Support and restraint forces, set by the caller with support_results
  // once the solution has results.
  SupportResults forces;
  bool has_results() const {
    return outcome == Outcome::kConverged || outcome == Outcome::kCompleted;
  }
};

// Curve records applied together over a station range: the record that
// opens it and the one that closes it (the same for a curve standing
// alone).
struct CurveRange {
  size_t first = 0;
  size_t last = 0;
};

// Pairs the curve records into ranges. A continued record pairs with the
// next one (skipping records that would close it at its own station); a
// continued record without a partner makes no range. Returns the index of
// a range whose last station lies above its first, if any.
std::vector<CurveRange> curve_ranges(const std::vector<CurveRecord>& curves,
                                     std::optional<size_t>* out_of_order);

// The segment (j-1, j) of a p-y curve's points in use at deflection y: j is
// the first point from the second on whose deflection is not below y, the
// end segments extending the table. `sorted` says that the deflections
// never decrease from point to point; the segment is then found from the
// segment `hint` (1 to size-1) or, without one (0), by bisection, with the
// same result.
size_t curve_segment(const std::vector<std::pair<double, double>>& pts,
                     double y, bool sorted, size_t hint = 0);

// The factor of the n-th relaxation of an alternating solution (n from 0):
// 0.5, 0.25, 0.75, 0.125, 0.375, ...; always between 0 and 1.
double relaxation_factor(int n);

// Solves the problem starting from the deflections `start` (stations
// -3..N+3). Each iteration is handed to `on_iteration` (not called when the
// iteration limit is 0).
Solution solve(const WallModel& model, const StationTable& start,
               const IterationSink& on_iteration);

}  // namespace korvan::wall
