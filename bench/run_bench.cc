// Benchmarks: the solver alone and a bare five-term recursion as its
// baseline, p-y and earth-pressure generation, number formatting, and a
// whole run of every shipped example.
//
//   make bench            (Release build, all benchmarks)
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "korvan/engine.h"
#include "pressure/earth_pressure.h"
#include "py/generator.h"
#include "report/fortran_format.h"
#include "wall/solver.h"
#include "wall/wall_model.h"

namespace fs = std::filesystem;

namespace {

// An English wall of n increments over a total length of 360 in, one
// prismatic section, a uniform load and p-y curves at every fifth station
// (curves 0, linear: two points; 1, nonlinear: a cube-root-like table of
// seven points) or, as generated curves are, 33-point tables at every
// station (curves 2).
korvan::engine::Problem bench_wall(int n, int curves, int iterations) {
  const bool nonlinear = curves != 0;
  korvan::engine::Problem p;
  p.control.unit_system = 1;
  p.geometry.increments = n;
  p.geometry.increment_length = 360.0 / n;
  p.geometry.allowable_deflection = 1.0e6;
  p.geometry.closure_tolerance = 1.0e-12;
  p.geometry.max_iterations = iterations;
  korvan::engine::CrossSection c;
  c.dimensions[0] = 12.0;
  c.properties[3] = 84.4;
  c.properties[8] = 29.0e6;
  p.cross_sections.push_back(c);
  p.wall_sections.push_back({0.0, 30.0, 1});
  p.loads = {{0, 0, n / 3, 50.0 * 360.0 / n, 0.0, 0.0}};
  for (int s = n / 3; s <= n; s += curves == 2 ? 1 : 5) {
    korvan::engine::UserPyCurve curve;
    curve.station = s;
    curve.contd = 1;
    const double k = 20.0 * s;
    if (curves == 2) {
      for (int i = -16; i <= 16; ++i) {
        const double y = 0.02 * i * std::abs(i);
        curve.points.emplace_back(y, -k * std::cbrt(y) * 0.5);
      }
    } else if (nonlinear) {
      for (double y : {-2.0, -0.5, -0.1, 0.0, 0.1, 0.5, 2.0}) {
        const double p_value = -k * std::cbrt(y) * 0.5;
        curve.points.emplace_back(y, p_value);
      }
    } else {
      curve.points = {{-1.0, k}, {1.0, -k}};
    }
    p.user_curves.push_back(curve);
  }
  return p;
}

// Iterations of the solver: linear and nonlinear curves, one iteration per
// solve (cost per iteration) and to closure.
void BM_SolverIteration(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int curves = static_cast<int>(state.range(1));
  // On the heap, as in a run: a model on the stack lands at a distance
  // from the solver's heap tables that changes from process to process.
  const auto model = std::make_unique<const korvan::wall::WallModel>(
      korvan::wall::build_wall_model(bench_wall(n, curves, 1)));
  const korvan::wall::StationTable start{};
  for (auto _ : state) {
    benchmark::DoNotOptimize(korvan::wall::solve(*model, start, nullptr));
  }
  state.counters["stations"] = n + 1;
  state.SetComplexityN(n);
}
BENCHMARK(BM_SolverIteration)
    ->ArgsProduct({{50, 100, 200, 400}, {0, 1, 2}})
    ->Complexity(benchmark::oN);

void BM_SolverToClosure(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int curves = static_cast<int>(state.range(1));
  // On the heap, as in a run: a model on the stack lands at a distance
  // from the solver's heap tables that changes from process to process.
  const auto model = std::make_unique<const korvan::wall::WallModel>(
      korvan::wall::build_wall_model(bench_wall(n, curves, 100)));
  const korvan::wall::StationTable start{};
  int iterations = 0;
  for (auto _ : state) {
    const korvan::wall::Solution s = korvan::wall::solve(*model, start, nullptr);
    iterations = s.iterations;
    benchmark::DoNotOptimize(s);
  }
  state.counters["iterations"] = iterations;
}
BENCHMARK(BM_SolverToClosure)->ArgsProduct({{50, 100, 200, 400}, {0, 1, 2}});

// The baseline: a bare five-term recursion and back-substitution over the
// same stations, constant coefficients.
void BM_BareRecursion(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::array<double, 416> a{}, b{}, c{}, w{};
  for (auto _ : state) {
    for (int k = 2; k <= n + 4; ++k) {
      const double bp = -4.0 + 1.0 * a[k - 2];
      const double e = 6.01 + bp * a[k - 1] + b[k - 2];
      const double d = -1.0 / e;
      a[k] = d * (-4.0 + bp * b[k - 1]);
      b[k] = d * 1.0;
      c[k] = d * (bp * c[k - 1] + c[k - 2] - 1.0);
    }
    for (int k = n + 4; k >= 2; --k) {
      w[k] = a[k] * w[k + 1] + b[k] * w[k + 2] + c[k];
    }
    benchmark::DoNotOptimize(w);
  }
}
BENCHMARK(BM_BareRecursion)->Arg(50)->Arg(100)->Arg(200)->Arg(400);

// p-y generation for a five-layer profile.
void BM_PyGeneration(benchmark::State& state) {
  korvan::engine::Problem p;
  p.control.unit_system = 1;
  p.control.py_option = 2;
  p.geometry.increments = 100;
  p.geometry.increment_length = 6.0;
  p.has_soil_profile = true;
  auto& w = p.soil.wall;
  w.free_height = 120.0;
  w.width_pressure = 48.0;
  w.width_resistance = 12.0;
  w.water_backfill = w.water_excavation = 300.0;
  w.active_factor = 1.0;
  const int types[5] = {1, 2, 3, 4, 5};
  for (int i = 0; i < 5; ++i) {
    korvan::engine::SoilLayer l;
    l.type = types[i];
    l.top = 120.0 * i;
    l.bottom = 120.0 * (i + 1);
    for (auto* v : {&l.at_top, &l.at_bottom}) {
      v->unit_weight = 0.065;
      v->strength = i == 3 ? 0.0 : 6.0;
      v->friction_angle = i >= 3 ? 32.0 : 0.0;
      v->epsilon50 = 0.01;
    }
    p.soil.layers.push_back(l);
  }
  const korvan::py::PySoil soil = korvan::py::build_py_soil(p, {});
  for (auto _ : state) {
    benchmark::DoNotOptimize(korvan::py::generate_curves(soil));
  }
}
BENCHMARK(BM_PyGeneration);

// Earth-pressure generation (profile, resultants, distribution) for each
// generated option.
void BM_EarthPressure(benchmark::State& state) {
  korvan::engine::Problem p;
  p.control.unit_system = 1;
  p.control.earth_pressure_option = static_cast<int>(state.range(0));
  p.geometry.increments = 60;
  p.geometry.increment_length = 6.0;
  auto& w = p.soil.wall;
  w.free_height = 240.0;
  w.width_pressure = w.width_resistance = 12.0;
  w.water_backfill = 120.0;
  w.water_excavation = 400.0;
  w.active_factor = 1.0;
  korvan::engine::SoilLayer l;
  l.type = 4;
  l.bottom = 480.0;
  l.at_top.unit_weight = 0.0694;
  l.at_top.friction_angle = 32.0;
  p.soil.layers = {l};
  korvan::engine::Anchor a;
  a.depth = 5.0;
  p.tie_backs = {a};
  for (auto _ : state) {
    korvan::pressure::Profile profile = korvan::pressure::build_profile(p);
    korvan::pressure::compute_pressures(profile);
    benchmark::DoNotOptimize(korvan::pressure::distribution(profile));
  }
}
BENCHMARK(BM_EarthPressure)->DenseRange(2, 6);

void BM_FormatExponent(benchmark::State& state) {
  double x = 1.2345678;
  for (auto _ : state) {
    benchmark::DoNotOptimize(korvan::report::fmt_e(x, 12, 3, 1));
    x = x * 1.0001 + 1e-9;
  }
}
BENCHMARK(BM_FormatExponent);

void BM_FormatSignificant(benchmark::State& state) {
  double x = 0.00123;
  for (auto _ : state) {
    benchmark::DoNotOptimize(korvan::report::fmt_real(x, 13, 5));
    x = x * 1.01;
    if (x > 1e6) x = 0.00123;
  }
}
BENCHMARK(BM_FormatSignificant);

// A whole run of a shipped example: read, generate, solve, write.
void BM_WholeRun(benchmark::State& state, const std::string& name) {
  const fs::path dir = fs::temp_directory_path() / ("korvan-bench-" + name);
  fs::create_directories(dir);
  korvan::RunFiles files;
  files.input = fs::path(KORVAN_EXAMPLES) / (name + ".dat");
  files.report = dir / "run.out";
  files.plot = dir / "run.plot";
  files.iteration = dir / "run.iter";
  files.py_scratch = dir / "run.pyc";
  files.pressure_scratch = dir / "run.epd";
  korvan::RunOptions options;
  options.fixed_clock = korvan::ClockTime{2026, 1, 1, 0, 0, 0};
  for (auto _ : state) {
    korvan::Engine engine;
    benchmark::DoNotOptimize(engine.run(files, options));
  }
  fs::remove_all(dir);
}

const int kRegistered = [] {
  for (const auto& entry : fs::directory_iterator(KORVAN_EXAMPLES)) {
    if (entry.path().extension() != ".dat") continue;
    const std::string name = entry.path().stem().string();
    benchmark::RegisterBenchmark(("BM_WholeRun/" + name).c_str(), BM_WholeRun,
                                 name)
        ->Unit(benchmark::kMicrosecond);
  }
  return 0;
}();

}  // namespace

BENCHMARK_MAIN();
