// The generation stages: earth pressure (options 1 to 6) and p-y curves
// (option 2), each through its scratch file where it has one.
#include "run/run.h"

#include <cmath>
#include "input/problem_reader.h"
#include "model/constants.h"
#include "model/rounding.h"
#include "pressure/handoff.h"
#include "report/pressure_report.h"
#include "report/py_report.h"
#include "scratch/distribution_file.h"
#include "scratch/py_curve_file.h"

namespace korvan::engine {

using DP = pressure::DistributionPoint;

namespace {

// The stop of a profile the earth-pressure generation cannot take.
Stop profile_stop_value(const pressure::GenerationStop& stop,
                        const std::string& input) {
  return Stop{
      Stop::Kind::kGeneratorStop, stop.code,
      input + ": earth-pressure data: stop code " + std::to_string(stop.code) +
          ": " + stop.reason,
      "STOP " + std::to_string(stop.code) + " -- " +
          (stop.code == 1 ? std::string("THE SOIL PROFILE DOES NOT REACH THE "
                                        "EXCAVATION LINE")
                          : std::string("MORE THAN 21 SUBLAYERS IN THE SOIL "
                                        "PROFILE"))};
}

// The stop of a p-y look-up beyond an input profile.
Stop py_stop_value(const py::PyStop& stop, const std::string& input) {
  const int code = stop.code;
  const std::string reason =
      code == 5   ? "a weak-rock layer has no strength"
      : code == 4 ? "a depth lies beyond the input unit-weight profile"
                  : "a depth lies beyond the input " +
                        std::string(stop.curve == "PHI" ? "friction-angle"
                                                        : "strength") +
                        " profile";
  return Stop{Stop::Kind::kGeneratorStop, code,
              input + ": p-y generation: stop code " + std::to_string(code) +
                  ": " + reason,
              "STOP " + std::to_string(code)};
}

// The curves of the p-y file as the wall takes them: the user curves at
// their stations, then each generated curve at the station of its depth.
std::vector<wall::CurveRecord> curve_records(
    const scratch::PyCurveFile& file,
    const std::vector<engine::UserPyCurve>& user, double h) {
  std::vector<wall::CurveRecord> records;
  for (size_t u = 0; u < file.user.size(); ++u) {
    wall::CurveRecord r;
    r.from = r.to = file.user[u].station;
    r.contd = user[u].contd;
    r.points = file.user[u].points;
    records.push_back(std::move(r));
  }
  for (const scratch::GeneratedCurveRead& c : file.generated) {
    const auto& points = c.points;  // (y, p) as written
    wall::CurveRecord r;
    r.from = r.to = station_of_depth(c.depth, h);
    r.contd = 1;
    r.group = 1;
    // Backfill points 17 down to 1 with the deflection negated, then the
    // excavation points 2 to 17 with the resistance negated.
    for (int i = 33; i >= 17; --i) {
      r.points.emplace_back(-points[static_cast<size_t>(i)].first,
                            points[static_cast<size_t>(i)].second);
    }
    for (int i = 1; i <= 16; ++i) {
      r.points.emplace_back(points[static_cast<size_t>(i)].first,
                            -points[static_cast<size_t>(i)].second);
    }
    records.push_back(std::move(r));
  }
  return records;
}

}  // namespace

// Builds the wall model, solves it and reports the results.
// Earth-pressure options 2 to 6: the profile, its reports, the
// distribution through its scratch file, and the loads per station.
Staged<std::vector<double>> Run::generated_loads() {
  const engine::Problem& p = problem_;
  const engine::EarthPressureOption option = p.control.pressure_option();
  pressure::Profile profile = pressure::build_profile(p);
  check_distribution_size(profile);
  // Nothing of the profile is printed before its values are numbers.
  check_finite_pressures(profile, false);
  report::write_wall_information(report_, p, profile, labels_);
  report::write_surcharge_information(report_, p, profile, labels_);
  report::write_soil_information(report_, profile);
  if (const auto stop = pressure::profile_stop(profile)) {
    return profile_stop_value(*stop, shown_input_);
  }
  pressure::compute_pressures(profile);
  check_finite_pressures(profile, true);
  report::write_overburden_table(report_, profile, labels_);
  report::write_coefficient_table(report_, iteration_, profile);
  report::write_resultant_tables(report_, profile, labels_);
  if (profile.net_negative) {
    report::write_net_negative(report_);
    diagnose(shown_input_ +
             ": earth-pressure data: net active pressure is "
             "negative");
  }

  // The distribution passes through its scratch file; the wall sees the
  // numbers as the file carries them.
  if (auto failed = io_.write_scratch(
          engine::Scratch::kPressure, [&profile](std::ostream& scratch) {
            scratch::write_distribution_file(scratch,
                                             pressure::distribution(profile));
          })) {
    return file_stop(*failed);
  }
  engine::ScratchRead scratch = io_.read_scratch(engine::Scratch::kPressure);
  if (auto* failed = std::get_if<engine::ScratchFileError>(&scratch)) {
    return file_stop(*failed);
  }
  std::vector<pressure::DistributionPoint> points =
      scratch::read_distribution_file(
          *std::get<std::unique_ptr<std::istream>>(scratch),
          files_.pressure_scratch.string());
  report::write_option_message(report_, option, profile.clay_warning);
  report::write_distribution_heading(report_, labels_, profile.english);
  pressure::apply_widths(points, p.soil.wall.width_pressure,
                         p.soil.wall.width_resistance, profile.height);
  if (option != engine::EarthPressureOption::kSoilMovement) {
    return loads_from(std::move(points), true);
  }

  // Soil movement: the stations above the excavation line take curves in
  // place of loads; the station at the excavation line takes nothing.
  const double h = p.geometry.increment_length;
  for (const pressure::MovementCurve& c : pressure::movement_curves(
           points, h, profile.height, p.geometry.increments, profile.english)) {
    wall::CurveRecord r;
    r.from = r.to = c.station;
    r.points = c.points;
    movement_curves_.push_back(std::move(r));
  }
  std::vector<double> loads = loads_from(std::move(points), true);
  const int excavation = station_of_depth(profile.height, h);
  for (int s = 0; s <= excavation && s < static_cast<int>(loads.size()); ++s) {
    loads[static_cast<size_t>(s)] = 0.0;
  }
  return loads;
}

// Earth-pressure option 1: the given pressures are loads per unit length of
// wall, without widths; discrete surcharge loadings add their pressure
// times the running width.
std::vector<double> Run::specified_loads() {
  const engine::Problem& p = problem_;
  std::optional<pressure::Profile> profile;
  if (p.has_soil_profile && !p.soil.surcharges.empty()) {
    profile = pressure::build_profile(p);
  }
  std::vector<pressure::DistributionPoint> points;
  double width = p.soil.wall.width_pressure;
  for (const engine::PressurePoint& given : p.specified_pressure) {
    pressure::DistributionPoint d;
    d.col[DP::kDepth] = given.depth;
    d.col[DP::kLoad] = given.pressure;
    d.col[DP::kSoilAndWater] = given.pressure;
    if (profile) {
      if (given.depth > profile->height) width = p.soil.wall.width_resistance;
      d.col[DP::kSurchargeTotal] =
          pressure::surcharge_at(*profile, given.depth) * width;
      d.col[DP::kLoad] = d.col[DP::kSoilAndWater] + d.col[DP::kSurchargeTotal];
    }
    points.push_back(d);
  }
  return loads_from(std::move(points), false);
}

std::vector<double> Run::loads_from(
    std::vector<pressure::DistributionPoint> points, bool generated) {
  const engine::Problem& p = problem_;
  const double h = p.geometry.increment_length;
  const bool english = p.units() == engine::UnitSystem::kEnglish;
  // Pressures times the widths and the increment length: an extreme width
  // or pressure makes them too large for the numbers.
  auto check_finite = [&] {
    for (const pressure::DistributionPoint& d : points) {
      for (int c = 1; c <= 13; ++c) {
        if (std::isfinite(d.col[c])) continue;
        throw InputError(
            StopKind::kInvalid, shown_input_,
            p.has_soil_profile ? p.soil.wall.line : engine::kNoLine,
            p.has_soil_profile ? "earth-pressure wall record"
                               : "active earth pressure records",
            "the earth pressures times the widths and the increment "
            "length are beyond the range of the numbers: check the "
            "pressures, the widths and the surface pressure");
      }
    }
  };
  check_finite();
  const std::vector<size_t> rows = pressure::shown_rows(points.size(), english);
  if (generated) {
    for (size_t r : rows) {
      report::write_distribution_row(report_, points[r].col[DP::kDepth],
                                     points[r].col[DP::kLoad], english);
    }
  }
  pressure::to_station_loads(points, h);
  check_finite();
  for (const pressure::DistributionPoint& d : points) {
    pressure_table_.emplace_back(d.col[DP::kDepth], d.col[DP::kLoad]);
  }
  report::plot_distribution(plot_, p.control.earth_pressure_option, points,
                            rows, h);
  return pressure::station_loads(points, h, p.geometry.increments);
}

// p-y option 2: the curves of every derived layer, printed, written to the
// p-y curve file with the user curves ahead of them, and read back.
Staged<std::vector<wall::CurveRecord>> Run::generated_curves() {
  const engine::Problem& p = problem_;
  check_py_input();
  const py::PySoil soil = py::build_py_soil(p, pressure_table_);
  report::write_soil_data(report_, soil, labels_);
  const py::Generation g = py::generate_curves(soil);
  check_finite_curves(g);
  for (const py::GeneratedCurve& c : g.curves) {
    report::write_generated_curve(report_, c, soil, labels_);
  }
  if (g.unavailable_type) {
    throw InputError(
        StopKind::kInvalid, shown_input_, engine::kNoLine, "soil layer data",
        "the p-y model of soil type " + std::to_string(*g.unavailable_type) +
            " is not available in this version");
  }
  if (g.stop) {
    report::write_py_stop(report_, *g.stop);
    return py_stop_value(*g.stop, shown_input_);
  }

  const bool with_user = p.control.pressure_option() !=
                             engine::EarthPressureOption::kSoilMovement &&
                         !p.user_curves.empty();
  const std::vector<engine::UserPyCurve> none;
  const std::vector<engine::UserPyCurve>& user =
      with_user ? p.user_curves : none;
  const int count = static_cast<int>(user.size() + 5 * soil.layers.size());
  if (auto failed = io_.write_scratch(
          engine::Scratch::kPyCurves, [&](std::ostream& scratch) {
            scratch::write_py_file(scratch, user, g.curves, count);
          })) {
    return file_stop(*failed);
  }

  // Read back: the solver sees the values as the file carries them.
  engine::ScratchRead scratch = io_.read_scratch(engine::Scratch::kPyCurves);
  if (auto* failed = std::get_if<engine::ScratchFileError>(&scratch)) {
    return file_stop(*failed);
  }
  const scratch::PyCurveFile file = scratch::read_py_file(
      *std::get<std::unique_ptr<std::istream>>(scratch),
      files_.py_scratch.string(), user.size(), g.curves.size());
  if (file.count == 0) {
    report_.empty_lines(1);
    report_.blanks(20).end_line();
    return std::vector<wall::CurveRecord>{};
  }
  return curve_records(file, user, p.geometry.increment_length);
}

}  // namespace korvan::engine
