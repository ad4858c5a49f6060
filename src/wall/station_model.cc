#include "wall/station_model.h"

namespace korvan::wall {

void spread(StationModel& model, StationTable& table, const StationRange& r) {
  auto value_at = [&r](int s) {
    if (r.to == r.from) return r.at_from;
    return r.at_from + static_cast<double>(s - r.from) /
                           static_cast<double>(r.to - r.from) *
                           (r.at_to - r.at_from);
  };
  auto add = [&](int s, double v) {
    if (model.in_tables(s)) {
      table[StationModel::index(s)] += v;
    } else if (v != 0.0) {
      model.data_outside_tables = true;
    }
  };
  for (int s = r.from; s <= r.to; ++s) add(s, value_at(s));
  if (r.to > r.from) {
    add(r.from, -0.5 * value_at(r.from));
    add(r.to, -0.5 * value_at(r.to));
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
    if (c.case_code <= 1) {
      set(c.station, kDeflection);
    } else if (c.case_code == 2) {
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

  spread_entries(problem.loads, [&m](const engine::LoadEntry& a,
                                     const engine::LoadEntry& b) {
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
  const StationTable* tables[] = {&m.flexural_rigidity, &m.load, &m.spring,
                                  &m.torque, &m.rotational, &m.axial};
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
