// The cumulative coverage curve of a result: the share of its defects detected after each
// vector, in the order applied, by logic, by the monitor and by either.
#ifndef KAVLAB_REPORT_COVERAGE_H
#define KAVLAB_REPORT_COVERAGE_H

#include <string>
#include <vector>

#include "report/html.h"
#include "report/model.h"

namespace kavlab {

/// Per vector applied, how many of the first `defects` rows are detected by then.
std::vector<int> cumulative_detections(const std::vector<std::string>& marks, int defects);
/// The curves of `view` as an inline SVG picture.
Html coverage_curve(const CircuitView& view);

}  // namespace kavlab

#endif
