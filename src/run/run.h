// The run: one input data file, problem after problem, through the stages
// of reading and echo, generation, the wall model, the solve and the
// results. Internal to src/run/: the caller uses Engine (korvan/engine.h).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "input/input_error.h"
#include "input/record_reader.h"
#include "korvan/engine.h"
#include "model/problem.h"
#include "model/units.h"
#include "pressure/earth_pressure.h"
#include "py/generator.h"
#include "report/record_writer.h"
#include "run/run_io.h"
#include "wall/solver.h"
#include "wall/station_model.h"
#include "wall/wall_model.h"

namespace korvan::engine {

// An expected end of the run that a stage meets: a negative iteration
// limit (the run ends without an error), a generator's stop code, or a
// scratch file that cannot be written or read back. A value that the stage
// returns and the problem loop hands up; input faults are InputError.
struct Stop {
  enum class Kind { kEndOfRun, kGeneratorStop, kFileError };
  Kind kind = Kind::kEndOfRun;
  int code = 0;             // the generator's stop code
  std::string message;      // the diagnostic line and the run's message
  std::string report_text;  // the report's stop line (generator stops)
};

// What a stage hands the next, or the Stop that ends the run.
template <typename T>
using Staged = std::variant<T, Stop>;

// The files of a run made absolute once, at its start.
RunFiles absolute_files(const RunFiles& files);

// A problem as read, for a conversion of the input: its records and the
// code of the continuation record that ends it.
struct ReadProblem {
  engine::Problem problem;
  int continuation = 0;
  // False when a negative iteration limit ended the run after the
  // wall-geometry record: nothing after it was read.
  bool complete = true;
};

// Where the lines of a converted input come from (a project file): moves a
// reader's diagnostic onto the value it was written from.
class InputSource {
 public:
  virtual ~InputSource() = default;
  // Sets d.path (and clears d.line) to the value of the source the
  // diagnostic falls on, or to problem `problem` (from 0) as a whole.
  virtual void locate(Diagnostic& d, int problem) const = 0;
};

// A run on files or on texts (RunIo): the logic is one for both.
class Run {
 public:
  // `files` are the names shown in the report and in messages, `io` where
  // the run reads and writes, `header_input` the input as the report header
  // shows it unless the options set it.
  Run(const RunFiles& files, const RunOptions& options, engine::RunIo& io,
      std::string header_input)
      : files_(files),
        options_(options),
        io_(io),
        shown_input_(options.shown_input_path ? *options.shown_input_path
                                              : files.input.string()),
        header_input_(options.shown_input_path ? *options.shown_input_path
                                               : std::move(header_input)),
        report_(io.report()),
        plot_(io.plot()),
        iteration_(io.iteration()),
        reader_(io.input(), shown_input_) {}

  RunResult execute();

  // Reads every problem into `problems` without analysing any: the
  // records as read (the reference depth as entered), the checks of the
  // reader applied.
  void read_only(std::vector<ReadProblem>* problems) { collected_ = problems; }
  // Diagnostics name the values of `source` that made the faulty records.
  void locate_by(const InputSource* source) { source_ = source; }

 private:
  void file_error(const std::string& message);
  Stop file_stop(const ScratchFileError& e) const {
    return Stop{Stop::Kind::kFileError, 0, e.message, {}};
  }
  // The stages of one problem. A stage that ends the run returns its Stop;
  // an input fault throws InputError.
  std::optional<Stop> problem_loop();
  std::optional<Stop> read_problem_body(engine::Problem& p);
  void read_conditions(engine::Problem& p);
  void read_wall_sections(engine::Problem& p);
  void read_loads(engine::Problem& p);
  void read_supports(engine::Problem& p);
  void read_sections(engine::Problem& p);
  void read_earth_pressure_data(engine::Problem& p);
  void read_user_curves(engine::Problem& p);
  [[noreturn]] void refuse_data_beyond_end() const;
  void stop_on_input_error(const InputError& e);
  void report_stop(const Stop& stop);
  void write_plot_block(int stage_value);
  void collect_results();
  std::optional<Stop> analyse();
  void refuse_generation() const;
  Staged<std::vector<double>> pressure_loads();
  Staged<std::vector<double>> generated_loads();
  Staged<std::vector<wall::CurveRecord>> generated_curves();
  std::unique_ptr<wall::WallModel> build_model(
      const std::vector<double>& pressure_loads,
      std::optional<std::vector<wall::CurveRecord>> file_curves);
  void check_model(const wall::WallModel& model);
  void solve(const wall::WallModel& model);
  void check_solution(const wall::WallModel& model);
  void check_finite_pressures(const pressure::Profile& profile,
                              bool computed) const;
  void check_finite_curves(const py::Generation& g) const;
  void check_distribution_size(const pressure::Profile& profile) const;
  void check_py_input() const;
  void check_finite_stations(const wall::StationModel& st,
                             const wall::RigidityModel& rigidity) const;
  std::vector<double> specified_loads();
  std::vector<double> loads_from(std::vector<pressure::DistributionPoint> pts,
                                 bool generated);
  void check_before_analysis(const engine::Problem& p);
  void warn_short_profile();
  std::string outcome_detail() const;
  std::string stop_detail() const;
  void end_of_analysis();
  void collect_read_problem(int continuation, bool complete);
  void diagnose(const std::string& line) {
    if (options_.diagnostics != nullptr) *options_.diagnostics << line << '\n';
  }

  const RunFiles& files_;  // as given: the names in messages
  const RunOptions& options_;
  engine::RunIo& io_;
  // The deflections a stage starts from: those of the previous stage of
  // this run (zero for the first).
  wall::StationTable deflections_{};
  // On the heap, as the run itself: a host may give its thread a small
  // stack.
  std::unique_ptr<wall::WallModel> model_;
  // Soil-movement curves of earth-pressure option 4.
  std::vector<wall::CurveRecord> movement_curves_;
  // The pressure distribution handed to the wall: (depth, load per
  // station), for the earth-pressure term of the p-y models.
  std::vector<std::pair<double, double>> pressure_table_;
  std::optional<wall::Solution> solution_;
  std::string shown_input_;
  std::string header_input_;
  report::RecordWriter report_;
  report::RecordWriter plot_;
  report::RecordWriter iteration_;
  engine::RecordReader reader_;
  engine::UnitLabels labels_ = engine::unit_labels(0);
  RunResult result_;
  std::string first_title_;
  engine::Problem problem_;
  int control_line_ = 0;
  int geometry_line_ = 0;
  bool problem_started_ = false;  // a control record has been read
  bool plot_written_ = false;     // the current problem's plot block
  // The current problem's warnings, one line each, for its results.
  std::vector<std::string> problem_warnings_;
  // The iteration limits of the problems analysed so far, added up.
  long long iterations_allowed_ = 0;
  std::vector<ReadProblem>* collected_ = nullptr;
  const InputSource* source_ = nullptr;
  double reference_depth_read_ = 0.0;  // as entered
};

}  // namespace korvan::engine
