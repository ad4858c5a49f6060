// The results of a solved problem: the iteration log, the results report
// and the plot-data records.
#pragma once

#include "model/problem.h"
#include "model/units.h"
#include "report/record_writer.h"
#include "wall/solver.h"
#include "wall/supports.h"
#include "wall/wall_model.h"

namespace korvan::report {

// The iteration log's heading, once per problem before its iterations; with
// an iteration limit of 0 it is followed by an empty record and 20 blanks.
void write_monitoring_header(RecordWriter& log, int max_iterations);
void write_iteration_line(RecordWriter& log, const wall::IterationRecord& r);

// The results report: iteration count, the outcome (also in the log),
// and, when the problem closed, the station table and node reactions.
// Restraint, tie-back, wale and strut results follow the station table,
// from the forces held with the solution.
void write_results(RecordWriter& report, RecordWriter& log,
                   const engine::Problem& problem, const wall::Solution& s,
                   const engine::UnitLabels& labels);

// The plot-data records of a problem: stage value, station count and unit
// flag, then stations 0..M-1, then the tie backs, their wales, the struts
// and their wales. A problem without results writes the single record
// 0, M, unit flag.
void write_plot_block(RecordWriter& plot, int stage_value,
                      const engine::Problem& problem,
                      const wall::WallModel* model, const wall::Solution* s);

}  // namespace korvan::report
