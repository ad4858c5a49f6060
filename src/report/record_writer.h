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

  // The report's writing primitives: pieces of a record left open, and the
  // end of a record written as one blank.
  RecordWriter& write_real(int w, int n, double x) {
    return put(fmt_real(x, w, n));
  }
  RecordWriter& write_int(int w, long long i) { return put(fmt_i(i, w)); }
  RecordWriter& write_blanks(int n) { return blanks(n); }
  RecordWriter& write_chars(std::string_view text, int count) {
    return put(fmt_a(text, count));
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
