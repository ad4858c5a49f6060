// The hand-off of a pressure distribution to the wall: widths, loads per
// station, and the rows the report shows.
#pragma once

#include <vector>

#include "pressure/earth_pressure.h"

namespace korvan::pressure {

// Multiplies every pressure column by the running width: WA down to the
// excavation line, WP from the first point below it on; column 2 becomes
// column 12 times the width.
void apply_widths(std::vector<DistributionPoint>& points, double wa, double wp,
                  double excavation);

// Multiplies column 2 by h: the load per station.
void to_station_loads(std::vector<DistributionPoint>& points, double h);

// The load on each station 0..N: stations 1 .. nint(zN/h) (and not below
// the toe) take column 2 interpolated linearly in depth between the two
// records around them. Stations above the first record take nothing: no
// soil, no load.
std::vector<double> station_loads(const std::vector<DistributionPoint>& points,
                                  double h, int increments);

// Whether depth x lies above the first record (by more than 1E-5).
bool above_first_record(const std::vector<DistributionPoint>& points, double x);

// Column `col` (a DistributionPoint column number) at depth x, interpolated
// linearly between the two records around x (the first two above the second
// record's depth).
double interpolate(const std::vector<DistributionPoint>& points, double x,
                   int col);

// Soil-movement curves (earth-pressure option 4) for the stations above
// the excavation line, in place of distribution loads. Each curve has six
// points at deflections -Y, -3R/80, -R/10667, 0, R/357 and Y (Y = 40 in or
// 1 m, R one foot): the at-rest pressure at rest, falling linearly to the
// active pressure at R/357 as the wall moves toward the excavation, rising
// linearly to the passive pressure at 3R/80 as it is pushed into the
// backfill, and constant beyond. p is a force per unit length of wall
// (pressure times width, columns 6, 12 and 5 of the distribution).
// Stations below the toe (the last station, N) and above the first
// record take no curve.
struct MovementCurve {
  int station = 0;
  std::vector<std::pair<double, double>> points;  // (y, p)
};
std::vector<MovementCurve> movement_curves(
    const std::vector<DistributionPoint>& points, double h, double excavation,
    int increments, bool english);

// The rows the report and the plot-data file show: all of them up to 50,
// otherwise every sixth (English) or fourth (metric) from the first, and
// always the last. 0-based indices.
std::vector<size_t> shown_rows(size_t count, bool english);

}  // namespace korvan::pressure
