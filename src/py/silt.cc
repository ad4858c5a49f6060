// Silt p-y curves: soil with both cohesion and friction. The frictional
// resistance ps is that of sand after Reese, Cox and Koop (1974), "Analysis
// of laterally loaded piles in sand", OTC 2080 (the smaller of the wedge and
// the flow-around resistance); the cohesive resistance pc is the clay form
// of Matlock (1970), OTC 1204, (3 + gamma x / c + 0.5 x / b) c b, at most
// 9 c b. The curve has pu = A ps and pm = 1.5 ps + pc, with A from the sand
// tables, and takes one of three forms by where the initial line k x y
// meets the rest of it: the sand form (line, power curve, line, plateau),
// a line to the straight piece through pm and pu, or a line straight to pu.
#include <algorithm>
#include <cmath>
#include <limits>

#include "model/constants.h"
#include "py/models.h"

namespace korvan::py {
namespace {

// Silt takes pi at full precision (kPiFull) for its angles; friction
// angles still come back to degrees by 180 / 3.1416, the factor that made
// them radians.
constexpr double kK0 = 0.4;
constexpr double kSmallDeflection = 1.0e-14;
// The level of the excavation surface on the curve-depth scale (zS): the
// excavation line itself.
constexpr double kExcavationLevel = 0.0;
// The wall friction of the continuous-wall passive coefficient, 10 degrees.
constexpr double kWallFriction = double(0.17453332f);
constexpr double kCosWallFriction = 0.9848076840296858;

// Coefficients A and B of the sand model by depth / b, constant from 5 on.

// Initial modulus when the profile gives none: the stiff-clay default by
// strength (Reese, Cox and Koop 1975) plus an increment by friction angle,
// smaller for submerged soil. lb/in^3 or kN/m^3.
double default_k(double c, double phi, double gamma, bool english) {
  const double k = default_stiff_clay_k(c, english);
  // [english][submerged][up to 30, up to 36, above 36 degrees]
  static constexpr double kIncrement[2][2][3] = {
      {{6786.18017578125, 24430.240234375, 61075.6015625},
       {5428.93994140625, 16286.830078125, 33930.8984375}},
      {{25.0, 90.0, 225.0}, {20.0, 60.0, 125.0}}};
  const double phi_d = to_degrees(phi);
  const bool submerged = gamma <= (english ? double(0.04507112f) : 12.225);
  const int row = phi_d <= 30.0 ? 0 : phi_d <= 36.0 ? 1 : 2;
  return k + kIncrement[english ? 1 : 0][submerged ? 1 : 0][row];
}

// A slope steeper than the friction angle has no real active coefficient
// (and makes the passive one's root negative): a cohesionless face cannot
// stand steeper than phi. The earth-pressure coefficients therefore see
// the slope limited to phi. At that limit the active coefficient is
// cos(phi), the value its formula reaches as the slope grows to phi, so the
// coefficient is continuous in the slope; with phi = 0 it is 1, the level
// value.
double limited_slope(double theta, double phi) {
  return std::min(theta, std::max(phi, 0.0));
}

// Rankine's active coefficient, for a surface sloping at theta (> 1E-10).
double active_coefficient(double phi, double theta) {
  if (!(theta > 1.0e-10)) {
    const double t = std::tan(kPiFull / 4.0 - phi / 2.0);
    return t * t;
  }
  const double ct = std::cos(limited_slope(theta, phi));
  const double cp = std::cos(phi);
  const double r = std::sqrt(std::max(ct * ct - cp * cp, 0.0));
  return ct * (ct - r) / (ct + r);
}

// The passive coefficient of a continuous wall (Coulomb) with a wall
// friction of 10 degrees; i is the slope of the surface in front of it.
double passive_coefficient(double phi, double i) {
  const double slope = limited_slope(i, phi);
  const double root =
      std::sqrt(std::max(std::sin(phi + kWallFriction) * std::sin(phi - slope) /
                             (kCosWallFriction * std::cos(slope)),
                         0.0));
  const double cp = std::cos(phi);
  return cp * cp / kCosWallFriction / ((1.0 - root) * (1.0 - root));
}

struct Angles {
  double phi = 0.0, alpha = 0.0, beta = 0.0, ka = 0.0;
};

Angles angles(double phi, double ka) {
  return {phi, phi / 2.0, kPiFull / 4.0 + phi / 2.0, ka};
}

// The wedge resistance (Reese, Cox and Koop 1974) at depth x; with theta
// above 0, the form for a surface sloping down from the wall.
double wedge(const Angles& a, double gamma, double x, double b, double theta) {
  const double tb = std::tan(a.beta), ta = std::tan(a.alpha);
  const double tp = std::tan(a.phi), sb = std::sin(a.beta);
  const double tbp = std::tan(a.beta - a.phi), ca = std::cos(a.alpha);
  if (theta > 0.0) {
    const double tt = std::tan(theta);
    const double g = 1.0 / (1.0 + tt * tb);
    const double d = tt * tb * g;
    const double f = (4.0 * d - 3.0) * d * d + 1.0;
    return gamma * x *
           (tb / tbp * (b + x * tb * ta * g) * g - a.ka * b +
            f * kK0 * x * tp * sb / (tbp * ca) +
            f * kK0 * x * tb * (tp * sb - ta));
  }
  return gamma * x *
         (kK0 * x * tp * sb / (tbp * ca) + tb / tbp * (b + x * tb * ta) +
          kK0 * x * tb * (tp * sb - ta) - a.ka * b);
}

// The flow-around resistance at depth x.
double flow_around(const Angles& a, double gamma, double x, double b) {
  const double t4 = std::pow(std::tan(a.beta), 4);
  return b * gamma * x * (a.ka * (t4 * t4 - 1.0) + kK0 * std::tan(a.phi) * t4);
}

// The deflections of the sand form: two points up to the base deflection
// yb, nine between it and ym, then ym, two between ym and yu, yu and 1.2 yu.
// When yb lies beyond 0.75 ym the points up to ym are spread in sixths
// instead; the base-deflection rule (yb at most ym / 5) keeps yb below that.
std::array<double, 17> power_form_deflections(double yb, double ym, double yu) {
  std::array<double, 17> y{};
  if (0.75 * ym < yb) {
    for (int j = 1; j <= 6; ++j) y[static_cast<size_t>(j)] = j * yb / 6.0;
    for (int j = 1; j <= 5; ++j) {
      y[static_cast<size_t>(6 + j)] = yb + (ym - yb) * j / 6.0;
    }
  } else {
    y[1] = yb / 2.0;
    y[2] = yb;
    for (int j = 1; j <= 9; ++j) {
      y[static_cast<size_t>(2 + j)] = yb + (ym - yb) * j / 10.0;
    }
  }
  y[12] = ym;
  y[13] = (yu + 2.0 * ym) / 3.0;
  y[14] = (2.0 * yu + ym) / 3.0;
  y[15] = yu;
  y[16] = 1.2 * yu;
  return y;
}

// The 17 points (before multipliers and p0) of a curve with ultimate
// resistance pu, pm at ym = bt / 60, pu at yu = 3 bt / 80, and the initial
// line kx y.
std::array<CurvePoint, 17> curve(double x, double kx, double pu, double pm,
                                 double bt) {
  std::array<CurvePoint, 17> points{};
  double ym = bt / 60.0;
  double yu = 3.0 * bt / 80.0;
  if (!(x > 0.0) || !(kx > 0.0) || !(pm > 0.0)) {
    // At the surface (and wherever the soil offers nothing) no form is
    // chosen: a zero curve on the sand form's deflections, which only the
    // load p0 moves.
    const auto y = power_form_deflections(ym / 10.0, ym, yu);
    for (size_t i = 0; i < y.size(); ++i) points[i] = {y[i], 0.0};
    return points;
  }
  const double m = (pu - pm) / (yu - ym);
  double n, c, yk;
  if (m != 0.0) {
    n = pm / (std::fabs(m) * ym);
    c = pm / std::pow(ym, 1.0 / n);
    yk = std::pow(c / kx, n / (n - 1.0));
  } else {
    // pu = pm: the power curve flattens into the plateau pm, which the
    // initial line meets at pm / kx.
    n = std::numeric_limits<double>::infinity();
    c = pm;
    yk = pm / kx;
  }

  std::array<double, 17> y{};
  if (!(yk >= 0.0 && yk < ym)) {
    const double ya = (pm - ym * m) / (kx - m);
    if (ya >= ym && ya < yu) {
      // Line to yA, then the straight piece through (ym, pm) to pu at yu.
      const double fractions[9] = {0.0,   0.125, 0.25, 0.375, 0.5,
                                   0.625, 0.875, 1.0,  1.0};
      for (size_t i = 0; i < 9; ++i) y[i] = fractions[i] * ya;
      for (int j = 1; j <= 5; ++j) {
        y[static_cast<size_t>(8 + j)] = ya + (yu - ya) * j / 6.0;
      }
      y[14] = yu;
      y[15] = 1.1 * yu;
      y[16] = 1.2 * yu;
      for (size_t i = 0; i < y.size(); ++i) {
        double p = y[i] <= ya  ? kx * y[i]
                   : y[i] < yu ? kx * ya + m * (y[i] - ya)
                               : pu;
        points[i] = {y[i], std::min(p, kx * y[i])};
      }
      return points;
    }
    const double y_pu = pu / kx;  // where the initial line reaches pu
    if (!(yu > y_pu)) {
      // A straight line to pu, then the plateau.
      for (int j = 0; j <= 12; ++j) {
        y[static_cast<size_t>(j)] = j * y_pu / 12.0;
      }
      y[13] = 1.05 * y_pu;
      y[14] = 1.10 * y_pu;
      y[15] = 1.15 * y_pu;
      y[16] = 1.20 * y_pu;
      for (size_t i = 0; i < y.size(); ++i) {
        const double p = y[i] <= y_pu ? kx * y[i] : pu;
        points[i] = {y[i], std::min(p, kx * y[i])};
      }
      return points;
    }
  }

  // The sand form. When the initial line would meet the power curve only
  // beyond yu, the curve is shortened to the line up to pu: yu moves to
  // pu / kx and ym with it; m, n and C stay, and the cap kx y makes the
  // line and the plateau.
  if (yu < yk && pu > 0.0) {
    const double shortened = pu / kx;
    ym *= shortened / yu;
    yu = shortened;
    yk = ym / 10.0;
  }
  const double yb = yk > ym / 5.0 ? ym / 10.0 : yk;
  y = power_form_deflections(yb, ym, yu);
  for (size_t i = 0; i < y.size(); ++i) {
    const double v = y[i];
    double p;
    if (v >= ym) {
      p = v < yu ? pm + m * (v - ym) : pu;
    } else if (v <= yk) {
      p = kx * v;
    } else {
      p = c * std::pow(v, 1.0 / n);
    }
    points[i] = {v, std::min(p, kx * v)};
  }
  return points;
}

// What both side passes of one curve depth share.
struct Shared {
  double c = 0.0;
  double k = 0.0;
  double theta = 0.0;    // slope of the excavation surface, radians, >= 0
  bool sloping = false;  // the wedge takes the sloping form
  Angles angles;
  SideLoads loads;  // the multipliers and p0
};

struct SideResult {
  SideCurve curve;
  double pu = 0.0;
  std::optional<PyStop> stop;
};

SideResult side(const ModelInput& in, const Shared& sh, bool excavation) {
  const PySoil& s = in.soil;
  const auto [true_depth, x] = side_depths(in, excavation);
  const SideProfile& profile = profile_of(s, excavation);
  const Looked looked_gamma = average_unit_weight(profile, true_depth);
  if (looked_gamma.stop) return stopped_at<SideResult>(*looked_gamma.stop);
  const double gamma = looked_gamma.value;
  const double b = s.width;
  const bool continuous = continuous_wall(s);
  const double bt = table_width(s);
  const double c = sh.c;
  const double phi = sh.angles.phi;
  const double slope = slope_factor(s, excavation);
  double ps, pc = 0.0;
  if (continuous) {
    const Looked looked_sigma =
        vertical_stress(profile, true_depth, !excavation);
    if (looked_sigma.stop) return stopped_at<SideResult>(*looked_sigma.stop);
    const double sigma = looked_sigma.value;
    const double i = excavation && sh.theta > 1.0e-15 ? sh.theta : 0.0;
    const double kp = passive_coefficient(phi, i);
    ps = kp * sigma * b;
    pc = 2.0 * c * b * std::sqrt(kp) * slope;
  } else {
    const bool sloping = excavation && sh.sloping;
    const double flow = flow_around(sh.angles, gamma, x, b);
    if (sloping && sh.theta > 1.0e-10 &&
        !(1.0 + std::tan(sh.theta) * std::tan(sh.angles.beta) > 1.0e-10)) {
      ps = flow;
    } else {
      ps = std::min(wedge(sh.angles, gamma, x, b, sloping ? sh.theta : 0.0),
                    flow);
    }
    if (c > 0.0) {
      const double np = (gamma * x / c + 3.0 + 0.5 * x / b) * slope;
      pc = np < 9.0 ? np * c * b : 9.0 * c * b;
    }
  }
  // On a steep slope the wedge's own weight term can fall below the
  // active push on it; a frictional resistance is never taken negative.
  ps = std::max(ps, 0.0);

  const double r = std::max(x, 0.0) / bt;
  const double a = coefficient(sand_a(s.cyclic), r);
  const double pu = a * ps;
  const double pm = 1.5 * ps + pc;
  const auto raw = curve(x, sh.k * x, pu, pm, bt);

  SideResult result;
  result.pu = pu;
  SideCurve& out = result.curve;
  out = side_curve(x, b, c, gamma, sh.loads);
  out.k = sh.k;
  out.phi_degrees = to_degrees(phi);
  out.a = a;
  out.b = coefficient(sand_b(s.cyclic), r);  // printed only
  out.continuous = continuous;
  out.wedge = ps;  // the frictional part (Kp sigma b on a continuous wall)
  out.flow = pc;   // the cohesive part
  for (size_t i = 0; i < raw.size(); ++i) {
    out.points[i] = side_point(raw[i].y, raw[i].p, sh.loads, excavation);
  }
  return result;
}

double tan2(double v) {
  const double t = std::tan(v);
  return t * t;
}

}  // namespace

// The layering method for silt: the ultimate resistance (3 + gamma x / c +
// 0.5 x / b) c b + A times the wedge resistance, summed over 50 steps down
// to xl, where the wedge meets the flow-around resistance, and beyond it
// 0.88 times the flow-around resistance at xc plus 9 c b. The wedge and
// flow-around factors take the level-ground Ka = tan^2(pi/4 - phi/2), for
// which Ka tan^2(beta) = 1.
double equivalent_depth_silt(double above, double b, double width_for_tables,
                             double phi, double c, double gamma, bool cyclic,
                             double xc) {
  const double alpha = phi / 2.0, beta = kPiFull / 4.0 + phi / 2.0;
  const double ka = tan2(kPiFull / 4.0 - phi / 2.0);
  const double tb = std::tan(beta), ta = std::tan(alpha);
  const double c1 = tb * tb - ka;
  const double tp = std::tan(phi);
  const double c2 =
      tb * (tb * tb * ta +
            kK0 * (tp * std::sin(beta) * (1.0 + 1.0 / std::cos(alpha)) - ta));
  const double c3 = tb * tb * tb * tb * (tb * tb + kK0 * tp) - ka;
  const CoefficientTable& table = sand_a(cyclic);
  auto ultimate = [&](double x) {
    const double r = x / b;
    return (gamma * b + 0.5 * c) * x +
           (c1 * r + c2 * r * r) * gamma * b * b *
               coefficient(table, x / width_for_tables) +
           3.0 * c * b;
  };
  // Without friction the wedge never grows (c2 = 0): no steps.
  double xl = c2 > 0.0 ? (c3 - c1) * b / c2 : 0.0;
  if (!(xl > 0.0) || !std::isfinite(xl) || !(width_for_tables > 0.0)) {
    xl = 0.0;
  }
  double sum = 0.0;
  if (xl > 0.0) {
    constexpr int kSteps = 50;
    const double d = xl / kSteps;
    for (int n = 1; n <= kSteps; ++n) {
      const double x = n * d;
      const double next = sum + ultimate(x) * d;
      if (next > above) return x - d * (next - above) / (next - sum);
      sum = next;
    }
  }
  const double deep = 0.88 * c3 * gamma * b * xc + 9.0 * b * c;
  return deep > 0.0 ? xl + (above - sum) / deep : xl;
}

ModelResult silt(const ModelInput& in) {
  const PySoil& s = in.soil;
  const DerivedLayer& layer = s.layers[in.layer];
  ModelResult result;
  LayerState local;
  LayerState& state = in.state != nullptr ? *in.state : local;

  Shared sh;
  const Looked looked_c = look_up(in.profile, Property::kStrength, in.z);
  if (looked_c.stop) return stopped(*looked_c.stop);
  sh.c = looked_c.value;
  const Looked looked_phi = look_up(in.profile, Property::kPhi, in.z);
  if (looked_phi.stop) return stopped(*looked_phi.stop);
  const double phi = looked_phi.value;
  const double signed_slope = to_radians_57(s.excavation_slope);
  sh.theta = std::fabs(signed_slope);
  sh.sloping = sh.theta > 1.0e-15 && signed_slope > kSmallDeflection;
  sh.angles = angles(phi, active_coefficient(phi, sh.theta));
  // k and the equivalent depth come from the excavation side.
  const double true_depth = in.z - kExcavationLevel;
  const Looked looked_gamma = average_unit_weight(s.excavation, true_depth);
  if (looked_gamma.stop) return stopped(*looked_gamma.stop);
  const double gamma = looked_gamma.value;
  const Looked looked_k = look_up(in.profile, Property::kModulus, in.z);
  if (looked_k.stop) return stopped(*looked_k.stop);
  sh.k = looked_k.value;
  if (!(sh.k > 0.0)) sh.k = default_k(sh.c, phi, gamma, s.english);

  const double b = s.width;
  const double bt = table_width(s);
  ModelInput input = in;
  if (in.layer > 0 && in.first_of_layer) {
    // xc, the depth at which the deep resistance is taken, is the curve's
    // depth below the excavation surface (x before the equivalent depth
    // takes its place).
    input.equivalent_depth = equivalent_depth_silt(
        in.resistance_above, b, bt, phi, sh.c, gamma, s.cyclic, true_depth);
    result.equivalent_depth = input.equivalent_depth;
  }

  double p0 = side_pressure(s, in.z) - 2.0 * sh.c * std::sqrt(sh.angles.ka) * b;
  if (!(p0 >= 1.0e-5)) p0 = 0.0;
  sh.loads = side_loads(s, in.z, p0);

  const SideResult e = side(input, sh, true);
  if (e.stop) return stopped(*e.stop);
  const SideResult w = side(input, sh, false);
  if (w.stop) return stopped(*w.stop);
  result.excavation = e.curve;
  result.backfill = w.curve;

  // The resistance sum: trapezoids of pu between the curve depths, and at
  // the layer's last curve depth pu down to the layer bottom.
  double added = 0.0;
  if (!in.first_of_layer) {
    added += 0.5 * (state.previous_ultimate + e.pu) * (in.z - in.previous_z);
  }
  if (in.z == s.curve_depths[static_cast<size_t>(layer.last_curve)]) {
    added += e.pu * (layer.bottom - in.z);
  }
  // running_sum keeps this layer's sum so far, for the rule below that
  // replaces it rather than adding to it.
  if (in.first_of_layer) state.running_sum = 0.0;
  if (in.layer == 0 && kExcavationLevel < -1.0e-5) {
    // An excavation surface above the excavation line: the first layer
    // counts the mean of the surface and current resistances over its
    // whole depth below that surface.
    added = (3.0 * sh.c * b + e.pu) / 2.0 * (layer.bottom - kExcavationLevel) -
            state.running_sum;
  }
  state.running_sum += added;
  state.previous_ultimate = e.pu;
  result.resistance = added;
  return result;
}

}  // namespace korvan::py
