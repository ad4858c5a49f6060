// The report header of a problem: banner, file names, date and time, and
// the problem title line.
#pragma once

#include <string>
#include <string_view>

#include "korvan/engine.h"
#include "report/record_writer.h"

namespace korvan::report {

struct HeaderInfo {
  std::string version_label;  // 12 columns
  std::string input_path;     // absolute path of the input data file
  std::string report_path;
  std::string plot_path;
  ClockTime time;
};

// A path cut into its folder (drive and directory, with the closing
// separator) and its file name with extension. Both '/' and '\' separate.
struct PathParts {
  std::string folder;
  std::string name;
};
PathParts split_path(std::string_view path);

void write_header(RecordWriter& out, const HeaderInfo& info);

// The title line, preceded by two empty lines: "Stage No :" for staged
// problems, the title itself for the first problem, "Long Term :" for later
// ones. Titles are 80 columns; the first 70 are printed.
void write_title_line(RecordWriter& out, int stage_code, int problem_counter,
                      const std::string& title, const std::string& first_title);

}  // namespace korvan::report
