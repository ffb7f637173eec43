// Logic against the monitor per defect: for each defect of a result judged both ways, how many
// vectors detect it by logic (a bar to the left) and by the monitor (a bar to the right).
#ifndef KAVLAB_REPORT_VERSUS_H
#define KAVLAB_REPORT_VERSUS_H

#include <string>

#include "report/html.h"
#include "report/model.h"

namespace kavlab {

/// The counts of `view` by way of detection, as HTML: both, logic only, monitor only, neither.
Html versus_counts(const CircuitView& view);
/// The bars of `view` as an inline SVG picture.
Html logic_vs_monitor(const CircuitView& view);

}  // namespace kavlab

#endif
