#include "wall/solver.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>
#include <memory>

namespace korvan::wall {
namespace {

constexpr int at(int station) { return StationModel::index(station); }

// A p-y curve linearised at a deflection: spring s and load q of the
// segment in use, so that the soil force is q - s*y, and that force p.
struct Linearised {
  double s = 0.0;
  double q = 0.0;
  double p = 0.0;
};

// Whether a curve's deflections never decrease from point to point: its
// segments can then be found by bisection or from a nearby segment.
bool ascending(const std::vector<std::pair<double, double>>& pts) {
  for (size_t i = 1; i < pts.size(); ++i) {
    if (!(pts[i - 1].first <= pts[i].first)) return false;
  }
  return true;
}

// The first of points lo to hi-1 of an ascending table not below y, else
// hi: bisection without branches over the hi-lo+1 possible answers.
size_t bisect(const std::vector<std::pair<double, double>>& pts, double y,
              size_t lo, size_t hi) {
  const std::pair<double, double>* base = pts.data() + lo;
  size_t n = hi - lo + 1;
  while (n > 1) {
    const size_t half = n / 2;
    base = base[half - 1].first < y ? base + half : base;
    n -= half;
  }
  return static_cast<size_t>(base - pts.data());
}

}  // namespace

size_t curve_segment(const std::vector<std::pair<double, double>>& pts,
                     double y, bool sorted, size_t hint) {
  if (pts.size() <= 2) return 1;
  const size_t last = pts.size() - 1;
  if (!sorted) {
    size_t j = 1;
    while (j < last && y > pts[j].first) ++j;
    return j;
  }
  if (hint < 1 || hint > last) return bisect(pts, y, 1, last);
  // The answer is the j with point j-1 below y (or j = 1) and point j not
  // below it (or j = size-1): the hint, a neighbour of it, or else found
  // by bisection on the side of the hint where it lies.
  const size_t j = hint;
  if (j < last && pts[j].first < y) {
    if (j + 1 == last || !(pts[j + 1].first < y)) return j + 1;
    return bisect(pts, y, j + 2, last);
  }
  if (j > 1 && !(pts[j - 1].first < y)) {
    if (j - 1 == 1 || pts[j - 2].first < y) return j - 1;
    return bisect(pts, y, 1, j - 2);
  }
  return j;
}

namespace {

// The segment of one curve in use at one station, kept from one iteration
// to the next: the deflections at a station change little, so that the
// segment found last is most often the one in use again. It is in use for
// lower < y <= upper (both not a number until a segment is found, and for
// a curve whose deflections are not ascending, which is searched afresh).
struct SegmentInUse {
  double lower = std::numeric_limits<double>::quiet_NaN();
  double upper = std::numeric_limits<double>::quiet_NaN();
  double s = 0.0;  // spring and load of the segment, as linearised
  double q = 0.0;
  double y0 = 0.0;  // its first point
  double p0 = 0.0;
  size_t j = 0;       // its second point, 0 before the first search
  bool flat = false;  // no change of deflection: no spring, no force
};

// Finds the segment of `pts` in use at y and makes it `e`.
void find_segment(const std::vector<std::pair<double, double>>& pts,
                  bool sorted, double y, SegmentInUse& e) {
  const size_t j = curve_segment(pts, y, sorted, e.j);
  const size_t last = pts.size() - 1;
  const auto [y0, p0] = pts[j - 1];
  const auto [y1, p1] = pts[j];
  const double dy = y1 - y0;
  e.j = j;
  e.y0 = y0;
  e.p0 = p0;
  e.flat = dy == 0.0;
  if (!e.flat) {
    e.s = -(p1 - p0) / dy;
    e.q = p0 + e.s * y0;
  }
  constexpr double inf = std::numeric_limits<double>::infinity();
  if (pts.size() <= 2) {
    e.lower = -inf;
    e.upper = inf;
  } else if (sorted) {
    e.lower = j == 1 ? -inf : y0;
    e.upper = j == last ? inf : y1;
  }
}

// The curve linearised at deflection y, `e` its segment in use at the
// station: spring s and load q of the segment, and the soil force on it.
inline Linearised linearise(const std::vector<std::pair<double, double>>& pts,
                            bool sorted, double y, SegmentInUse& e) {
  if (!(e.lower < y && !(e.upper < y))) find_segment(pts, sorted, y, e);
  if (e.flat) return {};
  return {e.s, e.q, e.p0 - (y - e.y0) * e.s};
}

// The curves of one solve: per curve record whether its deflections are
// ascending, and per range the segments in use at its stations (curve a
// and curve b of the range at each station, from its first on).
struct CurveState {
  std::vector<char> sorted;
  std::vector<size_t> first_slot;  // per range
  std::vector<SegmentInUse> slots;

  CurveState(const WallModel& m, const std::vector<CurveRange>& ranges) {
    for (const CurveRecord& c : m.curves) sorted.push_back(ascending(c.points));
    const int n = m.stations.increments;
    size_t count = 0;
    for (const CurveRange& r : ranges) {
      first_slot.push_back(count);
      const int from = m.curves[r.first].from;
      const int to = m.curves[r.last].to;
      const int stations =
          to > from ? std::max(0, std::min(to, n) - from + 1) : 1;
      count += 2 * static_cast<size_t>(stations);
    }
    slots.resize(count);
  }
};

// Adds the soil springs and loads of every curve range at the deflections
// w: per-length values times h on the working tables, with the end-station
// half weights, and the soil reaction per unit length at each station.
//
// The soil reaction sums every curve acting at a station. A range end where
// the next range of the same chain begins takes half of the curve's force
// from each of the two ranges (together the curve's full force, as in the
// springs); any other range end reports the full force of its curve, not
// the half weight that the end station's spring carries.
//
// The iterations need the springs and loads alone (kReaction false); the
// soil reaction is summed for the results.
template <bool kReaction>
void apply_curves(const WallModel& m, const std::vector<CurveRange>& ranges,
                  CurveState& state, const StationTable& w, StationTable& qw,
                  StationTable& sw, StationTable& sr) {
  const int n = m.stations.increments;
  const double h = m.stations.increment_length;
  for (size_t ri = 0; ri < ranges.size(); ++ri) {
    const CurveRange& r = ranges[ri];
    const CurveRecord& a = m.curves[r.first];
    const CurveRecord& b = m.curves[r.last];
    const bool a_sorted = state.sorted[r.first];
    const bool b_sorted = state.sorted[r.last];
    SegmentInUse* slots = state.slots.data() + state.first_slot[ri];
    const int from = a.from;
    const int to = b.to;
    auto at_station = [&](int k) {
      SegmentInUse* slot = slots + 2 * static_cast<size_t>(k - from);
      const Linearised la = linearise(a.points, a_sorted, w[at(k)], slot[0]);
      if (to == from) return la;
      const Linearised lb = linearise(b.points, b_sorted, w[at(k)], slot[1]);
      // Over one increment the fraction is 0 or 1 as the division gives it.
      const double f = to - from == 1 ? static_cast<double>(k - from)
                                      : static_cast<double>(k - from) /
                                            static_cast<double>(to - from);
      return Linearised{la.s + f * (lb.s - la.s), la.q + f * (lb.q - la.q),
                        la.p + f * (lb.p - la.p)};
    };
    auto add = [&](int k, double weight, const Linearised& l) {
      qw[at(k)] += weight * l.q * h;
      sw[at(k)] += weight * l.s * h;
    };
    if (to > from) {
      if (from >= n) continue;
      const int last = std::min(to, n);
      // A chained range continues the previous one from its own first
      // station; the next one continues it from its last station unless
      // that lies at or beyond the toe (then the next range is not applied).
      const bool joins_previous = ri > 0 && ranges[ri - 1].last == r.first;
      const bool joins_next =
          ri + 1 < ranges.size() && ranges[ri + 1].first == r.last && to < n;
      // The end stations' values are kept for their half weights.
      Linearised first_l, last_l;
      for (int k = from; k <= last; ++k) {
        const Linearised l = at_station(k);
        if (k == from) first_l = l;
        if (k == last) last_l = l;
        add(k, 1.0, l);
        const bool shared =
            (k == from && joins_previous) || (k == last && joins_next);
        if constexpr (kReaction) sr[at(k)] += shared ? 0.5 * l.p : l.p;
      }
      // A range cut at the toe keeps the half weights of its two end
      // stations like any other range.
      add(from, -0.5, first_l);
      add(last, -0.5, last_l);
    } else {
      if (from > n) continue;
      const Linearised l = at_station(from);
      add(from, 1.0, l);
      if constexpr (kReaction) sr[at(from)] += l.p;
    }
  }
}

// The work tables of one solution.
struct Workspace {
  Workspace() = default;
  Workspace(const Workspace&) = delete;  // the history points into it
  Workspace& operator=(const Workspace&) = delete;

  StationTable f{};               // EI in use
  StationTable qw{}, sw{}, sr{};  // working loads, springs, soil reaction
  StationTable ca{}, cb{}, cc{};  // recursion coefficients A, B, C
  // Parts of the five-term coefficients that depend on F, R, P and T only.
  StationTable ka{}, kb{}, kc_f{}, kc_rp{}, kd{}, ke{}, kt{};
  // Deflections 1, 2 and 3 iterations back: three tables whose roles
  // rotate, so that moving the history on copies one table, not three.
  StationTable history[3]{};
  StationTable* w1 = &history[0];
  StationTable* w2 = &history[1];
  StationTable* w3 = &history[2];
  StationTable moment{};
  std::optional<CurveState> curves;
  bool stale = true;    // F changed since the coefficient parts were made
  int relaxations = 0;  // relaxations of an alternating solution so far
};

// The soil reaction per unit length at each station for the deflections w
// (the working loads and springs are scratch).
void soil_reaction(const WallModel& m, const std::vector<CurveRange>& ranges,
                   const StationTable& w, Workspace& work) {
  work.qw.fill(0.0);
  work.sw.fill(0.0);
  work.sr.fill(0.0);
  apply_curves<true>(m, ranges, *work.curves, w, work.qw, work.sw, work.sr);
}

// Moment and shear at the ends as statics gives them.
//
// The fictitious stations beyond an end carry no rigidity, so the moment
// there is zero and the equations make the end station's moment the mean of
// the moment just inside the wall and that zero: the moment inside is twice
// the end station's value. At a free end that is zero (or the couples acting
// there); at an end with a specified slope the equation of the fictitious
// station is replaced by its sum with the equation of the station inside,
// M(N-2) - 2 M(N-1) + 2 M(N) = h r(N-1), while station N-1 itself needs
// M(N-2) - 2 M(N-1) + M* = h r(N-1): again M* = 2 M(N), the full clamp
// moment. The shears beside the ends are the central differences with M*,
// whose couples at the end stations then need no correction; the head keeps
// its one-sided shear, and a toe without a specified deflection has nothing
// below it to carry a shear: zero.
void correct_end_values(const StationTable& moment,
                        const std::vector<Couple>& couples, int n, double h,
                        bool toe_supported,
                        std::vector<StationResult>& stations) {
  std::vector<double> full(static_cast<size_t>(n + 1));
  for (int k = 0; k <= n; ++k) full[static_cast<size_t>(k)] = moment[at(k)];
  full[0] = 2.0 * moment[at(0)];
  full[static_cast<size_t>(n)] = 2.0 * moment[at(n)];
  auto m_at = [&](int k) { return full[static_cast<size_t>(k)]; };
  for (int k = 0; k <= n; ++k) {
    StationResult& out = stations[static_cast<size_t>(k)];
    out.corrected_moment = m_at(k);
    out.corrected_shear = out.shear;
  }
  // Couple corrections at a station k of the shear from the moments at
  // k - 1 and k + 1; a couple at an end station is inside M* already.
  auto couple_part = [&](int k) {
    double v = 0.0;
    for (const Couple& c : couples) {
      if (c.station == 0 || c.station == n) continue;
      if (c.station == k) v += c.force;
      if (c.station == k - 1 || c.station == k + 1) v += 0.5 * c.force;
    }
    return v;
  };
  bool head_couple = false;
  for (const Couple& c : couples) head_couple = head_couple || c.station == 0;
  if (!head_couple && n >= 1) {
    stations[0].corrected_shear += -(m_at(0) - moment[at(0)]) / h;
  }
  for (int k = 1; k < n; ++k) {
    if (k != 1 && k != n - 1) continue;
    stations[static_cast<size_t>(k)].corrected_shear =
        (m_at(k + 1) - m_at(k - 1)) / (2.0 * h) - couple_part(k);
  }
  StationResult& last = stations[static_cast<size_t>(n)];
  last.corrected_shear =
      toe_supported ? (m_at(n) - m_at(n - 1)) / h - couple_part(n) : 0.0;
}

// The step length and its powers, computed once so that every step of the
// solution multiplies by the same values.
struct Grid {
  int n = 0;
  double h = 0.0, h2 = 0.0, h3 = 0.0;
  double two_h = 0.0, half_h2 = 0.0, quarter_h = 0.0;
};

Grid grid_of(const StationModel& st) {
  Grid g;
  g.n = st.increments;
  g.h = st.increment_length;
  g.h2 = g.h * g.h;
  g.h3 = g.h2 * g.h;
  g.two_h = 2.0 * g.h;
  g.half_h2 = 0.5 * g.h2;
  g.quarter_h = 0.25 * g.h;
  return g;
}

// The coefficients per station at the deflections w: working loads and
// springs (the tables plus the linearised curves), the soil reaction, and
// the parts of the five-term coefficients that depend on F, R, P and T
// only, made again only when F has changed (the sums keep their order).
void assemble(const WallModel& m, const std::vector<CurveRange>& ranges,
              const Grid& g, const StationTable& w, Workspace& work) {
  const StationModel& st = m.stations;
  const int n = g.n;
  for (int k = -1; k <= n + 1; ++k) {
    work.qw[at(k)] = st.load[at(k)];
    work.sw[at(k)] = st.spring[at(k)];
  }
  apply_curves<false>(m, ranges, *work.curves, w, work.qw, work.sw, work.sr);
  if (!work.stale) return;

  const StationTable& f = work.f;
  const StationTable& t = st.torque;
  const StationTable& r = st.rotational;
  const StationTable& p = st.axial;
  const double h = g.h;
  const double quarter_h = g.quarter_h;
  for (int k = -1; k <= n + 1; ++k) {
    const int i = at(k);
    work.ka[i] = f[i - 1] - quarter_h * (r[i - 1] + h * p[i - 1]);
    work.kb[i] = -2.0 * (f[i - 1] + f[i]);
    work.kc_f[i] = f[i - 1] + 4.0 * f[i] + f[i + 1];
    work.kc_rp[i] =
        quarter_h * (r[i - 1] + r[i + 1] + h * (p[i - 1] + p[i + 1]));
    work.kd[i] = -2.0 * (f[i] + f[i + 1]);
    work.ke[i] = f[i + 1] - quarter_h * (r[i + 1] + h * p[i + 1]);
    work.kt[i] = g.half_h2 * (t[i - 1] - t[i + 1]);
  }
  work.stale = false;
}

// Forward recursion over the five-term equations: the coefficients A, B
// and C of w(k) = A w(k+1) + B w(k+2) + C, with the conditions of each
// station (specified deflection, or slope across a pair of stations).
void forward_recursion(const WallModel& m, const Grid& g, Workspace& work) {
  const StationModel& st = m.stations;
  const double h3 = g.h3;
  const double two_h = g.two_h;
  StationTable &ca = work.ca, &cb = work.cb, &cc = work.cc;
  double sa = 0.0, sb = 0.0, sc = 0.0, sd = 0.0;  // saved above a slope
  for (int k = -1; k <= g.n + 1; ++k) {
    const int i = at(k);
    const double ak = work.ka[i];
    const double bk = work.kb[i];
    const double ck = work.kc_f[i] + h3 * work.sw[i] + work.kc_rp[i];
    const double dk = work.kd[i];
    const double ek = work.ke[i];
    const double fk = h3 * work.qw[i] - work.kt[i];
    const double bp = bk + ak * ca[i - 2];
    const double e = ck + bp * ca[i - 1] + ak * cb[i - 2];
    const double d = e == 0.0 ? 0.0 : -1.0 / e;
    ca[i] = d * (dk + bp * cb[i - 1]);
    cb[i] = d * ek;
    cc[i] = d * (bp * cc[i - 1] + ak * cc[i - 2] - fk);
    const int entry = m.condition_entry[i];
    switch (st.condition[i]) {
      case kDeflection:
      case kDeflectionAndSlope:
        ca[i] = cb[i] = 0.0;
        cc[i] = m.conditions[entry].deflection;
        break;
      case kAboveSlope:
        sa = ca[i];
        sb = cb[i];
        sc = cc[i];
        sd = d;
        ca[i] = 0.0;
        cb[i] = 1.0;
        cc[i] = -two_h * m.conditions[entry].slope;
        break;
      case kBelowSlope: {
        // Closes the slope condition with the values saved above it; a
        // zero pivot there contributes nothing.
        const double ratio = sd != 0.0 ? d / sd : 0.0;
        const double gain = 1.0 / (1.0 - ((sb - 1.0) + ca[i - 1] * sa) * ratio);
        ca[i] = (ca[i] + cb[i - 1] * sa * ratio) * gain;
        cb[i] = cb[i] * gain;
        cc[i] =
            (cc[i] + (two_h * m.conditions[entry].slope + sc + cc[i - 1] * sa) *
                         ratio) *
            gain;
        break;
      }
      default:
        break;
    }
  }
}

// What back-substitution measured: the largest deflection change at
// stations 0..N, the stations whose change exceeds the tolerance and those
// beyond the allowable deflection.
struct Sweep {
  double max_change = 0.0;
  int open = 0;
  int over = 0;
  bool finite = true;  // every deflection, the fictitious stations' too
};

// Back-substitution from the bottom into w, measuring the changes.
Sweep back_substitute(const WallModel& m, const Grid& g, const Workspace& work,
                      StationTable& w) {
  Sweep sweep;
  for (int k = g.n + 1; k >= -1; --k) {
    const int i = at(k);
    const double value =
        work.ca[i] * w[i + 1] + work.cb[i] * w[i + 2] + work.cc[i];
    if (k >= 0 && k <= g.n) {
      const double change = std::fabs(value - w[i]);
      sweep.max_change = std::max(sweep.max_change, change);
      if (change > m.tolerance) ++sweep.open;
      if (std::fabs(value) > m.allowable_deflection) ++sweep.over;
    }
    sweep.finite &= std::isfinite(value);
    w[i] = value;
  }
  return sweep;
}

// How the iteration ended.
struct Ending {
  Outcome outcome = Outcome::kCompleted;
  int iterations = 0;     // as reported
  int stations_over = 0;  // beyond the allowable deflection
};

// After iteration `it`: the ending when the deflections w close, exceed the
// allowable deflection or are not finite; otherwise relaxes a solution that
// alternates between two states and moves the history on. The iteration is
// handed to `on_iteration` unless the limit is 0 or w is not finite.
std::optional<Ending> close_or_relax(const WallModel& m, int it,
                                     const Sweep& sweep,
                                     const IterationSink& on_iteration,
                                     StationTable& w, Workspace& work) {
  const int n = m.stations.increments;
  // Loads or stiffnesses beyond the range of the numbers give infinite
  // or undefined deflections, which would also pass every closure test.
  if (!sweep.finite) return Ending{Outcome::kNotFinite, it};
  if (m.max_iterations == 0) return Ending{Outcome::kCompleted, 0};
  if (on_iteration) {
    on_iteration({it,
                  sweep.open,
                  sweep.max_change,
                  {w[at(0)], w[at(1)], w[at(2)], w[at(3)]}});
  }
  if (sweep.over > 0) {
    return Ending{Outcome::kDeflectionExceeded, it, sweep.over};
  }
  const StationTable &w1 = *work.w1, &w2 = *work.w2, &w3 = *work.w3;
  auto all_within = [&](const StationTable& x, const StationTable& y) {
    for (int k = 0; k <= n; ++k) {
      if (std::fabs(x[at(k)] - y[at(k)]) > m.tolerance) return false;
    }
    return true;
  };
  if (it > 2 && all_within(w, w1)) return Ending{Outcome::kConverged, it};
  if (it > 40 && all_within(w, w3) && all_within(w1, w2)) {
    const double phi = relaxation_factor(work.relaxations);
    for (int k = 0; k <= n; ++k) {
      w[at(k)] = phi * w[at(k)] + (1.0 - phi) * w1[at(k)];
    }
    ++work.relaxations;
  }
  if (it >= 3) {
    // w3 takes w1, w2 takes w3 (from the fourth on), and the table let go
    // takes w.
    StationTable* freed = it >= 4 ? work.w2 : work.w3;
    if (it >= 4) work.w2 = work.w3;
    work.w3 = work.w1;
    work.w1 = freed;
  }
  *work.w1 = w;
  return std::nullopt;
}

// EI at the deflections w, and zero at the hinges; the coefficient parts
// are made again when F may have changed. Elastic sections give the same
// EI whatever the deflections.
void update_rigidity(const WallModel& m, bool varies, const StationTable& w,
                     Workspace& work) {
  StationTable& f = work.f;
  if (varies) {
    evaluate_rigidity(m.rigidity, w, true, f);
    work.stale = true;
  }
  for (int s : m.hinge_stations) {
    if (m.stations.in_tables(s) && f[at(s)] != 0.0) {
      f[at(s)] = 0.0;
      work.stale = true;
    }
  }
}

// Results: deflections extended to the outer fictitious stations, then
// slope, moment, shear and net force per station, and the end values as
// statics gives them.
void write_station_results(const WallModel& m,
                           const std::vector<CurveRange>& ranges, const Grid& g,
                           Workspace& work, Solution& sol) {
  const StationModel& st = m.stations;
  const int n = g.n;
  const double h = g.h;
  StationTable& w = sol.deflections;
  const StationTable& f = work.f;
  w[at(-2)] = 2.0 * w[at(-1)] - w[at(0)];
  w[at(n + 2)] = 2.0 * w[at(n + 1)] - w[at(n)];
  StationTable& moment = work.moment;
  for (int k = -1; k <= n + 1; ++k) {
    const int i = at(k);
    moment[i] = f[i] * (w[i - 1] - 2.0 * w[i] + w[i + 1]) / g.h2;
  }
  soil_reaction(m, ranges, w, work);
  sol.stations.resize(static_cast<size_t>(n + 1));
  for (int k = 0; k <= n; ++k) {
    const int i = at(k);
    StationResult& out = sol.stations[static_cast<size_t>(k)];
    out.depth = k * h;
    out.deflection = w[i];
    out.slope = (w[i + 1] - w[i - 1]) / g.two_h;
    out.moment = moment[i];
    out.shear = k == 0 ? (moment[i + 1] - moment[i]) / h
                       : (moment[i + 1] - moment[i - 1]) / g.two_h;
    out.net_force = (moment[i - 1] - 2.0 * moment[i] + moment[i + 1]) / h;
    out.soil_reaction = work.sr[i];
    out.rigidity = f[i];
    for (const Couple& c : m.couples) {
      if (c.station == k - 1) {
        out.net_force += c.force;
        out.shear -= 0.5 * c.force;
      } else if (c.station == k + 1) {
        out.net_force -= c.force;
        out.shear -= 0.5 * c.force;
      } else if (c.station == k) {
        out.shear -= c.force;
      }
    }
    if (k == 0) {
      for (const Couple& c : m.couples) {
        if (c.station == 0) out.shear = st.load[i];
      }
    }
  }
  const int toe = st.condition[at(n)];
  correct_end_values(moment, m.couples, n, h,
                     toe == kDeflection || toe == kDeflectionAndSlope,
                     sol.stations);
}

}  // namespace

double relaxation_factor(int c) {
  if (c == 0) return 0.5;
  // The step L is the power of two with L - 1 <= c < 2L - 1, so that the
  // factors of one step fill (0, 1) at spacing 1/L and never reach 1.
  double l = 2.0;
  while (c >= 2.0 * l - 1.0) l *= 2.0;
  return (c - l + 1.0 + 0.5) / l;
}

std::vector<CurveRange> curve_ranges(const std::vector<CurveRecord>& curves,
                                     std::optional<size_t>* out_of_order) {
  std::vector<CurveRange> ranges;
  size_t i = 0;
  while (i < curves.size()) {
    if (curves[i].contd != 1) {
      ranges.push_back({i, i});
      ++i;
      continue;
    }
    // A pair that would end at its own first station is skipped: the
    // record pairs with the one after instead.
    size_t j = i + 1;
    while (j < curves.size() && curves[j].group == curves[i].group &&
           curves[j].to == curves[i].from) {
      ++j;
    }
    if (j >= curves.size() || curves[j].group != curves[i].group) {
      i = j;  // no partner in its group: not applied
      continue;
    }
    if (curves[j].to < curves[i].from && out_of_order && !*out_of_order) {
      *out_of_order = ranges.size();
    }
    ranges.push_back({i, j});
    i = curves[j].contd == 1 ? j : j + 1;
  }
  return ranges;
}

Solution solve(const WallModel& m, const StationTable& start,
               const IterationSink& on_iteration) {
  Solution sol;
  StationTable& w = sol.deflections;
  w = start;
  const Grid g = grid_of(m.stations);
  assert(g.n >= 1 && g.n <= engine::kMaxIncrements);
  const std::vector<CurveRange> ranges = curve_ranges(m.curves, nullptr);

  // The work tables (some 60 KB) live on the heap: a host may call the
  // engine on a thread with a small stack.
  const auto work = std::make_unique<Workspace>();
  work->curves.emplace(m, ranges);
  work->f = m.stations.flexural_rigidity;
  evaluate_rigidity(m.rigidity, w, false, work->f);
  const bool varies = rigidity_varies(m.rigidity);
  *work->w1 = w;

  for (int it = 1;; ++it) {
    assemble(m, ranges, g, w, *work);
    forward_recursion(m, g, *work);
    const Sweep sweep = back_substitute(m, g, *work, w);
    std::optional<Ending> ending =
        close_or_relax(m, it, sweep, on_iteration, w, *work);
    if (!ending) {
      update_rigidity(m, varies, w, *work);
      if (it + 1 > m.max_iterations) {
        ending =
            Ending{sweep.open > 0 ? Outcome::kNotClosed : Outcome::kCompleted,
                   m.max_iterations};
      }
    }
    if (ending) {
      sol.outcome = ending->outcome;
      sol.iterations = ending->iterations;
      sol.stations_over = ending->stations_over;
      break;
    }
  }

  if (sol.has_results()) write_station_results(m, ranges, g, *work, sol);
  return sol;
}

}  // namespace korvan::wall
