// The report's lot section: when its results are one plan measured on several chips, the
// chips' coverage side by side and a map of defects against chips, marginal defects first.
#ifndef KAVLAB_REPORT_LOT_SECTION_H
#define KAVLAB_REPORT_LOT_SECTION_H

#include <vector>

#include "report/html.h"
#include "report/model.h"

namespace kavlab {

/// Whether `sources` read as one lot: two or more results of one plan.
bool is_lot(const std::vector<ReportSource>& sources);
/// The lot section of `sources` (id "lot"); empty unless they read as one lot.
Html lot_section(const std::vector<ReportSource>& sources);

}  // namespace kavlab

#endif
