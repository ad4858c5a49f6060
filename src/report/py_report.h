// The soil data and p-y curve sections of the report, the p-y curve
// scratch file, and the warnings of the p-y generation.
#pragma once

#include <ostream>
#include <vector>

#include "model/problem.h"
#include "model/units.h"
#include "py/generator.h"
#include "report/record_writer.h"

namespace korvan::report {

void write_soil_data(RecordWriter& out, const py::PySoil& soil,
                     const engine::UnitLabels& labels);
void write_generated_curve(RecordWriter& out, const py::GeneratedCurve& c,
                           const py::PySoil& soil,
                           const engine::UnitLabels& labels);
// The warning block of a look-up beyond a profile, and the stop line.
void write_py_stop(RecordWriter& out, const py::PyStop& stop);

// The p-y curve file: the number of curves, the user curves (header of
// station and number of points; point number, p, y), then per generated
// curve its depth and 34, and its 34 points (excavation side, then
// backfill side, numbered 1 to 17 each).
void write_py_file(std::ostream& file,
                   const std::vector<engine::UserPyCurve>& user,
                   const std::vector<py::GeneratedCurve>& generated,
                   int count);

}  // namespace korvan::report
