// The analysis of one problem: generation, the wall model, its checks, the
// solve and the results report.
#include "run/run.h"

#include <cmath>
#include "model/rounding.h"
#include "pressure/handoff.h"
#include "report/results.h"

namespace korvan::engine {

namespace {

// The most iterations of one run, over all its problems: a file of many
// problems that do not close would otherwise fill a disk with its
// iteration log (about 85 bytes an iteration).
constexpr long long kMaxRunIterations = 1000000;

}  // namespace

std::optional<Stop> Run::analyse() {
  refuse_generation();
  Staged<std::vector<double>> loads = pressure_loads();
  if (Stop* stop = std::get_if<Stop>(&loads)) return std::move(*stop);
  std::optional<std::vector<wall::CurveRecord>> file_curves;
  if (problem_.control.generated_py_curves()) {
    Staged<std::vector<wall::CurveRecord>> curves = generated_curves();
    if (Stop* stop = std::get_if<Stop>(&curves)) return std::move(*stop);
    file_curves = std::move(std::get<std::vector<wall::CurveRecord>>(curves));
  }
  // Kept before its checks: the plot block of a refused problem shows it.
  model_ =
      build_model(std::get<std::vector<double>>(loads), std::move(file_curves));
  check_model(*model_);
  warn_short_profile();
  solve(*model_);
  return std::nullopt;
}

// A generation option the problem's data cannot serve.
void Run::refuse_generation() const {
  if (const auto refused =
          pressure::generation_refusal(problem_, control_line_)) {
    // The refusal reads "record, field k (name): message".
    const size_t cut = refused->text.find(": ");
    throw InputError(
        StopKind::kInvalid, shown_input_, refused->line,
        cut == std::string::npos ? std::string() : refused->text.substr(0, cut),
        cut == std::string::npos ? refused->text
                                 : refused->text.substr(cut + 2));
  }
}

// The loads per station of the earth pressure: generated (options 2 to
// 6), given (option 1) or none.
Staged<std::vector<double>> Run::pressure_loads() {
  if (problem_.control.generated_pressure()) {
    return generated_loads();
  } else if (problem_.control.pressure_option() ==
             engine::EarthPressureOption::kSpecified) {
    return specified_loads();
  }
  return std::vector<double>{};
}

// The wall model of the problem with what generation made: the curves of
// the p-y file, the soil-movement curves ahead of them and the earth
// pressure loads; the iteration limit capped by the caller's.
std::unique_ptr<wall::WallModel> Run::build_model(
    const std::vector<double>& pressure_loads,
    std::optional<std::vector<wall::CurveRecord>> file_curves) {
  auto model = std::make_unique<wall::WallModel>();
  wall::WallModel& built = *model;
  wall::build_wall_model(problem_, built);
  if (file_curves) built.curves = std::move(*file_curves);
  for (wall::CurveRecord& r : movement_curves_) r.group = 2;
  built.curves.insert(built.curves.begin(), movement_curves_.begin(),
                      movement_curves_.end());
  for (size_t s = 0; s < pressure_loads.size(); ++s) {
    built.stations.load[wall::StationModel::index(static_cast<int>(s))] +=
        pressure_loads[s];
  }
  if (options_.max_iterations > 0 &&
      built.max_iterations > options_.max_iterations) {
    built.max_iterations = options_.max_iterations;
  }
  return model;
}

// The model's limits and tables before the solve.
void Run::check_model(const wall::WallModel& model) {
  iterations_allowed_ += model.max_iterations;
  if (iterations_allowed_ > kMaxRunIterations) {
    throw InputError(
        StopKind::kInvalid, shown_input_, geometry_line_,
        "wall-geometry record, field 8 (maximum number of iterations)",
        "the iteration limits of problems 1 to " +
            std::to_string(result_.problems) + " add up to " +
            std::to_string(iterations_allowed_) + ", more than the " +
            std::to_string(kMaxRunIterations) +
            " iterations a run may take: lower the limits or split the "
            "file");
  }
  check_finite_stations(model.stations, model.rigidity);
  if (wall::has_data_beyond_end(model.stations)) refuse_data_beyond_end();
  std::optional<size_t> out_of_order;
  const auto ranges = wall::curve_ranges(model.curves, &out_of_order);
  if (out_of_order) {
    const wall::CurveRange& r = ranges[*out_of_order];
    const size_t movement = movement_curves_.size();
    const size_t curve = r.first;
    const int line =
        curve >= movement && curve - movement < problem_.user_curves.size()
            ? problem_.user_curves[curve - movement].line
            : 0;
    throw InputError(
        StopKind::kStationsNotInOrder, shown_input_, line, "",
        "p-y curve " + std::to_string(r.first + 1 - movement) + " (station " +
            std::to_string(model.curves[r.first].from) +
            ") is continued to curve " + std::to_string(r.last + 1 - movement) +
            " at station " + std::to_string(model.curves[r.last].to) +
            " above it");
  }
}

// The solve, its iteration log, the checks of its numbers and the results
// report; the deflections are kept for the next stage.
void Run::solve(const wall::WallModel& model) {
  report::write_monitoring_header(iteration_, model.max_iterations);
  solution_ =
      wall::solve(model, deflections_, [this](const wall::IterationRecord& r) {
        report::write_iteration_line(iteration_, r);
      });
  check_solution(model);
  deflections_ = solution_->deflections;
  report::write_results(report_, iteration_, problem_, *solution_, labels_);
  if (!solution_->has_results() && result_.status == RunStatus::kCompleted) {
    result_.status = RunStatus::kNotClosed;
  }
}

void Run::check_solution(const wall::WallModel& model) {
  // A solution that is not finite would print as NaN: the stiffnesses or
  // loads of the input cannot be solved. No result of it is written.
  auto not_finite = [&](const std::string& where) {
    solution_.reset();
    return InputError(StopKind::kInvalid, shown_input_, engine::kNoLine, "",
                      "the solution of problem " +
                          std::to_string(result_.problems) + " is not finite " +
                          where + ": check the stiffnesses and loads");
  };
  if (solution_->outcome == wall::Outcome::kNotFinite) {
    throw not_finite("in iteration " + std::to_string(solution_->iterations));
  }
  for (size_t k = 0; k < solution_->stations.size(); ++k) {
    const wall::StationResult& r = solution_->stations[k];
    for (double v : {r.deflection, r.slope, r.moment, r.shear, r.soil_reaction,
                     r.net_force, r.rigidity}) {
      if (!std::isfinite(v))
        throw not_finite("at station " + std::to_string(k));
    }
  }
  // The support results come from the solution and the input alone: a
  // finite deflection times an extreme spring or spacing may still not be.
  const bool wales = problem_.control.wale_flag > 0;
  if (solution_->has_results()) {
    solution_->forces = wall::support_results(
        problem_, model.supports, solution_->deflections, solution_->stations);
    for (const auto& [support, f] : solution_->forces.supports) {
      bool finite = std::isfinite(f.horizontal) && std::isfinite(f.along) &&
                    std::isfinite(f.per_support);
      if (wales) {
        finite = finite && std::isfinite(f.wale_reaction) &&
                 std::isfinite(f.wale_load) && std::isfinite(f.wale_moment);
      }
      if (!finite) {
        const int tie_backs = static_cast<int>(problem_.tie_backs.size());
        solution_.reset();
        throw InputError(
            StopKind::kInvalid, shown_input_, engine::kNoLine,
            support.tie_back
                ? "tie-back record " + std::to_string(support.number)
                : "strut/raker record " +
                      std::to_string(support.number - tie_backs),
            std::string("its force") + (wales ? " or wale result" : "") +
                " is beyond the range of the numbers: check its area, "
                "modulus, lengths and spacing");
      }
    }
    for (const wall::RestraintForce& f : solution_->forces.restraints) {
      if (!std::isfinite(f.force) || !std::isfinite(f.moment)) {
        solution_.reset();
        throw InputError(StopKind::kInvalid, shown_input_, engine::kNoLine,
                         "restraint records",
                         "the restraint force or moment at station " +
                             std::to_string(f.station) +
                             " is beyond the range of the numbers: check the "
                             "restraint stiffnesses");
      }
    }
  }
}

}  // namespace korvan::engine
