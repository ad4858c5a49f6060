// A record-oriented writer of one output file. A record is built from
// pieces and ended explicitly; the writer alone chooses the line ending.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "report/fortran_format.h"

namespace korvan::report {

class RecordWriter {
 public:
  explicit RecordWriter(std::ostream& out) : out_(out) {}

  RecordWriter& put(std::string_view text) {
    record_ += text;
    return *this;
  }
  RecordWriter& blanks(int n) {
    if (n > 0) record_.append(static_cast<size_t>(n), ' ');
    return *this;
  }
  // Ends the current record as it stands.
  void end_line() {
    record_ += '\n';
    out_ << record_;
    record_.clear();
  }
  // A whole record.
  void line(std::string_view text) {
    put(text);
    end_line();
  }
  // n empty records.
  void empty_lines(int n) {
    for (int i = 0; i < n; ++i) end_line();
  }

  // Fields appended in place (see fortran_format.h).
  RecordWriter& i(long long value, int w) {
    append_i(record_, value, w);
    return *this;
  }
  RecordWriter& e(double value, int w, int d, int scale = 0) {
    append_e(record_, value, w, d, scale);
    return *this;
  }
  RecordWriter& f(double value, int w, int d) {
    append_f(record_, value, w, d);
    return *this;
  }
  RecordWriter& real(double value, int w, int n) {
    append_real(record_, value, w, n);
    return *this;
  }
  RecordWriter& a(std::string_view text, int w) {
    append_a(record_, text, w);
    return *this;
  }
  RecordWriter& list_int(long long value) {
    append_list_int(record_, value);
    return *this;
  }
  RecordWriter& list_real(double value) {
    append_list_real(record_, value);
    return *this;
  }

  // The report's writing primitives: pieces of a record left open, and the
  // end of a record written as one blank.
  RecordWriter& write_real(int w, int n, double x) {
    append_real(record_, x, w, n);
    return *this;
  }
  RecordWriter& write_int(int w, long long value) { return i(value, w); }
  RecordWriter& write_blanks(int n) { return blanks(n); }
  RecordWriter& write_chars(std::string_view text, int count) {
    append_a(record_, text, count);
    return *this;
  }
  void end_record() {
    put(" ");
    end_line();
  }

  void flush() { out_.flush(); }

 private:
  std::ostream& out_;
  std::string record_;
};

}  // namespace korvan::report
