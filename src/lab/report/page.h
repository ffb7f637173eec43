// kavlab's HTML report: one self-contained page (inline SVG and CSS, no script) of one or more
// results files, with the results of one circuit from several files side by side.
#ifndef KAVLAB_REPORT_PAGE_H
#define KAVLAB_REPORT_PAGE_H

#include <string>
#include <vector>

#include "report/model.h"

namespace kavlab {

/// The whole page; `generator` names the program that writes it ("kavlab 1.2.0").
std::string report_html(const std::vector<ReportSource>& sources, const std::string& generator);

}  // namespace kavlab

#endif
