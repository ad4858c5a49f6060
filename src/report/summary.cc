#include "report/summary.h"

#include <algorithm>
#include <cmath>
#include <ostream>

#include "engine/constants.h"
#include "report/fortran_format.h"

namespace korvan::report {
namespace {

std::string trimmed(const std::string& s) {
  const size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::string padded_left(const std::string& s, size_t width) {
  return s.size() >= width ? s : std::string(width - s.size(), ' ') + s;
}

std::string padded_right(const std::string& s, size_t width) {
  return s.size() >= width ? s : s + std::string(width - s.size(), ' ');
}

}  // namespace

Units units_of(bool english) {
  Units u;
  u.english = english;
  if (english) {
    u.length = "in";
    u.force = "lb";
    u.moment = "lb-in";
    u.line_load = "lb/in";
    u.rigidity = "lb-in^2";
    u.spacing = "ft";
    u.wale_load = "lb/ft";
    u.wale_moment = "lb-ft";
    u.depth = "ft";
    u.depth_factor = 1.0 / kInchesPerFoot;
    u.deflection = "in";
    u.deflection_factor = 1.0;
  } else {
    u.length = "m";
    u.force = "kN";
    u.moment = "kN-m";
    u.line_load = "kN/m";
    u.rigidity = "kN-m^2";
    u.spacing = "m";
    u.wale_load = "kN/m";
    u.wale_moment = "kN-m";
    u.depth = "m";
    u.depth_factor = 1.0;
    u.deflection = "mm";
    u.deflection_factor = 1000.0;
  }
  return u;
}

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

namespace {
void require_finite(double value) {
  if (!std::isfinite(value)) {
    throw NonFiniteValue(std::string("a result is not a finite number (") +
                         (value != value ? "NaN" : "infinite") + ")");
  }
}
}  // namespace

std::string fixed_text(double value, int decimals) {
  require_finite(value);
  std::string s = trimmed(fmt_f(value, 60, decimals));
  if (!s.empty() && s.back() == '.') s.pop_back();  // F editing of d = 0
  if (s.size() > 1 && s[0] == '-' &&
      s.find_first_not_of("-0.") == std::string::npos) {
    s.erase(0, 1);
  }
  return s;
}

std::string number_text(double value, int digits) {
  require_finite(value);
  const double magnitude = std::fabs(value);
  if (magnitude == 0.0) return "0";
  const int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
  if (exponent >= -3 && exponent < 6) {
    return fixed_text(value, std::max(0, digits - 1 - exponent));
  }
  return trimmed(fmt_e(value, 30, digits - 1, 1));
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
      << status_name(run.status) << "\n";
  for (const ProblemResults& p : run.results) {
    const Units u = units_of(p.english);
    out << "\n";
    if (const auto stage = stage_number(p)) {
      out << "Stage " << *stage;
    } else {
      out << "Problem " << p.number;
    }
    out << ": " << p.title << "\n";
    out << "  " << p.outcome;
    if (p.outcome != "stopped") {
      out << " after " << p.iterations
          << (p.iterations == 1 ? " iteration" : " iterations");
    }
    out << "; " << (p.english ? "English" : "metric") << " units\n";
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
