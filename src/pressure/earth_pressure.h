// Generated earth pressure on the backfill side of the wall: the soil
// profile cut into sublayers, overburden stress, earth-pressure
// coefficients, active and water resultants per sublayer, and the pressure
// distribution on a fine depth grid.
//
// Depths are measured below the top of the wall in the internal length
// unit (inches or metres); pressures in psi or kPa; unit weights in pci or
// kN/m^3. Sublayer tables are 0-based here; reports number them from 1.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/problem.h"

namespace korvan::pressure {

// A stop of the generation that ends the run: code 1, the profile does not
// reach the excavation line; code 2, more than 21 sublayers.
struct GenerationStop {
  int code = 0;
  std::string reason;
};

struct Sublayer {
  double ztop = 0.0;
  double t = 0.0;                                          // thickness
  engine::SoilModel model = engine::SoilModel::kSoftClay;  // parent layer's
  double c = 0.0;     // cohesion / strength
  double phi = 0.0;   // friction angle, degrees
  double kopt = 0.0;  // optional earth-pressure coefficient, 0: not given
  double gamma = 0.0;
  bool drained = false;
  double m = 0.0;  // modification factor for active earth pressure
  // Coefficients; sqrt_ka and ka after the optional-coefficient rule,
  // ka_table as printed (before it).
  double sqrt_ka = 0.0, ka = 0.0, ka_table = 0.0;
  double sqrt_kp = 0.0, kp = 0.0, k0 = 0.0;
  bool slope_warning = false;  // sand under a backfill slope not flatter
                               // than its friction angle, above H
  // Resultants per unit width (above the excavation line only).
  double pa1 = 0.0, z1 = 0.0, pa2 = 0.0, z2 = 0.0, pa3 = 0.0, z3 = 0.0;
  double pa4 = 0.0, zc = 0.0, pw1 = 0.0, pw2 = 0.0;
  bool water_force = false;  // drained and at or below the water table
};

struct Profile {
  // Problem values.
  double height = 0.0;  // H, the excavation line
  double zw = 0.0, zwe = 0.0, q = 0.0, beta = 0.0, m = 0.0, z0 = 0.0;
  double gamma_w = 0.0;
  engine::EarthPressureOption option = engine::EarthPressureOption::kNone;
  // Discrete surcharge loadings, the older-style single values, the wall
  // length (N h) and the reference height of the surcharge formulas.
  std::vector<engine::Surcharge> loadings;
  engine::SurfaceLoads older;
  double wall_length = 0.0;
  double href = 0.0;
  // Distinct depths of the tie backs and struts/rakers, shallowest first
  // (the support levels of the envelopes).
  std::vector<double> support_levels;
  // The first layer's type code is that of soft clay (1): the uniform-clay
  // envelope then ramps up over the top quarter of the excavation.
  bool first_layer_soft_clay = false;
  int water_flag = 0;  // 1: backfill water pressure in the distribution
  bool english = true;

  std::vector<Sublayer> sub;
  // Per sublayer top, and the bottom of the profile as the last entry.
  std::vector<double> ztop;
  std::vector<double> sigma_v;  // effective vertical stress
  std::vector<double> sigma_s;  // its share from the surface pressures
  std::vector<bool> submerged;
  std::optional<size_t> kexc;  // index of the top at H (may be sub.size())
  bool overflow = false;
  double qeq = 0.0;  // equivalent surface pressure of a sloping backfill
  bool net_negative = false;
  bool clay_warning = false;

  size_t above_excavation() const { return kexc ? *kexc : 0; }
};

// The sublayers of a problem with earth-pressure option 2 to 6 (or p-y
// option 2): layers cut at H and at the backfill water table.
Profile build_profile(const engine::Problem& problem);

// The stop the profile calls for, if any (checked after the soil
// information report).
std::optional<GenerationStop> profile_stop(const Profile& p);

// An input the generation refuses: the line of the record and the text
// "record, field k (name): what is wrong".
struct Refusal {
  int line = 0;
  std::string text;
};

// The inputs refused before anything is generated: with p-y option 2, a
// soil profile that starts below the excavation line; with options 2 to
// 6, a backfill slope not below 45 + phi/2 of the first layer; option 3
// without tie backs or struts; option 5 with a soil layer that has no
// optional coefficient, or with the excavation line in rock.
// `control_line` is the line of the control record.
std::optional<Refusal> generation_refusal(const engine::Problem& problem,
                                          int control_line);

// The equivalent surface pressure of a sloping backfill, from the first
// sublayer; 0 for a level or falling backfill.
double equivalent_surface_pressure(const Profile& p);

// Overburden stress, coefficients, active and water resultants, the net
// check and the clay-warning flag.
void compute_pressures(Profile& p);

// One point of the distribution: 13 columns per unit width of wall.
// Column 1 depth; 2 the pressure handed to the wall (as 12 before the
// read-back); 3 soil and water; 4 surcharge total; 5 passive reference; 6
// at-rest reference; 7 soil part; 8 water part (net of the excavation
// side); 9 area-surcharge part; 10 discrete surcharges; 11 envelope; 12
// pressure handed to the wall; 13 cohesion part of the soil part.
struct DistributionPoint {
  // Column numbers, in the order of the distribution's scratch file.
  static constexpr int kDepth = 1;
  static constexpr int kLoad = 2;
  static constexpr int kSoilAndWater = 3;
  static constexpr int kSurchargeTotal = 4;
  static constexpr int kPassive = 5;
  static constexpr int kAtRest = 6;
  static constexpr int kSoil = 7;
  static constexpr int kWater = 8;
  static constexpr int kAreaSurcharge = 9;
  static constexpr int kDiscreteSurcharges = 10;
  static constexpr int kEnvelope = 11;
  static constexpr int kWallPressure = 12;
  static constexpr int kCohesion = 13;
  static constexpr int kColumns = 13;

  double col[kColumns + 1] = {};  // 1-based

  double depth() const { return col[kDepth]; }
  double load() const { return col[kLoad]; }
};

// The distribution: the top point, then N_i points in every sublayer. Every
// point carries the triangular distribution of option 2; with options 3, 5
// and 6 the points above the excavation line carry the envelope instead
// (column 11, and column 12 the envelope plus the water part for option 3
// and plus the surcharge part), and the points from the excavation line
// down have the water part merged into the soil column.
std::vector<DistributionPoint> distribution(const Profile& p);

// The discrete surcharge pressure at depth z.
double surcharge_at(const Profile& p, double z);

// Envelope ordinates above the excavation line (before the modification
// factor where stated): the apparent-pressure envelope for anchored walls
// (option 3) for a total force P, its ramps set by the support levels; the
// Terzaghi and Peck envelope (option 6).
double anchored_envelope(const Profile& p, double total, double z);
// Its shape (0..1): rising over the top 2 z1/3, constant, falling over the
// bottom 2 (H - zn)/3 (2 (H - z1)/3 with one level); 1 without supports.
double anchored_shape(const Profile& p, double z);
struct TerzaghiPeck {
  double p = 0.0;  // peak ordinate before m
  bool granular = false;
  bool soft = false;  // Ns >= 6
  double gbar = 0.0, cbar = 0.0, q1 = 0.0;
};
TerzaghiPeck terzaghi_peck(const Profile& p);
double terzaghi_peck_shape(const Profile& p, const TerzaghiPeck& tp, double z);

// The number of grid steps of a sublayer: one per inch or per 0.05 m.
int grid_steps(double thickness, bool english);

// Degrees to radians with the engine's constant 57.2958.
double radians(double degrees);

}  // namespace korvan::pressure
