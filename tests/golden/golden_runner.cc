// Golden-file runner: runs the engine on tests/golden/<case>/input.dat with a
// fixed clock and input path, and compares the report, plot-data and
// iteration files and the diagnostics byte for byte with the expected files
// beside the input.
//
//   golden_runner CASE_DIR            compare; exit 1 on any difference
//   golden_runner --update CASE_DIR   rewrite the expected files
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "korvan/engine.h"

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Prints where two texts first differ; true when they are equal.
bool same(const std::string& name, const std::string& expected,
          const std::string& actual) {
  if (expected == actual) return true;
  size_t line = 1, column = 1, i = 0;
  for (; i < expected.size() && i < actual.size() && expected[i] == actual[i];
       ++i) {
    if (expected[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  auto line_at = [](const std::string& s, size_t at) {
    const size_t begin = s.rfind('\n', at == 0 ? 0 : at - 1);
    const size_t from = begin == std::string::npos ? 0 : begin + 1;
    return s.substr(from, s.find('\n', from) - from);
  };
  std::cerr << name << ": first difference at line " << line << ", column "
            << column << "\n  expected: " << line_at(expected, i)
            << "\n  actual:   " << line_at(actual, i) << "\n";
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  bool update = false;
  fs::path dir;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--update") {
      update = true;
    } else {
      dir = arg;
    }
  }
  if (dir.empty()) {
    std::cerr << "usage: golden_runner [--update] CASE_DIR\n";
    return 2;
  }
  const fs::path scratch =
      fs::temp_directory_path() / ("korvan-golden-" + dir.filename().string() +
                                   "-" + std::to_string(::getpid()));
  fs::remove_all(scratch);
  fs::create_directories(scratch);

  korvan::RunFiles files;
  files.version_label = "GOLDEN";
  files.input = dir / "input.dat";
  files.report = scratch / "input.out";
  files.plot = scratch / "input.plot";
  files.iteration = scratch / "input.iter";
  files.py_scratch = scratch / "input.pyc";
  files.pressure_scratch = scratch / "input.epd";

  std::ostringstream diagnostics;
  korvan::RunOptions options;
  options.fixed_clock = korvan::ClockTime{2026, 1, 15, 9, 5, 30};
  options.shown_input_path = "C:\\WALLS\\GOLDEN\\input.dat";
  options.diagnostics = &diagnostics;
  korvan::Engine engine;
  const korvan::RunResult result = engine.run(files, options);
  const std::string diag = diagnostics.str() + "exit status " +
                           std::to_string(static_cast<int>(result.status)) +
                           "\n";

  const std::pair<std::string, std::string> outputs[] = {
      {"expected.out", slurp(files.report)},
      {"expected.plot", slurp(files.plot)},
      {"expected.iter", slurp(files.iteration)},
      {"expected.diag", diag}};
  bool ok = true;
  for (const auto& [name, actual] : outputs) {
    const fs::path expected = dir / name;
    if (update) {
      std::ofstream(expected, std::ios::binary) << actual;
    } else if (!fs::exists(expected)) {
      std::cerr << expected << " is missing (run with --update and review)\n";
      ok = false;
    } else {
      ok =
          same((dir.filename() / name).string(), slurp(expected), actual) && ok;
    }
  }
  fs::remove_all(scratch);
  return ok ? 0 : 1;
}
