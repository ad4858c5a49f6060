// Sand p-y curves after Reese, Cox and Koop (1974), "Analysis of laterally
// loaded piles in sand", OTC 2080: the ultimate resistance is the smaller
// of a wedge resistance near the surface and a flow-around resistance at
// depth, scaled by the empirical coefficients A (to pu, at 3b/80) and B (to
// pm, at b/60); the curve is the initial line k x y, a parabola C y^(1/n)
// from the line to (ym, pm), a straight line to (yu, pu) and the plateau.
// For a continuous wall the resistance is a passive pressure Kp sigma b.
#include <algorithm>
#include <cmath>

#include "model/constants.h"
#include "py/models.h"

namespace korvan::py {
namespace {

constexpr double kK0 = 0.4;         // at-rest earth pressure coefficient
constexpr double kLevel = 1.0e-15;  // slopes up to this count as level
constexpr double kNoModulus = 1.0e-14;

// A and B by depth / b, constant from 5 (the last two columns are equal).
const std::vector<double> kRelativeDepths = {0.0, 0.5, 1.0, 1.5, 2.0,
                                             2.5, 3.0, 4.0, 5.0, 6.0};
const CoefficientTable kAStatic{
    kRelativeDepths,
    {2.83, 2.48, 2.11, 1.76, 1.48, 1.23, 1.06, 0.90, 0.88, 0.88}};
const CoefficientTable kBStatic{
    kRelativeDepths,
    {2.14, 1.83, 1.54, 1.27, 1.05, 0.86, 0.71, 0.53, 0.50, 0.50}};
const CoefficientTable kACyclic{
    kRelativeDepths,
    {0.75, 0.93, 1.07, 1.11, 1.03, 0.98, 0.94, 0.90, 0.88, 0.88}};
const CoefficientTable kBCyclic{
    kRelativeDepths,
    {0.53, 0.72, 0.83, 0.86, 0.82, 0.77, 0.70, 0.55, 0.55, 0.55}};

double square(double v) { return v * v; }

// The angle quantities of the failure wedge, with pi taken as 3.1416.
struct Wedge {
  double phi, alpha, beta, ka;
  double tan_phi, tan_alpha, tan_beta, sin_beta, cos_alpha;
  double tan_beta_less_phi;

  explicit Wedge(double friction)
      : phi(friction),
        alpha(friction / 2.0),
        beta(kPi3_1416 / 4.0 + friction / 2.0),
        ka(square(std::tan(kPi3_1416 / 4.0 - friction / 2.0))),
        tan_phi(std::tan(phi)),
        tan_alpha(std::tan(alpha)),
        tan_beta(std::tan(beta)),
        sin_beta(std::sin(beta)),
        cos_alpha(std::cos(alpha)),
        tan_beta_less_phi(std::tan(beta - phi)) {}

  // The wedge resistance at depth x of a wall element of width b, with the
  // ground level in front of it.
  double level(double gamma, double x, double b) const {
    return gamma * x *
           (kK0 * x * tan_phi * sin_beta / (tan_beta_less_phi * cos_alpha) +
            tan_beta / tan_beta_less_phi * (b + x * tan_beta * tan_alpha) +
            kK0 * x * tan_beta * (tan_phi * sin_beta - tan_alpha) - ka * b);
  }

  // The same with the ground sloping at theta (radians) in front of it.
  double sloping(double gamma, double x, double b, double theta) const {
    const double t = std::tan(theta) * tan_beta;
    const double g = 1.0 / (1.0 + t);
    const double d = t * g;
    const double f = (4.0 * d - 3.0) * d * d + 1.0;
    return gamma * x *
           (tan_beta / tan_beta_less_phi * (b + x * tan_beta * tan_alpha * g) *
                g -
            ka * b +
            f * kK0 * x * tan_phi * sin_beta / (tan_beta_less_phi * cos_alpha) +
            f * kK0 * x * tan_beta * (tan_phi * sin_beta - tan_alpha));
  }

  // The flow-around resistance at depth x.
  double flow(double gamma, double x, double b) const {
    const double t4 = std::pow(tan_beta, 4.0);
    return b * gamma * x * (ka * (t4 * t4 - 1.0) + kK0 * tan_phi * t4);
  }
};

// The passive coefficient of a continuous wall with wall friction phi/2,
// the ground in front sloping at i (radians). A slope steeper than phi
// leaves no passive wedge under the root; the root is then taken as 0.
double passive_coefficient(double phi, double i) {
  const double delta = phi / 2.0;
  const double r = std::sin(phi + delta) * std::sin(phi - i) /
                   (std::cos(delta) * std::cos(i));
  return square(std::cos(phi)) / std::cos(delta) /
         square(1.0 - std::sqrt(std::max(r, 0.0)));
}

// The default initial modulus of subgrade reaction (lb/in^3 or kN/m^3)
// from phi in radians; submerged sand when gamma is at most 0.045 lb/in^3
// (12.225 kN/m^3).
double default_modulus(double phi, double gamma, bool english) {
  const double d = to_degrees(phi);
  const bool submerged = gamma <= (english ? 0.045 : 12.225);
  if (d > 45.0) {
    if (english) return submerged ? 228.76556 : 394.71298;
    return submerged ? 62097.7578 : 107143.71;
  }
  double k;
  if (d < 27.6423) {
    k = (submerged ? 10.206726 : 10.206787) * d / 27.6423;
  } else if (submerged) {
    k = ((0.0166 * d - 1.55262) * d + 58.42955) * d - 769.18353;
  } else {
    k = (0.4168 * d - 8.1254) * d - 83.664;
  }
  return english ? k : k * 271.44714;
}

// The four-piece curve of one side.
struct Curve {
  double kx = 0.0;  // slope of the initial line
  double pm = 0.0, pu = 0.0;
  double ym = 0.0, yu = 0.0, yk = 0.0;
  double m = 0.0, n = 1.0, c = 0.0;

  double at(double y) const {
    double p;
    if (y >= ym) {
      p = y < yu ? pm + m * (y - ym) : pu;
    } else if (y <= yk) {
      p = kx * y;
    } else {
      p = c * std::pow(y, 1.0 / n);
    }
    return std::min(p, kx * y);
  }
};

// The curve through (ym, pm) and (yu, pu) from the line k x y. When the
// line would meet the parabola only beyond yu, the line runs straight to
// pu: yu moves to pu / (k x), ym with it, and yk to ym / 10 (m, n and C
// stay, the cap k x y giving the line and the plateau). Without a depth, a
// modulus or a resistance there is no parabola and the curve is zero: yk
// is then 2b, and the deflections keep their plain spacing.
Curve curve(double pu, double pm, double kx, double x, double width) {
  Curve r;
  r.kx = kx;
  r.pu = pu;
  r.pm = pm;
  r.ym = width / 60.0;
  r.yu = 3.0 * width / 80.0;
  r.yk = 2.0 * width;
  if (!(x > 0.0) || !(kx > 0.0) || !(pm > 0.0) || !(pu > pm)) return r;
  r.m = (pu - pm) / (r.yu - r.ym);
  r.n = pm / (r.m * r.ym);
  r.c = pm / std::pow(r.ym, 1.0 / r.n);
  r.yk = std::pow(r.c / kx, r.n / (r.n - 1.0));
  if (r.yu < r.yk) {
    const double yu = pu / kx;
    r.ym *= yu / r.yu;
    r.yu = yu;
    r.yk = r.ym / 10.0;
  }
  return r;
}

// The 17 deflections: two below the base deflection yb, nine between it
// and ym, then on to 1.2 yu.
std::array<double, 17> deflections(const Curve& c) {
  const double yb = c.yk > c.ym / 5.0 ? c.ym / 10.0 : c.yk;
  std::array<double, 17> y{};
  y[1] = yb / 2.0;
  y[2] = yb;
  for (int j = 1; j <= 9; ++j) {
    y[static_cast<size_t>(2 + j)] = yb + (c.ym - yb) * j / 10.0;
  }
  y[12] = c.ym;
  y[13] = (c.yu + 2.0 * c.ym) / 3.0;
  y[14] = (2.0 * c.yu + c.ym) / 3.0;
  y[15] = c.yu;
  y[16] = 1.2 * c.yu;
  return y;
}

struct SideResult {
  SideCurve curve;
  double pu = 0.0;
  std::optional<PyStop> stop;
};

// One side pass at curve depth Z. Soil properties are read at Z on both
// sides; x is the depth below that side's soil surface (Z on the
// excavation side, Z + H - z0 below the backfill surface), or in a lower
// layer the equivalent depth counted from the layer top. The coefficients
// A and B go by the side's true depth below its surface, Z or Z'.
SideResult side(const ModelInput& in, bool excavation, double phi, double k) {
  const PySoil& s = in.soil;
  const double z = in.z;
  const auto [true_depth, x] = side_depths(in, excavation);
  const SideProfile& profile = profile_of(s, excavation);
  const Looked looked_gamma = average_unit_weight(profile, true_depth);
  if (looked_gamma.stop) return stopped_at<SideResult>(*looked_gamma.stop);
  const double gamma = looked_gamma.value;
  const double b = s.width;
  const double width = table_width(s);
  const bool continuous = continuous_wall(s);

  const Wedge w(phi);
  const double theta =
      excavation ? std::fabs(to_radians_57(s.excavation_slope)) : 0.0;
  const bool sloping = theta > kLevel;
  const double wedge =
      sloping ? w.sloping(gamma, x, b, theta) : w.level(gamma, x, b);
  const double flow = w.flow(gamma, x, b);
  double ps = std::min(wedge, flow);
  if (continuous) {
    const Looked sigma = vertical_stress(profile, true_depth, !excavation);
    if (sigma.stop) return stopped_at<SideResult>(*sigma.stop);
    ps = passive_coefficient(phi, sloping ? theta : 0.0) * sigma.value * b;
  }
  const double relative = true_depth / width;
  const double a = coefficient(s.cyclic ? kACyclic : kAStatic, relative);
  const double bc = coefficient(s.cyclic ? kBCyclic : kBStatic, relative);
  const double pu = a * ps;
  const Curve c = curve(pu, bc * ps, k * x, x, width);

  double p0 = side_pressure(s, z);
  if (p0 < 1.0e-5) p0 = 0.0;
  const SideLoads loads = side_loads(s, z, p0);

  SideResult r;
  r.pu = pu;
  SideCurve& out = r.curve;
  out = side_curve(x, b, 0.0, gamma, loads);
  out.phi_degrees = to_degrees(phi);
  out.k = k;
  out.a = a;
  out.b = bc;
  out.continuous = continuous;
  out.wedge = continuous ? ps : wedge;
  out.flow = continuous ? 0.0 : flow;
  const std::array<double, 17> ys = deflections(c);
  for (size_t i = 0; i < ys.size(); ++i) {
    out.points[i] = side_point(ys[i], c.at(ys[i]), loads, excavation);
  }
  return r;
}

}  // namespace

// The wedge resistance is gamma b^2 (C1 x/b + C2 (x/b)^2) and the
// flow-around resistance gamma b x C3; they meet at xl. Down to xl the
// resistance A pst is summed in 100 steps; beyond it the flow-around
// resistance at the curve's depth xc, with A at its deep value 0.88.
double equivalent_depth_sand(double above, double b, double width_for_tables,
                             double phi, double gamma, bool cyclic, double xc) {
  if (!(above > 0.0)) return 0.0;
  const Wedge w(phi);
  const double t2 = square(w.tan_beta);
  const double c1 = t2 - w.ka;
  const double c2 =
      w.tan_beta * (t2 * w.tan_alpha +
                    kK0 * (w.tan_phi * w.sin_beta * (1.0 + 1.0 / w.cos_alpha) -
                           w.tan_alpha));
  const double c3 = t2 * t2 * (t2 + kK0 * w.tan_phi) - w.ka;
  if (!(c2 > 0.0) || !(gamma > 0.0) || !(b > 0.0) ||
      !(width_for_tables > 0.0)) {
    return 0.0;
  }
  const double xl = (c3 - c1) * b / c2;
  if (!(xl > 0.0)) return 0.0;
  const CoefficientTable& table = cyclic ? kACyclic : kAStatic;
  constexpr int kSteps = 100;
  const double d = xl / kSteps;
  double sum = 0.0;
  for (int n = 1; n <= kSteps; ++n) {
    const double x = n * d;
    const double r = x / b;
    const double next = sum + (c1 * r + c2 * r * r) * gamma * b * b * d *
                                  coefficient(table, x / width_for_tables);
    if (next > above) return x - d * (next - above) / (next - sum);
    sum = next;
  }
  const double deep = 0.88 * c3 * gamma * b * xc;
  return deep > 0.0 ? xl + (above - sum) / deep : xl;
}

// The initial modulus is read once at Z; its default depends on the
// excavation side's unit weight and serves the backfill side as well.
// The layer's resistance sum takes the trapezoid of pu over each step
// between curve depths and, at the last one, pu down to the layer bottom.
ModelResult sand(const ModelInput& in) {
  const PySoil& s = in.soil;
  ModelResult result;
  LayerState local;
  LayerState& state = in.state != nullptr ? *in.state : local;

  const Looked looked_phi = look_up(in.profile, Property::kPhi, in.z);
  if (looked_phi.stop) return stopped(*looked_phi.stop);
  const double phi = looked_phi.value;
  const Looked looked_gamma = average_unit_weight(s.excavation, in.z);
  if (looked_gamma.stop) return stopped(*looked_gamma.stop);
  const double gamma = looked_gamma.value;
  const Looked looked_k = look_up(in.profile, Property::kModulus, in.z);
  if (looked_k.stop) return stopped(*looked_k.stop);
  double k = looked_k.value;
  if (k < kNoModulus) k = default_modulus(phi, gamma, s.english);

  ModelInput input = in;
  if (in.layer > 0 && in.first_of_layer) {
    // The depth x of this pass before the layering applies is Z.
    input.equivalent_depth =
        equivalent_depth_sand(in.resistance_above, s.width, table_width(s), phi,
                              gamma, s.cyclic, in.z);
    result.equivalent_depth = input.equivalent_depth;
  }
  const SideResult e = side(input, true, phi, k);
  if (e.stop) return stopped(*e.stop);
  const SideResult b = side(input, false, phi, k);
  if (b.stop) return stopped(*b.stop);
  result.excavation = e.curve;
  result.backfill = b.curve;

  if (!in.first_of_layer) {
    result.resistance =
        0.5 * (state.previous_ultimate + e.pu) * (in.z - in.previous_z);
  }
  const DerivedLayer& layer = s.layers[in.layer];
  const auto last = static_cast<size_t>(layer.last_curve);
  if (last < s.curve_depths.size() && in.z == s.curve_depths[last]) {
    result.resistance += e.pu * (layer.bottom - in.z);
  }
  state.previous_ultimate = e.pu;
  return result;
}

const CoefficientTable& sand_a(bool cyclic) {
  return cyclic ? kACyclic : kAStatic;
}

const CoefficientTable& sand_b(bool cyclic) {
  return cyclic ? kBCyclic : kBStatic;
}

}  // namespace korvan::py
