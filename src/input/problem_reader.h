// Readers of the records of one problem, one function per record. Each
// reads its fields and makes the checks that belong to that record; the
// run driver calls them in file order and echoes what they return.
#pragma once

#include <string>

#include "model/problem.h"
#include "input/record_reader.h"

namespace korvan::engine {

// Station numbers of the input beyond plus or minus this many stations (the
// size of the station tables) are refused as they are read; those nearer
// but off the wall meet the check for data beyond its ends.
inline constexpr int kFarthestStation = kStationEntries;
// The longest list of integers one record of a cross section may hold.
inline constexpr int kMaxListLength = 1000;
// The most iterations a problem may ask for: far above any real need, it
// bounds the iteration log of a problem that does not close.
inline constexpr int kMaxIterations = 100000;
// The smallest closure tolerance, in the length unit of the problem.
inline constexpr double kMinTolerance = 1e-12;
// The longest wall (increments times increment length), in the length
// unit of the problem: some 80,000 ft or 1,000 km.
inline constexpr double kMaxWallLength = 1e6;
// The most load cycles of cyclic p-y curves.
inline constexpr double kMaxLoadCycles = 1e6;
// The largest magnitude of a user p-y point times its multipliers: far
// beyond any soil, and small enough for every sum and chart made of it.
inline constexpr double kMaxPyValue = 1e30;

ControlRecord read_control(RecordReader& in);

// Refuses an unusable unit system code.
void check_unit_system(const RecordReader& in, const ControlRecord& control,
                       int control_line);

WallGeometry read_wall_geometry(RecordReader& in);

// A count record of one integer. A negative count is refused.
int read_count(RecordReader& in, std::string record, std::string_view field);

// Checks the number of specified points before any point is read; the
// diagnostic names the control record at `control_line`.
void check_specified_count(const RecordReader& in, int count, int control_line);

// `previous` is the station of the preceding point, or nullptr for the
// first one.
SpecifiedCondition read_specified_condition(RecordReader& in, int number,
                                            const int* previous,
                                            int increments);
// The cross section named must be one of the problem's `sections`.
WallSection read_wall_section(RecordReader& in, int number, int sections);
LoadEntry read_load_entry(RecordReader& in, int number,
                          const LoadEntry* opening);
RestraintEntry read_restraint(RecordReader& in, int number,
                              const RestraintEntry* opening);
// A continued entry must have a successor.
void check_last_entry_closed(const RecordReader& in, int contd,
                             std::string_view what);
void check_support_count(const RecordReader& in, const ControlRecord& control,
                         int control_line);
// A tie back or strut must stand on the wall (stations 0..N), with a
// positive spacing and unbonded length, an angle below 90 degrees, and a
// positive wall width to share its force.
Anchor read_tie_back(RecordReader& in, int number, const WallGeometry& g,
                     UnitSystem units);
Anchor read_strut(RecordReader& in, int number, const WallGeometry& g,
                  UnitSystem units);

Wale read_wale(RecordReader& in, int number);

// One cross-section block (elastic or nonlinear records).
CrossSection read_cross_section(RecordReader& in, int number);
// The header of the user-defined nonlinear EI sets, then one set.
void read_ei_set_header(RecordReader& in);
ThrustLevel read_ei_set(RecordReader& in, int number);
// The moment-curvature block of a cross section.
std::vector<ThrustLevel> read_moment_curvature(RecordReader& in, int section);
// A nonlinear section needs a moment-curvature table (its first thrust
// level, or for a user-defined EI section without one, the first
// user-defined EI set) of 2 or more points whose curvatures increase from
// a second point above zero.
void check_nonlinear_table(const RecordReader& in, int section,
                           const CrossSection& c,
                           const std::vector<ThrustLevel>& ei_sets);
// The flag record and the rows of the p-y modification factors.
int read_py_factor_option(RecordReader& in);
PyFactor read_py_factor(RecordReader& in, int number);
// Earth-pressure data, form A: one depth and pressure.
PressurePoint read_pressure_point(RecordReader& in, int number);
// Earth-pressure data, form B, before the soil layers.
EarthPressureWall read_earth_pressure_wall(RecordReader& in);
SurfaceLoads read_surface_loads(RecordReader& in);
Surcharge read_surcharge(RecordReader& in, int number, UnitSystem units);
// The soil record; returns the number of layers after checking it.
int read_soil_record(RecordReader& in, SoilProfile& soil);
// `above` is the layer read before it (nullptr for the first): a layer
// must start where the one above it ends. A friction angle must lie from 0
// to below 90 degrees and, for a weak rock whose p-y curves are generated
// (`py_curves`), the rock quality designation from 0 to 100 %.
SoilLayer read_soil_layer(RecordReader& in, int number, const SoilLayer* above,
                          bool py_curves);
// The user-specified p-y curves: the count check with p-y option below 2,
// then one curve. A curve below the reference depth is continued.
void check_user_curve_count(const RecordReader& in, int count,
                            int control_line);
UserPyCurve read_user_curve(RecordReader& in, int number,
                            const WallGeometry& geometry);
// Every continued curve must pair with a following curve at another
// station, or close the pair of the curve before it; a lone continued curve
// would not act anywhere and is refused.
void check_user_curves_paired(const RecordReader& in,
                              const std::vector<UserPyCurve>& curves);

int read_continuation(RecordReader& in);

}  // namespace korvan::engine
