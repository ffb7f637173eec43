// The report's look: its style sheet, written into the page.
#ifndef KAVLAB_REPORT_STYLE_H
#define KAVLAB_REPORT_STYLE_H

namespace kavlab {

/// The CSS of the report page.
const char* report_css();
/// A hidden SVG picture with the shared fill patterns the pictures refer to.
const char* report_svg_defs();

}  // namespace kavlab

#endif
