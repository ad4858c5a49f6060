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
// the field. A UTF-8 byte-order mark at the start of the file is skipped.
// A quoted text ends on the line where it opens.
//
// A real written with a decimal comma ("6,0") reads as two values, 6 and
// 0. When the record then leaves values over on its last line, its fields
// were shifted: the record is refused, naming the field of the comma; when
// a later field trips, its message adds the same hint. An error in the
// record that follows a counted group names the line of that group's count
// when the record is likely one of the group left over by a count too
// small.
#pragma once

#include <istream>
#include <ostream>
#include <optional>
#include <string>
#include <string_view>

#include "input/input_error.h"

namespace korvan::engine {

// The longest line a record may have; a longer one is refused, naming
// its line.
inline constexpr size_t kMaxLineLength = 8192;
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
  // Starts a count record: values after the count on its line are left
  // over, and a warning says so (they were likely meant as the first
  // record the count counts).
  void begin_count(std::string record);
  int integer(std::string_view field, int if_null = 0);
  double real(std::string_view field, double if_null = 0.0);
  std::string text(std::string_view field, int width);
  // Ends the current record: the rest of its last line is ignored, with a
  // warning when it holds a value and the record is a count record. A
  // record that read a likely decimal comma and leaves a value over is
  // refused.
  void end();

  // Where warnings go, one line each ("file:line: record: warning: ...").
  // Null: nowhere.
  void set_warnings(std::ostream* out) { warnings_ = out; }

  // Marks the end of a group of records counted by the count on
  // `count_line`. When the record that follows trips on a value or leaves
  // values over, and its line holds as many values as the group's last
  // record, or when it finds a real where it reads an integer, it is likely a
  // record of the group left over by a count too small: its message adds "
  // (check the count on line N)".
  void end_counted_group(int count_line);

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
    std::string decimal_comma;  // "6.0" for "6,0", see decimal_comma_at
  };

  Item null_item() const {
    Item item;
    item.line = line_number_;
    return item;
  }
  std::optional<std::string> leftover_value() const;
  std::string decimal_comma_hint() const;
  std::string count_hint(bool type_mismatch) const;
  std::string decimal_comma_at(size_t start) const;

  Item next_item(std::string_view field);
  Item scan_item(std::string_view field);
  bool next_line();
  std::string quoted_text(char quote, std::string_view field);
  [[noreturn]] void fail_at(int line, std::string_view field,
                            std::string_view message, bool count_hint = true,
                            bool type_mismatch = false) const;

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
  bool count_record_ = false;
  // "6.0" when a value of the current record was written "6,0".
  std::string decimal_comma_;
  int decimal_comma_field_ = 0;  // its field number and name
  std::string decimal_comma_name_;
  int decimal_comma_line_ = 0;
  std::ostream* warnings_ = nullptr;
  int records_ = 0;          // records begun so far
  int hint_record_ = 0;      // the record after a counted group
  int hint_count_line_ = 0;  // the line of that group's count
  int hint_values_ = 0;      // values on the line of its last record
};

}  // namespace korvan::engine
