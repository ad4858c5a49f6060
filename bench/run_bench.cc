// Benchmarks of the engine's text paths: number formatting and a whole run
// of reading and echoing an input data file.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "korvan/engine.h"
#include "report/fortran_format.h"

namespace {

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

// Reading and echoing a file of many stiffness-and-load entries.
void BM_ReadAndEcho(benchmark::State& state) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "korvan-bench";
  fs::create_directories(dir);
  {
    std::ofstream in(dir / "wall.dat");
    in << "BENCHMARK WALL\n1 0 0 0 0 0 1 0 0 0 0 0 0 0 0\n"
       << "400 6.0 10.0 0.001 0.0 12.0 2400.0 100 0 0 0\n400\n";
    for (int s = 0; s < 400; ++s) {
      in << "0 " << s << ' ' << s + 1 << " 1.5 0.0 0.0\n";
    }
    in << "0\n0\n";
  }
  korvan::RunFiles files;
  files.input = dir / "wall.dat";
  files.report = dir / "wall.out";
  files.plot = dir / "wall.plot";
  files.iteration = dir / "wall.iter";
  korvan::RunOptions options;
  options.fixed_clock = korvan::ClockTime{2026, 1, 1, 0, 0, 0};
  for (auto _ : state) {
    korvan::Engine engine;
    benchmark::DoNotOptimize(engine.run(files, options));
  }
  fs::remove_all(dir);
}
BENCHMARK(BM_ReadAndEcho)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
