// korvan: command-line program for the analysis of flexible retaining walls.
#include <CLI/CLI.hpp>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <climits>
#include <ctime>
#include <string_view>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

#include "korvan/engine.h"
#include "korvan/files.h"
#include "korvan/project.h"
#include "present/html_report.h"
#include "present/json_results.h"
#include "present/summary.h"

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

// What a run writes besides the fixed-column files, and the caller's bound
// on the iterations of every problem (0: the input's own limit).
struct Extras {
  bool json = false;
  bool html = false;
  bool summary = false;
  int max_iterations = 0;
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

// Writes one results file whole beside its name and moves it into place;
// false (with a message) when it cannot be written, the earlier file kept.
template <typename Writer>
bool write_results_file(const fs::path& path, const char* role,
                        std::ostream& diag, Writer&& write) {
  korvan::engine::OutputFile out;
  bool written = out.open(path);
  if (written) {
    try {
      write(out.stream());
    } catch (const korvan::present::NonFiniteValue& e) {
      out.discard();
      diag << "cannot write the " << role << " \"" << path.string()
           << "\": " << e.what() << "\n";
      return false;
    }
    written = out.close() && out.commit();
  }
  if (!written) {
    diag << "cannot write the " << role << " \"" << path.string() << "\""
         << (out.refusal().empty() ? "" : ": " + out.refusal()) << "\n";
  }
  return written;
}

// The files one input data file is analysed into.
struct Plan {
  fs::path input;
  fs::path dir;
  // Whether the scratch files are written (and kept); without them the
  // scratch texts stay in memory.
  bool keep_scratch = false;
  korvan::RunFiles files;
  fs::path json, html;
};

Plan plan_run(const fs::path& input, const std::string& out_dir,
              bool keep_scratch, const Extras& extras) {
  Plan plan;
  plan.input = input;
  plan.keep_scratch = keep_scratch;
  plan.dir = out_dir.empty() ? input.parent_path() : fs::path(out_dir);
  const std::string stem = input.stem().string();
  korvan::RunFiles& files = plan.files;
  files.version_label = KORVAN_VERSION;
  files.input = input;
  files.report = plan.dir / (stem + ".out");
  files.plot = plan.dir / (stem + ".plot");
  files.iteration = plan.dir / (stem + ".iter");
  files.py_scratch = plan.dir / (stem + ".pyc");
  files.pressure_scratch = plan.dir / (stem + ".epd");
  // Results never overwrite a project file of the same stem.
  if (extras.json) plan.json = plan.dir / (stem + ".results.json");
  if (extras.html) plan.html = plan.dir / (stem + ".html");
  return plan;
}

// Why the runs cannot go ahead, before any of them starts: an input that is
// no file, or two names of one file among the inputs and everything the
// runs write (a run would destroy its own input, or two runs of a batch
// would write into the same files).
std::optional<std::string> refuse_plans(const std::vector<Plan>& plans) {
  for (const Plan& plan : plans) {
    std::error_code ec;
    if (plan.input.empty()) return "an input data file name is empty";
    if (fs::is_directory(plan.input, ec) || !plan.input.has_stem() ||
        plan.input.filename() == "." || plan.input.filename() == "..") {
      return "\"" + plan.input.string() +
             "\" is a folder, not an input data file";
    }
  }
  struct Named {
    size_t run;
    const char* role;
    const fs::path* path;
  };
  std::vector<Named> named;
  const fs::path kNone;  // a scratch file kept in memory
  for (size_t i = 0; i < plans.size(); ++i) {
    const Plan& p = plans[i];
    const std::pair<const char*, const fs::path*> files[] = {
        {"input data file", &p.files.input},
        {"report file", &p.files.report},
        {"plot-data file", &p.files.plot},
        {"iteration file", &p.files.iteration},
        {"p-y curve file", p.keep_scratch ? &p.files.py_scratch : &kNone},
        {"earth-pressure distribution file",
         p.keep_scratch ? &p.files.pressure_scratch : &kNone},
        {"JSON results file", &p.json},
        {"HTML report", &p.html}};
    for (const auto& [role, path] : files) {
      if (!path->empty()) named.push_back({i, role, path});
    }
  }
  std::map<std::string, size_t> seen;
  for (size_t k = 0; k < named.size(); ++k) {
    for (const std::string& key : korvan::engine::file_keys(*named[k].path)) {
      const auto [at, fresh] = seen.emplace(key, k);
      if (fresh || at->second == k) continue;
      const Named& a = named[at->second];
      const Named& b = named[k];
      const std::string files = std::string("the ") + a.role + " \"" +
                                a.path->string() + "\" and the " + b.role +
                                " \"" + b.path->string() + "\" are one file";
      if (a.run == b.run) {
        return plans[a.run].input.string() + ": " + files +
               ": the run is refused";
      }
      return plans[a.run].input.string() + " and " +
             plans[b.run].input.string() + ": " + files +
             ": the runs are refused";
    }
  }
  return std::nullopt;
}

// The outcome of one input file.
struct FileOutcome {
  int status = 0;
  int problems = 0;
  std::string outcome;  // "completed", "deflection exceeded", ...
};

// One line per problem that did not complete: what happened and what the
// engine can tell about why.
void report_outcomes(const fs::path& input, const korvan::RunResult& result,
                     std::ostream& diag) {
  for (const korvan::ProblemResults& p : result.results) {
    if (p.outcome == korvan::Outcome::kCompleted) continue;
    diag << input.string() << ": problem " << p.number << ": "
         << korvan::outcome_name(p.outcome);
    if (!p.outcome_detail.empty()) diag << " " << p.outcome_detail;
    for (const std::string& w : p.warnings) diag << "; " << w;
    diag << "\n";
  }
}

// "1 file", "3 problems".
std::string counted(size_t n, const char* noun) {
  return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

FileOutcome run_file(const Plan& plan, const std::string& out_dir,
                     const Extras& extras, std::ostream& diag,
                     std::ostream& out) {
  const fs::path& dir = plan.dir;
  const fs::path& input = plan.input;
  if (!out_dir.empty()) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) {
      diag << "cannot create the output folder \"" << dir.string()
           << "\": " << ec.message() << "\n";
      return {static_cast<int>(korvan::RunStatus::kFileError), 0, "file error"};
    }
  }
  const korvan::RunFiles& files = plan.files;
  korvan::RunOptions options;
  options.diagnostics = &diag;
  // The results tell the outcome of each problem.
  options.collect_results = true;
  options.max_iterations = extras.max_iterations;
  // Scratch files only when asked for: the numbers come from the scratch
  // texts in memory either way.
  options.write_scratch_files = plan.keep_scratch;
  korvan::Engine engine;
  const korvan::RunResult result = engine.run(files, options);
  int status = static_cast<int>(result.status);
  report_outcomes(input, result, diag);
  const std::string outcome = korvan::report::outcome_name(result);
  if (!extras.any()) return {status, result.problems, outcome};
  // Results files go with the report: when the report could not be
  // written, the earlier results stay too.
  const bool results_files = result.files_written;

  korvan::report::ResultsSource source;
  source.input_name = input.filename().string();
  source.version = KORVAN_VERSION;
  bool written = true;
  if (extras.json && results_files) {
    written &= write_results_file(
        plan.json, "JSON results file", diag, [&](std::ostream& file) {
          korvan::report::write_json_results(file, result, source);
        });
  }
  if (extras.html && results_files) {
    source.generated = local_time_text();
    written &= write_results_file(
        plan.html, "HTML report", diag, [&](std::ostream& file) {
          korvan::report::write_html_report(file, result, source);
        });
  }
  if (extras.summary) {
    // Shown whole or not at all.
    std::ostringstream text;
    try {
      korvan::report::write_summary(text, result, source);
      out << text.str();
    } catch (const korvan::present::NonFiniteValue& e) {
      diag << "cannot show the summary: " << e.what() << "\n";
      written = false;
    }
  }
  if (!written) {
    status = std::max(status, static_cast<int>(korvan::RunStatus::kFileError));
    return {status, result.problems, "file error"};
  }
  return {status, result.problems, outcome};
}

int run_input(const fs::path& input, const std::string& out_dir,
              bool keep_scratch, const Extras& extras) {
  const std::vector<Plan> plans = {
      plan_run(input, out_dir, keep_scratch, extras)};
  if (const auto refusal = refuse_plans(plans)) {
    std::cerr << *refusal << "\n";
    return static_cast<int>(korvan::RunStatus::kFileError);
  }
  return run_file(plans.front(), out_dir, extras, std::cerr, std::cout).status;
}

// Many input files, one engine per worker thread; each file's messages are
// printed together, a progress line goes to a terminal, and a summary ends
// the batch. The exit status is the worst of the runs.
int run_batch(const std::vector<std::string>& inputs,
              const std::string& out_dir, bool keep_scratch,
              const Extras& extras, unsigned jobs) {
  std::vector<Plan> plans;
  for (const std::string& input : inputs) {
    plans.push_back(plan_run(input, out_dir, keep_scratch, extras));
  }
  if (const auto refusal = refuse_plans(plans)) {
    std::cerr << *refusal << "\n";
    return static_cast<int>(korvan::RunStatus::kFileError);
  }
  const auto start = std::chrono::steady_clock::now();
  const bool terminal = ::isatty(STDERR_FILENO) != 0;
  std::vector<FileOutcome> outcomes(inputs.size());
  std::atomic<size_t> next{0};
  std::mutex print;
  size_t done = 0;
  auto worker = [&] {
    for (size_t i = next++; i < inputs.size(); i = next++) {
      std::ostringstream diag, out;
      outcomes[i] = run_file(plans[i], out_dir, extras, diag, out);
      const std::lock_guard<std::mutex> lock(print);
      ++done;
      if (terminal) std::cerr << "\r\033[K";
      std::cerr << diag.str();
      std::cout << out.str();
      if (terminal) {
        std::cerr << "[" << done << "/" << inputs.size() << "] " << inputs[i]
                  << std::flush;
      }
    }
  };
  jobs = std::max(1u, std::min<unsigned>(jobs, inputs.size()));
  std::vector<std::thread> threads;
  for (unsigned t = 1; t < jobs; ++t) threads.emplace_back(worker);
  worker();
  for (std::thread& t : threads) t.join();
  if (terminal) std::cerr << "\r\033[K";

  int worst = 0, problems = 0;
  std::map<std::string, size_t> by_outcome;
  for (const FileOutcome& o : outcomes) {
    worst = std::max(worst, o.status);
    problems += o.problems;
    ++by_outcome[o.outcome];
  }
  const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - start)
                           .count();
  std::cerr << counted(inputs.size(), "file") << ", "
            << counted(static_cast<size_t>(problems), "problem") << " in " << ms
            << " ms with " << counted(jobs, "thread") << ": "
            << by_outcome["completed"] << " completed, "
            << by_outcome["deflection exceeded"] << " deflection exceeded, "
            << by_outcome["not closed"] << " not closed, "
            << counted(by_outcome["input error"], "input error") << ", "
            << counted(by_outcome["generator stop"], "generator stop") << ", "
            << counted(by_outcome["file error"], "file error") << "\n";
  return worst;
}

int run_names(const std::string& folder, int max_iterations) {
  const fs::path names =
      (folder.empty() ? fs::path(".") : fs::path(folder)) / "NAMES.dat";
  std::error_code ec;
  if (!fs::is_regular_file(names, ec)) {
    std::cerr << "cannot read the run-control file \"" << names.string()
              << "\": "
              << (fs::exists(names, ec) ? "it is not a file"
                                        : "there is no such file")
              << "\n";
    return static_cast<int>(korvan::RunStatus::kFileError);
  }
  korvan::RunOptions options;
  options.max_iterations = max_iterations;
  options.diagnostics = &std::cerr;
  options.collect_results = true;
  korvan::Engine engine;
  const korvan::RunResult result =
      engine.run_names(names.parent_path(), options);
  report_outcomes(korvan::read_names_file(names).files.input, result,
                  std::cerr);
  return static_cast<int>(result.status);
}

// Converts an input data file to a project file (.json) or back, by the
// names' extensions.
int convert(const std::string& in, const std::string& out) {
  const bool from_project = korvan::is_project_name(in);
  if (from_project == korvan::is_project_name(out)) {
    std::cerr << "korvan convert: one file must be a project file (.json) and "
                 "the other an input data file (.dat), not \""
              << in << "\" and \"" << out << "\"\n";
    return kUsageError;
  }
  std::error_code ec;
  if (!fs::is_regular_file(in, ec)) {
    std::cerr << "cannot read \"" << in << "\": "
              << (fs::exists(in, ec) ? "it is not a file"
                                     : "there is no such file")
              << "\n";
    return static_cast<int>(korvan::RunStatus::kFileError);
  }
  if (korvan::engine::same_file(in, out)) {
    std::cerr << "korvan convert: \"" << in << "\" and \"" << out
              << "\" are one file\n";
    return kUsageError;
  }
  constexpr std::uintmax_t kMaxBytes = 64u << 20;
  if (fs::file_size(in, ec) > kMaxBytes) {
    std::cerr << "cannot convert \"" << in << "\": larger than "
              << (kMaxBytes >> 20) << " MB\n";
    return static_cast<int>(korvan::RunStatus::kFileError);
  }
  std::ifstream file(in, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  if (!file) {
    std::cerr << "cannot read \"" << in << "\"\n";
    return static_cast<int>(korvan::RunStatus::kFileError);
  }
  const korvan::Conversion c = from_project
                                   ? korvan::project_to_data(text.str(), in)
                                   : korvan::data_to_project(text.str(), in);
  if (!c.ok()) {
    std::cerr << c.message << "\n";
    return static_cast<int>(korvan::RunStatus::kInputError);
  }
  const bool written =
      write_results_file(out, from_project ? "input data file" : "project file",
                         std::cerr, [&](std::ostream& f) { f << c.text; });
  return written ? 0 : static_cast<int>(korvan::RunStatus::kFileError);
}

// `korvan serve ...`: the program korvan-serve beside this one, with the
// same arguments. The server's HTTP library is a shared library; this
// program is linked statically, for a fast start, and does not load it.
int exec_serve(int argc, char** argv) {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  const std::string server =
      ec ? std::string("korvan-serve")
         : (self.parent_path() / "korvan-serve").string();
  std::vector<char*> args;
  args.push_back(const_cast<char*>(server.c_str()));
  for (int i = 2; i < argc; ++i) args.push_back(argv[i]);
  args.push_back(nullptr);
  ::execv(server.c_str(), args.data());
  std::cerr << "korvan serve: cannot start \"" << server
            << "\": " << std::strerror(errno) << "\n";
  return kUsageError;
}

// A first argument that is neither an option nor a command: CLI11 would
// only say that a command is required.
bool unknown_command(int argc, char** argv,
                     const std::vector<const char*>& commands) {
  if (argc < 2 || argv[1][0] == '-') return false;
  const std::string first = argv[1];
  for (const char* c : commands) {
    if (first == c) return false;
  }
  std::cerr << "korvan: unknown command \"" << first << "\": the commands are "
            << "run, summary, convert and names (korvan --help)\n";
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::string_view(argv[1]) == "serve") {
    return exec_serve(argc, argv);
  }
#if defined(__GLIBC__)
  // Every input of a batch takes and frees the same tables: the freed
  // memory is kept for the next input rather than handed back to the
  // system and asked for again (each time a call and a cleared page).
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
#endif
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
      "run",
      "Analyse one or more input data files; writes for each "
      "<stem>.out (report), <stem>.plot (plot data) and <stem>.iter "
      "(iteration log)");
  std::vector<std::string> inputs;
  unsigned jobs = std::max(1u, std::thread::hardware_concurrency());
  run->add_option("INPUT", inputs,
                  "input data files (.dat) or project files (.json); several "
                  "are analysed in parallel")
      ->required();
  run->add_option("-j,--jobs", jobs,
                  "worker threads for several input files (default: the "
                  "number of cores)")
      ->check(CLI::Validator(
          [](std::string& text) -> std::string {
            unsigned long long n = 0;
            const char* end = text.data() + text.size();
            const auto [at, error] = std::from_chars(text.data(), end, n);
            if (error != std::errc() || at != end || n < 1 || n > UINT_MAX) {
              return "the number of worker threads is a whole number, 1 or "
                     "more, not \"" +
                     text + "\"";
            }
            return {};
          },
          "N"));
  run->add_option("-o,--output-dir", out_dir,
                  "folder for the output files (default: the input's folder)");
  run->add_flag("--keep-scratch", keep_scratch,
                "also write the p-y curve (.pyc) and earth-pressure (.epd) "
                "scratch files beside the report");
  run->add_flag(
      "--json", extras.json,
      "also write <stem>.results.json: the results of every problem as "
      "data (see docs/json-results.md)");
  run->add_flag("--html", extras.html,
                "also write <stem>.html: a printable page with the summary "
                "and the diagrams of every problem");
  run->add_flag("--summary", extras.summary,
                "print the summary table (maxima and support forces)");
  // A plain message for a bound that is not a positive whole number.
  const CLI::Validator positive_iterations(
      [](std::string& text) -> std::string {
        long long n = 0;
        const char* end = text.data() + text.size();
        const auto [at, error] = std::from_chars(text.data(), end, n);
        if (error != std::errc() || at != end || n < 1 || n > INT_MAX) {
          return "--max-iterations must be a positive whole number, not \"" +
                 text + "\"";
        }
        return {};
      },
      "N");
  const char* max_iterations_help =
      "stop every problem after at most N iterations (below the input's "
      "own limit)";
  run->add_option("--max-iterations", extras.max_iterations,
                  max_iterations_help)
      ->check(positive_iterations);

  CLI::App* summary = app.add_subcommand(
      "summary",
      "Analyse one input data file as `run` does and print the "
      "summary table (same as run --summary)");
  summary
      ->add_option("INPUT", input,
                   "input data file (.dat) or project file (.json)")
      ->required();
  summary->add_option("-o,--output-dir", out_dir,
                      "folder for the output files (default: the input's "
                      "folder)");
  summary
      ->add_option("--max-iterations", extras.max_iterations,
                   max_iterations_help)
      ->check(positive_iterations);

  std::string convert_in, convert_out;
  CLI::App* convert_command = app.add_subcommand(
      "convert",
      "Convert an input data file to a project file (JSON) or back, by the "
      "extensions: korvan convert wall.dat wall.json");
  convert_command->add_option("IN", convert_in, "file to convert")->required();
  convert_command->add_option("OUT", convert_out, "file to write")->required();

  std::string folder;
  CLI::App* names =
      app.add_subcommand("names", "Run from NAMES.dat as the front end does");
  names->add_option("DIR", folder,
                    "folder holding NAMES.dat (default: current folder)");
  names
      ->add_option("--max-iterations", extras.max_iterations,
                   max_iterations_help)
      ->check(positive_iterations);

  // Listed for --help; `korvan serve ...` runs the program korvan-serve
  // (below, before the arguments are parsed).
  app.add_subcommand(
         "serve",
         "Serve the browser front end on http://127.0.0.1:PORT/ (build a "
         "wall, run it, see every stage; korvan serve --help; "
         "docs/front-end.md)")
      ->allow_extras();

  if (unknown_command(argc, argv,
                      {"run", "summary", "convert", "names", "serve"})) {
    return kUsageError;
  }
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
  if (run->parsed()) {
    if (inputs.size() == 1) {
      return run_input(inputs.front(), out_dir, keep_scratch, extras);
    }
    return run_batch(inputs, out_dir, keep_scratch, extras, jobs);
  }
  if (convert_command->parsed()) return convert(convert_in, convert_out);
  if (summary->parsed()) {
    extras.summary = true;
    return run_input(input, out_dir, false, extras);
  }
  return run_names(folder, extras.max_iterations);
}
