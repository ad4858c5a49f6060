// The JSON results: each shipped example's document parsed and checked
// against the numbers of its fixed-column report; a staged run's layout; a
// run that stops; text that is not UTF-8.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "present/json_results.h"
#include "unit/present/example_runs.h"

namespace korvan {
namespace {

using nlohmann::json;
using testing::ExampleRun;
using testing::table_after;

json document_of(const RunResult& run, const std::string& input = "wall.dat") {
  std::ostringstream out;
  report::write_json_results(out, run, {input, "TEST", ""});
  return json::parse(out.str());  // throws on a malformed document
}

// The exact value agrees with the report's rounded print of it.
void expect_printed(const std::string& field, double exact, const char* what) {
  const testing::Printed p = testing::printed(field);
  EXPECT_NEAR(exact, p.value, p.half_unit) << what << " printed " << field;
}

class ExampleJson : public ::testing::TestWithParam<std::string> {};

TEST_P(ExampleJson, AgreesWithTheReport) {
  const ExampleRun run = ExampleRun::example(GetParam());
  const json doc = document_of(run.result, GetParam());
  EXPECT_EQ(doc["input"], GetParam());
  EXPECT_EQ(doc["exit_status"], static_cast<int>(run.result.status));
  const json& problems = doc["problems"];
  ASSERT_EQ(problems.size(), static_cast<size_t>(run.result.problems));

  const std::vector<std::string> blocks = testing::result_blocks(run.report);
  ASSERT_EQ(blocks.size(), problems.size());
  for (size_t b = 0; b < blocks.size(); ++b) {
    const json& p = problems[b];
    const std::string& text = blocks[b];
    SCOPED_TRACE("problem " + std::to_string(b + 1));
    const bool english = p["units"]["system"] == "English";
    EXPECT_EQ(p["units"]["length"], english ? "in" : "m");
    EXPECT_EQ(p["units"]["moment"], english ? "lb-in" : "kN-m");

    // Stations 0..N against the report's station table, which shows
    // depths in feet in English units.
    const json& stations = p["stations"];
    const auto rows = table_after(text, "STA I");
    ASSERT_EQ(stations.size(), rows.size());
    ASSERT_EQ(stations.size(), p["increments"].get<size_t>() + 1);
    const double h = p["increment_length"];
    double largest = 0.0, largest_half_unit = 0.0;
    for (size_t k = 0; k < stations.size(); ++k) {
      const json& s = stations[k];
      const auto& row = rows[k];
      ASSERT_EQ(row.size(), 9u);
      EXPECT_EQ(s["station"], static_cast<int>(k));
      EXPECT_DOUBLE_EQ(s["depth"].get<double>(), static_cast<double>(k) * h);
      expect_printed(row[1], s["depth"].get<double>() / (english ? 12.0 : 1.0),
                     "depth");
      expect_printed(row[2], s["deflection"], "deflection");
      expect_printed(row[4], s["moment"], "moment");
      expect_printed(row[5], s["shear"], "shear");
      expect_printed(row[8], s["EI"], "EI");
      if (std::fabs(std::stod(row[2])) > largest) {
        largest = std::fabs(std::stod(row[2]));
        largest_half_unit = testing::printed(row[2]).half_unit;
      }
    }
    // The summary's deflection is the report's largest, at its station.
    const json& d = p["summary"]["max_deflection"];
    EXPECT_NEAR(std::fabs(d["value"].get<double>()), largest,
                largest_half_unit);
    EXPECT_EQ(stations[static_cast<size_t>(
                  std::llround(d["depth"].get<double>() / h))]["deflection"],
              d["value"]);

    // Each support against its tie-back or strut table, in the summary too.
    const auto tie_backs = table_after(text, "TIE BACK RESULTS");
    const auto struts = table_after(text, "STRUT/RAKER RESULTS");
    const json& supports = p["supports"];
    ASSERT_EQ(supports.size(), tie_backs.size() + struts.size());
    ASSERT_EQ(p["summary"]["support_forces"].size(), supports.size());
    size_t t = 0, r = 0;
    for (size_t k = 0; k < supports.size(); ++k) {
      const json& s = supports[k];
      const auto& row =
          s["kind"] == "tie back" ? tie_backs.at(t++) : struts.at(r++);
      EXPECT_EQ(s["station"], std::stoi(row[1]));
      expect_printed(row[3], s["horizontal_force_per_station"], "horizontal");
      expect_printed(row[5], s["force_per_support"], "force per support");
      EXPECT_EQ(p["summary"]["support_forces"][k]["force"],
                s["force_per_support"]);
    }

    // The generated distribution at the depths the report lists.
    if (problems.size() > 1) continue;
    for (const auto& row :
         table_after(run.report, "DEPTH         ACTIVE EARTH PRESSURE")) {
      const double depth = std::stod(row[0]) * (english ? 12.0 : 1.0);
      const json& pressure = p["earth_pressure"];
      auto it =
          std::find_if(pressure.begin(), pressure.end(), [&](const json& q) {
            return std::fabs(q["depth"].get<double>() - depth) < 1e-6;
          });
      ASSERT_NE(it, pressure.end()) << "no point at depth " << depth;
      expect_printed(row[1], (*it)["load"], "earth pressure");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleJson,
                         ::testing::ValuesIn(testing::kExamples),
                         [](const auto& info) {
                           return testing::test_name(info.param);
                         });

TEST(JsonResults, StagedRunWithCurvesAndWales) {
  const json doc =
      document_of(ExampleRun::example("staged_excavation.dat").result);
  EXPECT_EQ(doc["format"], "korvan results");
  EXPECT_EQ(doc["status"], "completed");
  const json& problems = doc["problems"];
  ASSERT_EQ(problems.size(), 2u);
  for (int k = 0; k < 2; ++k) {
    const json& p = problems[static_cast<size_t>(k)];
    EXPECT_EQ(p["stage"], k + 1);
    EXPECT_EQ(p["stage_code"], 2);
    EXPECT_DOUBLE_EQ(p["wall_length"].get<double>(), 288.0);
    // No soil profile: the excavation line is the reference depth.
    EXPECT_DOUBLE_EQ(p["excavation_depth"].get<double>(),
                     k == 0 ? 72.0 : 168.0);
    EXPECT_TRUE(p["water_table_backfill"].is_null());
    EXPECT_TRUE(p["earth_pressure"].empty());
    ASSERT_EQ(p["py_curves"].size(), 2u);
    EXPECT_FALSE(p["py_curves"][0]["generated"]);
  }
  // Stage 1 is a cantilever: no negative moment.
  EXPECT_TRUE(problems[0]["summary"]["max_negative_moment"].is_null());
  EXPECT_LT(
      problems[1]["summary"]["max_negative_moment"]["value"].get<double>(),
      0.0);
  const json& strut = problems[1]["supports"].at(0);
  EXPECT_EQ(strut["kind"], "strut");
  EXPECT_DOUBLE_EQ(strut["depth"].get<double>(), 36.0);
  EXPECT_TRUE(strut["wale"].is_null());

  // Generated curves run from the backfill side to the excavation side.
  const json soft =
      document_of(ExampleRun::example("sheet_pile_soft_clay.dat").result);
  for (const json& c : soft["problems"][0]["py_curves"]) {
    EXPECT_TRUE(c["generated"]);
    EXPECT_LT(c["points"].front()[0].get<double>(), 0.0);
    EXPECT_GT(c["points"].back()[0].get<double>(), 0.0);
  }

  const ExampleRun tied = ExampleRun::example("tied_back_wall_metric.dat");
  const json p = document_of(tied.result)["problems"][0];
  EXPECT_EQ(p["units"]["wale_moment"], "kN-m");
  const auto wales = table_after(tied.report, "WALES RESULTS");
  ASSERT_EQ(wales.size(), 1u);
  expect_printed(wales[0][4], p["supports"][0]["wale"]["reaction"],
                 "wale reaction");
  expect_printed(wales[0][6], p["supports"][0]["wale"]["moment"],
                 "wale moment");
}

TEST(JsonResults, RunStoppedByAnInputError) {
  // A faulty geometry record in stage 2: stage 1's results stand.
  std::string input = testing::read_file(testing::source_dir() / "examples" /
                                         "staged_excavation.dat");
  input.replace(input.find("48 6.0 6.0", input.find("STAGE 2:")), 2, "4x");
  const auto dir = testing::temp_dir();
  std::ofstream(dir / "stop.dat") << input;
  const ExampleRun run = ExampleRun::of(dir / "stop.dat");
  std::filesystem::remove_all(dir);

  const json doc = document_of(run.result);
  EXPECT_EQ(doc["status"], "input error");
  EXPECT_EQ(doc["exit_status"], 2);
  EXPECT_NE(doc["message"].get<std::string>().find("wall-geometry record"),
            std::string::npos);
  ASSERT_EQ(doc["problems"].size(), 2u);
  EXPECT_EQ(doc["problems"][0]["outcome"], "completed");
  const json& stopped = doc["problems"][1];
  EXPECT_EQ(stopped["outcome"], "stopped");
  EXPECT_TRUE(stopped["stations"].empty());
  EXPECT_TRUE(stopped["summary"]["max_deflection"].is_null());
}

// The problem's warnings (as on standard error) and the wall width that
// moments and shears are per.
TEST(JsonResults, WarningsAndWallWidth) {
  const auto golden = testing::source_dir() / "tests" / "golden";
  const json above = document_of(
      ExampleRun::of(golden / "warning_soil_profile_above_toe" / "input.dat")
          .result);
  const json& p = above["problems"][0];
  ASSERT_EQ(p["warnings"].size(), 1u);
  EXPECT_EQ(p["warnings"][0], "the soil profile ends 5.000 ft above the toe");
  // A profile that ends at the toe, above the bottom of the p-y model.
  const json at_toe = document_of(
      ExampleRun::of(golden / "surcharge_with_specified_pressure" / "input.dat")
          .result);
  ASSERT_EQ(at_toe["problems"][0]["warnings"].size(), 1u);
  EXPECT_NE(at_toe["problems"][0]["warnings"][0].get<std::string>().find(
                "above the bottom of the p-y model at 26.00 ft"),
            std::string::npos);
  const json tied =
      document_of(ExampleRun::example("tied_back_wall_metric.dat").result);
  EXPECT_TRUE(tied["problems"][0]["warnings"].empty());
  EXPECT_GT(tied["problems"][0]["wall_width"].get<double>(), 0.0);
}

TEST(JsonResults, TextThatIsNotUtf8IsReplacedNotRefused) {
  RunResult run;
  ProblemResults p;
  p.title = "MUR \xC9PAIS \"QUOTED\"";  // Latin-1
  p.outcome = Outcome::kStopped;
  run.results.push_back(p);
  const std::string title =
      document_of(run, "caf\xE9.dat")["problems"][0]["title"];
  EXPECT_EQ(title, "MUR \xEF\xBF\xBDPAIS \"QUOTED\"");
}

}  // namespace
}  // namespace korvan
