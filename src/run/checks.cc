// The checks of a problem before and during its analysis: data the wall
// model cannot take, and values beyond the range of the numbers, refused
// with the input that made them.
#include "run/run.h"

#include <cmath>
#include "model/constants.h"
#include "model/rounding.h"
#include "report/pressure_report.h"
#include "korvan/number_text.h"

namespace korvan::engine {

using DP = pressure::DistributionPoint;

namespace {

// The largest earth-pressure distribution (points of its depth grid).
constexpr long long kMaxDistributionPoints = 200000;

}  // namespace

// Names the first entry whose range leaves the wall with a non-zero value.
void Run::refuse_data_beyond_end() const {
  const int n = problem_.geometry.increments;
  int line = engine::kNoLine;
  std::string where;
  auto check = [&](const auto& entries, const char* record, auto nonzero) {
    std::vector<int> contd;
    for (const auto& e : entries) contd.push_back(e.contd);
    for (const wall::EntryPair& p : wall::pair_entries(contd)) {
      const auto& a = entries[p.first];
      const auto& b = entries[p.last];
      if ((a.from < 0 || b.to > n) && (nonzero(a) || nonzero(b))) {
        if (where.empty()) {
          line = a.line;
          where = record + (" " + std::to_string(p.first + 1));
        }
      }
    }
  };
  check(problem_.loads, "stiffness-and-load record",
        [](const engine::LoadEntry& e) {
          return e.load != 0.0 || e.torque != 0.0 || e.axial != 0.0;
        });
  check(problem_.restraints, "restraint record",
        [](const engine::RestraintEntry& e) {
          return e.lateral != 0.0 || e.rotational != 0.0;
        });
  throw InputError(StopKind::kNonZeroBeyondEnd, shown_input_, line, where,
                   "a non-zero stiffness or load stands beyond the "
                   "ends of the wall (stations 0 to " +
                       std::to_string(n) + ")");
}

void Run::check_before_analysis(const engine::Problem& p) {
  if (p.wall_sections.empty()) {
    throw InputError(StopKind::kInvalid, shown_input_, control_line_,
                     "control record, field 3 (number of wall sections)",
                     "the wall needs a wall section to have a flexural "
                     "rigidity");
  }
  if (p.geometry.section_adjustment > 0) {
    auto refuse = [&](const std::string& why) {
      throw InputError(StopKind::kInvalid, shown_input_, geometry_line_,
                       "wall-geometry record, field 11 "
                       "(section-adjustment flag)",
                       why);
    };
    if (!p.has_soil_profile || !(p.soil.wall.width_pressure > 0.0)) {
      refuse(
          "the adjustment needs the width for earth pressure of the "
          "earth-pressure wall record");
    }
    for (const engine::WallSection& w : p.wall_sections) {
      const engine::CrossSection& c =
          p.cross_sections[static_cast<size_t>(w.cross_section - 1)];
      if (!(c.equivalent_diameter() > 0.0)) {
        refuse("cross section " + std::to_string(w.cross_section) +
               " has no equivalent diameter to adjust by");
      }
    }
  }
}

// A soil profile that ends above the toe leaves the stations below it
// without generated earth pressure or p-y curves: a likely cause of a wall
// that does not close or deflects too far. The p-y generation takes the
// layers down to two increments below the toe, but curves below the toe
// act nowhere, so the toe is what the profile must reach; one that ends
// between the toe and the model bottom gets a milder warning.
void Run::warn_short_profile() {
  const engine::Problem& p = problem_;
  const bool pressure = p.control.generated_pressure();
  const bool curves = p.control.generated_py_curves();
  if (!p.has_soil_profile || p.soil.layers.empty() || !(pressure || curves)) {
    return;
  }
  const engine::SoilLayer& last = p.soil.layers.back();
  const double toe = p.geometry.increments * p.geometry.increment_length;
  const double shortfall = toe - last.bottom;
  const bool english = p.units() == engine::UnitSystem::kEnglish;
  const present::Units u = present::units_of(english);
  auto length = [&](double x) {
    const double shown = x * u.depth_factor;
    return std::isfinite(shown) ? present::number_text(shown) + " " + u.depth
                                : shortest(x) + " " + u.length;
  };
  // Generated curves take the layers down to two increments below the toe;
  // a profile that ends at the toe places the curve depths of its last
  // layer over a shorter span, which changes the curves near the toe.
  const double model_bottom = toe + 2.0 * p.geometry.increment_length;
  if (!(shortfall > kDepthTolerance)) {
    if (!curves || !(model_bottom - last.bottom > kDepthTolerance)) return;
    report::write_profile_above_model_bottom_warning(report_, last.bottom,
                                                     model_bottom, english);
    const std::string warning =
        "the soil profile ends at " + length(last.bottom) +
        ", above the bottom of the p-y model at " + length(model_bottom) +
        " (two increments below the toe)";
    problem_warnings_.push_back(warning);
    diagnose(shown_input_ + ":" + std::to_string(last.line) + ": soil layer " +
             std::to_string(p.soil.layers.size()) + ": warning: " + warning +
             ": the curve depths of the last layer follow its bottom; extend "
             "it to " +
             length(model_bottom));
    return;
  }
  report::write_short_profile_warning(report_, last.bottom, shortfall, english,
                                      pressure, curves);
  const std::string warning =
      "the soil profile ends " + length(shortfall) + " above the toe";
  problem_warnings_.push_back(warning);
  diagnose(shown_input_ + ":" + std::to_string(last.line) + ": soil layer " +
           std::to_string(p.soil.layers.size()) + ": warning: " + warning +
           " (at " + length(last.bottom) + ", the toe at " + length(toe) +
           "): the stations below it take no generated " +
           (pressure && curves ? "earth pressure and no p-y curves"
            : pressure         ? "earth pressure"
                               : "p-y curves"));
}

// Values beyond the range of the numbers in the soil data (a unit weight
// of 1e308) make earth pressures or p-y curves that are not numbers. They
// are refused where they are made, naming the input, before any report or
// scratch file holds them.
void Run::check_finite_pressures(const pressure::Profile& profile,
                                 bool computed) const {
  // The first quantity that is not a number, named as the report names it.
  std::string bad;
  auto check = [&bad](double v, const std::string& name) {
    if (bad.empty() && !std::isfinite(v)) bad = name;
  };
  check(profile.qeq, "the equivalent surface pressure");
  check(profile.q, "the surface pressure");
  check(profile.height, "the excavation depth");
  check(profile.wall_length, "the wall length");
  check(profile.href, "the reference height of the surcharges");
  for (size_t k = 0; k < profile.sub.size() && bad.empty(); ++k) {
    const pressure::Sublayer& s = profile.sub[k];
    const std::string of = " of sublayer " + std::to_string(k + 1);
    const std::pair<double, const char*> values[] = {
        {s.ztop, "top depth"},
        {s.t, "thickness"},
        {s.c, "strength"},
        {s.phi, "friction angle"},
        {s.kopt, "earth-pressure coefficient"},
        {s.gamma, "unit weight"},
        {s.sqrt_ka, "square root of Ka"},
        {s.ka, "coefficient Ka"},
        {s.ka_table, "coefficient Ka"},
        {s.sqrt_kp, "square root of Kp"},
        {s.kp, "coefficient Kp"},
        {s.k0, "coefficient K0"},
        {s.pa1, "active force PA1"},
        {s.z1, "depth of PA1"},
        {s.pa2, "active force PA2"},
        {s.z2, "depth of PA2"},
        {s.pa3, "active force PA3"},
        {s.z3, "depth of PA3"},
        {s.pa4, "active force PA4"},
        {s.zc, "depth of tension crack"},
        {s.pw1, "water force PW1"},
        {s.pw2, "water force PW2"}};
    for (const auto& [v, name] : values)
      check(v, std::string("the ") + name + of);
  }
  const std::pair<const std::vector<double>*, const char*> tables[] = {
      {&profile.ztop, "the depth"},
      {&profile.sigma_v, "the effective vertical stress"},
      {&profile.sigma_s, "the vertical stress of the surface pressures"}};
  for (const auto& [table, name] : tables) {
    for (size_t k = 0; k < table->size(); ++k) {
      check((*table)[k], std::string(name) + " at the top of sublayer " +
                             std::to_string(k + 1));
    }
  }
  // The distribution is made from the stresses and coefficients: once
  // these are numbers, its own values are checked.
  if (bad.empty() && computed) {
    for (const pressure::DistributionPoint& d :
         pressure::distribution(profile)) {
      for (int c = 1; c <= 13; ++c) {
        // The name is made only for a value that is not a number.
        if (bad.empty() && !std::isfinite(d.col[c])) {
          bad = "the earth pressure at depth " +
                (std::isfinite(d.col[DP::kDepth]) ? shortest(d.col[DP::kDepth])
                                                  : std::string("?"));
        }
      }
    }
  }
  if (!bad.empty()) {
    throw InputError(
        StopKind::kInvalid, shown_input_, problem_.soil.wall.line,
        "earth-pressure data",
        bad +
            " is beyond the range of the numbers: check the unit weights, "
            "strengths, friction angles and coefficients of the soil "
            "layers, the surface pressure, the slopes, the surcharges and "
            "the widths");
  }
}

// The station tables once the entries are spread over them: two loads of
// 1e308 on one station, a pair running from -1e308 to 1e308, or a rigidity
// whose reciprocal is not a number would leave the solution nothing but
// NaN. Named by the first record whose range holds the station.
void Run::check_finite_stations(const wall::StationModel& st,
                                const wall::RigidityModel& rigidity) const {
  const int n = st.increments;
  // The record whose range holds the station, and its line.
  auto holder = [&](const auto& entries, const char* record,
                    int station) -> std::pair<int, std::string> {
    std::vector<int> contd;
    for (const auto& e : entries) contd.push_back(e.contd);
    for (const wall::EntryPair& p : wall::pair_entries(contd)) {
      const auto& a = entries[p.first];
      if (station >= a.from && station <= entries[p.last].to) {
        return {a.line, record + (" " + std::to_string(p.first + 1))};
      }
    }
    return {engine::kNoLine, ""};
  };
  struct Table {
    const wall::StationTable& values;
    const char* quantity;
    bool restraint;
  };
  const Table tables[] = {{st.load, "transverse load", false},
                          {st.torque, "torque", false},
                          {st.axial, "axial load", false},
                          {st.spring, "transverse stiffness", true},
                          {st.rotational, "rotational stiffness", true}};
  for (int k = -3; k <= n + 3; ++k) {
    const size_t i = static_cast<size_t>(wall::StationModel::index(k));
    for (const Table& t : tables) {
      if (std::isfinite(t.values[i])) continue;
      auto [line, where] =
          t.restraint ? holder(problem_.restraints, "restraint record", k)
                      : holder(problem_.loads, "stiffness-and-load record", k);
      if (where.empty()) {
        where = t.restraint ? "tie-back and strut/raker records"
                            : "stiffness-and-load and earth-pressure data";
      }
      throw InputError(StopKind::kInvalid, shown_input_, line, where,
                       std::string("the ") + t.quantity + " at station " +
                           std::to_string(k) +
                           ", once the entries are added up over their "
                           "stations, is beyond the range of the numbers");
    }
  }
  // The rigidity of elastic sections (E times I): the solution divides by
  // it, so its reciprocal must be a number as well.
  for (size_t k = 0; k < rigidity.sections.size(); ++k) {
    const wall::SectionRigidity& r = rigidity.sections[k];
    if (r.nonlinear) continue;
    for (double f : {r.ei_top, r.ei_bottom}) {
      if (std::isfinite(f) && (f == 0.0 || std::isfinite(1.0 / f))) continue;
      throw InputError(StopKind::kInvalid, shown_input_, engine::kNoLine,
                       "wall section " + std::to_string(k + 1),
                       "the flexural rigidity " + shortest(f) +
                           " of its cross section is beyond the range of the "
                           "numbers: check its modulus and moment of inertia");
    }
  }
}

void Run::check_finite_curves(const py::Generation& g) const {
  for (const py::GeneratedCurve& c : g.curves) {
    for (const py::SideCurve* side : {&c.excavation, &c.backfill}) {
      bool ok = std::isfinite(c.depth);
      for (double v :
           {side->depth, side->width, side->strength, side->gamma, side->eps50,
            side->average_strength, side->k, side->phi_degrees, side->a,
            side->b, side->wedge, side->flow, side->modulus, side->krm,
            side->rqd, side->p_multiplier, side->y_multiplier,
            side->small_deflection_modulus.value_or(0.0)}) {
        ok = ok && std::isfinite(v);
      }
      for (const py::CurvePoint& pt : side->points) {
        ok = ok && std::isfinite(pt.y) && std::isfinite(pt.p);
      }
      if (!ok) {
        throw InputError(
            StopKind::kInvalid, shown_input_, engine::kNoLine,
            "soil layer data",
            "the p-y curve of soil type " + std::to_string(c.type) +
                " at depth " + shortest(c.depth) +
                " is beyond the range of the numbers: check the layer's "
                "unit weight, strength, friction angle, epsilon-50, k and "
                "the widths");
      }
    }
  }
}

// The distribution takes a point per inch or per 0.05 m of the profile: a
// profile kilometres deep is refused before its tables are made.
void Run::check_distribution_size(const pressure::Profile& profile) const {
  const engine::Problem& p = problem_;
  long long grid_points = 1;
  for (const pressure::Sublayer& s : profile.sub) {
    grid_points += pressure::grid_steps(s.t, profile.english);
  }
  if (grid_points > kMaxDistributionPoints) {
    throw InputError(StopKind::kInvalid, shown_input_,
                     p.soil.layers.empty() ? 0 : p.soil.layers.back().line,
                     "soil layer data",
                     "the soil profile needs " + std::to_string(grid_points) +
                         " distribution points, at most " +
                         std::to_string(kMaxDistributionPoints));
  }
}

// The widths and the weak-rock values the p-y generation needs.
void Run::check_py_input() const {
  const engine::Problem& p = problem_;
  if (!(p.soil.wall.width_resistance > 0.0) ||
      !(p.soil.wall.width_pressure > 0.0)) {
    throw InputError(StopKind::kInvalid, shown_input_, p.soil.wall.line,
                     "earth-pressure wall record, fields 2 and 3 (WA and WP)",
                     "the widths must be positive to generate p-y curves");
  }
  for (size_t i = 0; i < p.soil.layers.size(); ++i) {
    const engine::SoilLayer& l = p.soil.layers[i];
    if (l.model() == engine::SoilModel::kWeakRock &&
        !(l.at_top.epsilon50 > 0.0 && l.at_bottom.epsilon50 > 0.0 &&
          l.at_top.subgrade_modulus > 0.0)) {
      throw InputError(
          StopKind::kInvalid, shown_input_, l.line,
          "soil layer " + std::to_string(i + 1) + ", values records",
          "weak rock needs a positive "
          "krm (epsilon-50 column) and rock mass modulus "
          "(k column, top)");
    }
  }
}

}  // namespace korvan::engine
