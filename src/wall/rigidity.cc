#include "wall/rigidity.h"

#include <cmath>

#include "model/constants.h"

namespace korvan::wall {

RigidityModel rigidity_model(const engine::Problem& problem) {
  RigidityModel m;
  m.increments = problem.geometry.increments;
  m.increment_length = problem.geometry.increment_length;
  m.english = problem.units() == engine::UnitSystem::kEnglish;
  m.adjust = problem.geometry.section_adjustment > 0;
  m.spacing = problem.soil.wall.width_pressure;
  // Moment of inertia is entered in mm^4 in metric units.
  const double inertia_scale = m.english ? 1.0 : kMm4PerM4;
  for (const engine::WallSection& w : problem.wall_sections) {
    const engine::CrossSection& c =
        problem.cross_sections[static_cast<size_t>(w.cross_section - 1)];
    SectionRigidity s;
    s.top = w.top;
    s.bottom = w.bottom;
    s.diameter = c.equivalent_diameter();
    s.nonlinear = !c.elastic();
    if (s.nonlinear) {
      // The first thrust level of the section's own table; a user-defined
      // EI section without one uses the first user-defined EI set.
      if (!c.moment_curvature.empty()) {
        s.table = c.moment_curvature.front().points;
      } else if (!problem.ei_sets.empty()) {
        s.table = problem.ei_sets.front().points;
      }
    } else {
      s.ei_top = c.elastic_modulus() * (c.moment_of_inertia() / inertia_scale);
      s.ei_bottom = c.bottom_rows > 0
                        ? c.bottom_elastic_modulus() *
                              (c.bottom_moment_of_inertia() / inertia_scale)
                        : s.ei_top;
    }
    m.sections.push_back(std::move(s));
  }
  return m;
}

bool rigidity_varies(const RigidityModel& m) {
  if (m.adjust) return true;
  for (const SectionRigidity& s : m.sections) {
    if (s.nonlinear) return true;
  }
  return false;
}

double secant_rigidity(const std::vector<engine::CurvaturePoint>& t, double phi,
                       double unchanged) {
  if (t.size() < 2) return unchanged;
  if (phi <= kSmallCurvature) return t[1].moment / t[1].curvature;
  if (phi >= t.back().curvature) return t.back().moment / phi;
  for (size_t p = 1; p < t.size(); ++p) {
    if (t[p].curvature >= phi) {
      const double moment =
          t[p - 1].moment + (phi - t[p - 1].curvature) *
                                (t[p].moment - t[p - 1].moment) /
                                (t[p].curvature - t[p - 1].curvature);
      return moment / phi;
    }
  }
  return unchanged;
}

namespace {

// EI of section i at depth x, between its top and bottom values.
double section_value(const SectionRigidity& s, double x, double phi,
                     double unchanged) {
  if (s.nonlinear) return secant_rigidity(s.table, phi, unchanged);
  if (x <= s.top) return s.ei_top;
  if (x >= s.bottom) return s.ei_bottom;
  return s.ei_top + (x - s.top) * (s.ei_bottom - s.ei_top) / (s.bottom - s.top);
}

}  // namespace

void evaluate_rigidity(const RigidityModel& m, const StationTable& w,
                       bool in_iteration, StationTable& f) {
  if (m.sections.empty()) return;
  const double h = m.increment_length;
  const double h2 = h * h;
  // Station depths accumulate in the unit of the wall sections.
  const double step = in_feet(h, m.english);
  double x = 0.0;
  for (int s = 0; s <= m.increments; ++s, x += step) {
    const size_t i = static_cast<size_t>(StationModel::index(s));
    const double phi = std::fabs(w[i - 1] - 2.0 * w[i] + w[i + 1]) / h2;
    const SectionRigidity* section = nullptr;
    double at = x;
    if (x <= m.sections.front().top) {
      section = &m.sections.front();
      at = section->top;
    } else if (x >= m.sections.back().bottom) {
      section = &m.sections.back();
      at = section->bottom;
    } else {
      for (const SectionRigidity& candidate : m.sections) {
        if (candidate.bottom >= x) {
          section = &candidate;
          break;
        }
      }
    }
    double ei = section_value(*section, at, phi, f[i]);
    if (in_iteration && m.adjust) {
      ei *= m.spacing / section->diameter;
      if (!m.english) ei *= kSectionAdjustmentMetric;
    }
    f[i] = ei;
  }
}

}  // namespace korvan::wall
