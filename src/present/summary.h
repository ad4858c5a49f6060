// The results of a run as people read them: the units values are shown in,
// numbers as short text, and the summary table printed on the terminal.
// Shared by the JSON results, the HTML report and the command line.
#pragma once

#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "korvan/engine.h"
#include "korvan/results.h"
#include "korvan/number_text.h"

namespace korvan::report {

// What a results document says about where it comes from.
struct ResultsSource {
  std::string input_name;  // the input data file as shown (file name)
  std::string version;     // program version
  std::string generated;   // date and time of the run; empty: not shown
};

// "completed", "not closed", ... for a run's status.
std::string status_name(RunStatus status);
// The outcome of a run in words: its status name, except that a run whose
// problems that did not complete all exceeded the allowable deflection is
// "deflection exceeded".
std::string outcome_name(const RunResult& run);
// "per 1.000 m of wall": what moments, shears and station forces of a
// problem are taken over (the wall width of its geometry record); empty
// without a width.
std::string wall_width_text(const ProblemResults& p);

// A value that is round-off beside `reference` (below a millionth of it),
// such as a moment of 1E-6 lb-in in a wall carrying 1E+5: shown as none.
bool negligible(double value, double reference);
// The largest positive and negative moment as shown: none when there is
// no such moment or it is negligible beside the other.
std::optional<double> shown_max_moment(const ProblemResults& p);
std::optional<double> shown_min_moment(const ProblemResults& p);

// The stage number of a problem that is a stage of a staged excavation.
std::optional<int> stage_number(const ProblemResults& p);
// Problems drawn together: the consecutive stages of a staged excavation in
// one group (same unit system), every other problem alone. Indices into
// `problems`.
std::vector<std::vector<size_t>> problem_groups(
    const std::vector<ProblemResults>& problems);

// The excavation line of a problem: the free height of its soil profile,
// else a positive reference depth.
std::optional<double> excavation_line(const ProblemResults& p);

// "tie back 1", "strut 2".
std::string support_name(const SupportResults& s);

// The summary table: per problem its outcome, the largest deflection,
// moments and shear with their depths, and each support force.
void write_summary(std::ostream& out, const RunResult& run,
                   const ResultsSource& source);

}  // namespace korvan::report
