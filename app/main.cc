// korvan: command-line program for the analysis of flexible retaining walls.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>

#include "korvan/engine.h"

namespace fs = std::filesystem;

namespace {

constexpr int kUsageError = 4;

const char* kStatusHelp = R"(Exit status:
  0  every problem analysed and closed (or the run was ended by a negative
     iteration limit)
  1  some problem not closed, or its allowable deflection exceeded
  2  an input error stop (the message names the file, line and record group)
  3  a stop inside an earth-pressure or p-y generator (its stop code is shown)
  4  unusable arguments, or a file that cannot be opened)";

int run_input(const fs::path& input, const std::string& out_dir,
              bool keep_scratch) {
  const fs::path dir = out_dir.empty() ? input.parent_path() : fs::path(out_dir);
  const std::string stem = input.stem().string();
  if (!out_dir.empty()) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) {
      std::cerr << "cannot create the output folder \"" << dir.string()
                << "\": " << ec.message() << "\n";
      return static_cast<int>(korvan::RunStatus::kFileError);
    }
  }
  korvan::RunFiles files;
  files.version_label = KORVAN_VERSION;
  files.input = input;
  files.report = dir / (stem + ".out");
  files.plot = dir / (stem + ".plot");
  files.iteration = dir / (stem + ".iter");
  files.py_scratch = dir / (stem + ".pyc");
  files.pressure_scratch = dir / (stem + ".epd");

  korvan::RunOptions options;
  options.diagnostics = &std::cerr;
  korvan::Engine engine;
  const korvan::RunResult result = engine.run(files, options);
  if (!keep_scratch) {
    std::error_code ignored;
    fs::remove(files.py_scratch, ignored);
    fs::remove(files.pressure_scratch, ignored);
  }
  return static_cast<int>(result.status);
}

int run_names(const std::string& folder) {
  korvan::RunOptions options;
  options.diagnostics = &std::cerr;
  korvan::Engine engine;
  return static_cast<int>(
      engine.run_names(folder.empty() ? fs::path(".") : fs::path(folder),
                       options)
          .status);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"korvan " KORVAN_VERSION
               ": analysis of flexible retaining walls (sheet-pile, "
               "soldier-pile and drilled-shaft walls, cantilevered or "
               "supported by tie backs, struts and rakers)"};
  app.footer(kStatusHelp);
  app.set_version_flag("--version", std::string("korvan ") + KORVAN_VERSION);
  app.require_subcommand(1);

  std::string input;
  std::string out_dir;
  bool keep_scratch = false;
  CLI::App* run = app.add_subcommand(
      "run", "Analyse one input data file; writes <stem>.out (report), "
             "<stem>.plot (plot data) and <stem>.iter (iteration log)");
  run->add_option("INPUT", input, "input data file (.dat)")->required();
  run->add_option("-o,--output-dir", out_dir,
                  "folder for the output files (default: the input's folder)");
  run->add_flag("--keep-scratch", keep_scratch,
                "keep the p-y curve (.pyc) and earth-pressure (.epd) scratch "
                "files");

  std::string folder;
  CLI::App* names = app.add_subcommand(
      "names", "Run from NAMES.dat as the front end does");
  names->add_option("DIR", folder,
                    "folder holding NAMES.dat (default: current folder)");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return kUsageError;
  }
  if (run->parsed()) return run_input(input, out_dir, keep_scratch);
  return run_names(folder);
}
