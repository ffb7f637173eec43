// Summaries as text and as CSV; their JSON view is in results_json.h.
#ifndef KAVLAB_SUMMARY_PRINT_H
#define KAVLAB_SUMMARY_PRINT_H

#include <cstdio>
#include <string>
#include <vector>

#include "results/results.h"
#include "results/summary.h"

namespace kavlab {

/// A count and its percent of `whole` in the text tables' columns: "  37  84.1 %".
std::string count_and_percent(int n, int whole);
/// The summaries as text: a table of every circuit, then the escapes and essential vectors.
void print_summary(FILE* out, const std::string& source, const Results& r,
                   const std::vector<CircuitSummary>& s);
/// The summaries as CSV rows after a header (when `header`), C locale.
void print_summary_csv(FILE* out, const std::string& source, const Results& r,
                       const std::vector<CircuitSummary>& s, bool header);

}  // namespace kavlab

#endif
