// korvan: project files, the wall model as JSON.
//
// The input data file and the project JSON are two faces of one model: a
// project holds the problems (stages) of an input data file as named
// objects, codes as words and lengths in the unit system named once per
// problem (docs/project-files.md, docs/schema/korvan-project.schema.json).
// Either converts to the other without loss, and a project is checked by
// the same reader as an input data file: its diagnostics name the JSON path
// of the value at fault.
//
// Engine::run and Engine::run_text take a project where the input's name
// ends in ".json".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "korvan/engine.h"

namespace korvan {

// A converted text, or the diagnostic that refused the conversion.
struct Conversion {
  std::string text;  // the converted text; empty when refused
  // When refused: one line, "name:line: record: message" for an input data
  // file, "name: problems[0].wall.increments: message" for a project.
  std::string message;
  std::vector<Diagnostic> diagnostics;  // empty when converted
  bool ok() const { return diagnostics.empty(); }
};

// The text of an input data file to a project (JSON text, two-space
// indentation, numbers in their shortest exact form). Every problem of the
// file is read and checked as a run reads it; `name` names the input in
// diagnostics.
Conversion data_to_project(std::string_view data,
                           std::string_view name = "input.dat");

// A project (JSON text) to the text of an input data file, checked as a run
// reads it. Diagnostics carry the JSON path of the value at fault
// (Diagnostic::path).
Conversion project_to_data(std::string_view project,
                           std::string_view name = "model.json");

// The faults of a project, each with its JSON path: every value of the
// wrong kind, or (when the values are all of their kinds) the first fault
// the reader finds, as a run would stop on it. Empty when a run would read
// the whole project.
std::vector<Diagnostic> validate_project(std::string_view project,
                                         std::string_view name = "model.json");

// True when `name` names a project file (it ends in ".json", in any case).
bool is_project_name(std::string_view name);

}  // namespace korvan
