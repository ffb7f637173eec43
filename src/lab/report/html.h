// Pieces of HTML and inline SVG for the report: escaped text, numbers, and the few SVG
// elements the report's pictures are drawn with.
#ifndef KAVLAB_REPORT_HTML_H
#define KAVLAB_REPORT_HTML_H

#include <string>
#include <utility>
#include <vector>

namespace kavlab {

/// `text` safe as element content and as a quoted attribute value: &, <, >, " and ' become
/// character references.
std::string escape_html(const std::string& text);
/// `value` with at most `decimals` digits after the point, trailing zeros dropped (C locale).
std::string number(double value, int decimals = 1);
/// The percent of `part` in `whole` with one decimal: "84.1 %" (0 when `whole` is 0).
std::string percent_text(int part, int whole);

/// The least of 1, 2, 5, 10, 20, 50, ... that is at least `least`: a step between labels.
int label_step(double least);

/// The opening tag of an inline SVG picture of `width` by `height` pixels, `label` naming it
/// for screen readers.
std::string svg_open(double width, double height, const std::string& label);
/// A rectangle of CSS class `cls`; `tip`, when not empty, is its tooltip.
std::string svg_rect(double x, double y, double w, double h, const std::string& cls,
                     const std::string& tip = "");
/// Text at (x, y) of class `cls`, anchored "start", "middle" or "end"; `tip` as for svg_rect.
std::string svg_text(double x, double y, const std::string& text, const std::string& cls,
                     const char* anchor = "start", const std::string& tip = "");
/// Text at (x, y) turned a quarter to the left (reading upwards), anchored as svg_text.
std::string svg_text_up(double x, double y, const std::string& text, const std::string& cls,
                        const char* anchor = "middle");
std::string svg_line(double x1, double y1, double x2, double y2, const std::string& cls);
/// An open line through `points` (x, y).
std::string svg_polyline(const std::vector<std::pair<double, double>>& points,
                         const std::string& cls);

}  // namespace kavlab

#endif
