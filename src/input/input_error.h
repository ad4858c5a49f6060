// The one exception type of bad input: a record that cannot be read or a
// value that the engine refuses.
#pragma once

#include <charconv>
#include <stdexcept>
#include <string>
#include <string_view>

#include "korvan/engine.h"
#include "model/shortest.h"

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

// The line argument of an error that stands on no one line.
inline constexpr int kNoLine = -1;

// Splits "record, field k (name)" into its parts; a record without a
// single field ("tie-back record 2", "control record, fields 11 and 15
// (tie backs, struts/rakers)") keeps field 0, the latter with the names.
inline void split_record(const std::string& where, Diagnostic& d) {
  d.record = where;
  if (where.empty() || where.back() != ')') return;
  for (const std::string_view mark : {", field ", ", fields "}) {
    const size_t at = where.rfind(mark);
    if (at == std::string::npos) continue;
    const size_t open = where.find(" (", at);
    if (open == std::string::npos) continue;
    const std::string number =
        where.substr(at + mark.size(), open - at - mark.size());
    int field = 0;
    const auto [end, ec] =
        std::from_chars(number.data(), number.data() + number.size(), field);
    const bool single =
        ec == std::errc() && end == number.data() + number.size();
    // ", field " takes one number, ", fields " a list of them.
    if (single != (mark == ", field ")) continue;
    d.record = where.substr(0, at);
    d.field = single ? field : 0;
    d.field_name = where.substr(open + 2, where.size() - open - 3);
    return;
  }
}

// what() reads "file:line: record, field k (name): message", the form used
// on standard error and, for kInvalid, in the report; the same parts are
// kept as values in diagnostic(). `record` names the record group and, when
// one field is at fault, the field (", field k (name)"); it is empty when
// the fault concerns no one record. A line below zero is not shown.
class InputError : public std::runtime_error {
 public:
  InputError(StopKind kind, const std::string& file, int line,
             const std::string& record, const std::string& message)
      : std::runtime_error(
            file + (line >= 0 ? ":" + std::to_string(line) : "") + ": " +
            (record.empty() ? "" : record + ": ") + message),
        kind_(kind) {
    diagnostic_.file = file;
    diagnostic_.line = line > 0 ? line : 0;
    split_record(record, diagnostic_);
    diagnostic_.message = message;
  }
  StopKind kind() const { return kind_; }
  const Diagnostic& diagnostic() const { return diagnostic_; }

 private:
  StopKind kind_;
  Diagnostic diagnostic_;
};

}  // namespace korvan::engine
