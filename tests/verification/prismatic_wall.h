// The wall of the closed-form checks: English units, one prismatic elastic
// section of E = 29.0E6 lb/in^2 and I = 100 in^4. Loads and conditions are
// added by the tests.
#pragma once

#include "model/problem.h"

namespace korvan::wall::fixtures {

constexpr double kE = 29.0e6;  // lb/in^2
constexpr double kI = 100.0;   // in^4
constexpr double kEI = kE * kI;

// A wall of n increments of h inches.
inline engine::Problem prismatic_wall(int n, double h) {
  engine::Problem p;
  p.control.unit_system = 1;
  p.geometry.increments = n;
  p.geometry.increment_length = h;
  p.geometry.allowable_deflection = 1.0e6;
  p.geometry.closure_tolerance = 1.0e-10;
  p.geometry.max_iterations = 100;
  engine::CrossSection c;
  c.dimensions[engine::CrossSection::kEquivalentDiameter] = 12.0;
  c.properties[engine::CrossSection::kMomentOfInertia] = kI;
  c.properties[engine::CrossSection::kElasticModulus] = kE;
  p.cross_sections.push_back(c);
  p.wall_sections.push_back({0.0, n * h / 12.0, 1});
  return p;
}

}  // namespace korvan::wall::fixtures
