// The one exception type of bad input: a record that cannot be read or a
// value that the engine refuses.
#pragma once

#include <charconv>
#include <stdexcept>
#include <string>

namespace korvan::engine {

// What the report file says when the run stops on bad input. Stops that the
// input format defines keep their fixed report texts; every other refusal is
// printed in the report as "ERROR STOP -- " and the full diagnostic.
enum class StopKind {
  kTooMuchData,         // "TOO MUCH DATA FOR AVAILABLE STORAGE"
  kStationsNotInOrder,  // "ERROR STOP -- STATIONS NOT IN ORDER"
  kNonZeroBeyondEnd,    // "ERROR -- NON-ZERO TABLE 4 DATA BEYOND END"
  kQuiet,               // a negative count: the report says nothing
  kInvalid,             // anything else: the diagnostic itself
};

// what() reads "file:line: record, field k (name): message", the form used
// on standard error and, for kInvalid, in the report.
class InputError : public std::runtime_error {
 public:
  InputError(StopKind kind, const std::string& diagnostic)
      : std::runtime_error(diagnostic), kind_(kind) {}
  StopKind kind() const { return kind_; }

 private:
  StopKind kind_;
};

// A number in its shortest exact spelling, for diagnostics.
inline std::string shortest(double x) {
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, x);
  return ec == std::errc() ? std::string(buffer, end) : std::string("?");
}

}  // namespace korvan::engine
