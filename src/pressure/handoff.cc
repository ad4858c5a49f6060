#include "pressure/handoff.h"

#include <cmath>

#include "model/constants.h"
#include "model/rounding.h"

namespace korvan::pressure {

using DP = DistributionPoint;

void apply_widths(std::vector<DistributionPoint>& points, double wa, double wp,
                  double excavation) {
  double width = wa;
  for (DistributionPoint& p : points) {
    if (p.col[DP::kDepth] > excavation) width = wp;
    for (int c = DP::kLoad; c <= DP::kColumns; ++c) p.col[c] *= width;
    p.col[DP::kLoad] = p.col[DP::kWallPressure];
  }
}

void to_station_loads(std::vector<DistributionPoint>& points, double h) {
  for (DistributionPoint& p : points) p.col[DP::kLoad] *= h;
}

double interpolate(const std::vector<DistributionPoint>& pts, double x,
                   int col) {
  if (pts.empty()) return 0.0;
  if (pts.size() == 1) return pts[0].col[col];
  size_t j = 1;
  while (j + 1 < pts.size() && pts[j].col[DP::kDepth] < x) ++j;
  const DistributionPoint& a = pts[j - 1];
  const DistributionPoint& b = pts[j];
  const double span = b.col[DP::kDepth] - a.col[DP::kDepth];
  const double f = span != 0.0 ? (x - a.col[DP::kDepth]) / span : 0.0;
  return a.col[col] + f * (b.col[col] - a.col[col]);
}

bool above_first_record(const std::vector<DistributionPoint>& pts, double x) {
  return !pts.empty() && x < pts.front().col[DP::kDepth] - kDepthTolerance;
}

std::vector<double> station_loads(const std::vector<DistributionPoint>& pts,
                                  double h, int increments) {
  std::vector<double> loads(static_cast<size_t>(increments) + 1, 0.0);
  if (pts.size() < 2) return loads;
  const int last = station_of_depth(pts.back().col[DP::kDepth], h) + 1;
  for (int s = 1; s < last && s <= increments; ++s) {
    if (above_first_record(pts, s * h)) continue;
    loads[static_cast<size_t>(s)] = interpolate(pts, s * h, DP::kLoad);
  }
  return loads;
}

std::vector<MovementCurve> movement_curves(
    const std::vector<DistributionPoint>& pts, double h, double excavation,
    int increments, bool english) {
  const double y = english ? 40.0 : 1.0;
  const double r = one_foot(english);
  const int excavation_station = station_of_depth(excavation, h);
  std::vector<MovementCurve> curves;
  for (int s = 0; s < excavation_station && s <= increments; ++s) {
    const double x = s * h;
    if (above_first_record(pts, x)) continue;
    const double passive = interpolate(pts, x, DP::kPassive);
    const double at_rest = interpolate(pts, x, DP::kAtRest);
    const double active = interpolate(pts, x, DP::kWallPressure);
    const double full_passive = 3.0 * r / 80.0;
    const double small = r / 10667.0;
    MovementCurve c;
    c.station = s;
    c.points = {{-y, passive},
                {-full_passive, passive},
                {-small, at_rest + (passive - at_rest) * small / full_passive},
                {0.0, at_rest},
                {r / 357.0, active},
                {y, active}};
    curves.push_back(std::move(c));
  }
  return curves;
}

std::vector<size_t> shown_rows(size_t count, bool english) {
  std::vector<size_t> rows;
  if (count <= 50) {
    for (size_t i = 0; i < count; ++i) rows.push_back(i);
    return rows;
  }
  const size_t step = english ? 6 : 4;
  for (size_t i = 0; i < count; i += step) rows.push_back(i);
  if (rows.back() != count - 1) rows.push_back(count - 1);
  return rows;
}

}  // namespace korvan::pressure
