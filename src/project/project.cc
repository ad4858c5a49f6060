// Project files: the public conversions, and the engine's runs of an input
// data file or of a project.
#include "korvan/project.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

#include "project/project_json.h"
#include "run/run.h"
#include "run/run_io.h"

namespace korvan {
namespace {

using project::Json;

// Projects larger than this, or nested deeper, are refused before they
// are parsed.
constexpr size_t kMaxProjectBytes = 64u << 20;
constexpr int kMaxNesting = 32;

std::string one_line(const Diagnostic& d) {
  std::string s = d.file;
  if (d.line > 0) s += ":" + std::to_string(d.line);
  s += ": ";
  if (!d.path.empty()) s += d.path + ": ";
  return s + d.message;
}

Diagnostic fault(const std::string& file, int line, std::string message) {
  Diagnostic d;
  d.file = file;
  d.line = line;
  d.message = std::move(message);
  return d;
}

// The line of a byte of the text (1-based).
int line_at(std::string_view text, size_t byte) {
  byte = std::min(byte, text.size());
  return 1 + static_cast<int>(std::count(
                 text.begin(), text.begin() + static_cast<long>(byte), '\n'));
}

// The deepest nesting of lists and objects, outside strings.
std::optional<size_t> too_deep(std::string_view text) {
  int depth = 0;
  bool in_string = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (in_string) {
      if (c == '\\')
        ++i;
      else if (c == '"')
        in_string = false;
    } else if (c == '"') {
      in_string = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kMaxNesting) return i;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return std::nullopt;
}

// The project as JSON, or the fault that keeps it from being one.
std::optional<Json> parse(std::string_view text, const std::string& file,
                          std::vector<Diagnostic>& faults) {
  if (text.size() > kMaxProjectBytes) {
    faults.push_back(fault(file, 0,
                           "a project of " + std::to_string(text.size()) +
                               " bytes, at most " +
                               std::to_string(kMaxProjectBytes)));
    return std::nullopt;
  }
  if (const auto at = too_deep(text)) {
    faults.push_back(fault(file, line_at(text, *at),
                           "lists and objects nested more than " +
                               std::to_string(kMaxNesting) + " deep"));
    return std::nullopt;
  }
  try {
    return Json::parse(text);
  } catch (const Json::parse_error& e) {
    std::string why = e.what();
    // "[json.exception.parse_error.101] parse error at line 1, column 2:
    // syntax error while parsing value - ..."
    const size_t colon = why.find(": ");
    if (colon != std::string::npos) why = why.substr(colon + 2);
    const size_t dash = why.find(" - ");
    if (dash != std::string::npos) why = why.substr(dash + 3);
    faults.push_back(fault(file, line_at(text, e.byte > 0 ? e.byte - 1 : 0),
                           "not JSON: " + why));
    return std::nullopt;
  } catch (const Json::exception& e) {
    // A number beyond the range of the numbers ("1E400"), for one.
    std::string why = e.what();
    const size_t bracket = why.find("] ");
    if (bracket != std::string::npos) why = why.substr(bracket + 2);
    faults.push_back(fault(file, 0, "not JSON: " + why));
    return std::nullopt;
  }
}

// The shown names of a run on texts, after the input's stem.
RunFiles shown_files(const std::string& input_name) {
  RunFiles shown;
  shown.version_label = KORVAN_VERSION;
  shown.input = input_name;
  const std::filesystem::path stem = shown.input.stem();
  shown.report = stem.string() + ".out";
  shown.plot = stem.string() + ".plot";
  shown.iteration = stem.string() + ".iter";
  shown.py_scratch = stem.string() + ".pyc";
  shown.pressure_scratch = stem.string() + ".epd";
  return shown;
}

// A project written as an input data file, checked for the kinds of its
// values; the faults when it cannot be.
std::optional<project::DataText> data_of(std::string_view text,
                                         const std::string& file,
                                         std::vector<Diagnostic>& faults) {
  const std::optional<Json> json = parse(text, file, faults);
  if (!json) return std::nullopt;
  project::DataText data = project::project_to_data_text(*json, file, faults);
  if (!faults.empty()) return std::nullopt;
  return data;
}

Conversion refused(std::vector<Diagnostic> faults) {
  Conversion c;
  c.message = one_line(faults.front());
  c.diagnostics = std::move(faults);
  return c;
}

// Reads every problem of an input data file as a run does, analysing none.
RunResult read_problems(std::string_view data, const std::string& name,
                        std::vector<engine::ReadProblem>& problems,
                        const engine::InputSource* source) {
  const RunFiles shown = shown_files(name);
  RunOptions options;
  options.input_name = name;
  engine::TextIo io(data);
  const auto run = std::make_unique<engine::Run>(shown, options, io, name);
  run->read_only(&problems);
  run->locate_by(source);
  return run->execute();
}

RunText run_on_text(std::string_view input, const RunOptions& options,
                    const engine::InputSource* source) {
  const RunFiles shown = shown_files(options.input_name);
  RunOptions with_results = options;
  with_results.collect_results = true;
  engine::TextIo io(input);
  RunText text;
  {
    const auto run = std::make_unique<engine::Run>(shown, with_results, io,
                                                   options.input_name);
    run->locate_by(source);
    text.result = run->execute();
  }
  text.result.files_written = false;  // the texts are in memory
  text.report = io.report_text();
  text.plot = io.plot_text();
  text.iteration = io.iteration_text();
  return text;
}

RunResult refused_run(const std::vector<Diagnostic>& faults,
                      const RunOptions& options) {
  RunResult r;
  r.status = RunStatus::kInputError;
  r.message = one_line(faults.front());
  r.diagnostic = faults.front();
  if (options.diagnostics != nullptr) *options.diagnostics << r.message << '\n';
  return r;
}

// The whole of a regular file, when it can be read; nothing otherwise (the
// run then reports why, as for an input data file).
std::optional<std::string> read_file(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text;
  char buf[1 << 16];
  while (in.read(buf, sizeof buf) || in.gcount() > 0) {
    text.append(buf, static_cast<size_t>(in.gcount()));
    if (text.size() > kMaxProjectBytes) break;  // refused when parsed
  }
  return text;
}

}  // namespace

bool is_project_name(std::string_view name) {
  constexpr std::string_view ext = ".json";
  if (name.size() < ext.size()) return false;
  return std::equal(ext.begin(), ext.end(), name.end() - ext.size(),
                    [](char a, char b) {
                      return a == std::tolower(static_cast<unsigned char>(b));
                    });
}

namespace {

// The conversion a fault of the reader ends: its message and diagnostic.
std::optional<Conversion> reader_refusal(const RunResult& r) {
  if (r.status != RunStatus::kInputError || !r.diagnostic) return std::nullopt;
  Conversion c;
  c.message = r.message;
  c.diagnostics.push_back(*r.diagnostic);
  return c;
}

}  // namespace

Conversion data_to_project(std::string_view data, std::string_view name) {
  std::vector<engine::ReadProblem> problems;
  const RunResult r = read_problems(data, std::string(name), problems, nullptr);
  if (auto refusal = reader_refusal(r)) return *refusal;
  Conversion c;
  try {
    c.text = project::project_text(project::problems_to_json(problems));
  } catch (const Json::type_error&) {
    return refused({fault(std::string(name), 0,
                          "a title or name holds characters that are not "
                          "UTF-8: a project file cannot hold them")});
  }
  return c;
}

Conversion project_to_data(std::string_view text, std::string_view name) {
  const std::string file(name);
  std::vector<Diagnostic> faults;
  const std::optional<project::DataText> data = data_of(text, file, faults);
  if (!data) return refused(std::move(faults));
  // The reader's checks, on the values as written.
  const project::ProjectSource source(*data, file);
  std::vector<engine::ReadProblem> problems;
  const RunResult r = read_problems(data->text, file, problems, &source);
  if (auto refusal = reader_refusal(r)) return *refusal;
  Conversion c;
  c.text = data->text;
  return c;
}

std::vector<Diagnostic> validate_project(std::string_view text,
                                         std::string_view name) {
  const std::string file(name);
  std::vector<Diagnostic> faults;
  const std::optional<project::DataText> data = data_of(text, file, faults);
  if (!data) return faults;
  const project::ProjectSource source(*data, file);
  RunOptions options;
  options.input_name = file;
  const RunText run = run_on_text(data->text, options, &source);
  if (run.result.status == RunStatus::kInputError && run.result.diagnostic) {
    faults.push_back(*run.result.diagnostic);
  }
  return faults;
}

RunResult Engine::run(const RunFiles& files, const RunOptions& options) {
  const RunFiles paths = engine::absolute_files(files);
  engine::FileIo io(files, paths, options.write_scratch_files);
  std::optional<project::DataText> data;
  std::optional<project::ProjectSource> source;
  const std::string shown = options.shown_input_path ? *options.shown_input_path
                                                     : files.input.string();
  if (is_project_name(files.input.string())) {
    if (const std::optional<std::string> json = read_file(paths.input)) {
      std::vector<Diagnostic> faults;
      data = data_of(*json, shown, faults);
      if (!data) return refused_run(faults, options);
      source.emplace(*data, shown);
      io.use_input_text(data->text);
    }
  }
  // The run's tables take some 30 KB: on the heap, not the caller's stack.
  const auto run = std::make_unique<engine::Run>(
      files, options, io, paths.input.lexically_normal().string());
  if (source) run->locate_by(&*source);
  return run->execute();
}

RunText Engine::run_text(std::string_view input, const RunOptions& options) {
  if (!is_project_name(options.input_name)) {
    return run_on_text(input, options, nullptr);
  }
  const std::string shown =
      options.shown_input_path ? *options.shown_input_path : options.input_name;
  std::vector<Diagnostic> faults;
  const std::optional<project::DataText> data = data_of(input, shown, faults);
  if (!data) {
    RunText text;
    text.result = refused_run(faults, options);
    return text;
  }
  const project::ProjectSource source(*data, shown);
  return run_on_text(data->text, options, &source);
}

}  // namespace korvan
