#include "present/summary.h"

#include <algorithm>
#include <cmath>
#include <ostream>

namespace korvan::report {

using namespace korvan::present;
namespace {

// The columns a UTF-8 text takes ("×10³" is 4).
size_t columns(const std::string& s) {
  return static_cast<size_t>(std::count_if(s.begin(), s.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

std::string padded_left(const std::string& s, size_t width) {
  const size_t n = columns(s);
  return n >= width ? s : std::string(width - n, ' ') + s;
}

std::string padded_right(const std::string& s, size_t width) {
  return s.size() >= width ? s : s + std::string(width - s.size(), ' ');
}

}  // namespace

std::string status_name(RunStatus status) {
  switch (status) {
    case RunStatus::kCompleted:
      return "completed";
    case RunStatus::kNotClosed:
      return "not closed";
    case RunStatus::kInputError:
      return "input error";
    case RunStatus::kGeneratorStop:
      return "generator stop";
    case RunStatus::kFileError:
      return "file error";
  }
  return "unknown";
}

std::string outcome_name(const RunResult& run) {
  if (run.status == RunStatus::kNotClosed &&
      std::none_of(run.results.begin(), run.results.end(),
                   [](const ProblemResults& p) {
                     return p.outcome == Outcome::kNotClosed;
                   }) &&
      std::any_of(run.results.begin(), run.results.end(),
                  [](const ProblemResults& p) {
                    return p.outcome == Outcome::kDeflectionExceeded;
                  })) {
    return "deflection exceeded";
  }
  return status_name(run.status);
}

std::string wall_width_text(const ProblemResults& p) {
  if (!(p.wall_width > 0.0)) return {};
  const Units u = units_of(p.english);
  return "per " + number_text(p.wall_width) + " " + u.length + " of wall";
}

bool negligible(double value, double reference) {
  return std::fabs(value) <= 1e-6 * std::fabs(reference);
}

std::optional<double> shown_max_moment(const ProblemResults& p) {
  const double v = p.max_moment.value;
  if (!(v > 0.0) || negligible(v, p.min_moment.value)) return std::nullopt;
  return v;
}

std::optional<double> shown_min_moment(const ProblemResults& p) {
  const double v = p.min_moment.value;
  if (!(v < 0.0) || negligible(v, p.max_moment.value)) return std::nullopt;
  return v;
}

std::optional<int> stage_number(const ProblemResults& p) {
  if (p.stage_code < 2) return std::nullopt;
  return p.number;
}

std::vector<std::vector<size_t>> problem_groups(
    const std::vector<ProblemResults>& problems) {
  std::vector<std::vector<size_t>> groups;
  for (size_t i = 0; i < problems.size(); ++i) {
    const ProblemResults& p = problems[i];
    const bool joins = !groups.empty() && p.stage_code >= 2 &&
                       problems[groups.back().back()].stage_code >= 2 &&
                       problems[groups.back().back()].english == p.english;
    if (joins) {
      groups.back().push_back(i);
    } else {
      groups.push_back({i});
    }
  }
  return groups;
}

std::optional<double> excavation_line(const ProblemResults& p) {
  if (p.excavation_depth) return p.excavation_depth;
  if (p.reference_depth > 0.0) return p.reference_depth;
  return std::nullopt;
}

std::string support_name(const SupportResults& s) {
  return (s.tie_back ? "tie back " : "strut ") + std::to_string(s.number);
}

void write_summary(std::ostream& out, const RunResult& run,
                   const ResultsSource& source) {
  out << "korvan " << source.version << " -- " << source.input_name << ": "
      << run.results.size()
      << (run.results.size() == 1 ? " problem, " : " problems, ")
      << outcome_name(run) << "\n";
  for (const ProblemResults& p : run.results) {
    const Units u = units_of(p.english);
    out << "\n";
    if (const auto stage = stage_number(p)) {
      out << "Stage " << *stage;
    } else {
      out << "Problem " << p.number;
    }
    out << ": " << p.title << "\n";
    out << "  " << outcome_name(p.outcome);
    if (p.outcome != Outcome::kStopped) {
      out << " after " << p.iterations
          << (p.iterations == 1 ? " iteration" : " iterations");
    }
    out << "; " << (p.english ? "English" : "metric") << " units";
    // Moments, shears and forces per station are per the wall width that
    // the analysis represents.
    if (const std::string width = wall_width_text(p); !width.empty()) {
      out << "; moments and shears " << width;
    }
    out << "\n";
    for (const std::string& w : p.warnings) out << "  warning: " << w << "\n";
    if (p.stations.empty()) {
      out << "  no station results\n";
      continue;
    }
    auto line = [&](const std::string& label, std::optional<double> value,
                    const std::string& unit, double depth) {
      out << "  " << padded_right(label, 30);
      if (!value) {
        out << padded_left("none", 12) << "\n";
        return;
      }
      out << padded_left(number_text(*value), 12) << " "
          << padded_right(unit, 6)
          << padded_left(fixed_text(depth * u.depth_factor, 2), 9) << " "
          << u.depth << "\n";
    };
    out << "  " << padded_right("", 30) << padded_left("value", 12)
        << padded_left("depth", 16) << "\n";
    line("max deflection", p.max_deflection.value * u.deflection_factor,
         u.deflection, p.max_deflection.depth);
    line("max positive moment", shown_max_moment(p), u.moment,
         p.max_moment.depth);
    line("max negative moment", shown_min_moment(p), u.moment,
         p.min_moment.depth);
    line("max shear", p.max_shear.value, u.force, p.max_shear.depth);
    for (const SupportResults& s : p.supports) {
      line(support_name(s) + (s.tie_back ? " (per tie back)" : " (per strut)"),
           s.per_support, u.force, s.depth);
    }
    // A few restraints are supports; a spring bed is listed in the report.
    if (p.restraints.size() <= 4) {
      for (const RestraintResults& r : p.restraints) {
        line("restraint at station " + std::to_string(r.station), r.force,
             u.force, r.depth);
      }
    } else {
      out << "  restraint forces at " << p.restraints.size()
          << " stations: see the report\n";
    }
  }
}

}  // namespace korvan::report
