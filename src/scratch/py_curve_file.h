// The p-y curve file: the scratch file through which generated p-y curves
// (with the user curves ahead of them) pass on their way to the wall. The
// writer and the parser stand side by side so that the layout is stated
// once; the wall sees the numbers as the file carries them.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "model/problem.h"
#include "py/generator.h"

namespace korvan::scratch {

// Writes the number of curves `count`, the user curves (header of station
// and number of points; point number, p, y with the curve's multipliers
// applied), then per generated curve its depth and 34, and its 34 points
// (excavation side, then backfill side, numbered 1 to 17 each).
void write_py_file(std::ostream& file,
                   const std::vector<engine::UserPyCurve>& user,
                   const std::vector<py::GeneratedCurve>& generated, int count);

// A user curve as read back: its station and its (y, p) points.
struct UserCurveRead {
  int station = 0;
  std::vector<std::pair<double, double>> points;
};

// A generated curve as read back: its depth below the top of the wall and
// its (y, p) points in file order (excavation side 1 to 17, then backfill
// side 1 to 17).
struct GeneratedCurveRead {
  double depth = 0.0;
  std::vector<std::pair<double, double>> points;
};

// The file as read back: the number of curves it declares and, when that
// is not zero, the curves themselves.
struct PyCurveFile {
  int count = 0;
  std::vector<UserCurveRead> user;
  std::vector<GeneratedCurveRead> generated;
};

// Reads a file written with `user_curves` user curves and
// `generated_curves` generated ones. A count over the capacity or negative
// throws InputError, as does a malformed record or a generated curve of
// other than 34 points; `file_name` names the
// file in messages. A count of zero reads no curve.
PyCurveFile read_py_file(std::istream& file, const std::string& file_name,
                         size_t user_curves, size_t generated_curves);

}  // namespace korvan::scratch
