// The project form of the model (JSON) and its input data file: the
// conversions both ways and the map from the lines written back to the
// values they came from.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "korvan/engine.h"
#include "model/problem.h"
#include "run/run.h"

namespace korvan::project {

// Members keep the order in which they are written.
using Json = nlohmann::ordered_json;

inline constexpr std::string_view kFormatName = "korvan-project";
inline constexpr int kFormatVersion = 1;

// Names of the dimension row and the property row of a cross section, by
// position.
inline constexpr std::string_view kDimensionNames[8] = {
    "equivalent_diameter", "external_width", "external_depth",
    "wall_thickness",      "flange_width",   "flange_thickness",
    "web_depth",           "web_thickness"};
inline constexpr std::string_view kPropertyNames[10] = {"area",
                                                        "section_modulus",
                                                        "plastic_modulus",
                                                        "moment_of_inertia",
                                                        "radius_of_gyration",
                                                        "torsional_constant",
                                                        "yield_stress",
                                                        "shear_area",
                                                        "elastic_modulus",
                                                        "unit_weight"};

// The counts of the control record that the lists of a problem give; a
// problem's `counts` holds those read otherwise.
struct CountField {
  std::string_view name;
  int engine::ControlRecord::*member;
};
inline constexpr CountField kCountFields[] = {
    {"specified_points", &engine::ControlRecord::specified_points},
    {"wall_sections", &engine::ControlRecord::wall_sections},
    {"cross_sections", &engine::ControlRecord::cross_sections},
    {"py_factors", &engine::ControlRecord::py_factors},
    {"user_py_curves", &engine::ControlRecord::user_py_curves},
    {"nonlinear_ei_sets", &engine::ControlRecord::nonlinear_ei_sets},
    {"tie_backs", &engine::ControlRecord::tie_backs},
    {"struts", &engine::ControlRecord::struts},
    {"wale_flag", &engine::ControlRecord::wale_flag},
    {"wale_continuity", &engine::ControlRecord::wale_continuity},
};

// The counts a problem's lists give (the other members are zero).
using DerivedCounts = engine::ControlRecord;
DerivedCounts derived_counts(const Json& problem);

// The problems of an input data file as a project.
Json problems_to_json(const std::vector<engine::ReadProblem>& problems);

// A project as text: two-space indentation, lists of numbers on one line.
// Throws Json::type_error for a text that is not UTF-8.
std::string project_text(const Json& project);

// An input data file written from a project, and where each of its records
// came from.
struct DataText {
  struct Record {
    std::string path;                 // the object the record is written from
    std::vector<std::string> fields;  // the path of each field, by position
  };
  std::string text;
  std::vector<int> record_of_line;  // by line - 1: index into records, or -1
  std::vector<Record> records;
};

// Writes the input data file of a project. Values of the wrong kind,
// unknown members and a form that is not a project are faults (each with
// its path); with faults the text is not to be used.
DataText project_to_data_text(const Json& project, const std::string& file,
                              std::vector<Diagnostic>& faults);

// Moves a reader's diagnostic on a written input data file onto the
// project value it was written from.
class ProjectSource final : public engine::InputSource {
 public:
  ProjectSource(const DataText& data, std::string file)
      : data_(data), file_(std::move(file)) {}
  void locate(Diagnostic& d, int problem) const override;

 private:
  const DataText& data_;
  std::string file_;
};

}  // namespace korvan::project
