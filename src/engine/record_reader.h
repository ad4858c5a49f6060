// Reader of the input data file: fixed-field text records and list-directed
// (free-format) records.
//
// A free-format record starts on a new line and takes as many lines as its
// fields need; what is left on its last line is ignored. Values are separated
// by blanks or commas; two commas with nothing between them, or a comma at
// the start of a record, give a null value; "r*value" repeats a value r
// times and "r*" gives r null values; a slash ends the record, leaving its
// remaining fields null. A null field takes the default that the caller
// passes. Text values may be quoted with apostrophes or quotation marks (a
// doubled quote inside stands for one); an unquoted text ends at a blank,
// comma or slash. Reals take the exponent letters E or D in either case, or
// a signed exponent without a letter (1.0+5).
//
// Every refusal throws InputError naming the file, the line, the record and
// the field.
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <string_view>

#include "engine/input_error.h"

namespace korvan::engine {

// The longest line a record may have; a longer one is refused, naming
// its line.
inline constexpr size_t kMaxLineLength = 8192;
// The longest quoted text, its line breaks not counted.
inline constexpr size_t kMaxQuotedLength = 8192;
// The number of characters of a bad token that a diagnostic quotes.
inline constexpr size_t kShownTokenLength = 40;

class RecordReader {
 public:
  RecordReader(std::istream& in, std::string file_name);

  // The first `width` characters of the next line, padded with blanks;
  // nullopt at the end of the file. `record` names it in diagnostics.
  std::optional<std::string> fixed_text(int width,
                                        std::string record = "title record");

  // Starts a free-format record on the next line. `record` names it in
  // diagnostics ("wall-geometry record", "tie-back record 2").
  void begin(std::string record);
  int integer(std::string_view field, int if_null = 0);
  double real(std::string_view field, double if_null = 0.0);
  std::string text(std::string_view field, int width);
  // Ends the current record: the rest of its last line is ignored.
  void end();

  // Refuses the current record with a diagnostic at the line where it
  // began.
  [[noreturn]] void fail(StopKind kind, std::string_view message) const;

  const std::string& file_name() const { return file_name_; }
  const std::string& record() const { return record_; }
  int record_line() const { return record_line_; }
  int line_number() const { return line_number_; }

 private:
  struct Item {
    bool null = true;
    bool quoted = false;
    std::string text;
    int line = 0;
  };

  Item next_item(std::string_view field);
  Item scan_item(std::string_view field);
  bool next_line();
  std::string quoted_text(char quote, std::string_view field);
  [[noreturn]] void fail_at(int line, std::string_view field,
                            std::string_view message) const;

  std::istream& in_;
  std::string file_name_;
  std::string line_;
  size_t pos_ = 0;
  int line_number_ = 0;
  bool have_line_ = false;    // line_ holds the current record's line
  bool slash_ = false;        // the record was ended by a slash
  bool after_value_ = false;  // a value was read since the last separator
  int repeat_left_ = 0;
  Item repeat_item_;
  std::string record_;
  int record_line_ = 0;
  int field_index_ = 0;
};

}  // namespace korvan::engine
