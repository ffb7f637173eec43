// What the report shows of a sweep's defects: per class a plot of the defects detected against
// the bridge resistance with its figures in a table (readable in print, not only in tips), and
// per defect its critical resistance each way of judging, with the escapes at each value.
#ifndef KAVLAB_REPORT_SWEEP_DEFECTS_H
#define KAVLAB_REPORT_SWEEP_DEFECTS_H

#include "report/html.h"
#include "report/model.h"

namespace kavlab {

/// Per class of defect the sweep holds, its plot and its table.
Html sweep_by_class(const CircuitView& view);
/// The critical resistance of every defect, logic, the monitor and either, and what escapes at
/// each value.
Html sweep_thresholds(const CircuitView& view);

}  // namespace kavlab

#endif
