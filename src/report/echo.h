// The echo of the input data in the report, group by group. Each function
// prints what one record (or the heading of one group) shows; the run driver
// calls them as the records are read, so that a run stopped by bad input
// shows the echo up to the faulty record.
#pragma once

#include "model/problem.h"
#include "model/units.h"
#include "report/record_writer.h"

namespace korvan::report {

using engine::UnitLabels;

void echo_control(RecordWriter& out, const engine::ControlRecord& control);
void echo_wall_geometry(RecordWriter& out, const engine::WallGeometry& g,
                        engine::UnitSystem units, const UnitLabels& labels);
// The iteration limit of a caller that lowers the input's own, after the
// wall-geometry echo.
void echo_caller_iteration_limit(RecordWriter& out, int limit);

void echo_conditions_heading(RecordWriter& out, const UnitLabels& labels);
void echo_condition(RecordWriter& out, const engine::SpecifiedCondition& c);

void echo_wall_sections_heading(RecordWriter& out, const UnitLabels& labels);
void echo_wall_section(RecordWriter& out, int number,
                       const engine::WallSection& s);

// The stiffness-and-load table also lists the lateral and rotational
// restraints. A row shows the first station when the entry opens a range
// (alone or as the first of a pair) and the last station when it closes
// one; `previous_contd` is the flag of the entry before it (0 for the
// first).
void echo_loads_heading(RecordWriter& out, const UnitLabels& labels);
void echo_load_entry(RecordWriter& out, const engine::LoadEntry& e,
                     int previous_contd);
void echo_restraint(RecordWriter& out, const engine::RestraintEntry& e,
                    int previous_contd);

void echo_tie_backs_heading(RecordWriter& out, const UnitLabels& labels);
void echo_struts_heading(RecordWriter& out, const UnitLabels& labels);
void echo_anchor(RecordWriter& out, const engine::Anchor& a, bool prestressed);
void echo_wales(RecordWriter& out, int wale_continuity);

// Cross sections: the group heading once, then one block per section.
void echo_cross_sections_heading(RecordWriter& out);
void echo_cross_section(RecordWriter& out, int number,
                        const engine::CrossSection& c,
                        const UnitLabels& labels);

// Moment-curvature sets: user-defined nonlinear EI (group heading once),
// and the tables of the cross sections (heading per section).
void echo_ei_sets_heading(RecordWriter& out);
void echo_moment_curvature_heading(RecordWriter& out);
void echo_thrust_level(RecordWriter& out, int number,
                       const engine::ThrustLevel& level,
                       const UnitLabels& labels);

void echo_specified_pressure_heading(RecordWriter& out,
                                     const UnitLabels& labels);
void echo_pressure_point(RecordWriter& out, const engine::PressurePoint& p);

void echo_user_curves_heading(RecordWriter& out);
void echo_user_curve(RecordWriter& out, const engine::UserPyCurve& c,
                     const UnitLabels& labels);
// The plot-data file's copy of a user curve: the number of points, then
// per point y times the y-multiplier and p times the p-multiplier.
void plot_user_curve(RecordWriter& plot, const engine::UserPyCurve& c);

}  // namespace korvan::report
