// The results of a problem: its plot-data block, and its results as values
// for the caller.
#include "run/run.h"

#include <cmath>
#include "model/constants.h"
#include "model/rounding.h"
#include "report/results.h"
#include "korvan/number_text.h"

namespace korvan::engine {

namespace {

// The allowable deflection as people read it; a value too large to show in
// the shown unit is given as read, in the internal unit.
std::string allowable_deflection_text(double value, const present::Units& u) {
  const double shown = value * u.deflection_factor;
  return std::isfinite(shown) ? present::number_text(shown) + " " + u.deflection
                              : shortest(value) + " " + u.length;
}

}  // namespace

void Run::write_plot_block(int stage_value) {
  report::write_plot_block(plot_, stage_value, problem_,
                           model_ ? &*model_ : nullptr,
                           solution_ ? &*solution_ : nullptr);
  plot_written_ = true;
  if (options_.collect_results) collect_results();
}

namespace {

// What a problem's results show of its input and of the model built from
// it (null when the problem stopped before one).
ProblemResults problem_data(
    const engine::Problem& p, const wall::WallModel* model,
    const std::vector<std::pair<double, double>>& pressure_table) {
  ProblemResults r;
  const std::string title = p.title.substr(0, 70);
  r.title = title.substr(0, title.find_last_not_of(' ') + 1);
  r.stage_code = p.control.stage_code;
  r.english = p.units() == engine::UnitSystem::kEnglish;
  r.increments = p.geometry.increments;
  r.increment_length = p.geometry.increment_length;
  r.reference_depth = p.geometry.reference_depth;
  r.wall_width = p.geometry.wall_width;
  if (model) {
    for (int k = 0; k <= p.geometry.increments; ++k) {
      r.station_loads.push_back(
          model->stations.load[wall::StationModel::index(k)]);
    }
  }
  if (p.has_soil_profile) {
    for (const engine::SoilLayer& l : p.soil.layers) {
      r.soil_layers.push_back({l.type, l.top, l.bottom});
    }
  }
  // Support depths are entered in feet in English units.
  int number = 0;
  for (const engine::Anchor& a : p.tie_backs) {
    r.support_positions.push_back(
        {++number, true, from_feet(a.depth, r.english)});
  }
  for (const engine::Anchor& a : p.struts) {
    r.support_positions.push_back(
        {++number, false, from_feet(a.depth, r.english)});
  }
  if (p.has_soil_profile) {
    r.excavation_depth = p.soil.wall.free_height;
    r.water_backfill = p.soil.wall.water_backfill;
    r.water_excavation = p.soil.wall.water_excavation;
  }
  const double h = p.geometry.increment_length;
  for (const auto& [depth, load] : pressure_table) {
    r.pressure.push_back({depth, h > 0.0 ? load / h : 0.0});
  }
  return r;
}

// The largest deflection, the extreme moments and the largest shear.
void find_maxima(ProblemResults& r) {
  for (const StationResults& x : r.stations) {
    if (std::fabs(x.deflection) > std::fabs(r.max_deflection.value)) {
      r.max_deflection = {x.deflection, x.depth};
    }
    // Maxima from the moments and shears as statics gives them at the ends.
    const double moment = x.corrected_moment;
    if (moment > r.max_moment.value) r.max_moment = {moment, x.depth};
    if (moment < r.min_moment.value) r.min_moment = {moment, x.depth};
    if (std::fabs(x.corrected_shear) > std::fabs(r.max_shear.value)) {
      r.max_shear = {x.corrected_shear, x.depth};
    }
  }
}

// The station, support, restraint and specified-condition results of a
// solution that has them.
void add_solution_results(ProblemResults& r, const engine::Problem& p,
                          const wall::Solution& s) {
  const double h = p.geometry.increment_length;
  int k = 0;
  for (const wall::StationResult& x : s.stations) {
    r.stations.push_back({k++, x.depth, x.deflection, x.slope, x.moment,
                          x.shear, x.soil_reaction, x.net_force, x.rigidity,
                          x.corrected_moment, x.corrected_shear});
  }
  for (const auto& [support, f] : s.forces.supports) {
    SupportResults sr;
    sr.number = support.number;
    sr.tie_back = support.tie_back;
    sr.station = support.station;
    sr.depth = support.station * h;
    sr.angle = support.input->angle;
    sr.spacing = support.input->spacing;
    sr.prestress = support.tie_back ? support.input->prestress : 0.0;
    sr.horizontal_per_station = f.horizontal;
    sr.along_per_station = f.along;
    sr.per_support = f.per_support;
    sr.wale = p.control.wale_flag > 0;
    sr.wale_reaction = f.wale_reaction;
    sr.wale_load = f.wale_load;
    sr.wale_moment = f.wale_moment;
    r.supports.push_back(sr);
  }
  for (const wall::RestraintForce& f : s.forces.restraints) {
    r.restraints.push_back({f.station, f.station * h, f.force, f.moment});
  }
  int entry = 0;
  for (const engine::SpecifiedCondition& c : p.conditions) {
    const bool on_wall =
        c.station >= 0 && c.station < static_cast<int>(s.stations.size());
    r.node_reactions.push_back(
        {++entry, c.station, c.station * h,
         on_wall ? s.stations[static_cast<size_t>(c.station)].net_force : 0.0});
  }
  find_maxima(r);
}

Outcome outcome_of(wall::Outcome outcome) {
  switch (outcome) {
    case wall::Outcome::kDeflectionExceeded:
      return Outcome::kDeflectionExceeded;
    case wall::Outcome::kNotClosed:
      return Outcome::kNotClosed;
    default:
      return Outcome::kCompleted;
  }
}

}  // namespace

// The problem's results as values for the caller.
void Run::collect_results() {
  ProblemResults r = problem_data(problem_, model_.get(), pressure_table_);
  r.number = result_.problems;
  r.warnings = problem_warnings_;
  if (!solution_) {
    r.outcome = Outcome::kStopped;
    r.outcome_detail = stop_detail();
  } else {
    const wall::Solution& s = *solution_;
    r.outcome = outcome_of(s.outcome);
    r.iterations = s.iterations;
    r.outcome_detail = outcome_detail();
    if (model_) {
      const double h = problem_.geometry.increment_length;
      for (const wall::CurveRecord& c : model_->curves) {
        r.curves.push_back({c.from, c.from * h, c.group == 1, c.points});
      }
      if (s.has_results()) add_solution_results(r, problem_, s);
    }
  }
  result_.results.push_back(std::move(r));
}

// What stopped a problem before its solution.
std::string Run::stop_detail() const {
  switch (result_.status) {
    case RunStatus::kInputError:
      return "by an input error";
    case RunStatus::kGeneratorStop:
      return "by a generator stop (code " + std::to_string(result_.stop_code) +
             ")";
    case RunStatus::kFileError:
      return "by a file error";
    default:
      return problem_.geometry.max_iterations < 0
                 ? "by its negative iteration limit"
                 : std::string();
  }
}

// What the solution can tell about an outcome other than closed.
std::string Run::outcome_detail() const {
  if (!solution_ || !model_) return {};
  const present::Units u =
      present::units_of(problem_.units() == engine::UnitSystem::kEnglish);
  switch (solution_->outcome) {
    case wall::Outcome::kDeflectionExceeded:
      return "at " + std::to_string(solution_->stations_over) +
             (solution_->stations_over == 1 ? " station" : " stations") +
             " beyond the allowable deflection of " +
             allowable_deflection_text(problem_.geometry.allowable_deflection,
                                       u);
    case wall::Outcome::kNotClosed:
      return "within the iteration limit of " +
             std::to_string(model_->max_iterations) +
             (model_->max_iterations < problem_.geometry.max_iterations
                  ? " set by the caller"
                  : "");
    default:
      return {};
  }
}

}  // namespace korvan::engine
