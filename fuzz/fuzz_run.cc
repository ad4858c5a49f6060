// Fuzz target: a whole run (reading, generation, solution, report writing)
// on arbitrary input data, with its files in a private temporary folder,
// and the results writers of the command line (JSON, HTML, summary) on
// its results. A writer that meets a value that is not a number throws,
// which ends the process: a finding. The same data is also converted to a
// project file and back, which must give the same project again, and read
// as a project itself.
#include <cstdlib>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "korvan/engine.h"
#include "korvan/project.h"
#include "present/html_report.h"
#include "present/json_results.h"
#include "present/summary.h"

namespace fs = std::filesystem;

namespace {

const fs::path& folder() {
  static const fs::path dir = [] {
    fs::path d = fs::temp_directory_path() /
                 ("korvan-fuzz-" + std::to_string(::getpid()));
    fs::create_directories(d);
    return d;
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fs::path& dir = folder();
  {
    std::ofstream in(dir / "input.dat", std::ios::binary);
    in.write(reinterpret_cast<const char*>(data),
             static_cast<std::streamsize>(size));
  }
  korvan::RunFiles files;
  files.version_label = "FUZZ";
  files.input = dir / "input.dat";
  files.report = dir / "input.out";
  files.plot = dir / "input.plot";
  files.iteration = dir / "input.iter";
  files.py_scratch = dir / "input.pyc";
  files.pressure_scratch = dir / "input.epd";
  korvan::RunOptions options;
  options.fixed_clock = korvan::ClockTime{2026, 1, 1, 0, 0, 0};
  options.shown_input_path = "input.dat";
  // Iteration limits in the millions are legal but make a run slow; the
  // fuzzer looks for faults, not for long runs.
  options.max_iterations = 200;
  options.collect_results = true;
  korvan::Engine engine;
  const korvan::RunResult result = engine.run(files, options);
  const korvan::report::ResultsSource source{"input.dat", "FUZZ", ""};
  std::ostringstream out;
  korvan::report::write_json_results(out, result, source);
  korvan::report::write_html_report(out, result, source);
  korvan::report::write_summary(out, result, source);

  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const korvan::Conversion project = korvan::data_to_project(text);
  if (project.ok()) {
    const korvan::Conversion back = korvan::project_to_data(project.text);
    if (!back.ok()) std::abort();  // a project the program wrote is refused
    const korvan::Conversion again = korvan::data_to_project(back.text);
    if (!again.ok() || again.text != project.text) std::abort();  // lost
  }
  (void)korvan::validate_project(text);
  return 0;
}
