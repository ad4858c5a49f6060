// Runs of input files for the tests of the results writers, and a reader of
// the numbers in the fixed-column report to check the writers against.
#pragma once

#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "korvan/engine.h"

namespace korvan::testing {

inline std::filesystem::path source_dir() {
  // KORVAN_TEST_DATA is <source>/tests/data.
  return std::filesystem::path(KORVAN_TEST_DATA).parent_path().parent_path();
}

// The shipped examples the results writers are checked on.
inline const std::vector<std::string> kExamples = {
    "anchored_wall_fhwa.dat",
    "braced_excavation_clay_tp.dat",
    "cantilever_sheet_pile.dat",
    "hand_check_cantilever.dat",
    "sheet_pile_generated_pressure.dat",
    "sheet_pile_soft_clay.dat",
    "staged_excavation.dat",
    "tied_back_wall_metric.dat"};

inline std::string test_name(const std::string& file) {
  return file.substr(0, file.find('.'));
}

inline std::string read_file(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// A new empty folder; the caller removes it.
inline std::filesystem::path temp_dir() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "korvan_report_XXXXXX")
          .string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp");
  return pattern;
}

// One run in a folder of its own, with the results collected.
struct ExampleRun {
  RunResult result;
  std::string report;  // the fixed-column report

  static ExampleRun example(const std::string& name) {
    return of(source_dir() / "examples" / name);
  }
  static ExampleRun of(const std::filesystem::path& input) {
    const std::filesystem::path dir = temp_dir();
    RunFiles files;
    files.version_label = "TEST";
    files.input = input;
    files.report = dir / "run.out";
    files.plot = dir / "run.plot";
    files.iteration = dir / "run.iter";
    files.py_scratch = dir / "run.pyc";
    files.pressure_scratch = dir / "run.epd";
    RunOptions options;
    options.fixed_clock = ClockTime{2026, 1, 15, 9, 5, 30};
    options.collect_results = true;
    Engine engine;
    ExampleRun run;
    run.result = engine.run(files, options);
    run.report = read_file(files.report);
    std::filesystem::remove_all(dir);
    return run;
  }
};

// A number as the report prints it (1.234E+05), and half a unit of its
// last digit: how far the exact value may lie from it.
struct Printed {
  double value = 0.0;
  double half_unit = 0.0;
};

inline Printed printed(const std::string& field) {
  Printed p;
  p.value = std::stod(field);
  const size_t e = field.find_first_of("Ee");
  const size_t point = field.find('.');
  const int exponent =
      e == std::string::npos ? 0 : std::stoi(field.substr(e + 1));
  const size_t end = e == std::string::npos ? field.size() : e;
  const int decimals =
      point == std::string::npos ? 0 : static_cast<int>(end - point - 1);
  p.half_unit = 0.5 * std::pow(10.0, exponent - decimals) * (1.0 + 1e-9);
  return p;
}

inline std::vector<std::string> split_words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// The rows of the table that follows `heading` in `text`: the lines after
// the dashes under its column titles (two or more groups of dashes), up to
// the first empty line. Each row split in words.
inline std::vector<std::vector<std::string>> table_after(
    const std::string& text, const std::string& heading) {
  std::vector<std::vector<std::string>> rows;
  size_t at = text.find(heading);
  if (at == std::string::npos) return rows;
  std::istringstream in(text.substr(at));
  std::string line;
  bool body = false;
  while (std::getline(in, line)) {
    if (!body) {
      const auto words = split_words(line);
      body = words.size() >= 2 &&
             std::all_of(words.begin(), words.end(), [](const std::string& w) {
               return w.find_first_not_of('-') == std::string::npos;
             });
      continue;
    }
    if (line.find_first_not_of(' ') == std::string::npos) break;
    rows.push_back(split_words(line));
  }
  return rows;
}

// The report split at each problem's results ("NUMBER OF ITERATIONS :").
inline std::vector<std::string> result_blocks(const std::string& report) {
  std::vector<std::string> blocks;
  const std::string mark = "NUMBER OF ITERATIONS :";
  size_t at = report.find(mark);
  while (at != std::string::npos) {
    const size_t next = report.find(mark, at + 1);
    blocks.push_back(report.substr(
        at, next == std::string::npos ? std::string::npos : next - at));
    at = next;
  }
  return blocks;
}

}  // namespace korvan::testing
