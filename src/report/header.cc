#include "report/header.h"

namespace korvan::report {
namespace {

constexpr const char* kMonths[] = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

std::string rtrim(std::string_view s) {
  const size_t end = s.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string()
                                       : std::string(s.substr(0, end + 1));
}

std::string first70(const std::string& title) {
  std::string t = title.substr(0, 70);
  t.resize(70, ' ');
  return t;
}

}  // namespace

PathParts split_path(std::string_view path) {
  const size_t cut = path.find_last_of("/\\");
  if (cut == std::string_view::npos) {
    // A drive without a directory ("C:name") keeps the drive as folder.
    if (path.size() >= 2 && path[1] == ':') {
      return {std::string(path.substr(0, 2)), std::string(path.substr(2))};
    }
    return {std::string(), std::string(path)};
  }
  return {std::string(path.substr(0, cut + 1)),
          std::string(path.substr(cut + 1))};
}

void write_header(RecordWriter& out, const HeaderInfo& info) {
  const std::string rule(73, '=');
  out.blanks(5).line(rule);
  out.empty_lines(1);
  std::string label = info.version_label.substr(0, 12);
  label.resize(12, ' ');
  out.blanks(20).put("  KORVAN for Windows, Version ").line(label);
  out.empty_lines(1);
  out.blanks(20).line("   A Program for the Analysis of ");
  out.blanks(20).line("   Flexible Retaining Walls ");
  out.empty_lines(1);
  out.blanks(5).line(rule);
  out.empty_lines(2);

  const PathParts input = split_path(info.input_path);
  out.blanks(5).put("Path to file locations      : ").line(rtrim(input.folder));
  out.blanks(5).put("Name of input data file     : ").line(rtrim(input.name));
  out.blanks(5)
      .put("Name of output file         : ")
      .line(rtrim(split_path(info.report_path).name));
  out.blanks(5)
      .put("Name of plot output file    : ")
      .line(rtrim(split_path(info.plot_path).name));
  out.empty_lines(1);

  const std::string dashes(73, '-');
  out.blanks(5).line(dashes);
  out.blanks(26).line("Time and Date of Analysis");
  out.blanks(5).line(dashes);
  out.empty_lines(1);
  const ClockTime& t = info.time;
  if (t.month >= 1 && t.month <= 12) {
    out.blanks(15)
        .put("Date:  ")
        .put(kMonths[t.month - 1])
        .put(" ")
        .put(fmt_i_zero(t.day, 2))
        .put(", ")
        .i(t.year, 4)
        .blanks(5)
        .put("Time:  ")
        .put(fmt_i_zero(t.hour, 2))
        .put(":")
        .put(fmt_i_zero(t.minute, 2))
        .put(":")
        .line(fmt_i_zero(t.second, 2));
  }
}

void write_title_line(RecordWriter& out, int stage_code, int problem_counter,
                      const std::string& title,
                      const std::string& first_title) {
  out.empty_lines(2);
  if (stage_code >= 2) {
    out.blanks(6)
        .put("Stage No :")
        .i(problem_counter, 2)
        .blanks(2)
        .line(first70(first_title));
  } else if (problem_counter == 1) {
    out.blanks(6).line(first70(title));
  } else {
    out.blanks(6).put("Long Term :").blanks(2).line(first70(first_title));
  }
}

}  // namespace korvan::report
