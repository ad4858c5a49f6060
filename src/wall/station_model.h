// The station grid of the wall and its stiffness and load tables.
//
// Station s lies at depth s*h below the top of the wall; stations 0..N are
// real, -3..-1 and N+1..N+3 fictitious and expected to hold no stiffness or
// load. Every table has one entry per station -3..N+3.
#pragma once

#include <array>
#include <span>
#include <vector>

#include "model/problem.h"

namespace korvan::wall {

using StationTable = std::array<double, engine::kStationEntries>;

// Condition codes of a station: 1 free, 2 deflection specified, 3 station
// above a specified slope, 4 deflection and slope at the station, 5 station
// below a specified slope.
enum ConditionCode {
  kFree = 1,
  kDeflection = 2,
  kAboveSlope = 3,
  kDeflectionAndSlope = 4,
  kBelowSlope = 5
};

struct StationModel {
  int increments = 0;                // N
  double increment_length = 0;       // h
  StationTable flexural_rigidity{};  // F (EI)
  StationTable load{};               // Q, transverse load per station
  StationTable spring{};             // S, transverse resistance
  StationTable torque{};             // T, applied couple
  StationTable rotational{};         // R, rotational resistance
  StationTable axial{};              // P, axial load (sign reversed)
  std::array<int, engine::kStationEntries> condition{};
  // A non-zero value was given for a station outside the tables.
  bool data_outside_tables = false;

  static constexpr int kOffset = 3;  // table index of station 0
  static constexpr int index(int station) { return station + kOffset; }
  bool in_tables(int station) const {
    return station >= -3 && station <= increments + 3;
  }
};

// A value given over stations from..to, varying linearly from `at_from` to
// `at_to`.
struct StationRange {
  int from = 0;
  int to = 0;
  double at_from = 0.0;
  double at_to = 0.0;
};

// Adds a range to a table: every station of the range receives its
// interpolated value, then each end station gives half of it back when the
// range spans more than one station, so that two ranges meeting at a station
// add up to one full value there.
void spread(StationModel& model, StationTable& table, const StationRange& r);

// Entries flagged as continued pair with the next one. Returns, for every
// range the entries make, the index of the entry that opens it and of the
// entry that closes it (the same index for an entry standing alone). An
// entry that closes a pair is not applied again by itself; a continued
// entry without a successor makes no range.
struct EntryPair {
  size_t first = 0;
  size_t last = 0;
};
std::vector<EntryPair> pair_entries(std::span<const int> contd);

// Clears the tables and places the specified conditions, the
// stiffness-and-load entries and the lateral and rotational restraints.
StationModel build_station_model(const engine::Problem& problem);
// The same into `out` (some 20 KB), which may live on the heap.
void build_station_model(const engine::Problem& problem, StationModel& out);

// True when a stiffness or load value stands at a fictitious station or was
// given for a station outside the tables.
bool has_data_beyond_end(const StationModel& model);

}  // namespace korvan::wall
