#include "wall/station_model.h"

#include <algorithm>

namespace korvan::wall {

void spread(StationModel& model, StationTable& table, const StationRange& r) {
  // Station arithmetic in 64 bits: a range may run from the lowest to the
  // highest 32-bit station number.
  const long long from = r.from;
  const long long to = r.to;
  auto value_at = [&](long long s) {
    if (to == from) return r.at_from;
    return r.at_from + static_cast<double>(s - from) /
                           static_cast<double>(to - from) *
                           (r.at_to - r.at_from);
  };
  auto add = [&](long long s, double v) {
    table[static_cast<size_t>(s + StationModel::kOffset)] += v;
  };
  if (to < from) return;
  // Only the stations of the tables are visited. A value left on the
  // stations outside them (the value varies linearly, so its ends tell)
  // is remembered, never written.
  const long long lowest = -StationModel::kOffset;
  const long long highest = model.increments + StationModel::kOffset;
  auto outside = [&](long long a, long long b) {
    if (a > b) return;
    if (value_at(a) != 0.0 || value_at(b) != 0.0) {
      model.data_outside_tables = true;
    }
  };
  outside(from, std::min(to, lowest - 1));
  outside(std::max(from, highest + 1), to);
  const long long first = std::max(from, lowest);
  const long long last = std::min(to, highest);
  for (long long s = first; s <= last; ++s) add(s, value_at(s));
  if (to > from) {
    if (from >= lowest && from <= highest) add(from, -0.5 * value_at(from));
    if (to >= lowest && to <= highest) add(to, -0.5 * value_at(to));
  }
}

std::vector<EntryPair> pair_entries(std::span<const int> contd) {
  std::vector<EntryPair> pairs;
  for (size_t i = 0; i < contd.size(); ++i) {
    const bool closes_pair = i > 0 && contd[i - 1] == 1;
    if (contd[i] == 1) {
      if (i + 1 < contd.size()) pairs.push_back({i, i + 1});
    } else if (!closes_pair) {
      pairs.push_back({i, i});
    }
  }
  return pairs;
}

namespace {

void place_conditions(StationModel& m,
                      const std::vector<engine::SpecifiedCondition>& list) {
  for (const auto& c : list) {
    auto set = [&m](int s, int code) {
      if (m.in_tables(s)) m.condition[StationModel::index(s)] = code;
    };
    if (c.kind() == engine::SpecifiedKind::kDeflection) {
      set(c.station, kDeflection);
    } else if (c.kind() == engine::SpecifiedKind::kSlope) {
      set(c.station - 1, kAboveSlope);
      set(c.station + 1, kBelowSlope);
    } else {
      set(c.station - 1, kAboveSlope);
      set(c.station, kDeflectionAndSlope);
      set(c.station + 1, kBelowSlope);
    }
  }
}

template <typename Entry, typename Apply>
void spread_entries(const std::vector<Entry>& entries, Apply apply) {
  std::vector<int> contd;
  for (const auto& e : entries) contd.push_back(e.contd);
  for (const auto& p : pair_entries(contd)) {
    apply(entries[p.first], entries[p.last]);
  }
}

}  // namespace

StationModel build_station_model(const engine::Problem& problem) {
  StationModel m;
  build_station_model(problem, m);
  return m;
}

void build_station_model(const engine::Problem& problem, StationModel& m) {
  // Cleared table by table: a temporary model would take 20 KB of stack.
  for (StationTable* t : {&m.flexural_rigidity, &m.load, &m.spring, &m.torque,
                          &m.rotational, &m.axial}) {
    t->fill(0.0);
  }
  m.data_outside_tables = false;
  m.increments = problem.geometry.increments;
  m.increment_length = problem.geometry.increment_length;
  m.condition.fill(kFree);
  place_conditions(m, problem.conditions);

  spread_entries(problem.loads,
                 [&m](const engine::LoadEntry& a, const engine::LoadEntry& b) {
                   spread(m, m.load, {a.from, b.to, a.load, b.load});
                   spread(m, m.torque, {a.from, b.to, a.torque, b.torque});
                   spread(m, m.axial, {a.from, b.to, -a.axial, -b.axial});
                 });
  spread_entries(problem.restraints, [&m](const engine::RestraintEntry& a,
                                          const engine::RestraintEntry& b) {
    spread(m, m.spring, {a.from, b.to, a.lateral, b.lateral});
    spread(m, m.rotational, {a.from, b.to, a.rotational, b.rotational});
  });
}

bool has_data_beyond_end(const StationModel& m) {
  if (m.data_outside_tables) return true;
  const StationTable* tables[] = {
      &m.flexural_rigidity, &m.load, &m.spring, &m.torque,
      &m.rotational,        &m.axial};
  for (const StationTable* t : tables) {
    for (int s : {-3, -2, -1}) {
      if ((*t)[StationModel::index(s)] != 0.0) return true;
    }
    for (int s = m.increments + 1; s <= m.increments + 3; ++s) {
      if ((*t)[StationModel::index(s)] != 0.0) return true;
    }
  }
  return false;
}

}  // namespace korvan::wall
