// The results of a run as one JSON document (layout: docs/json-results.md).
#pragma once

#include <iosfwd>

#include "korvan/engine.h"
#include "present/summary.h"

namespace korvan::report {

// Writes the document of `run` (collected with RunOptions::collect_results),
// indented, with a final newline.
void write_json_results(std::ostream& out, const RunResult& run,
                        const ResultsSource& source);

}  // namespace korvan::report
