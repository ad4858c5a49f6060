// The results of a run as one self-contained HTML page: a summary table,
// and per problem (the stages of a staged excavation together) diagrams of
// deflection, moment, shear, soil reaction and earth pressure against
// depth, the support results and a few p-y curves. The page is XHTML: it
// parses as XML. It loads nothing from elsewhere and prints on A4.
#pragma once

#include <iosfwd>

#include "korvan/engine.h"
#include "present/summary.h"

namespace korvan::report {

void write_html_report(std::ostream& out, const RunResult& run,
                       const ResultsSource& source);

}  // namespace korvan::report
