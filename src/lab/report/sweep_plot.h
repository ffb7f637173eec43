// The report's picture of a sweep: the share of a circuit's defects detected by logic, by the
// monitor and by either, against the swept bridge resistance on a logarithmic scale.
#ifndef KAVLAB_REPORT_SWEEP_PLOT_H
#define KAVLAB_REPORT_SWEEP_PLOT_H

#include <string>

#include "report/html.h"
#include "report/model.h"

namespace kavlab {

/// Whether the result of `view` is a sweep (kavlab-sim sweep) rather than a run.
bool is_sweep(const CircuitView& view);
/// The sweep of `view` as an inline SVG plot, one point per value with its figures as a tip.
Html sweep_plot(const CircuitView& view);

}  // namespace kavlab

#endif
