// Project files: an input data file and its project are one model. Every
// golden and example input converts both ways without loss, a project runs
// to the same outputs as its input data file, and faults in a project name
// the JSON path of the value.
#include "korvan/project.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "korvan/engine.h"

namespace fs = std::filesystem;

namespace korvan {
namespace {

const fs::path kGolden = KORVAN_GOLDEN_DIR;
const fs::path kExamples =
    fs::path(KORVAN_GOLDEN_DIR) / ".." / ".." / "examples";

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<fs::path> every_input() {
  std::vector<fs::path> inputs;
  for (const auto& e : fs::directory_iterator(kGolden)) {
    if (fs::exists(e.path() / "input.dat"))
      inputs.push_back(e.path() / "input.dat");
  }
  for (const auto& e : fs::directory_iterator(kExamples)) {
    if (e.path().extension() == ".dat") inputs.push_back(e.path());
  }
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

// Both runs show the same input path, so that their outputs compare byte
// for byte.
RunText run(std::string_view text, const std::string& name) {
  RunOptions options;
  options.fixed_clock = ClockTime{2026, 1, 15, 9, 5, 30};
  options.shown_input_path = "C:\\WALLS\\wall";
  options.input_name = name;
  return Engine().run_text(text, options);
}

// The report without its error-stop line, which names a record of an input
// data file but a JSON path of a project.
std::string without_stop_line(const std::string& report) {
  std::istringstream in(report);
  std::string line, out;
  while (std::getline(in, line)) {
    if (line.rfind("ERROR STOP -- ", 0) != 0) out += line + "\n";
  }
  return out;
}

TEST(ProjectFiles, EveryInputConvertsBothWaysAndRunsTheSame) {
  int converted = 0;
  for (const fs::path& input : every_input()) {
    SCOPED_TRACE(input.string());
    const std::string data = slurp(input);
    const Conversion project = data_to_project(data, "wall.dat");
    const RunText from_data = run(data, "wall.dat");
    if (!project.ok()) {
      // Refused as a run refuses it: the same diagnostic, unless the run
      // stopped on an earlier problem's analysis before reading that far.
      ASSERT_NE(from_data.result.status, RunStatus::kCompleted);
      if (from_data.result.diagnostic && from_data.result.diagnostic->line ==
                                             project.diagnostics.front().line) {
        Diagnostic d = *from_data.result.diagnostic;
        d.file = "wall.dat";  // the run shows its input as C:\WALLS\wall
        EXPECT_EQ(project.diagnostics.front(), d);
      }
      continue;
    }
    ++converted;
    // The project runs as its input data file.
    const RunText from_project = run(project.text, "wall.json");
    EXPECT_EQ(from_project.result.status, from_data.result.status);
    EXPECT_EQ(without_stop_line(from_project.report),
              without_stop_line(from_data.report));
    EXPECT_EQ(from_project.plot, from_data.plot);
    EXPECT_EQ(from_project.iteration, from_data.iteration);
    if (from_data.result.status != RunStatus::kInputError) {
      EXPECT_EQ(from_project.report, from_data.report);
    } else {
      ASSERT_TRUE(from_project.result.diagnostic.has_value());
      EXPECT_EQ(from_project.result.diagnostic->path.rfind("problems[", 0), 0u)
          << from_project.result.message;
    }
    // .dat -> .json -> .dat analyses to the same bytes.
    const Conversion back = project_to_data(project.text, "wall.json");
    if (from_data.result.status == RunStatus::kInputError) continue;
    ASSERT_TRUE(back.ok()) << back.message;
    const RunText again = run(back.text, "wall.dat");
    EXPECT_EQ(again.report, from_data.report);
    EXPECT_EQ(again.plot, from_data.plot);
    EXPECT_EQ(again.iteration, from_data.iteration);
    // .json -> .dat -> .json gives the same project.
    const Conversion project_again = data_to_project(back.text, "wall.dat");
    ASSERT_TRUE(project_again.ok()) << project_again.message;
    EXPECT_EQ(project_again.text, project.text);
  }
  EXPECT_GT(converted, 60);
}

// A project of the sand cantilever in metric units, with one layer, as a
// person would write it: members left out take their empty values.
std::string cantilever(
    const std::string& layer_top = "\"friction_angle\": 32") {
  return R"({
  "problems": [{
    "title": "SAND CANTILEVER",
    "units": "metric",
    "wall": {"increments": 40, "increment_length": 0.25,
             "allowable_deflection": 1.0, "closure_tolerance": 1e-5,
             "width": 1.0, "height": 10.0, "max_iterations": 100},
    "wall_sections": [{"top": 0, "bottom": 10, "cross_section": 1}],
    "cross_sections": [{
      "name": "SHEET PILE", "shape": "sheet_piling", "ei": "elastic",
      "properties": {"moment_of_inertia": 2.3e8, "elastic_modulus": 2e8}
    }],
    "earth_pressure": {"option": "triangular"},
    "py_curves": "generated",
    "soil": {
      "free_height": 4.0, "width_pressure": 1.0, "width_resistance": 1.0,
      "water_table_backfill": 20, "water_table_excavation": 20,
      "active_factor": 1.0, "loading": "static",
      "layers": [{"soil": "sand", "top": 0, "bottom": 12,
                  "at_top": {"unit_weight": 19, )" +
         layer_top + R"(},
                  "at_bottom": {"unit_weight": 19, "friction_angle": 32}}]
    }
  }]
})";
}

TEST(ProjectFiles, AHandWrittenProjectRunsAndKeepsItsNumbersExactly) {
  const RunText r = run(cantilever(), "wall.json");
  EXPECT_EQ(r.result.status, RunStatus::kCompleted) << r.result.message;
  ASSERT_EQ(r.result.results.size(), 1u);

  // Numbers that decimal text rounds badly survive both ways.
  const std::string odd = cantilever(
      "\"friction_angle\": 32.000000000000007, \"strength\": 1e-300");
  const Conversion data = project_to_data(odd, "wall.json");
  ASSERT_TRUE(data.ok()) << data.message;
  const Conversion back = data_to_project(data.text, "wall.dat");
  ASSERT_TRUE(back.ok()) << back.message;
  // 32 plus one unit in the last place, in its shortest form.
  EXPECT_NE(back.text.find("\"friction_angle\": 32.00000000000001"),
            std::string::npos);
  EXPECT_NE(back.text.find("\"strength\": 1e-300"), std::string::npos);
  // The canonical form converts to itself.
  const Conversion data2 = project_to_data(back.text, "wall.json");
  ASSERT_TRUE(data2.ok());
  EXPECT_EQ(data2.text, data.text);
}

// The one fault of a project, expected at `path`.
Diagnostic fault_of(const std::string& project) {
  const std::vector<Diagnostic> faults = validate_project(project, "wall.json");
  EXPECT_FALSE(faults.empty());
  return faults.empty() ? Diagnostic{} : faults.front();
}

TEST(ProjectFiles, FaultsNameTheJsonPathOfTheValue) {
  EXPECT_TRUE(validate_project(cantilever(), "wall.json").empty());

  // A value of the wrong kind.
  Diagnostic d = fault_of(cantilever("\"friction_angle\": \"30°\""));
  EXPECT_EQ(d.path, "problems[0].soil.layers[0].at_top.friction_angle");
  EXPECT_EQ(d.message, "expected a number, found \"30°\"");
  EXPECT_EQ(d.file, "wall.json");

  // A value the reader refuses: its message, on the path.
  d = fault_of(cantilever("\"friction_angle\": 95"));
  EXPECT_EQ(d.path, "problems[0].soil.layers[0].at_top.friction_angle");
  EXPECT_EQ(d.record, "soil layer 1, top values record");
  EXPECT_EQ(d.field, 3);
  EXPECT_EQ(d.line, 0);
  EXPECT_NE(d.message.find("95"), std::string::npos) << d.message;

  // The run stops on it as on the input data file, with the path.
  const RunText r = run(cantilever("\"friction_angle\": 95"), "wall.json");
  EXPECT_EQ(r.result.status, RunStatus::kInputError);
  EXPECT_EQ(r.result.message.rfind("C:\\WALLS\\wall: problems[0].soil.layers"
                                   "[0].at_top.friction_angle: ",
                                   0),
            0u)
      << r.result.message;
  EXPECT_NE(r.report.find("ERROR STOP -- C:\\WALLS\\wall: problems[0]"),
            std::string::npos);

  // Unknown members, unknown words, integers that are not.
  d = fault_of(cantilever("\"friction\": 30"));
  EXPECT_EQ(d.path, "problems[0].soil.layers[0].at_top.friction");
  EXPECT_EQ(d.message, "unknown member \"friction\"");
  std::string gravel = cantilever();
  gravel.replace(gravel.find("\"sand\""), 6, "\"gravel\"");
  d = fault_of(gravel);
  EXPECT_EQ(d.path, "problems[0].soil.layers[0].soil");
  EXPECT_NE(d.message.find("\"weak_rock\" (or an integer code), found "
                           "\"gravel\""),
            std::string::npos)
      << d.message;
  std::string real_count = cantilever();
  real_count.replace(real_count.find("40"), 2, "40.5");
  d = fault_of(real_count);
  EXPECT_EQ(d.path, "problems[0].wall.increments");
  EXPECT_EQ(d.message, "expected an integer, found 40.5");
  // A count the reader refuses falls on its record.
  std::string long_wall = cantilever();
  long_wall.replace(long_wall.find("40"), 2, "500");
  d = fault_of(long_wall);
  EXPECT_EQ(d.path.rfind("problems[0].wall", 0), 0u) << d.path;
  EXPECT_NE(d.message.find("500 is outside 1 to 409"), std::string::npos);

  // Every fault of kind at once.
  std::string two = cantilever("\"friction_angle\": true");
  two.replace(two.find("\"width\": 1.0"), 12, "\"width\": \"1 m\"");
  EXPECT_EQ(validate_project(two, "wall.json").size(), 2u);
}

TEST(ProjectFiles, TextsThatAreNoProjectAreRefusedWithoutACrash) {
  struct Case {
    std::string text;
    std::string message_start;
    int line;
  };
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  const Case cases[] = {
      {"{\n  \"problems\": [\n    {,}\n  ]\n}", "not JSON: ", 3},
      {deep, "lists and objects nested more than 32 deep", 1},
      {"[1, 2]", "expected an object, found a list", 0},
      {"{\"problems\": []}", "expected a list of one or more problems", 0},
      {"{\"format\": \"other\", \"problems\": [{}]}",
       "expected \"korvan-project\"", 0},
      {"", "not JSON: ", 1},
      {"{\"problems\": [{\"wall\": {\"width\": 1E400}}]}",
       "not JSON: number overflow parsing '1E400'", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 60));
    const Conversion r = project_to_data(c.text, "wall.json");
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.diagnostics.front().message.rfind(c.message_start, 0), 0u)
        << r.diagnostics.front().message;
    EXPECT_EQ(r.diagnostics.front().line, c.line);
    // A run of it is refused the same way and writes nothing.
    const RunText t = run(c.text, "wall.json");
    EXPECT_EQ(t.result.status, RunStatus::kInputError);
    EXPECT_TRUE(t.report.empty());
  }
}

TEST(ProjectFiles, StagesAndTheirContinuationCodes) {
  // Two stages: the continuation codes are those of the input data file.
  const std::string data = slurp(kExamples / "staged_excavation.dat");
  const Conversion project = data_to_project(data, "wall.dat");
  ASSERT_TRUE(project.ok()) << project.message;
  std::string text = project.text;
  // A stage that ends the run before the next one is refused at its code.
  const size_t stage = text.find("\"stage\": 2");
  ASSERT_NE(stage, std::string::npos);
  text.insert(stage, "\"continuation\": 0, ");
  const std::vector<Diagnostic> faults = validate_project(text, "wall.json");
  ASSERT_FALSE(faults.empty());
  EXPECT_EQ(faults.front().path, "problems[0].continuation");
}

TEST(ProjectFiles, TextsAProjectCannotHoldAreRefusedNotMangled) {
  std::string data = slurp(kExamples / "cantilever_sheet_pile.dat");
  data.insert(3, "\xB0");  // a Latin-1 degree sign in the title
  const Conversion c = data_to_project(data, "wall.dat");
  ASSERT_FALSE(c.ok());
  EXPECT_NE(c.message.find("not UTF-8"), std::string::npos);

  // A title that a title record cannot hold.
  std::string long_title = cantilever();
  long_title.replace(long_title.find("SAND CANTILEVER"), 15,
                     std::string(71, 'T'));
  Diagnostic d = fault_of(long_title);
  EXPECT_EQ(d.path, "problems[0].title");
  // A carriage return inside a title or name is kept, also at its end.
  for (const std::string title : {"A\\rB", "AB\\r"}) {
    std::string cr = cantilever();
    cr.replace(cr.find("SAND CANTILEVER"), 15, title);
    const Conversion data = project_to_data(cr, "wall.json");
    ASSERT_TRUE(data.ok()) << data.message;
    const Conversion back = data_to_project(data.text, "wall.dat");
    ASSERT_TRUE(back.ok()) << back.message;
    EXPECT_NE(back.text.find("\"title\": \"" + title + "\""), std::string::npos)
        << back.text.substr(0, 200);
  }
  std::string two_lines = cantilever();
  two_lines.replace(two_lines.find("SAND CANTILEVER"), 15, "A\\nB");
  d = fault_of(two_lines);
  EXPECT_EQ(d.path, "problems[0].title");
}

TEST(ProjectFiles, AProjectWrittenByHandRunsAsItsInputDataFile) {
  // docs/project-files.md: the sand cantilever example with every empty
  // member left out.
  const RunText by_hand = run(slurp(fs::path(KORVAN_TEST_DATA) / "project" /
                                    "sand_cantilever_by_hand.json"),
                              "wall.json");
  const RunText data =
      run(slurp(kExamples / "sand_cantilever_water_metric.dat"), "wall.dat");
  EXPECT_EQ(by_hand.result.status, RunStatus::kCompleted);
  EXPECT_EQ(by_hand.report, data.report);
  EXPECT_EQ(by_hand.plot, data.plot);
}

TEST(ProjectFiles, CountsThatAreNotListLengthsAreKept) {
  // A count of user curves that the p-y option leaves unread, negative
  // counts taken as no records: echoed as read, so kept in `counts`.
  const std::string kept =
      slurp(fs::path(KORVAN_TEST_DATA) / "project" / "kept_records.json");
  const Conversion data = project_to_data(kept, "wall.json");
  ASSERT_TRUE(data.ok()) << data.message;
  EXPECT_EQ(data.text.substr(data.text.find('\n') + 1, 31),
            "1 0 1 1 0 0 3 3 0 -1 0 0 -1 2 0");
  const Conversion project = data_to_project(data.text, "wall.dat");
  ASSERT_TRUE(project.ok()) << project.message;
  EXPECT_NE(project.text.find("\"counts\": {\n        \"user_py_curves\": 3,"),
            std::string::npos)
      << project.text;
  EXPECT_EQ(project_to_data(project.text, "wall.json").text, data.text);
  const RunText r = run(project.text, "wall.json");
  EXPECT_NE(r.report.find(
                "NO OF USER-SPECIFIED SOIL RESISTANCE (P-Y) CURVES  =  3\n"),
            std::string::npos);
}

TEST(ProjectFiles, CountsThatWouldMisreadTheRecordsAreRefused) {
  const std::string kept =
      slurp(fs::path(KORVAN_TEST_DATA) / "project" / "kept_records.json");
  struct Case {
    std::string counts;
    std::string path;
  };
  // Two tie backs read where the list holds one (the next record would be
  // read as the second); a negative count that would drop a listed
  // section; no wales read where the problem has wales.
  const Case cases[] = {
      {R"("tie_backs": 2)", "problems[0].counts.tie_backs"},
      {R"("cross_sections": -1)", "problems[0].counts.cross_sections"},
      {R"("wale_flag": 0)", "problems[0].counts.wale_flag"},
  };
  for (const Case& c : cases) {
    std::string text = kept;
    text.replace(text.find("\"counts\": {"), 11,
                 "\"counts\": {" + c.counts + ",");
    text.replace(
        text.find("\"earth_pressure\""), 16,
        "\"tie_backs\": [{\"depth\": 2, \"area\": 1, \"modulus\": 3e7, "
        "\"unbonded_length\": 10, \"angle\": 15, \"spacing\": 8}], "
        "\"wales\": {\"records\": [{\"number\": 1}]}, "
        "\"earth_pressure\"");
    const std::vector<Diagnostic> faults = validate_project(text, "wall.json");
    ASSERT_FALSE(faults.empty()) << c.counts;
    EXPECT_EQ(faults.front().path, c.path) << faults.front().message;
  }
}

TEST(ProjectFiles, ProjectNames) {
  EXPECT_TRUE(is_project_name("wall.json"));
  EXPECT_TRUE(is_project_name("C:/W/WALL.JSON"));
  EXPECT_FALSE(is_project_name("wall.dat"));
  EXPECT_FALSE(is_project_name("json"));
}

}  // namespace
}  // namespace korvan
