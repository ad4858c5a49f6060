// Project files: the wall model as JSON, both ways.
#include "korvan/project.h"

#include <algorithm>
#include <cctype>

namespace korvan {

namespace {
Conversion not_yet(std::string_view name) {
  Conversion c;
  Diagnostic d;
  d.file = std::string(name);
  d.message = "project files are not converted by this build";
  c.message = d.file + ": " + d.message;
  c.diagnostics.push_back(d);
  return c;
}
}  // namespace

Conversion data_to_project(std::string_view, std::string_view name) {
  return not_yet(name);
}
Conversion project_to_data(std::string_view, std::string_view name) {
  return not_yet(name);
}
std::vector<Diagnostic> validate_project(std::string_view,
                                         std::string_view name) {
  return not_yet(name).diagnostics;
}

bool is_project_name(std::string_view name) {
  constexpr std::string_view ext = ".json";
  if (name.size() < ext.size()) return false;
  return std::equal(ext.begin(), ext.end(), name.end() - ext.size(),
                    [](char a, char b) {
                      return a == std::tolower(static_cast<unsigned char>(b));
                    });
}

}  // namespace korvan
