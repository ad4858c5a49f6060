// The soil data and p-y curve sections of the report and the warnings of
// the p-y generation.
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

}  // namespace korvan::report
