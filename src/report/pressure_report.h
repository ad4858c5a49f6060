// The report blocks of generated earth pressure: wall, surcharge and soil
// information, overburden stress, coefficients, active and water
// resultants, the option message and the distribution table, and the
// distribution's scratch file and plot-data records.
#pragma once

#include <ostream>
#include <vector>

#include "model/problem.h"
#include "model/units.h"
#include "pressure/earth_pressure.h"
#include "report/record_writer.h"

namespace korvan::report {

void write_wall_information(RecordWriter& out, const engine::Problem& problem,
                            const pressure::Profile& p,
                            const engine::UnitLabels& l);
void write_surcharge_information(RecordWriter& out,
                                 const engine::Problem& problem,
                                 const pressure::Profile& p,
                                 const engine::UnitLabels& l);
void write_soil_information(RecordWriter& out, const pressure::Profile& p);

// The coefficient table carries the sand-slope warnings, which go to the
// iteration log as well.
void write_overburden_table(RecordWriter& out, const pressure::Profile& p,
                            const engine::UnitLabels& l);
void write_coefficient_table(RecordWriter& out, RecordWriter& log,
                             const pressure::Profile& p);
void write_resultant_tables(RecordWriter& out, const pressure::Profile& p,
                            const engine::UnitLabels& l);
void write_net_negative(RecordWriter& out);

// The soil profile ends above the toe of the wall: where it ends and by how
// much (both in the internal length unit; shown in feet or metres), and what
// the stations below it lack: generated earth pressure (`pressure`),
// generated p-y curves (`curves`).
void write_short_profile_warning(RecordWriter& out, double profile_end,
                                 double shortfall, bool english, bool pressure,
                                 bool curves);
// The soil profile reaches the toe but ends above the bottom of the p-y
// model, two increments below the toe: where it ends and where the model
// ends (internal length unit; shown in feet or metres).
void write_profile_above_model_bottom_warning(RecordWriter& out,
                                              double profile_end,
                                              double model_bottom,
                                              bool english);

// The option message (and the clay warning when flagged), then the
// heading of the distribution table.
void write_option_message(RecordWriter& out, engine::EarthPressureOption option,
                          bool clay_warning);
void write_distribution_heading(RecordWriter& out, const engine::UnitLabels& l,
                                bool english);
// One row: depth (feet in English units) and column 2.
void write_distribution_row(RecordWriter& out, double depth, double value,
                            bool english);

// The plot-data records of a distribution: the option and the number of
// rows, then per shown row the depth, column 2 / h and columns 12, 7, 9,
// 11, 10, 8 and 13.
void plot_distribution(RecordWriter& plot, int option,
                       const std::vector<pressure::DistributionPoint>& pts,
                       const std::vector<size_t>& rows, double h);

}  // namespace korvan::report
