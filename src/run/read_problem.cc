// Reading and echo alternate, group by group: the reader never writes and
// the echo never parses, so what stands in the report before an error stop
// is decided here.
#include "run/run.h"

#include "input/problem_reader.h"
#include "report/echo.h"

namespace korvan::engine {

std::optional<Stop> Run::read_problem_body(engine::Problem& p) {
  const engine::ControlRecord& c = p.control;
  const engine::UnitSystem units = p.units();

  p.geometry = engine::read_wall_geometry(reader_);
  geometry_line_ = reader_.record_line();
  reference_depth_read_ = p.geometry.reference_depth;
  report::echo_wall_geometry(report_, p.geometry, units, labels_);
  if (p.geometry.max_iterations < 0) {
    return Stop{Stop::Kind::kEndOfRun, 0, {}, {}};
  }
  if (options_.max_iterations > 0 &&
      options_.max_iterations < p.geometry.max_iterations) {
    report::echo_caller_iteration_limit(report_, options_.max_iterations);
  }

  read_conditions(p);
  read_wall_sections(p);
  read_sections(p);
  read_loads(p);
  read_supports(p);

  if (c.wale_flag > 0) {
    const int wales =
        engine::read_count(reader_, "wale count record", "number of wales");
    const int wales_line = reader_.record_line();
    for (int i = 1; i <= wales; ++i) {
      p.wales.push_back(engine::read_wale(reader_, i));
    }
    reader_.end_counted_group(wales_line);
  }
  if (c.py_factors > 0) {
    p.py_factor_option = engine::read_py_factor_option(reader_);
    for (int i = 1; i <= c.py_factors; ++i) {
      p.py_factors.push_back(engine::read_py_factor(reader_, i));
    }
    reader_.end_counted_group(control_line_);
  }
  read_earth_pressure_data(p);
  read_user_curves(p);
  return std::nullopt;
}

void Run::read_conditions(engine::Problem& p) {
  const engine::ControlRecord& c = p.control;
  engine::check_specified_count(reader_, c.specified_points, control_line_);
  if (c.specified_points > 0) {
    report::echo_conditions_heading(report_, labels_);
    for (int i = 1; i <= c.specified_points; ++i) {
      const int* previous =
          p.conditions.empty() ? nullptr : &p.conditions.back().station;
      p.conditions.push_back(engine::read_specified_condition(
          reader_, i, previous, p.geometry.increments));
      report::echo_condition(report_, p.conditions.back());
    }
    reader_.end_counted_group(control_line_);
  }
}

void Run::read_wall_sections(engine::Problem& p) {
  const engine::ControlRecord& c = p.control;
  if (c.wall_sections > engine::kMaxWallSections) {
    throw InputError(StopKind::kTooMuchData, shown_input_, control_line_,
                     "control record, field 3 (number of wall sections)",
                     std::to_string(c.wall_sections) + " sections, at most " +
                         std::to_string(engine::kMaxWallSections));
  }
  if (c.wall_sections > 0) {
    report::echo_wall_sections_heading(report_, labels_);
    for (int i = 1; i <= c.wall_sections; ++i) {
      p.wall_sections.push_back(
          engine::read_wall_section(reader_, i, c.cross_sections));
      report::echo_wall_section(report_, i, p.wall_sections.back());
    }
    reader_.end_counted_group(control_line_);
  }
}

void Run::read_loads(engine::Problem& p) {
  const int loads = engine::read_count(
      reader_, "stiffness-and-load count record", "number of load entries");
  const int loads_line = reader_.record_line();
  report::echo_loads_heading(report_, labels_);
  for (int i = 1; i <= loads; ++i) {
    const engine::LoadEntry* opening =
        !p.loads.empty() && p.loads.back().contd == 1 ? &p.loads.back()
                                                      : nullptr;
    const int previous_contd = p.loads.empty() ? 0 : p.loads.back().contd;
    engine::LoadEntry e = engine::read_load_entry(reader_, i, opening);
    if (i == loads) {
      engine::check_last_entry_closed(reader_, e.contd,
                                      "stiffness-and-load entry");
    }
    report::echo_load_entry(report_, e, previous_contd);
    p.loads.push_back(e);
  }
  reader_.end_counted_group(loads_line);
}

void Run::read_sections(engine::Problem& p) {
  const engine::ControlRecord& c = p.control;
  if (c.cross_sections > engine::kMaxCrossSections) {
    throw InputError(StopKind::kTooMuchData, shown_input_, control_line_,
                     "control record, field 4 (number of cross sections)",
                     std::to_string(c.cross_sections) + " sections, at most " +
                         std::to_string(engine::kMaxCrossSections));
  }
  if (c.cross_sections > 0) {
    report::echo_cross_sections_heading(report_);
    for (int i = 1; i <= c.cross_sections; ++i) {
      p.cross_sections.push_back(engine::read_cross_section(reader_, i));
      report::echo_cross_section(report_, i, p.cross_sections.back(), labels_);
    }
  }
  if (c.nonlinear_ei_sets > 0) {
    engine::read_ei_set_header(reader_);
    report::echo_ei_sets_heading(report_);
    for (int i = 1; i <= c.nonlinear_ei_sets; ++i) {
      p.ei_sets.push_back(engine::read_ei_set(reader_, i));
      report::echo_thrust_level(report_, i, p.ei_sets.back(), labels_);
    }
  }
  for (int i = 1; i <= c.cross_sections; ++i) {
    engine::CrossSection& section =
        p.cross_sections[static_cast<size_t>(i - 1)];
    section.moment_curvature = engine::read_moment_curvature(reader_, i);
    if (!section.elastic())
      engine::check_nonlinear_table(reader_, i, section, p.ei_sets);
    if (!section.moment_curvature.empty()) {
      report::echo_moment_curvature_heading(report_);
    }
    int level = 0;
    for (const engine::ThrustLevel& l : section.moment_curvature) {
      report::echo_thrust_level(report_, ++level, l, labels_);
    }
  }
}

void Run::read_earth_pressure_data(engine::Problem& p) {
  const engine::ControlRecord& c = p.control;
  if (c.pressure_option() == engine::EarthPressureOption::kSpecified) {
    const int points = engine::read_count(
        reader_, "active earth pressure count record", "number of points");
    const int points_line = reader_.record_line();
    report::echo_specified_pressure_heading(report_, labels_);
    for (int i = 1; i <= points; ++i) {
      p.specified_pressure.push_back(engine::read_pressure_point(reader_, i));
      report::echo_pressure_point(report_, p.specified_pressure.back());
    }
    reader_.end_counted_group(points_line);
  }
  if (!c.generated_pressure() && !c.generated_py_curves()) return;

  engine::SoilProfile& soil = p.soil;
  p.has_soil_profile = true;
  soil.wall = engine::read_earth_pressure_wall(reader_);
  if (c.generated_py_curves()) {
    p.geometry.reference_depth = soil.wall.free_height;
  }
  soil.surface = engine::read_surface_loads(reader_);
  const int surcharges = engine::read_count(reader_, "surcharge count record",
                                            "number of surcharge loadings");
  const int surcharges_line = reader_.record_line();
  for (int i = 1; i <= surcharges; ++i) {
    soil.surcharges.push_back(engine::read_surcharge(reader_, i, p.units()));
  }
  reader_.end_counted_group(surcharges_line);
  const int layers = engine::read_soil_record(reader_, soil);
  const int layers_line = reader_.record_line();
  for (int i = 1; i <= layers; ++i) {
    soil.layers.push_back(engine::read_soil_layer(
        reader_, i, soil.layers.empty() ? nullptr : &soil.layers.back(),
        c.generated_py_curves()));
  }
  reader_.end_counted_group(layers_line);
}

void Run::read_user_curves(engine::Problem& p) {
  const engine::ControlRecord& c = p.control;
  if (c.py_curves() == engine::PyOption::kUserCurves) {
    engine::check_user_curve_count(reader_, c.user_py_curves, control_line_);
  }
  const bool present =
      c.user_py_curves > 0 &&
      (c.py_curves() == engine::PyOption::kUserCurves ||
       (c.generated_py_curves() &&
        c.pressure_option() != engine::EarthPressureOption::kSoilMovement));
  if (!present) return;
  report::echo_user_curves_heading(report_);
  for (int i = 1; i <= c.user_py_curves; ++i) {
    p.user_curves.push_back(engine::read_user_curve(reader_, i, p.geometry));
    report::echo_user_curve(report_, p.user_curves.back(), labels_);
    report::plot_user_curve(plot_, p.user_curves.back());
  }
  engine::check_user_curves_paired(reader_, p.user_curves);
}

void Run::read_supports(engine::Problem& p) {
  const engine::ControlRecord& c = p.control;
  const int restraints = engine::read_count(reader_, "support count record",
                                            "number of restraint entries");
  const int restraints_line = reader_.record_line();
  for (int i = 1; i <= restraints; ++i) {
    const engine::RestraintEntry* opening =
        !p.restraints.empty() && p.restraints.back().contd == 1
            ? &p.restraints.back()
            : nullptr;
    const int previous_contd =
        p.restraints.empty() ? 0 : p.restraints.back().contd;
    engine::RestraintEntry e = engine::read_restraint(reader_, i, opening);
    if (i == restraints) {
      engine::check_last_entry_closed(reader_, e.contd, "restraint entry");
    }
    report::echo_restraint(report_, e, previous_contd);
    p.restraints.push_back(e);
  }
  reader_.end_counted_group(restraints_line);

  engine::check_support_count(reader_, c, control_line_);
  if (c.tie_backs > 0) {
    report::echo_tie_backs_heading(report_, labels_);
    for (int i = 1; i <= c.tie_backs; ++i) {
      p.tie_backs.push_back(
          engine::read_tie_back(reader_, i, p.geometry, p.units()));
      report::echo_anchor(report_, p.tie_backs.back(), true);
    }
    reader_.end_counted_group(control_line_);
  }
  if (c.struts > 0) {
    report::echo_struts_heading(report_, labels_);
    for (int i = 1; i <= c.struts; ++i) {
      p.struts.push_back(engine::read_strut(reader_, i, p.geometry, p.units()));
      report::echo_anchor(report_, p.struts.back(), false);
    }
    reader_.end_counted_group(control_line_);
  }
  if (c.wale_flag > 0) report::echo_wales(report_, c.wale_continuity);
}

}  // namespace korvan::engine
