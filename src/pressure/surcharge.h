// Lateral pressure of surcharge loadings on the backfill: point, line and
// strip loads by the elastic solutions with empirical coefficients.
#pragma once

#include <vector>

#include "model/problem.h"

namespace korvan::pressure {

// Lateral pressure at depth z below the load level of a load Q (point:
// force; line: force per length; strip: pressure) at horizontal distance x
// from the wall (a strip: to its middle; b its full width), with reference
// height href: m = x/href, n = z/href. `resultant_form` selects the
// constants of the per-sublayer resultants (1.273 for the line load beyond
// m = 0.4, 0.6366 for 2/pi of the strip).
double point_load_pressure(double q, double x, double z, double href);
double line_load_pressure(double q, double x, double z, double href,
                          bool resultant_form);
double strip_load_pressure(double q, double x, double b, double z,
                           bool resultant_form);

// The reference height of the formulas: the free height, or the wall
// length when the free height is below 1E-6.
double reference_height(double free_height, double wall_length);
bool uses_wall_length(double free_height);

// The sum of the lateral pressures of all loadings at depth z: each
// loading is evaluated at the deepest of 200 grid depths j L/200 that lies
// above v + z (zero when none does).
double surcharge_pressure(const std::vector<engine::Surcharge>& loadings,
                          double z, double wall_length, double href);

// The older-style single loading values after the loadings are listed: a
// point load sets the point load (P f) and x and clears the line and strip
// loads; a line load likewise; a strip load sets the strip load, x and the
// strip width.
engine::SurfaceLoads older_style_values(const engine::SoilProfile& soil);

// The surcharge resultant of a sublayer (top, thickness t) per unit width
// from the older-style values: each load above 1E-4 evaluated at the
// middle of 10 equal steps through the sublayer, times t/10.
double sublayer_surcharge(const engine::SurfaceLoads& loads, double top,
                          double t, double href);

}  // namespace korvan::pressure
