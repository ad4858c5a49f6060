// Runs on texts in memory: the same texts and results as runs on files,
// no file touched, outcomes and input errors as values.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "korvan/engine.h"

namespace fs = std::filesystem;

namespace korvan {
namespace {

const fs::path kGolden = KORVAN_GOLDEN_DIR;

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The options of the golden-file runner.
RunOptions golden_options(std::ostream& diagnostics) {
  RunOptions options;
  options.fixed_clock = ClockTime{2026, 1, 15, 9, 5, 30};
  options.shown_input_path = "C:\\WALLS\\GOLDEN\\input.dat";
  options.diagnostics = &diagnostics;
  options.collect_results = true;
  return options;
}

// A folder of its own, removed at the end.
struct TempDir {
  explicit TempDir(const std::string& name)
      : path(fs::temp_directory_path() /
             ("korvan-text-" + name + "-" + std::to_string(::getpid()))) {
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~TempDir() { fs::remove_all(path); }
  std::vector<std::string> listing() const {
    std::vector<std::string> names;
    for (const fs::directory_entry& e :
         fs::recursive_directory_iterator(path)) {
      names.push_back(e.path().lexically_relative(path).string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  fs::path path;
};

// The diagnostic's parts put together as the one-line message.
std::string composed(const Diagnostic& d, bool line_shown) {
  std::string text = d.file;
  if (line_shown) text += ":" + std::to_string(d.line);
  text += ": ";
  if (!d.record.empty()) {
    text += d.record;
    if (d.field > 0) {
      text += ", field " + std::to_string(d.field) + " (" + d.field_name + ")";
    }
    text += ": ";
  }
  return text + d.message;
}

// Every golden input: run_text gives, byte for byte, the files and the
// diagnostics of a run on files, and the same results; an input error
// comes with its parts as values.
TEST(RunTextTest, EveryGoldenInputGivesTheTextsAndResultsOfAFileRun) {
  std::vector<fs::path> cases;
  for (const fs::directory_entry& e : fs::directory_iterator(kGolden)) {
    if (fs::exists(e.path() / "input.dat")) cases.push_back(e.path());
  }
  std::sort(cases.begin(), cases.end());
  ASSERT_GT(cases.size(), 50u);
  TempDir scratch("golden");
  int input_errors = 0;
  for (const fs::path& dir : cases) {
    SCOPED_TRACE(dir.filename().string());
    RunFiles files;
    files.version_label = "GOLDEN";
    files.input = dir / "input.dat";
    files.report = scratch.path / "input.out";
    files.plot = scratch.path / "input.plot";
    files.iteration = scratch.path / "input.iter";
    files.py_scratch = scratch.path / "input.pyc";
    files.pressure_scratch = scratch.path / "input.epd";
    std::ostringstream file_diagnostics;
    Engine engine;
    const RunResult on_files =
        engine.run(files, golden_options(file_diagnostics));

    std::ostringstream text_diagnostics;
    RunOptions options = golden_options(text_diagnostics);
    options.collect_results = false;  // run_text keeps them all the same
    options.version_label = "GOLDEN";
    const RunText in_memory = engine.run_text(slurp(files.input), options);

    EXPECT_EQ(in_memory.report, slurp(files.report));
    EXPECT_EQ(in_memory.plot, slurp(files.plot));
    EXPECT_EQ(in_memory.iteration, slurp(files.iteration));
    EXPECT_EQ(in_memory.report, slurp(dir / "expected.out"));
    EXPECT_EQ(text_diagnostics.str(), file_diagnostics.str());
    EXPECT_EQ(text_diagnostics.str() + "exit status " +
                  std::to_string(static_cast<int>(in_memory.result.status)) +
                  "\n",
              slurp(dir / "expected.diag"));

    const RunResult& r = in_memory.result;
    EXPECT_EQ(r.status, on_files.status);
    EXPECT_EQ(r.problems, on_files.problems);
    EXPECT_EQ(r.stop_code, on_files.stop_code);
    EXPECT_EQ(r.message, on_files.message);
    EXPECT_EQ(r.diagnostic, on_files.diagnostic);
    EXPECT_TRUE(r.results == on_files.results);
    EXPECT_EQ(r.results.size(), static_cast<size_t>(r.problems));
    EXPECT_TRUE(on_files.files_written);
    EXPECT_FALSE(r.files_written);

    if (r.status == RunStatus::kInputError) {
      ++input_errors;
      ASSERT_TRUE(r.diagnostic.has_value());
      const Diagnostic& d = *r.diagnostic;
      EXPECT_EQ(d.file, "C:\\WALLS\\GOLDEN\\input.dat");
      EXPECT_FALSE(d.message.empty());
      // The parts make the line back (a fault spanning several fields
      // names them in the record, as the line does).
      const bool line_shown = d.line > 0;
      if (d.field == 0 && !d.field_name.empty()) {
        EXPECT_NE(r.message.find(d.field_name), std::string::npos);
      } else {
        EXPECT_EQ(composed(d, line_shown), r.message);
      }
    } else {
      EXPECT_FALSE(r.diagnostic.has_value());
    }
  }
  EXPECT_GT(input_errors, 30);
}

// Nothing is opened for writing: not in the current folder, not beside the
// input name, not the scratch files of the default names, not a temporary
// file in the temporary folder.
TEST(RunTextTest, ARunOnTextTouchesNoFile) {
  // Earth-pressure option 2 and p-y option 2: both scratch texts are made.
  const std::string input =
      slurp(kGolden / "py_clay_over_sand_english" / "input.dat");
  TempDir cwd("cwd");
  const fs::path before = fs::current_path();
  auto temp_names = [] {
    std::set<std::string> names;
    for (const fs::directory_entry& e :
         fs::directory_iterator(fs::temp_directory_path())) {
      names.insert(e.path().filename().string());
    }
    return names;
  };
  const std::set<std::string> temp_before = temp_names();
  fs::current_path(cwd.path);
  Engine engine;
  const RunText plain = engine.run_text(input);
  RunOptions options;
  options.input_name = "sub/wall.dat";
  const RunText named = engine.run_text(input, options);
  const std::set<std::string> temp_after = temp_names();
  fs::current_path(before);

  EXPECT_EQ(cwd.listing(), std::vector<std::string>{});
  std::vector<std::string> new_in_temp;
  std::set_difference(temp_after.begin(), temp_after.end(), temp_before.begin(),
                      temp_before.end(), std::back_inserter(new_in_temp));
  for (const std::string& name : new_in_temp) {
    EXPECT_EQ(name.find("input."), std::string::npos) << name;
    EXPECT_EQ(name.find("wall."), std::string::npos) << name;
  }

  EXPECT_EQ(plain.result.status, RunStatus::kCompleted);
  ASSERT_EQ(plain.result.results.size(), 1u);
  EXPECT_FALSE(plain.result.results[0].curves.empty());
  EXPECT_FALSE(plain.result.results[0].pressure.empty());
  // The names shown follow the input name; the banner shows the version.
  EXPECT_NE(plain.report.find("Name of input data file     : input.dat"),
            std::string::npos);
  EXPECT_NE(plain.report.find("Name of output file         : input.out"),
            std::string::npos);
  EXPECT_NE(plain.report.find("Version " KORVAN_VERSION), std::string::npos);
  EXPECT_NE(named.report.find("Name of plot output file    : wall.plot"),
            std::string::npos);
  EXPECT_EQ(named.result.results, plain.result.results);
}

// The outcome of each problem as a value; an input error names its file,
// line, record group and field as values, the input name shown.
TEST(RunTextTest, OutcomesAndInputErrorsAreValues) {
  Engine engine;
  const RunText exceeded =
      engine.run_text(slurp(kGolden / "deflection_exceeded" / "input.dat"));
  auto outcomes = [](const RunText& run) {
    std::vector<Outcome> list;
    for (const ProblemResults& p : run.result.results)
      list.push_back(p.outcome);
    return list;
  };
  EXPECT_EQ(outcomes(exceeded),
            (std::vector<Outcome>{Outcome::kDeflectionExceeded,
                                  Outcome::kCompleted}));
  EXPECT_STREQ(outcome_name(Outcome::kDeflectionExceeded),
               "deflection exceeded");
  const RunText open =
      engine.run_text(slurp(kGolden / "iteration_limit_reached" / "input.dat"));
  EXPECT_EQ(outcomes(open), std::vector<Outcome>{Outcome::kNotClosed});

  RunOptions options;
  options.input_name = "wall.dat";
  const RunText bad = engine.run_text(
      slurp(kGolden / "error_non_numeric" / "input.dat"), options);
  EXPECT_EQ(bad.result.status, RunStatus::kInputError);
  ASSERT_EQ(bad.result.results.size(), 1u);
  EXPECT_EQ(bad.result.results[0].outcome, Outcome::kStopped);
  ASSERT_TRUE(bad.result.diagnostic.has_value());
  const Diagnostic expected{"wall.dat",
                            3,
                            "wall-geometry record",
                            4,
                            "deflection closure tolerance",
                            "expected a real, found \"1.O-3\"",
                            ""};
  EXPECT_EQ(*bad.result.diagnostic, expected);
  EXPECT_EQ(bad.result.message,
            "wall.dat:3: wall-geometry record, field 4 (deflection closure "
            "tolerance): expected a real, found \"1.O-3\"");

  // A fault of several fields, and one on no line.
  const RunText widths = engine.run_text(
      slurp(kGolden / "error_zero_width_generated_curves" / "input.dat"));
  ASSERT_TRUE(widths.result.diagnostic.has_value());
  EXPECT_EQ(widths.result.diagnostic->record, "earth-pressure wall record");
  EXPECT_EQ(widths.result.diagnostic->field, 0);
  EXPECT_EQ(widths.result.diagnostic->field_name, "WA and WP");
  const RunText not_finite = engine.run_text(
      slurp(kGolden / "error_solution_not_finite" / "input.dat"));
  ASSERT_TRUE(not_finite.result.diagnostic.has_value());
  EXPECT_EQ(not_finite.result.diagnostic->line, 0);
  EXPECT_EQ(not_finite.result.diagnostic->record, "");
  EXPECT_EQ(not_finite.result.message,
            "input.dat: " + not_finite.result.diagnostic->message);
}

}  // namespace
}  // namespace korvan
