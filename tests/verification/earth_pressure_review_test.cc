// Generated earth pressure against hand-computed values: water below the
// excavation line, loads above the first record of a distribution, the
// equivalent surface pressure of a sloping backfill, and the inputs the
// generation refuses.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "input/problem_reader.h"
#include "pressure/earth_pressure.h"
#include "pressure/handoff.h"

namespace korvan::pressure {
namespace {

constexpr double kWater = double(9.81f);  // kN/m^3

// A metric problem with generated pressure (option 2): one sand layer
// (18 kN/m^3, phi 30) from the top of the wall down to 10 m, excavation
// line at 3 m, modification factor 1.
engine::Problem metric_sand(double zw, double zwe) {
  engine::Problem p;
  p.control.unit_system = 2;
  p.control.earth_pressure_option = 2;
  p.has_soil_profile = true;
  engine::EarthPressureWall& w = p.soil.wall;
  w.free_height = 3.0;
  w.width_pressure = w.width_resistance = 1.0;
  w.water_backfill = zw;
  w.water_excavation = zwe;
  w.active_factor = 1.0;
  engine::SoilLayer layer;
  layer.type = 4;
  layer.top = 0.0;
  layer.bottom = 10.0;
  layer.at_top.unit_weight = layer.at_bottom.unit_weight = 18.0;
  layer.at_top.friction_angle = layer.at_bottom.friction_angle = 30.0;
  p.soil.layers.push_back(layer);
  return p;
}

std::vector<DistributionPoint> points_of(const engine::Problem& problem) {
  Profile p = build_profile(problem);
  EXPECT_FALSE(profile_stop(p).has_value());
  compute_pressures(p);
  return distribution(p);
}

const DistributionPoint& at(const std::vector<DistributionPoint>& pts,
                            double z) {
  for (const DistributionPoint& d : pts) {
    if (std::fabs(d.col[1] - z) < 1e-9) return d;
  }
  ADD_FAILURE() << "no point at " << z;
  return pts.front();
}

// Water is hydrostatic on both sides below the excavation line: the
// backfill term gamma_w (z - zw) keeps growing there and the excavation
// side's gamma_w (z - zwe) is taken off below zwe, so below both tables the
// net water pressure is gamma_w (zwe - zw). Column 8 is the water part.
TEST(EarthPressureReview, WaterBelowTheExcavationLineIsHydrostatic) {
  // Backfill table 2 m, excavation table 4 m: between 3 and 4 m the net
  // grows as gamma_w (z - 2); below 4 m it stays 2 gamma_w = 19.62.
  {
    const auto pts = points_of(metric_sand(2.0, 4.0));
    EXPECT_NEAR(at(pts, 3.5).col[8], kWater * 1.5, 1e-9);
    EXPECT_NEAR(at(pts, 5.0).col[8], 2.0 * kWater, 1e-9);
    EXPECT_NEAR(at(pts, 9.0).col[8], 2.0 * kWater, 1e-9);
  }
  // Equal tables: no net water pressure anywhere below them.
  {
    const auto pts = points_of(metric_sand(2.0, 2.0));
    EXPECT_NEAR(at(pts, 2.5).col[8], 0.0, 1e-9);
    EXPECT_NEAR(at(pts, 6.0).col[8], 0.0, 1e-9);
  }
  // Backfill table below the excavation line (5 m), excavation table at
  // 6 m, water-pressure flag 1: the load below 6 m carries gamma_w, and
  // the soil part Ka sigma_v(H) = 54/3 = 18 (Ka = 1/3 to the 57.2958
  // constant: 1E-4) is not eaten by the excavation side's water.
  {
    engine::Problem problem = metric_sand(5.0, 6.0);
    problem.soil.wall.water_flag = 1;
    const auto pts = points_of(problem);
    EXPECT_NEAR(at(pts, 5.5).col[8], 0.5 * kWater, 1e-9);
    EXPECT_NEAR(at(pts, 8.0).col[8], kWater, 1e-9);
    EXPECT_NEAR(at(pts, 8.0).col[12], 18.0 + kWater, 1e-4);
    problem.soil.wall.water_excavation = 5.0;
    const auto level = points_of(problem);
    EXPECT_NEAR(at(level, 8.0).col[8], 0.0, 1e-9);
    EXPECT_NEAR(at(level, 8.0).col[12], 18.0, 1e-4);
  }
  // Water not taken separately: with the flag 0 (and the table below the
  // excavation line, so no water force sets it) or in an undrained layer
  // (its total unit weight carries the water), neither side's water is
  // counted; the load below the excavation line stays at the soil part
  // and never falls to the floor value with depth.
  {
    engine::Problem problem = metric_sand(5.0, 6.0);
    const auto pts = points_of(problem);
    EXPECT_NEAR(at(pts, 9.0).col[8], 0.0, 1e-9);
    EXPECT_NEAR(at(pts, 9.0).col[12], 18.0, 1e-4);
    engine::Problem clay = metric_sand(1.0, 4.0);
    clay.soil.wall.water_flag = 1;
    for (engine::SoilLayer& l : clay.soil.layers) {
      l.type = 1;
      l.at_top.friction_angle = l.at_bottom.friction_angle = 0.0;
      l.at_top.strength = l.at_bottom.strength = 15.0;
    }
    const auto undrained = points_of(clay);
    // sigma_v(H) = 54 - 2 gamma_w (effective at the sublayer top), Ka = 1:
    // 54 - 19.62 - 2 * 15 = 4.38 at every depth below.
    for (double z : {4.0, 6.0, 9.0}) {
      EXPECT_NEAR(at(undrained, z).col[8], 0.0, 1e-9) << z;
      EXPECT_NEAR(at(undrained, z).col[12], 24.0 - 2.0 * kWater, 1e-4) << z;
    }
  }
}

// Stations above the first record of a distribution take no load (there is
// no soil above it); below it they interpolate. Records at 24 and 36 in
// with loads 10 and 20, h = 6 in.
TEST(EarthPressureReview, NothingAboveTheFirstRecord) {
  std::vector<DistributionPoint> pts(2);
  pts[0].col[1] = 24.0;
  pts[0].col[2] = 10.0;
  pts[1].col[1] = 36.0;
  pts[1].col[2] = 20.0;
  const std::vector<double> loads = station_loads(pts, 6.0, 10);
  for (int s = 0; s <= 3; ++s)
    EXPECT_EQ(loads[static_cast<size_t>(s)], 0.0) << s;
  EXPECT_EQ(loads[4], 10.0);
  EXPECT_EQ(loads[5], 15.0);
  EXPECT_EQ(loads[6], 20.0);
  EXPECT_EQ(loads[7], 0.0);  // below the last record's station

  // Soil movement: no curves for the stations above the first record.
  for (DistributionPoint& d : pts) {
    for (int c : {5, 6, 12}) d.col[c] = d.col[2];
  }
  const std::vector<MovementCurve> curves =
      movement_curves(pts, 6.0, 36.0, 10, true);
  ASSERT_EQ(curves.size(), 2u);  // stations 4 and 5 of 0..5
  EXPECT_EQ(curves.front().station, 4);
  EXPECT_EQ(curves.front().points[3].second, 10.0);  // at rest
}

// The equivalent surface pressure of a sloping backfill,
// gamma1 tan(beta) sin(45 - phi/2) (H - z0) / sin(45 - beta + phi/2),
// is known when the profile is built (the report prints it then) and is
// added at the excavation line also when the layer boundary there is off
// by a rounding: 0.2 + (0.9 - 0.2) is 0.8999999999999999.
TEST(EarthPressureReview, EquivalentSurfacePressureOfASlopingBackfill) {
  // English: 120 pcf as 0.0694 pci, phi 30, beta 10, H 10 ft:
  // 0.0694 tan 10 sin 30 120 / sin 50 = 0.958463 psi.
  engine::Problem english;
  english.control.unit_system = 1;
  english.control.earth_pressure_option = 2;
  english.has_soil_profile = true;
  english.soil.wall.free_height = 120.0;
  english.soil.wall.water_backfill = english.soil.wall.water_excavation = 1e4;
  english.soil.wall.active_factor = 1.0;
  english.soil.wall.backfill_slope = 10.0;
  engine::SoilLayer sand;
  sand.type = 4;
  sand.top = 0.0;
  sand.bottom = 300.0;
  sand.at_top.unit_weight = 0.0694;
  sand.at_top.friction_angle = 30.0;
  english.soil.layers.push_back(sand);
  EXPECT_NEAR(build_profile(english).qeq, 0.9584629872, 1e-9);

  // Metric: soil from 0.2 m to the excavation line at 0.9 m (18 kN/m^3,
  // phi 30, beta 10), then a second layer: Qeq = 18 tan 10 sin 30 0.7 /
  // sin 50 = 1.450124 kPa joins the vertical stress at 0.9 m, 18 x 0.7 =
  // 12.6 from the soil above.
  engine::Problem metric = metric_sand(100.0, 100.0);
  metric.soil.wall.free_height = 0.9;
  metric.soil.wall.backfill_slope = 10.0;
  metric.soil.layers[0].top = 0.2;
  metric.soil.layers[0].bottom = 0.9;
  engine::SoilLayer below = metric.soil.layers[0];
  below.top = 0.9;
  below.bottom = 5.0;
  metric.soil.layers.push_back(below);
  Profile p = build_profile(metric);
  ASSERT_FALSE(profile_stop(p).has_value());
  compute_pressures(p);
  ASSERT_EQ(p.kexc, 1u);
  EXPECT_NEAR(p.qeq, 1.4501241161, 1e-9);
  EXPECT_NEAR(p.sigma_v[1], 12.6 + 1.4501241161, 1e-9);
  EXPECT_NEAR(p.sigma_s[1], 1.4501241161, 1e-9);
}

// Inputs refused before anything is generated.
TEST(EarthPressureReview, RefusedInputs) {
  auto refusal = [](const engine::Problem& p) {
    return generation_refusal(p, 2);
  };
  engine::Problem p = metric_sand(100.0, 100.0);
  p.soil.layers[0].line = 20;
  p.soil.wall.line = 14;
  EXPECT_FALSE(refusal(p).has_value());

  // Option 3 shapes its envelope by the supports: none, no pressure.
  p.control.earth_pressure_option = 3;
  ASSERT_TRUE(refusal(p).has_value());
  EXPECT_EQ(refusal(p)->line, 2);
  EXPECT_NE(refusal(p)->text.find("field 6 (earth-pressure option)"),
            std::string::npos);
  p.struts.emplace_back();
  EXPECT_FALSE(refusal(p).has_value());

  // Option 5 takes Ka from the optional coefficient of every soil layer;
  // rock ignores its own, so rock may lie below the excavation line but
  // not at it.
  p.control.earth_pressure_option = 5;
  ASSERT_TRUE(refusal(p).has_value());
  EXPECT_EQ(refusal(p)->line, 20);
  p.soil.layers[0].at_top.k_or_rqd = 0.4;
  p.soil.layers[0].bottom = 6.0;
  engine::SoilLayer rock = p.soil.layers[0];
  rock.type = 6;
  rock.top = 6.0;
  rock.bottom = 10.0;
  rock.at_top.k_or_rqd = 0.0;
  rock.line = 23;
  p.soil.layers.push_back(rock);
  EXPECT_FALSE(refusal(p).has_value());
  p.soil.layers[0].bottom = p.soil.layers[1].top = 3.0;
  ASSERT_TRUE(refusal(p).has_value());
  EXPECT_EQ(refusal(p)->line, 23);

  // p-y curves start at the excavation line: the soil must reach up to it
  // (1E-5 of slack), whatever the earth-pressure option.
  engine::Problem py = metric_sand(100.0, 100.0);
  py.control.py_option = 2;
  py.soil.layers[0].line = 20;
  for (int option : {0, 1, 2, 4}) {
    py.control.earth_pressure_option = option;
    py.soil.layers[0].top = 3.0 + 9e-6;
    EXPECT_FALSE(refusal(py).has_value()) << option;
    py.soil.layers[0].top = 3.1;
    ASSERT_TRUE(refusal(py).has_value()) << option;
    EXPECT_EQ(refusal(py)->line, 20);
  }
  py.control.py_option = 1;
  EXPECT_FALSE(refusal(py).has_value());
}

// Each soil layer starts where the one above it ends, within 1E-5.
TEST(EarthPressureReview, SoilLayersNeitherGapNorOverlap) {
  const std::string values = "18 0 30 0 0 0\n18 0 30 0 0 0\n";
  auto read_second = [&](const std::string& second) {
    std::istringstream text("4 0.0 3.0\n" + values + second + values);
    engine::RecordReader in(text, "w.dat");
    const engine::SoilLayer first =
        engine::read_soil_layer(in, 1, nullptr, false);
    return engine::read_soil_layer(in, 2, &first, false);
  };
  EXPECT_NEAR(read_second("4 3.000009 6.0\n").top, 3.000009, 1e-12);
  for (const char* bad : {"4 3.5 6.0\n", "4 2.5 6.0\n"}) {
    try {
      read_second(bad);
      ADD_FAILURE() << "accepted " << bad;
    } catch (const engine::InputError& e) {
      const std::string what = e.what();
      EXPECT_EQ(what.rfind("w.dat:4: soil layer 2, type record, field 2", 0),
                0u)
          << what;
      EXPECT_NE(what.find("ends at depth 3"), std::string::npos) << what;
    }
  }
}

}  // namespace
}  // namespace korvan::pressure
