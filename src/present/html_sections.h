// The sections of the HTML report: the summary table and, per problem or
// group of stages, its facts, diagrams, support tables and p-y curves.
// Internal to the presentation library; html_report.cc assembles the page.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "korvan/engine.h"

namespace korvan::report::html {

std::string problem_name(const ProblemResults& p);
// The facts of one problem in one line.
std::string facts(const ProblemResults& p);

void write_summary_section(std::ostream& out, const RunResult& run);
// The diagrams of a group of problems drawn together; a problem without
// results is drawn from its input.
void write_charts(std::ostream& out, const std::vector<ProblemResults>& all,
                  const std::vector<size_t>& group);
void write_support_tables(std::ostream& out,
                          const std::vector<ProblemResults>& all,
                          const std::vector<size_t>& group);
void write_curves(std::ostream& out, const std::vector<ProblemResults>& all,
                  const std::vector<size_t>& group);

}  // namespace korvan::report::html
