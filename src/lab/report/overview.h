// The head of the report: where each result comes from (provenance) and the summary of every
// circuit of every result.
#ifndef KAVLAB_REPORT_OVERVIEW_H
#define KAVLAB_REPORT_OVERVIEW_H

#include <string>
#include <vector>

#include "report/html.h"
#include "report/model.h"

namespace kavlab {

/// One row per results file: program, box, engine, date, command line, completeness.
Html provenance_table(const std::vector<ReportSource>& sources);
/// Per results file (of runs), its circuits together by class of defect: the defects of each
/// class and what logic, the monitor and either detect of them.
Html class_table(const std::vector<ReportSource>& sources);
/// One circuit's classes, as the same table.
Html circuit_class_table(const CircuitSummary& s);
/// One row per circuit and result, the results of a circuit together, then per results file of
/// several circuits their totals.
Html summary_table(const std::vector<CircuitGroup>& groups,
                   const std::vector<ReportSource>& sources);

}  // namespace kavlab

#endif
