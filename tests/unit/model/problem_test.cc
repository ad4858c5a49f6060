#include "model/problem.h"

#include <gtest/gtest.h>

namespace korvan::engine {
namespace {

// The codes as read stay available for the echo; the engine branches on
// what they mean, and codes outside the listed ones fall where the
// reports and the physics put them.
TEST(ProblemCodes, SoilTypeCodesMapToModelsAndUnlistedCodesToSoftClay) {
  const struct {
    int code;
    SoilModel model;
    bool rock;
  } cases[] = {
      {1, SoilModel::kSoftClay, false},
      {2, SoilModel::kStiffClayWithFreeWater, false},
      {3, SoilModel::kStiffClayWithoutFreeWater, false},
      {4, SoilModel::kSand, false},
      {5, SoilModel::kSilt, false},
      {6, SoilModel::kRock, true},
      {7, SoilModel::kWeakRock, true},
      {0, SoilModel::kSoftClay, false},
      {8, SoilModel::kSoftClay, false},
      {-6, SoilModel::kSoftClay, false},
  };
  for (const auto& c : cases) {
    SoilLayer l;
    l.type = c.code;
    EXPECT_EQ(l.model(), c.model) << c.code;
    EXPECT_EQ(l.rock(), c.rock) << c.code;
    EXPECT_EQ(l.type, c.code);
    EXPECT_EQ(listed_soil_type(c.code), c.code >= 1 && c.code <= 7);
  }
}

TEST(ProblemCodes, ControlOptionsAndConditionCases) {
  const struct {
    int code;
    EarthPressureOption option;
    bool generated;
  } pressure[] = {
      {-1, EarthPressureOption::kNone, false},
      {0, EarthPressureOption::kNone, false},
      {1, EarthPressureOption::kSpecified, false},
      {2, EarthPressureOption::kTriangular, true},
      {3, EarthPressureOption::kFhwaEnvelope, true},
      {4, EarthPressureOption::kSoilMovement, true},
      {5, EarthPressureOption::kUniformClay, true},
      {6, EarthPressureOption::kTerzaghiPeck, true},
      {7, EarthPressureOption::kOtherGenerated, true},
  };
  for (const auto& c : pressure) {
    ControlRecord r;
    r.earth_pressure_option = c.code;
    EXPECT_EQ(r.pressure_option(), c.option) << c.code;
    EXPECT_EQ(r.generated_pressure(), c.generated) << c.code;
  }
  const std::pair<int, PyOption> py[] = {{-1, PyOption::kUserCurves},
                                         {1, PyOption::kUserCurves},
                                         {2, PyOption::kGenerated},
                                         {3, PyOption::kNone}};
  for (const auto& [code, option] : py) {
    ControlRecord r;
    r.py_option = code;
    EXPECT_EQ(r.py_curves(), option) << code;
  }
  const struct {
    int code;
    bool deflection, slope;
  } conditions[] = {{0, true, false},
                    {1, true, false},
                    {2, false, true},
                    {3, true, true},
                    {9, true, true}};
  for (const auto& c : conditions) {
    SpecifiedCondition s;
    s.case_code = c.code;
    EXPECT_EQ(s.fixes_deflection(), c.deflection) << c.code;
    EXPECT_EQ(s.fixes_slope(), c.slope) << c.code;
  }
  SoilProfile soil;
  EXPECT_EQ(soil.py_loading(), Loading::kCyclic);  // 0
  soil.loading = 2;
  EXPECT_EQ(soil.py_loading(), Loading::kStatic);
}

}  // namespace
}  // namespace korvan::engine
