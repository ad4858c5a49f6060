// Readers of the p-y modification factors, the earth-pressure data, the
// soil layers and the user-specified p-y curves.
#include "input/problem_reader.h"

#include <cmath>
#include <vector>

#include "input/reader_helpers.h"
#include "model/constants.h"

namespace korvan::engine {

int read_py_factor_option(RecordReader& in) {
  in.begin("p-y modification flag record");
  const int option = in.integer("multiplier option");
  in.end();
  return option;
}

PyFactor read_py_factor(RecordReader& in, int number) {
  in.begin(numbered("p-y modification record", number));
  PyFactor f;
  f.depth = in.real("depth");
  f.p = in.real("p-multiplier");
  f.y = in.real("y-multiplier");
  in.end();
  return f;
}

PressurePoint read_pressure_point(RecordReader& in, int number) {
  in.begin(numbered("active earth pressure record", number));
  PressurePoint p;
  p.depth = in.real("depth");
  p.pressure = in.real("active earth pressure");
  in.end();
  return p;
}

EarthPressureWall read_earth_pressure_wall(RecordReader& in) {
  in.begin("earth-pressure wall record");
  EarthPressureWall w;
  w.free_height = in.real("free height");
  w.line = in.record_line();
  w.width_pressure = in.real("width for earth pressure");
  w.width_resistance = in.real("width for soil resistance");
  w.water_backfill = in.real("water table at the backfill side");
  w.water_excavation = in.real("water table at the excavation side");
  w.active_factor = in.real("modification factor for active pressure");
  w.water_flag = in.integer("water-pressure flag");
  w.backfill_slope = in.real("slope of the backfill");
  w.excavation_slope = in.real("slope of the excavation ground");
  in.end();
  // A ground surface steeper than vertical has no meaning; the p-y models'
  // slope factors would turn negative and the resistances with them.
  auto check_slope = [&](double slope, const char* field) {
    if (!(std::fabs(slope) < 90.0)) {
      refuse_at(in, w.line, std::string("earth-pressure wall record, ") + field,
                StopKind::kInvalid,
                "a slope of " + shortest(slope) +
                    " degrees is not between -90 and 90 degrees");
    }
  };
  // The excavation line is a depth below the top of the wall; above it the
  // generated p-y curves would stand on stations above the wall.
  if (!(w.free_height >= 0.0)) {
    refuse_at(in, w.line, "earth-pressure wall record, field 1 (free height)",
              StopKind::kInvalid,
              "a free height of " + shortest(w.free_height) +
                  " is above the top of the wall; it must not be negative");
  }
  check_slope(w.backfill_slope, "field 8 (slope of the backfill)");
  check_slope(w.excavation_slope, "field 9 (slope of the excavation ground)");
  return w;
}

SurfaceLoads read_surface_loads(RecordReader& in) {
  in.begin("surface record");
  SurfaceLoads s;
  s.pressure = in.real("uniform surface pressure");
  s.distance = in.real("distance to the surcharge");
  s.point_load = in.real("point load");
  s.line_load = in.real("line load");
  s.strip_load = in.real("strip load");
  s.strip_width = in.real("strip width");
  in.end();
  return s;
}

Surcharge read_surcharge(RecordReader& in, int number, UnitSystem units) {
  in.begin(numbered("surcharge record", number));
  Surcharge s;
  s.type = in.integer("loading type");
  s.load = in.real("load");
  s.distance = in.real("horizontal distance");
  s.width = in.real("strip width");
  s.vertical = in.real("vertical distance");
  s.factor = in.real("factor");
  in.end();
  s.entered = {s.distance, s.width, s.vertical};
  if (s.type < static_cast<int>(SurchargeType::kPoint) ||
      s.type > static_cast<int>(SurchargeType::kStrip)) {
    in.fail(StopKind::kInvalid, "loading type " + std::to_string(s.type) +
                                    " is not 1 (point), 2 (line) or 3 "
                                    "(strip)");
  }
  if (units == UnitSystem::kMetric) {
    // Entered in millimetres.
    s.distance /= 1000.0;
    s.width /= 1000.0;
    s.vertical /= 1000.0;
  }
  return s;
}

int read_soil_record(RecordReader& in, SoilProfile& soil) {
  in.begin("soil record");
  const int layers = in.integer("number of soil layers");
  soil.loading = in.integer("loading type");
  soil.load_cycles = in.real("number of load cycles");
  in.end();
  if (layers < 0) {
    in.fail(StopKind::kInvalid,
            "negative number of soil layers " + std::to_string(layers));
  }
  if (layers > kMaxSoilLayers) {
    in.fail(StopKind::kTooMuchData, std::to_string(layers) +
                                        " soil layers, at most " +
                                        std::to_string(kMaxSoilLayers));
  }
  // Cyclic loading takes its number of cycles into the curves (a negative
  // one was taken as one cycle without a word).
  if (soil.py_loading() == Loading::kCyclic &&
      !(soil.load_cycles >= 0.0 && soil.load_cycles <= kMaxLoadCycles)) {
    refuse_at(in, in.record_line(),
              "soil record, field 3 (number of load cycles)",
              StopKind::kInvalid,
              shortest(soil.load_cycles) + " load cycles is outside 0 to " +
                  shortest(kMaxLoadCycles));
  }
  return layers;
}

namespace {
// `rock_quality`: the sixth value is the rock quality designation of a
// weak rock whose p-y curves are generated.
SoilValues read_soil_values(RecordReader& in, const std::string& record,
                            bool rock_quality) {
  in.begin(record);
  SoilValues v;
  v.unit_weight = in.real("total unit weight");
  v.strength = in.real("strength");
  v.friction_angle = in.real("friction angle");
  v.epsilon50 = in.real("epsilon-50");
  v.subgrade_modulus = in.real("modulus of subgrade reaction");
  v.k_or_rqd = in.real("fifth property");
  in.end();
  const int line = in.record_line();
  auto refuse = [&](int field, const char* name, const std::string& why) {
    refuse_at(in, line,
              record + ", field " + std::to_string(field) + " (" + name + ")",
              StopKind::kInvalid, why);
  };
  // A soil has no negative weight, strength or strain (nor a weak rock a
  // negative krm in the epsilon-50 column).
  const std::pair<double, const char*> non_negative[] = {
      {v.unit_weight, "total unit weight"},
      {v.strength, "strength"},
      {v.epsilon50, "epsilon-50"}};
  int field = 1;
  for (const auto& [value, name] : non_negative) {
    if (!(value >= 0.0)) {
      refuse(field, name,
             "a " + std::string(name) + " of " + shortest(value) +
                 " is below zero; it must be 0 or more");
    }
    field += field == 2 ? 2 : 1;
  }
  if (!(v.friction_angle >= 0.0 && v.friction_angle < 90.0)) {
    refuse(3, "friction angle",
           "a friction angle of " + shortest(v.friction_angle) +
               " degrees is outside 0 to below 90 degrees");
  }
  if (rock_quality && !(v.rock_quality_designation() >= 0.0 &&
                        v.rock_quality_designation() <= 100.0)) {
    refuse(6, "rock quality designation",
           "a rock quality designation of " +
               shortest(v.rock_quality_designation()) +
               " % is outside 0 to 100 %");
  }
  return v;
}
}  // namespace

SoilLayer read_soil_layer(RecordReader& in, int number, const SoilLayer* above,
                          bool py_curves) {
  const std::string block = numbered("soil layer", number);
  SoilLayer layer;
  in.begin(block + ", type record");
  layer.type = in.integer("soil type code");
  layer.line = in.record_line();
  layer.top = in.real("top depth");
  layer.bottom = in.real("bottom depth");
  in.end();
  // A layer without thickness would end the soil profile there and drop
  // every layer below it.
  if (!(layer.bottom > layer.top)) {
    in.fail(StopKind::kInvalid, "the bottom must lie below the top");
  }
  // Earth pressure stacks the layers by thickness, the p-y curves place
  // them by depth: a gap or an overlap would give the two different soils.
  if (above != nullptr &&
      std::fabs(layer.top - above->bottom) > kDepthTolerance) {
    const bool gap = layer.top > above->bottom;
    refuse_at(in, layer.line, block + ", type record, field 2 (top depth)",
              StopKind::kInvalid,
              "the top depth " + shortest(layer.top) +
                  (gap ? " leaves a gap below" : " overlaps") + " soil layer " +
                  std::to_string(number - 1) + ", which ends at depth " +
                  shortest(above->bottom) +
                  "; give each layer's top depth equal to the bottom "
                  "depth of the layer above it");
  }
  const bool rock_quality = py_curves && layer.model() == SoilModel::kWeakRock;
  layer.at_top =
      read_soil_values(in, block + ", top values record", rock_quality);
  layer.at_bottom =
      read_soil_values(in, block + ", bottom values record", rock_quality);
  return layer;
}

void check_user_curve_count(const RecordReader& in, int count,
                            int control_line) {
  const char* record =
      "control record, field 8 (number of user-specified p-y curves)";
  if (count < 0) {
    refuse_at(in, control_line, record, StopKind::kQuiet,
              "negative number of p-y curves");
  }
  if (count > kMaxPyCurves) {
    refuse_at(in, control_line, record, StopKind::kTooMuchData,
              std::to_string(count) + " curves, at most " +
                  std::to_string(kMaxPyCurves));
  }
}

UserPyCurve read_user_curve(RecordReader& in, int number,
                            const WallGeometry& geometry) {
  const std::string block = numbered("p-y curve", number);
  UserPyCurve c;
  in.begin(block + ", header record");
  c.station = in.integer("station");
  c.line = in.line_number();
  const int points = in.integer("number of points");
  c.p_multiplier = in.real("p-multiplier", 1.0);
  c.y_multiplier = in.real("y-multiplier", 1.0);
  in.end();
  checked_count(in, points, "number of points");
  if (c.station < 0) {
    in.fail(StopKind::kInvalid,
            "station " + std::to_string(c.station) + " is above the wall");
  }
  check_station_reach(in, c.station, 1, "station");
  if (points < 2) {
    in.fail(StopKind::kInvalid, "a p-y curve needs at least 2 points, not " +
                                    std::to_string(points));
  }
  c.contd =
      c.station * geometry.increment_length >= geometry.reference_depth ? 1 : 0;
  for (int i = 1; i <= points; ++i) {
    in.begin(block + ", " + numbered("point", i));
    const double y = in.real("deflection");
    const double p = in.real("soil resistance");
    in.end();
    // A soil does not resist with 1e308 (the solution would add such
    // values to one another and to the loads).
    if (!(std::fabs(y * c.y_multiplier) <= kMaxPyValue) ||
        !(std::fabs(p * c.p_multiplier) <= kMaxPyValue)) {
      in.fail(StopKind::kInvalid,
              "the point times the p- and y-multipliers of its curve is "
              "beyond " +
                  shortest(kMaxPyValue) +
                  " in magnitude: no soil gives such values");
    }
    if (!c.points.empty() && y < c.points.back().first) {
      in.fail(StopKind::kInvalid,
              "deflections of a p-y curve must not decrease");
    }
    c.points.emplace_back(y, p);
  }
  in.end_counted_group(c.line);
  return c;
}

void check_user_curves_paired(const RecordReader& in,
                              const std::vector<UserPyCurve>& curves) {
  // The pairing of the solution: a continued curve pairs with the next
  // curve at another station; the curve closing a pair opens the next one
  // when it is continued itself.
  size_t i = 0;
  bool closes_pair = false;
  while (i < curves.size()) {
    if (curves[i].contd != 1) {
      ++i;
      closes_pair = false;
      continue;
    }
    size_t j = i + 1;
    while (j < curves.size() && curves[j].station == curves[i].station) ++j;
    if (j < curves.size()) {
      i = j;
      closes_pair = true;
      continue;
    }
    if (!closes_pair) {
      const UserPyCurve& c = curves[i];
      refuse_at(
          in, c.line,
          numbered("p-y curve", static_cast<int>(i) + 1) + ", header record",
          StopKind::kInvalid,
          "the curve at station " + std::to_string(c.station) +
              " lies at or below the reference depth, so it is "
              "continued to the next curve, but no curve at another "
              "station follows to pair with and it would act nowhere: "
              "add a curve below it, or put the reference depth below "
              "it for a curve that acts at its own station");
    }
    break;
  }
}

}  // namespace korvan::engine
