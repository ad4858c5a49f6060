// The solution's reported values where curve ranges meet, overlap or leave
// the wall, the relaxation factors, the end-station moment and shear as
// statics gives them, and a whole run on a thread with a small stack.
#include <gtest/gtest.h>
#include <pthread.h>

#include <cmath>
#include <filesystem>

#include "korvan/engine.h"
#include "unit/present/example_runs.h"
#include "verification/prismatic_wall.h"
#include "wall/solver.h"
#include "wall/wall_model.h"

namespace korvan::wall {
namespace {

using fixtures::kE;
using fixtures::kEI;
using fixtures::kI;
using fixtures::prismatic_wall;

// A linear p-y curve p = -k y (per unit length of wall) at a station.
CurveRecord linear_curve(int station, double k, int contd, int group) {
  CurveRecord r;
  r.from = r.to = station;
  r.contd = contd;
  r.group = group;
  r.points = {{-1.0, k}, {1.0, -k}};
  return r;
}

Solution solved(const WallModel& m) {
  const Solution s = solve(m, StationTable{}, nullptr);
  EXPECT_TRUE(s.has_results());
  return s;
}

double relative(double actual, double expected) {
  return std::fabs(actual - expected) / std::fabs(expected);
}

// --- Curve ranges -------------------------------------------------------

// A user curve standing alone at station 10 inside a chain of generated
// curves 4 -> 10 -> 16: the soil reaction there is the sum of both forces.
// The chain's own stations show the force of its curve once, whether they
// lie inside a range, where two of its ranges meet, or at its ends.
TEST(CurveRangesReview, SoilReactionSumsEveryCurveAtAStation) {
  const double k_user = 50.0, k_chain = 80.0;
  engine::Problem p = prismatic_wall(20, 6.0);
  p.loads = {{0, 0, 0, 1000.0, 0.0, 0.0}};
  WallModel m = build_wall_model(p);
  m.curves = {linear_curve(10, k_user, 0, 0), linear_curve(4, k_chain, 1, 1),
              linear_curve(10, k_chain, 1, 1), linear_curve(16, k_chain, 1, 1)};
  const Solution s = solved(m);
  auto y = [&](int k) { return s.stations[static_cast<size_t>(k)].deflection; };
  auto reaction = [&](int k) {
    return s.stations[static_cast<size_t>(k)].soil_reaction;
  };
  EXPECT_LT(relative(reaction(10), -(k_user + k_chain) * y(10)), 1e-12);
  for (int k : {4, 7, 13, 16}) {
    EXPECT_LT(relative(reaction(k), -k_chain * y(k)), 1e-12) << k;
  }
  EXPECT_EQ(reaction(3), 0.0);
  EXPECT_EQ(reaction(17), 0.0);
}

// A pair of curves whose range runs past the toe is cut there and keeps the
// half weights at both of its end stations: the chain 4 -> 10 -> 30 on a
// wall of 20 increments gives the springs of the chain 4 -> 10 -> 20 (same
// curves), so the same deflections.
TEST(CurveRangesReview, RangeCutAtTheToeKeepsItsHalfWeights) {
  engine::Problem p = prismatic_wall(20, 6.0);
  p.loads = {{0, 0, 0, 1000.0, 0.0, 0.0}};
  const double k = 80.0;
  WallModel cut = build_wall_model(p);
  cut.curves = {linear_curve(4, k, 1, 1), linear_curve(10, k, 1, 1),
                linear_curve(30, k, 1, 1)};
  WallModel inside = build_wall_model(p);
  inside.curves = {linear_curve(4, k, 1, 1), linear_curve(10, k, 1, 1),
                   linear_curve(20, k, 1, 1)};
  const Solution a = solved(cut);
  const Solution b = solved(inside);
  for (int s = 0; s <= 20; ++s) {
    const auto i = static_cast<size_t>(s);
    EXPECT_NEAR(a.stations[i].deflection, b.stations[i].deflection,
                1e-9 * std::fabs(b.stations[0].deflection))
        << s;
    EXPECT_NEAR(a.stations[i].soil_reaction, b.stations[i].soil_reaction,
                1e-9 * std::fabs(b.stations[4].soil_reaction))
        << s;
  }
}

// --- Relaxation ---------------------------------------------------------

// The step L doubles for ever: the factors of step L are (j + 0.5)/L for
// j = 0..L-1, so they stay inside (0, 1).
TEST(RelaxationReview, FactorSequenceStaysBelowOne) {
  const double first[] = {0.5, 0.25, 0.75, 0.125, 0.375, 0.625, 0.875, 0.0625};
  for (int c = 0; c < 8; ++c) EXPECT_DOUBLE_EQ(relaxation_factor(c), first[c]);
  EXPECT_DOUBLE_EQ(relaxation_factor(126), 63.5 / 64.0);
  EXPECT_DOUBLE_EQ(relaxation_factor(127), 0.5 / 128.0);
  EXPECT_DOUBLE_EQ(relaxation_factor(254), 127.5 / 128.0);
  EXPECT_DOUBLE_EQ(relaxation_factor(255), 0.5 / 256.0);
  EXPECT_DOUBLE_EQ(relaxation_factor(1000), (1000 - 512 + 1.5) / 512.0);
  for (int c = 0; c < 100000; ++c) {
    const double phi = relaxation_factor(c);
    ASSERT_GT(phi, 0.0) << c;
    ASSERT_LT(phi, 1.0) << c;
  }
}

// --- Moment and shear at the ends --------------------------------------

// Cantilever clamped at its toe (deflection and slope 0 at station N) with a
// force P at its free top (Timoshenko and Gere, Mechanics of Materials,
// cantilever with end load): by statics M(x) = P x and V = P everywhere, so
// the clamp moment is P L. The difference scheme reports half of it at the
// clamp station; the corrected moment is the full one and every corrected
// shear is P, to round-off (tolerance 1E-9 relative).
TEST(EndValuesReview, ClampedToeCantileverWithEndLoad) {
  const int n = 40;
  const double h = 6.0, load = 1000.0, length = n * h;
  engine::Problem p = prismatic_wall(n, h);
  p.conditions = {{3, n, 0.0, 0.0}};
  p.loads = {{0, 0, 0, load, 0.0, 0.0}};
  const Solution s = solved(build_wall_model(p));
  const StationResult& clamp = s.stations[n];
  EXPECT_LT(relative(std::fabs(clamp.moment), 0.5 * load * length), 1e-9);
  EXPECT_LT(relative(std::fabs(clamp.corrected_moment), load * length), 1e-9);
  for (int k = 0; k <= n; ++k) {
    const StationResult& r = s.stations[static_cast<size_t>(k)];
    if (k > 0) {
      EXPECT_LT(relative(std::fabs(r.corrected_moment), load * k * h), 1e-9)
          << k;
    }
    EXPECT_LT(relative(std::fabs(r.corrected_shear), load), 1e-9) << k;
  }
  EXPECT_NEAR(s.stations[0].corrected_moment, 0.0, 1e-9 * load * length);
}

// The same cantilever turned over: clamped at its head (deflection and
// slope 0 at station 0), the force P at its free toe. Clamp moment P L,
// shear P down to the toe, zero moment and zero shear at the free toe
// itself, tip deflection P L^3 / 3EI (Timoshenko and Gere); the boundary
// scheme is first order at the clamp: 0.19 % with 400 increments,
// tolerance 0.2 %. Moments and shears to round-off, which the recursion
// over 400 stations raises to some 1E-8: tolerance 1E-7 relative.
TEST(EndValuesReview, FixedHeadCantileverWithLoadAtTheToe) {
  const int n = 400;
  const double h = 0.6, load = 1000.0, length = n * h;
  engine::Problem p = prismatic_wall(n, h);
  p.conditions = {{3, 0, 0.0, 0.0}};
  p.loads = {{0, n, n, load, 0.0, 0.0}};
  const Solution s = solved(build_wall_model(p));
  const StationResult& head = s.stations[0];
  const StationResult& toe = s.stations[n];
  EXPECT_LT(relative(std::fabs(head.moment), 0.5 * load * length), 1e-7);
  EXPECT_LT(relative(std::fabs(head.corrected_moment), load * length), 1e-7);
  for (int k = 0; k < n; ++k) {
    EXPECT_LT(
        relative(std::fabs(s.stations[static_cast<size_t>(k)].corrected_shear),
                 load),
        1e-7)
        << k;
  }
  // The report's toe shear uses the zero moment of the fictitious station
  // below the toe: half the load. The corrected one has nothing below.
  EXPECT_LT(relative(std::fabs(toe.shear), 0.5 * load), 1e-7);
  EXPECT_EQ(toe.corrected_shear, 0.0);
  EXPECT_NEAR(toe.corrected_moment, 0.0, 1e-7 * load * length);
  EXPECT_LT(relative(std::fabs(toe.deflection),
                     load * std::pow(length, 3) / (3.0 * kEI)),
            2e-3);
}

// The shipped hand check: a 10 ft cantilever clamped at its toe with
// 1000 lb at its top. An engineer checks 1000 lb x 120 in = 120,000 lb-in
// at the clamp and a shear of 1000 lb; the summary, the JSON maxima and the
// diagrams show them, while the report keeps the scheme's 60,000 lb-in at
// the clamp station.
TEST(EndValuesReview, HandCheckExampleShowsTheClampMomentAndTheLoad) {
  const auto run = testing::ExampleRun::example("hand_check_cantilever.dat");
  ASSERT_EQ(run.result.results.size(), 1u);
  const ProblemResults& p = run.result.results[0];
  ASSERT_EQ(p.stations.size(), 11u);
  EXPECT_LT(relative(p.max_moment.value, 120000.0), 1e-9);
  EXPECT_DOUBLE_EQ(p.max_moment.depth, 120.0);
  EXPECT_LT(relative(p.max_shear.value, 1000.0), 1e-9);
  EXPECT_LT(relative(p.stations[10].moment, 60000.0), 1e-9);
  EXPECT_LT(relative(p.stations[10].corrected_moment, 120000.0), 1e-9);
  for (const StationResults& st : p.stations) {
    EXPECT_LT(relative(st.corrected_shear, 1000.0), 1e-9) << st.station;
  }
}

// --- Stack --------------------------------------------------------------

// A host may call the engine on a thread with a small stack: a whole
// analysis (p-y and earth-pressure generation included) runs on a thread of
// 128 KB, and of 64 KB, which leaves room for the larger frames of
// unoptimised and sanitizer builds.
struct ThreadRun {
  std::filesystem::path input;
  RunResult result;
};

void* run_on_thread(void* arg) {
  auto* job = static_cast<ThreadRun*>(arg);
  const std::filesystem::path dir = job->input.parent_path();
  RunFiles files;
  files.version_label = "TEST";
  files.input = job->input;
  files.report = dir / "wall.out";
  files.plot = dir / "wall.plot";
  files.iteration = dir / "wall.iter";
  files.py_scratch = dir / "wall.pyc";
  files.pressure_scratch = dir / "wall.epd";
  RunOptions options;
  options.collect_results = true;
  Engine engine;
  job->result = engine.run(files, options);
  return nullptr;
}

TEST(StackReview, WholeRunOnASmallThreadStack) {
  for (const size_t kb : {128, 64}) {
    SCOPED_TRACE(kb);
    const std::filesystem::path dir = testing::temp_dir();
    ThreadRun job;
    job.input = dir / "wall.dat";
    std::filesystem::copy_file(
        testing::source_dir() / "examples" / "sheet_pile_soft_clay.dat",
        job.input);
    pthread_attr_t attr;
    ASSERT_EQ(pthread_attr_init(&attr), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attr, kb * 1024), 0);
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attr, run_on_thread, &job), 0);
    ASSERT_EQ(pthread_join(thread, nullptr), 0);
    pthread_attr_destroy(&attr);
    std::filesystem::remove_all(dir);
    EXPECT_EQ(job.result.status, RunStatus::kCompleted) << job.result.message;
    ASSERT_EQ(job.result.results.size(), 1u);
    EXPECT_FALSE(job.result.results[0].stations.empty());
  }
}

}  // namespace
}  // namespace korvan::wall
