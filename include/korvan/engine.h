// korvan: analysis of flexible retaining walls, C++ interface.
//
// An Engine owns every table of a run; two engines may run at the same time
// in one process. A run reads one input data file, which may hold several
// problems (the stages of an excavation), and writes a report file, a
// plot-data file and an iteration log; run_text does the same on texts in
// memory and touches no file.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "korvan/results.h"
#include "korvan/version.h"

namespace korvan {

// The files of one run. The two scratch files carry generated p-y curves and
// generated earth-pressure distributions between the generators and the
// wall model; they are written and read back inside one problem.
struct RunFiles {
  std::string version_label;  // printed in the report banner (12 columns)
  std::filesystem::path input;
  std::filesystem::path report;
  std::filesystem::path plot;
  std::filesystem::path iteration;  // iteration monitoring and run messages
  std::filesystem::path py_scratch;
  std::filesystem::path pressure_scratch;
};

// Local date and time as printed in the report header.
struct ClockTime {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

struct RunOptions {
  // When set, the report header shows this time instead of the clock.
  std::optional<ClockTime> fixed_clock;
  // When set, the report header shows this path for the input data file
  // (folder and name), and diagnostics name the file by it.
  std::optional<std::string> shown_input_path;
  // Keep the results of every problem in RunResult::results.
  bool collect_results = false;
  // Whether run() writes the p-y curve and earth-pressure scratch files
  // under their names in RunFiles. When false the scratch texts stay in
  // memory, as in run_text (the numbers are the same either way): nothing
  // is written or removed under the scratch names, and they are not checked
  // against the other files of the run.
  bool write_scratch_files = true;
  // When positive, an upper bound on the iterations of every problem (the
  // iteration limit of the input applies below it).
  int max_iterations = 0;
  // Where one-line diagnostics go (input errors with file, line and record
  // group; generator stops). Null: nowhere.
  std::ostream* diagnostics = nullptr;
  // When set, the report banner shows this label (12 columns) in place of
  // RunFiles::version_label; run_text shows KORVAN_VERSION otherwise.
  std::optional<std::string> version_label;
  // run_text: the name of the input text, shown in the report header and
  // in diagnostics (unless shown_input_path is set). The report, plot-data
  // and scratch names shown take its stem: "input.out", "input.plot",
  // "input.pyc", "input.epd".
  std::string input_name = "input.dat";
};

// How a run ended, from best to worst as the command-line exit status.
enum class RunStatus {
  kCompleted = 0,      // every problem analysed and closed, or the run was
                       // ended by a negative iteration limit
  kNotClosed = 1,      // some problem not closed, or its allowable
                       // deflection exceeded
  kInputError = 2,     // an input error stop
  kGeneratorStop = 3,  // a stop inside an earth-pressure or p-y generator
  kFileError = 4,      // a file of the run could not be opened, read or
                       // written, or the run's names collide
};

// An input error as values: where it stands and what it is. message() of
// RunResult holds the same as one line:
// "file:line: record, field k (field name): message".
struct Diagnostic {
  std::string file;        // the input as shown (or a scratch file read back)
  int line = 0;            // 1-based; 0 when the fault is on no one line
  std::string record;      // the record group: "wall-geometry record",
                           // "tie-back record 2"; empty when none
  int field = 0;           // 1-based field of the record; 0 when not one
  std::string field_name;  // "deflection closure tolerance"; may name the
                           // fields of a fault that spans several
  std::string message;     // what is wrong: "expected a real, found \"x\""
  // In a project file (JSON): the path of the value at fault,
  // "problems[0].soil.layers[1].at_top.friction_angle"; `line` is then 0,
  // and `record` and `field` name the record of the input data file that
  // the value makes.
  std::string path;

  bool operator==(const Diagnostic&) const = default;
};

struct RunResult {
  RunStatus status = RunStatus::kCompleted;
  int problems = 0;     // problems whose title was read
  int stop_code = 0;    // generator stop code, with kGeneratorStop
  std::string message;  // one line for kInputError..kFileError
  // With kInputError: the parts of `message` as values.
  std::optional<Diagnostic> diagnostic;
  // The report, plot-data and iteration files of this run are in place.
  // False when the run was refused or could not open or write its files:
  // the files of an earlier run are then left as they were. Always false
  // for run_text, which writes no file.
  bool files_written = false;
  // With RunOptions::collect_results, and always for run_text.
  std::vector<ProblemResults> results;
};

// The outputs of a run in memory: the texts the report, plot-data and
// iteration files would hold, byte for byte, and the result.
struct RunText {
  std::string report;
  std::string plot;
  std::string iteration;
  RunResult result;
};

// NAMES.dat: the run-control file written by the front end.
struct NamesFile {
  RunFiles files;
  std::string header_text1;
  std::string header_text2;
  int header_number = 0;
  bool read_failed = false;  // a name could not be read (not end of file)
};

// Reads NAMES.dat at `path`. A missing or unreadable file gives blank names
// and read_failed = true.
NamesFile read_names_file(const std::filesystem::path& path);

class Engine {
 public:
  Engine();
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // Analyses every problem of files.input. Never throws for bad input or
  // files that cannot be opened: the outcome is in the result. Every run
  // starts afresh: nothing of an earlier run of this engine carries over
  // (the stages within one input file start from the previous stage).
  //
  // Relative names are made absolute once, when the run starts (the current
  // folder is one per process). A run in which an output or scratch file
  // names the input or another output is refused before any file is
  // opened (kFileError). The report, plot-data and iteration files are
  // written beside their names and moved into place together when the run
  // ends (files_written); a run that cannot open them, finds no input, or
  // cannot write them whole leaves the earlier files as they were.
  RunResult run(const RunFiles& files, const RunOptions& options = {});

  // Analyses every problem of `input`, the text of an input data file, as
  // run() does, and returns the texts of the report, plot-data and
  // iteration files and the result with every problem's results. No file
  // is opened or written: the p-y curve and earth-pressure scratch texts
  // are formatted and read back in memory, so the numbers are those of a
  // run on files. The names shown come from options.input_name (and
  // options.shown_input_path); the banner shows options.version_label or
  // KORVAN_VERSION.
  RunText run_text(std::string_view input, const RunOptions& options = {});

  // Runs from `folder`/NAMES.dat as the library entry point does: the
  // two-line request to create an input file goes to options.diagnostics
  // when a name cannot be read. The folder and the names in NAMES.dat are
  // made absolute before NAMES.dat is opened.
  RunResult run_names(const std::filesystem::path& folder,
                      const RunOptions& options = {});

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace korvan
