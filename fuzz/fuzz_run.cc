// Fuzz target: a whole run (reading, generation, solution, report writing)
// on arbitrary input data, with its files in a private temporary folder.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "korvan/engine.h"

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
  korvan::Engine engine;
  engine.run(files, options);
  return 0;
}
