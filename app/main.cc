// korvan: command-line program for the analysis of flexible retaining walls.
#include <CLI/CLI.hpp>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "korvan/engine.h"
#include "report/html_report.h"
#include "report/json_results.h"
#include "report/summary.h"

namespace fs = std::filesystem;

namespace {

constexpr int kUsageError = 4;

const char* kStatusHelp = R"(Exit status:
  0  every problem analysed and closed (or the run was ended by a negative
     iteration limit)
  1  some problem not closed, or its allowable deflection exceeded
  2  an input error stop (the message names the file, line and record group)
  3  a stop inside an earth-pressure or p-y generator (its stop code is shown)
  4  unusable arguments, or a file that cannot be opened or written)";

// What a run writes besides the fixed-column files.
struct Extras {
  bool json = false;
  bool html = false;
  bool summary = false;
  bool any() const { return json || html || summary; }
};

std::string local_time_text() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return {};
  char text[32];
  return std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local) > 0
             ? std::string(text)
             : std::string();
}

// Writes one results file; false (with a message) when it cannot be
// written.
template <typename Writer>
bool write_results_file(const fs::path& path, const char* role,
                        Writer&& write) {
  std::ofstream out(path);
  if (out) write(out);
  out.close();
  if (!out) {
    std::cerr << "cannot write the " << role << " \"" << path.string()
              << "\"\n";
    return false;
  }
  return true;
}

int run_input(const fs::path& input, const std::string& out_dir,
              bool keep_scratch, const Extras& extras) {
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
  options.collect_results = extras.any();
  korvan::Engine engine;
  const korvan::RunResult result = engine.run(files, options);
  if (!keep_scratch) {
    std::error_code ignored;
    fs::remove(files.py_scratch, ignored);
    fs::remove(files.pressure_scratch, ignored);
  }
  int status = static_cast<int>(result.status);
  if (!extras.any()) return status;

  korvan::report::ResultsSource source;
  source.input_name = input.filename().string();
  source.version = KORVAN_VERSION;
  bool written = true;
  if (extras.json) {
    written &= write_results_file(
        dir / (stem + ".json"), "JSON results file", [&](std::ostream& out) {
          korvan::report::write_json_results(out, result, source);
        });
  }
  if (extras.html) {
    source.generated = local_time_text();
    written &= write_results_file(
        dir / (stem + ".html"), "HTML report", [&](std::ostream& out) {
          korvan::report::write_html_report(out, result, source);
        });
  }
  if (extras.summary) korvan::report::write_summary(std::cout, result, source);
  if (!written) {
    status = std::max(status, static_cast<int>(korvan::RunStatus::kFileError));
  }
  return status;
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
  Extras extras;
  CLI::App* run = app.add_subcommand(
      "run", "Analyse one input data file; writes <stem>.out (report), "
             "<stem>.plot (plot data) and <stem>.iter (iteration log)");
  run->add_option("INPUT", input, "input data file (.dat)")->required();
  run->add_option("-o,--output-dir", out_dir,
                  "folder for the output files (default: the input's folder)");
  run->add_flag("--keep-scratch", keep_scratch,
                "keep the p-y curve (.pyc) and earth-pressure (.epd) scratch "
                "files");
  run->add_flag("--json", extras.json,
                "also write <stem>.json: the results of every problem as "
                "data (see docs/json-results.md)");
  run->add_flag("--html", extras.html,
                "also write <stem>.html: a printable page with the summary "
                "and the diagrams of every problem");
  run->add_flag("--summary", extras.summary,
                "print the summary table (maxima and support forces)");

  CLI::App* summary = app.add_subcommand(
      "summary", "Analyse one input data file as `run` does and print the "
                 "summary table (same as run --summary)");
  summary->add_option("INPUT", input, "input data file (.dat)")->required();
  summary->add_option("-o,--output-dir", out_dir,
                      "folder for the output files (default: the input's "
                      "folder)");

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
  if (run->parsed()) return run_input(input, out_dir, keep_scratch, extras);
  if (summary->parsed()) {
    extras.summary = true;
    return run_input(input, out_dir, false, extras);
  }
  return run_names(folder);
}
