// Readers of the support records: stiffness-and-load entries, restraints,
// tie backs, struts and wales.
#include "input/problem_reader.h"

#include <algorithm>
#include <cmath>

#include "input/reader_helpers.h"
#include "model/constants.h"
#include "wall/supports.h"

namespace korvan::engine {
namespace {

// The last station of a range entry lies neither above its own first
// station nor above the first station of the entry it closes.
void check_station_order(const RecordReader& in, int from, int to,
                         const int* opening_from) {
  if (to < from) {
    in.fail(StopKind::kStationsNotInOrder,
            "last station " + std::to_string(to) +
                " is above the first station " + std::to_string(from));
  }
  if (opening_from != nullptr && to < *opening_from) {
    in.fail(StopKind::kStationsNotInOrder,
            "last station " + std::to_string(to) +
                " is above the first station " + std::to_string(*opening_from) +
                " of the entry it closes");
  }
}

}  // namespace

LoadEntry read_load_entry(RecordReader& in, int number,
                          const LoadEntry* opening) {
  in.begin(numbered("stiffness-and-load record", number));
  LoadEntry e;
  e.contd = in.integer("continuation flag");
  e.from = in.integer("first station");
  e.to = in.integer("last station");
  e.load = in.real("transverse load");
  e.torque = in.real("torque");
  e.axial = in.real("axial load");
  in.end();
  e.line = in.record_line();
  check_station_reach(in, e.from, 2, "first station");
  check_station_reach(in, e.to, 3, "last station");
  check_station_order(in, e.from, e.to,
                      opening != nullptr ? &opening->from : nullptr);
  return e;
}

RestraintEntry read_restraint(RecordReader& in, int number,
                              const RestraintEntry* opening) {
  in.begin(numbered("restraint record", number));
  RestraintEntry e;
  e.from = in.integer("first station");
  e.to = in.integer("last station");
  e.contd = in.integer("continuation flag");
  e.lateral = in.real("transverse stiffness");
  e.rotational = in.real("rotational stiffness");
  in.end();
  e.line = in.record_line();
  // A restraint resists: a negative stiffness would push the wall away.
  if (!(e.lateral >= 0.0) || !(e.rotational >= 0.0)) {
    const bool lateral = !(e.lateral >= 0.0);
    refuse_at(in, e.line,
              in.record() + (lateral ? ", field 4 (transverse stiffness)"
                                     : ", field 5 (rotational stiffness)"),
              StopKind::kInvalid,
              "a stiffness of " + shortest(lateral ? e.lateral : e.rotational) +
                  " is below zero; it must be 0 or more");
  }
  check_station_reach(in, e.from, 1, "first station");
  check_station_reach(in, e.to, 2, "last station");
  check_station_order(in, e.from, e.to,
                      opening != nullptr ? &opening->from : nullptr);
  return e;
}

void check_last_entry_closed(const RecordReader& in, int contd,
                             std::string_view what) {
  if (contd == 1) {
    in.fail(StopKind::kInvalid,
            "the last " + std::string(what) +
                " is marked as continued but no entry follows to close it");
  }
}

void check_support_count(const RecordReader& in, const ControlRecord& control,
                         int control_line) {
  // In 64 bits: two counts near the top of the integers must not wrap
  // round below the limit.
  const long long tie_backs = std::max(control.tie_backs, 0);
  const long long struts = std::max(control.struts, 0);
  if (tie_backs + struts > kMaxSupports) {
    refuse_at(in, control_line,
              "control record, fields 11 and 15 (tie backs, struts/rakers)",
              StopKind::kTooMuchData,
              std::to_string(tie_backs) + " tie backs and " +
                  std::to_string(struts) + " struts/rakers, at most " +
                  std::to_string(kMaxSupports) + " together");
  }
}

namespace {
Anchor read_anchor(RecordReader& in, bool prestressed, const WallGeometry& g,
                   UnitSystem units) {
  Anchor a;
  a.depth = in.real("depth");
  a.area = in.real("area");
  a.modulus = in.real("elastic modulus");
  a.unbonded_length = in.real("unbonded length");
  a.angle = in.real("horizontal angle");
  a.spacing = in.real("anchor spacing");
  if (prestressed) a.prestress = in.real("prestress force");
  in.end();
  const bool english = units == UnitSystem::kEnglish;
  const int station =
      wall::support_station(a.depth, g.increment_length, english);
  if (!(station >= 0 && station <= g.increments)) {
    in.fail(StopKind::kInvalid,
            "the depth puts it off the wall (stations 0 to " +
                std::to_string(g.increments) + ")");
  }
  if (!(a.area > 0.0)) in.fail(StopKind::kInvalid, "the area must be positive");
  if (!(a.modulus > 0.0)) {
    in.fail(StopKind::kInvalid, "the elastic modulus must be positive");
  }
  if (!(a.spacing > 0.0))
    in.fail(StopKind::kInvalid, "the spacing must be positive");
  if (!(a.unbonded_length > 0.0)) {
    in.fail(StopKind::kInvalid, "the unbonded length must be positive");
  }
  if (!(std::fabs(a.angle) < 90.0)) {
    in.fail(StopKind::kInvalid,
            "the horizontal angle must lie below 90 degrees");
  }
  if (!(g.wall_width > 0.0)) {
    in.fail(StopKind::kInvalid,
            "the wall width of the wall-geometry record must be positive to "
            "share support forces");
  }
  // The spring and the prestress load the support puts on its station (as
  // the wall model makes them) must be numbers: an area of 1e300 times a
  // modulus is not.
  const wall::SupportTerms t =
      wall::support_terms(a, g.wall_width, english, prestressed);
  if (!std::isfinite(t.spring) || !std::isfinite(t.force)) {
    in.fail(StopKind::kInvalid,
            std::string("the ") +
                (std::isfinite(t.spring) ? "prestress load" : "spring") +
                " of the support on its station is beyond the range of the "
                "numbers: check the area, modulus, lengths and spacing");
  }
  return a;
}
}  // namespace

Anchor read_tie_back(RecordReader& in, int number, const WallGeometry& g,
                     UnitSystem units) {
  in.begin(numbered("tie-back record", number));
  return read_anchor(in, true, g, units);
}

Anchor read_strut(RecordReader& in, int number, const WallGeometry& g,
                  UnitSystem units) {
  in.begin(numbered("strut/raker record", number));
  return read_anchor(in, false, g, units);
}

Wale read_wale(RecordReader& in, int number) {
  in.begin(numbered("wale record", number));
  Wale w;
  w.number = in.integer("first value");
  for (double& v : w.values) v = in.real("wale value");
  in.end();
  return w;
}

}  // namespace korvan::engine
