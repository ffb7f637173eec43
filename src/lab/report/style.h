// The report's look: its style sheet, written into the page.
#ifndef KAVLAB_REPORT_STYLE_H
#define KAVLAB_REPORT_STYLE_H

#include "report/html.h"

namespace kavlab {

/// The CSS of the report page.
Html report_css();
/// A hidden SVG picture with the shared fill patterns the pictures refer to.
Html report_svg_defs();

}  // namespace kavlab

#endif
