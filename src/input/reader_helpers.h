// Shared helpers of the readers of a problem's records (problem_reader.cc
// and the read_*.cc files beside it); not part of the input interface.
#pragma once

#include <string>
#include <string_view>

#include "input/input_error.h"
#include "input/problem_reader.h"
#include "input/record_reader.h"

namespace korvan::engine {

[[noreturn]] inline void refuse_at(const RecordReader& in, int line,
                                   std::string_view record, StopKind kind,
                                   std::string_view message) {
  throw InputError(kind, in.file_name(), line, std::string(record),
                   std::string(message));
}

inline std::string numbered(std::string_view record, int number) {
  return std::string(record) + " " + std::to_string(number);
}

// A station number taken from the input: one far outside the station
// tables is refused before anything loops over it or indexes by it.
inline void check_station_reach(const RecordReader& in, int station, int field,
                                std::string_view name) {
  if (station >= -kFarthestStation && station <= kFarthestStation) return;
  refuse_at(in, in.record_line(),
            in.record() + ", field " + std::to_string(field) + " (" +
                std::string(name) + ")",
            StopKind::kInvalid,
            "station " + std::to_string(station) +
                " lies far outside the station tables (station numbers "
                "from " +
                std::to_string(-kFarthestStation) + " to " +
                std::to_string(kFarthestStation) + " are taken)");
}

// A count read inside a block, which governs later records of the block.
inline int checked_count(const RecordReader& in, int count,
                         std::string_view what) {
  if (count < 0) {
    in.fail(StopKind::kInvalid,
            "negative " + std::string(what) + " " + std::to_string(count));
  }
  return count;
}

}  // namespace korvan::engine
