// Replays every input kept under tests/fuzz/ (reproducers of fuzzing
// findings): each run must end with "END OF ANALYSIS" in its report and
// iteration files, and write no NaN or Infinity, whatever the input; nor
// may its JSON results, HTML report or summary (the writers the command
// line uses) meet a value that is not a number. Read as a project, or
// converted to one and back, an input must give an answer, not an
// exception, and a project the program wrote must come back the same.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "korvan/engine.h"
#include "korvan/project.h"
#include "present/html_report.h"
#include "present/json_results.h"
#include "present/summary.h"

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(FuzzReproducers, EveryRunEndsCleanly) {
  const fs::path dir = KORVAN_FUZZ_DIR;
  const fs::path out = fs::temp_directory_path() /
                       ("korvan-fuzz-replay-" + std::to_string(::getpid()));
  fs::create_directories(out);
  int replayed = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (!entry.is_regular_file() || entry.path().filename() == ".keep") {
      continue;
    }
    korvan::RunFiles files;
    files.input = entry.path();
    files.report = out / "r.out";
    files.plot = out / "r.plot";
    files.iteration = out / "r.iter";
    files.py_scratch = out / "r.pyc";
    files.pressure_scratch = out / "r.epd";
    korvan::RunOptions options;
    options.max_iterations = 200;
    options.collect_results = true;
    const korvan::RunResult result = korvan::Engine().run(files, options);
    const std::string text = slurp(entry.path());
    EXPECT_NO_THROW((void)korvan::validate_project(text)) << entry.path();
    const korvan::Conversion project = korvan::data_to_project(text);
    if (project.ok()) {
      const korvan::Conversion back = korvan::project_to_data(project.text);
      ASSERT_TRUE(back.ok()) << entry.path() << ": " << back.message;
      EXPECT_EQ(korvan::data_to_project(back.text).text, project.text)
          << entry.path();
    }
    const korvan::report::ResultsSource source{"r.dat", "TEST", ""};
    std::ostringstream json, html, summary;
    EXPECT_NO_THROW(korvan::report::write_json_results(json, result, source))
        << entry.path();
    EXPECT_NO_THROW(korvan::report::write_html_report(html, result, source))
        << entry.path();
    EXPECT_NO_THROW(korvan::report::write_summary(summary, result, source))
        << entry.path();
    for (const std::string& text : {json.str(), html.str(), summary.str()}) {
      for (const char* token : {"NaN", "Inf"}) {
        EXPECT_EQ(text.find(token), std::string::npos)
            << entry.path() << " " << token;
      }
    }
    EXPECT_NE(slurp(files.report).find("END OF ANALYSIS"), std::string::npos)
        << entry.path();
    EXPECT_NE(slurp(files.iteration).find("END OF ANALYSIS"), std::string::npos)
        << entry.path();
    // No number that is not finite reaches a file (the formatter spells
    // them NaN, Infinity or Inf; the reports are upper case).
    for (const fs::path& written :
         {files.report, files.plot, files.iteration}) {
      const std::string text = slurp(written);
      EXPECT_EQ(text.find("NaN"), std::string::npos)
          << entry.path() << " " << written;
      EXPECT_EQ(text.find("Inf"), std::string::npos)
          << entry.path() << " " << written;
    }
    ++replayed;
  }
  fs::remove_all(out);
  RecordProperty("replayed", replayed);
}

}  // namespace
