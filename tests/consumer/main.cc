// Runs an input data file through korvan::Engine::run_text, as a program
// built against the installed library would, and checks what comes back.
//   consumer INPUT.dat
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "korvan/engine.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: consumer INPUT.dat\n";
    return 2;
  }
  std::ifstream in(argv[1]);
  std::ostringstream text;
  text << in.rdbuf();
  if (!in || text.str().empty()) {
    std::cerr << "consumer: cannot read " << argv[1] << "\n";
    return 2;
  }
  korvan::Engine engine;
  korvan::RunOptions options;
  options.input_name = "wall.dat";
  const korvan::RunText run = engine.run_text(text.str(), options);
  int faults = 0;
  auto check = [&faults](bool ok, const std::string& what) {
    if (!ok) {
      std::cerr << "consumer: " << what << "\n";
      ++faults;
    }
  };
  const std::string banner =
      "     "
      "========================================================================"
      "=\n";
  check(run.report.rfind(banner, 0) == 0,
        "the report does not start with its banner");
  check(run.report.find("KORVAN for Windows, Version " KORVAN_VERSION) !=
            std::string::npos,
        "the report banner does not show the library version");
  check(run.report.find("Name of output file         : wall.out") !=
            std::string::npos,
        "the report header does not name wall.out");
  check(run.result.status == korvan::RunStatus::kCompleted,
        "the run did not complete: " + run.result.message);
  check(!run.result.results.empty(), "the results hold no problem");
  if (!run.result.results.empty()) {
    const korvan::ProblemResults& p = run.result.results.front();
    check(p.outcome == korvan::Outcome::kCompleted,
          std::string("problem 1: ") + korvan::outcome_name(p.outcome));
    check(!p.stations.empty(), "problem 1 has no station results");
  }
  check(!run.plot.empty() && !run.iteration.empty(),
        "the plot-data or iteration text is empty");
  if (faults == 0) {
    std::cout << "consumer: korvan " KORVAN_VERSION ", "
              << run.result.results.size() << " problem(s), "
              << run.report.size() << " bytes of report\n";
  }
  return faults == 0 ? 0 : 1;
}
