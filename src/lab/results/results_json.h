// Everything kavlab reads or writes as JSON: results files, summaries and listings. The only
// source that includes the JSON library.
#ifndef KAVLAB_RESULTS_JSON_H
#define KAVLAB_RESULTS_JSON_H

#include <string>
#include <vector>

#include "results/compare.h"
#include "results/lot.h"
#include "results/results.h"
#include "results/summary.h"

namespace kavlab {

/// The results as the text of a results file.
std::string results_text(const Results& r);
/// Reads the results file text `text` (named `source` in messages) into `r`; false with
/// `*error` set (the source, and what is wrong where) when it is not a results file of this
/// format version.
bool parse_results(const std::string& text, const std::string& source, Results* r,
                   std::string* error);

/// One results file's summaries.
struct SummarySet {
  std::string source;
  const Results* results;
  std::vector<CircuitSummary> circuits;
};
/// The summaries of several results files as one JSON document.
std::string summaries_json(const std::vector<SummarySet>& sets);
/// The circuits of the catalogue, or the cells of `circuit` (with the reference), as JSON.
std::string catalogue_json(int circuit);
/// The names of attached boxes as JSON.
std::string devices_json(const std::vector<std::string>& names);
/// A comparison as JSON: what was compared, and per circuit its counts and differences.
std::string comparison_json(const Comparison& c);
/// A lot as JSON: per chip its provenance's label, seed and coverage, the coverage's spread
/// over the chips (overall and per class), and per defect the chips that detect it each way.
std::string lot_json(const Lot& lot);

}  // namespace kavlab

#endif
