#include "wall/supports.h"

#include <cmath>

#include "model/constants.h"
#include "model/rounding.h"
#include "wall/solver.h"

namespace korvan::wall {

SupportTerms support_terms(const engine::Anchor& a, double width, bool english,
                           bool prestressed) {
  SupportTerms t;
  t.angle = to_radians(a.angle);
  const double c = std::cos(t.angle);
  // The anchor lengthens by u cos(t) for a horizontal movement u and its
  // force acts at t: the horizontal spring takes cos(t) twice.
  const double axial = a.area * a.modulus * c * c;
  const double along = from_feet(a.spacing, english);
  t.spring = axial / (from_feet(a.unbonded_length, english) * (along / width));
  t.force = -(width / along) * (prestressed ? a.prestress : 0.0) * c;
  return t;
}

int support_station(double depth, double increment_length, bool english) {
  return station_of_depth(from_feet(depth, english), increment_length);
}

std::vector<Support> supports_of(const engine::Problem& p) {
  const bool english = p.units() == engine::UnitSystem::kEnglish;
  const double width = p.geometry.wall_width;
  std::vector<Support> list;
  auto add = [&](const engine::Anchor& a, bool tie_back) {
    Support s;
    s.number = static_cast<int>(list.size()) + 1;
    s.tie_back = tie_back;
    s.input = &a;
    s.station = support_station(a.depth, p.geometry.increment_length, english);
    const SupportTerms t = support_terms(a, width, english, tie_back);
    s.angle = t.angle;
    s.spring = t.spring;
    s.force = t.force;
    list.push_back(s);
  };
  for (const engine::Anchor& a : p.tie_backs) add(a, true);
  for (const engine::Anchor& a : p.struts) add(a, false);
  return list;
}

void place_supports(const std::vector<Support>& supports, StationModel& m) {
  for (const Support& s : supports) {
    spread(m, m.spring, {s.station, s.station, s.spring, s.spring});
    spread(m, m.load, {s.station, s.station, s.force, s.force});
  }
}

std::vector<int> hinge_stations(const std::vector<Support>& supports) {
  std::vector<int> stations;
  bool first_tie_back = true;
  bool first_strut = true;
  for (const Support& s : supports) {
    bool& first = s.tie_back ? first_tie_back : first_strut;
    if (!first) stations.push_back(s.station);
    first = false;
  }
  return stations;
}

SupportForces support_forces(const Support& s, const engine::Problem& p,
                             const StationTable& w) {
  const bool english = p.units() == engine::UnitSystem::kEnglish;
  const double spacing = s.input->spacing;
  const double share = from_feet(spacing, english) / p.geometry.wall_width;
  SupportForces f;
  f.horizontal = s.force - s.spring * w[StationModel::index(s.station)];
  f.along = f.horizontal / std::cos(s.angle);
  f.per_support = f.along * share;
  f.wale_reaction = f.horizontal * share;
  f.wale_load = f.wale_reaction / spacing;
  f.wale_moment = p.control.wale_continuity == 1
                      ? 0.125 * f.wale_load * spacing * spacing
                      : f.wale_load * spacing * spacing / 10.0;
  return f;
}

SupportResults support_results(const engine::Problem& p,
                               const std::vector<Support>& supports,
                               const StationTable& w,
                               const std::vector<StationResult>& stations) {
  SupportResults r;
  for (const Support& s : supports) {
    r.supports.push_back({s, support_forces(s, p, w)});
  }
  r.restraints = restraint_forces(p, stations);
  return r;
}

std::vector<RestraintForce> restraint_forces(
    const engine::Problem& p, const std::vector<StationResult>& results) {
  std::vector<RestraintForce> out;
  std::vector<int> contd;
  for (const auto& e : p.restraints) contd.push_back(e.contd);
  const int n = p.geometry.increments;
  for (const EntryPair& pair : pair_entries(contd)) {
    const engine::RestraintEntry& a = p.restraints[pair.first];
    const engine::RestraintEntry& b = p.restraints[pair.last];
    for (int s = std::max(a.from, 0); s <= std::min(b.to, n); ++s) {
      const double f = b.to == a.from
                           ? 0.0
                           : (static_cast<double>(s) - a.from) /
                                 (static_cast<double>(b.to) - a.from);
      const double lateral = a.lateral + f * (b.lateral - a.lateral);
      const double rotational =
          a.rotational + f * (b.rotational - a.rotational);
      const StationResult& r = results[static_cast<size_t>(s)];
      out.push_back({s, lateral * r.deflection, rotational * r.slope});
    }
  }
  return out;
}

}  // namespace korvan::wall
