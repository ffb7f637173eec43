// What kavlab's report shows: its results files (sources) and, per circuit of the chip, the
// results of that circuit from every file that holds it.
#ifndef KAVLAB_REPORT_MODEL_H
#define KAVLAB_REPORT_MODEL_H

#include <string>
#include <vector>

#include "results/results.h"
#include "results/summary.h"

namespace kavlab {

/// One results file of a report.
struct ReportSource {
  std::string file;   ///< its name as given
  std::string label;  ///< its short name in the page: "R1", "R2", ...
  Results results;
  std::vector<CircuitSummary> summaries;  ///< one per circuit of `results`
};

/// One result of a circuit: the file it is from, the circuit in it, and its summary.
struct CircuitView {
  const ReportSource* source = nullptr;
  const CircuitResult* circuit = nullptr;
  const CircuitSummary* summary = nullptr;
};

/// A circuit of the chip with its results from every file that holds it, in the files' order.
struct CircuitGroup {
  int index = 0;
  std::vector<CircuitView> views;
};

/// Whether the result of `view` measured any cell (in any value's pass, for a sweep).
bool measured_at_all(const CircuitView& view);

/// The sources of a report from loaded results, labelled R1, R2, ... in the given order.
std::vector<ReportSource> report_sources(const std::vector<std::string>& files,
                                         std::vector<Results> results);
/// The circuits of `sources` in catalogue order, each with its results in the files' order.
std::vector<CircuitGroup> group_by_circuit(const std::vector<ReportSource>& sources);

}  // namespace kavlab

#endif
