// The run: opens the files of a run, loops over the problems of the input
// data file, and closes the run.
#include "run/run.h"

#include <algorithm>
#include <ctime>

#include "input/problem_reader.h"
#include "report/echo.h"
#include "report/header.h"
#include "report/results.h"

namespace korvan {

// An engine keeps nothing from one run to the next: every run starts from
// zero deflections and empty tables, so a reused engine gives the results
// of a new one.
struct Engine::State {};

Engine::Engine() : state_(std::make_unique<State>()) {}
Engine::~Engine() = default;

namespace engine {

using report::RecordWriter;
namespace {

ClockTime clock_now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return {};
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

}  // namespace

// The files of a run made absolute once, at its start, so that a change of
// the process's current folder during the run cannot split its files.
RunFiles absolute_files(const RunFiles& files) {
  RunFiles f = files;
  for (std::filesystem::path* p : {&f.input, &f.report, &f.plot, &f.iteration,
                                   &f.py_scratch, &f.pressure_scratch}) {
    std::error_code ec;
    if (!p->empty()) {
      const std::filesystem::path a = std::filesystem::absolute(*p, ec);
      if (!ec) *p = a;
    }
  }
  return f;
}

void Run::file_error(const std::string& message) {
  result_.status = RunStatus::kFileError;
  result_.message = message;
  diagnose(message);
}

RunResult Run::execute() {
  reader_.set_warnings(options_.diagnostics);
  if (const std::optional<std::string> refused = io_.open()) {
    file_error(*refused);
  } else {
    // An input fault is the one exception of a run: every other end of it
    // is a value that a stage returns.
    std::optional<Stop> stop;
    try {
      stop = problem_loop();
    } catch (const InputError& e) {
      stop_on_input_error(e);
    }
    if (stop) report_stop(*stop);
    end_of_analysis();
  }
  return result_;
}

void Run::report_stop(const Stop& stop) {
  switch (stop.kind) {
    case Stop::Kind::kEndOfRun:
      // A negative iteration limit: nothing more is analysed.
      break;
    case Stop::Kind::kGeneratorStop:
      result_.status = RunStatus::kGeneratorStop;
      result_.stop_code = stop.code;
      result_.message = stop.message;
      diagnose(stop.message);
      report_.empty_lines(2);
      report_.line(stop.report_text);
      break;
    case Stop::Kind::kFileError:
      file_error(stop.message);
      report_.empty_lines(2);
      report_.line("ERROR STOP -- " + stop.message);
      break;
  }
}

void Run::stop_on_input_error(const InputError& e) {
  result_.status = RunStatus::kInputError;
  Diagnostic d = e.diagnostic();
  std::string what = e.what();
  if (source_ != nullptr) {
    source_->locate(d, std::max(result_.problems - 1, 0));
    what = d.file + ": " + d.path + ": " + d.message;
  }
  result_.message = what;
  result_.diagnostic = d;
  diagnose(what);
  switch (e.kind()) {
    case StopKind::kTooMuchData:
      report_.empty_lines(2);
      report_.line("TOO MUCH DATA FOR AVAILABLE STORAGE");
      report_.empty_lines(2);
      break;
    case StopKind::kStationsNotInOrder:
      report_.empty_lines(2);
      report_.line("ERROR STOP -- STATIONS NOT IN ORDER");
      break;
    case StopKind::kNonZeroBeyondEnd:
      report_.empty_lines(2);
      report_.line("ERROR -- NON-ZERO TABLE 4 DATA BEYOND END");
      break;
    case StopKind::kQuiet:
      break;
    case StopKind::kInvalid:
      report_.empty_lines(2);
      report_.line("ERROR STOP -- " + what);
      break;
  }
}

void Run::end_of_analysis() {
  if (problem_started_ && !plot_written_) {
    write_plot_block(problem_.control.stage_code);
  }
  for (RecordWriter* out : {&report_, &iteration_}) {
    out->empty_lines(2);
    out->line("     END OF ANALYSIS                             ");
  }
  if (const std::optional<std::string> failed = io_.finish()) {
    file_error(*failed);
    return;
  }
  result_.files_written = true;
}

std::optional<Stop> Run::problem_loop() {
  for (;;) {
    std::optional<std::string> title = reader_.fixed_text(70);
    if (!title) {
      throw InputError(StopKind::kInvalid, shown_input_,
                       reader_.line_number() + 1, "title record",
                       "end of file where the title of problem " +
                           std::to_string(result_.problems + 1) + " is due");
    }
    ++result_.problems;
    problem_ = engine::Problem{};
    problem_.title = *title;
    problem_.title.resize(80, ' ');
    if (result_.problems == 1) first_title_ = problem_.title;
    plot_written_ = false;
    solution_.reset();
    model_.reset();
    movement_curves_.clear();
    pressure_table_.clear();
    problem_warnings_.clear();

    problem_.control = engine::read_control(reader_);
    control_line_ = reader_.record_line();
    problem_started_ = true;
    const engine::ControlRecord& control = problem_.control;

    if (result_.problems > 1) report_.empty_lines(2);
    report::HeaderInfo header;
    header.version_label =
        options_.version_label ? *options_.version_label : files_.version_label;
    header.input_path = header_input_;
    header.report_path = files_.report.string();
    header.plot_path = files_.plot.string();
    header.time = options_.fixed_clock ? *options_.fixed_clock : clock_now();
    report::write_header(report_, header);
    for (RecordWriter* out : {&report_, &iteration_}) {
      report::write_title_line(*out, control.stage_code, result_.problems,
                               problem_.title, first_title_);
    }

    engine::check_unit_system(reader_, control, control_line_);
    labels_ = engine::unit_labels(
        control.units() == engine::UnitSystem::kEnglish ? 1 : -1);
    report::echo_control(report_, control);
    if (auto stop = read_problem_body(problem_)) {
      if (collected_ != nullptr) collect_read_problem(0, false);
      return stop;
    }

    check_before_analysis(problem_);
    if (collected_ == nullptr) {
      if (auto stop = analyse()) return stop;
    }

    const int continuation = engine::read_continuation(reader_);
    if (collected_ != nullptr) collect_read_problem(continuation, true);
    if (continuation == control.stage_code || continuation == 0) {
      return std::nullopt;
    }
    // Another problem follows; its stage value in the plot file is 2 when
    // the continuation code is 9.
    write_plot_block(continuation == 9 ? 2 : control.stage_code);
  }
}

void Run::collect_read_problem(int continuation, bool complete) {
  ReadProblem& r = collected_->emplace_back();
  r.problem = problem_;
  r.problem.geometry.reference_depth = reference_depth_read_;
  r.continuation = continuation;
  r.complete = complete;
}

}  // namespace engine

}  // namespace korvan
