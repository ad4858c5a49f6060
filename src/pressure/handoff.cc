#include "pressure/handoff.h"

#include <cmath>

namespace korvan::pressure {

void apply_widths(std::vector<DistributionPoint>& points, double wa,
                  double wp, double excavation) {
  double width = wa;
  for (DistributionPoint& p : points) {
    if (p.col[1] > excavation) width = wp;
    for (int c = 2; c <= 13; ++c) p.col[c] *= width;
    p.col[2] = p.col[12];
  }
}

void to_station_loads(std::vector<DistributionPoint>& points, double h) {
  for (DistributionPoint& p : points) p.col[2] *= h;
}

std::vector<double> station_loads(const std::vector<DistributionPoint>& pts,
                                  double h, int increments) {
  std::vector<double> loads(static_cast<size_t>(increments) + 1, 0.0);
  if (pts.size() < 2) return loads;
  const int last = static_cast<int>(std::round(pts.back().col[1] / h)) + 1;
  size_t j = 1;
  for (int s = 1; s < last && s <= increments; ++s) {
    const double x = s * h;
    while (j + 1 < pts.size() && pts[j].col[1] < x) ++j;
    const DistributionPoint& a = pts[j - 1];
    const DistributionPoint& b = pts[j];
    const double span = b.col[1] - a.col[1];
    const double f = span != 0.0 ? (x - a.col[1]) / span : 0.0;
    loads[static_cast<size_t>(s)] = a.col[2] + f * (b.col[2] - a.col[2]);
  }
  return loads;
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
