// The hand-off of a pressure distribution to the wall: widths, loads per
// station, and the rows the report shows.
#pragma once

#include <vector>

#include "pressure/earth_pressure.h"

namespace korvan::pressure {

// Multiplies every pressure column by the running width: WA down to the
// excavation line, WP from the first point below it on; column 2 becomes
// column 12 times the width.
void apply_widths(std::vector<DistributionPoint>& points, double wa,
                  double wp, double excavation);

// Multiplies column 2 by h: the load per station.
void to_station_loads(std::vector<DistributionPoint>& points, double h);

// The load on each station 0..N: stations 1 .. nint(zN/h) (and not below
// the toe) take column 2 interpolated linearly in depth between the two
// records around them (the first two above the second record's depth).
std::vector<double> station_loads(const std::vector<DistributionPoint>& points,
                                  double h, int increments);

// The rows the report and the plot-data file show: all of them up to 50,
// otherwise every sixth (English) or fourth (metric) from the first, and
// always the last. 0-based indices.
std::vector<size_t> shown_rows(size_t count, bool english);

}  // namespace korvan::pressure
