// Readers of the records of one problem, one function per record. Each
// reads its fields and makes the checks that belong to that record; the
// run driver calls them in file order and echoes what they return.
#pragma once

#include <string>

#include "engine/problem.h"
#include "engine/record_reader.h"

namespace korvan::engine {

ControlRecord read_control(RecordReader& in);

// Refuses an unusable unit system code.
void check_unit_system(const RecordReader& in, const ControlRecord& control,
                       int control_line);

WallGeometry read_wall_geometry(RecordReader& in);

// A count record of one integer. A negative count is refused.
int read_count(RecordReader& in, std::string record, std::string_view field);

// Checks the number of specified points before any point is read; the
// diagnostic names the control record at `control_line`.
void check_specified_count(const RecordReader& in, int count,
                           int control_line);

// `previous` is the station of the preceding point, or nullptr for the
// first one.
SpecifiedCondition read_specified_condition(RecordReader& in, int number,
                                            const int* previous,
                                            int increments);
WallSection read_wall_section(RecordReader& in, int number);
LoadEntry read_load_entry(RecordReader& in, int number,
                          const LoadEntry* opening);
RestraintEntry read_restraint(RecordReader& in, int number,
                              const RestraintEntry* opening);
// A continued entry must have a successor.
void check_last_entry_closed(const RecordReader& in, int contd,
                             std::string_view what);
void check_support_count(const RecordReader& in, const ControlRecord& control,
                         int control_line);
Anchor read_tie_back(RecordReader& in, int number);
Anchor read_strut(RecordReader& in, int number);

Wale read_wale(RecordReader& in, int number);

int read_continuation(RecordReader& in);

}  // namespace korvan::engine
