// Pieces of HTML and inline SVG for the report: the Html type that every piece of the page is
// built of, numbers as the page writes them, and the few SVG elements its pictures are drawn
// with.
#ifndef KAVLAB_REPORT_HTML_H
#define KAVLAB_REPORT_HTML_H

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace kavlab {

/// A piece of the page that may be written as it stands. Text becomes part of it only escaped:
/// a std::string joined to Html is text (a name from a results file, a number), and &, <, >, "
/// and ' become character references. Markup is what this program's own source spells: string
/// literals, and the pieces built of them. So no call site escapes by hand, and a piece of
/// markup joined as text shows as text on the page rather than acting as markup.
class Html {
 public:
  Html() = default;
  /// Markup from this program's source: a string literal, taken as it stands.
  template <std::size_t N>
  Html(const char (&literal)[N]) : markup_(literal) {}  // NOLINT: literals are markup
  /// Text: escaped.
  Html(const std::string& text);  // NOLINT: text joins the page escaped
  /// Markup made elsewhere in this program (a style sheet, a number), taken as it stands.
  static Html trusted(std::string markup);

  Html& operator+=(const Html& more) {
    markup_ += more.markup_;
    return *this;
  }
  friend Html operator+(Html a, const Html& b) { return a += b; }

  bool empty() const { return markup_.empty(); }
  /// The markup.
  const std::string& str() const { return markup_; }

 private:
  std::string markup_;
};

/// `value` with at most `decimals` digits after the point, trailing zeros dropped (C locale).
std::string number(double value, int decimals = 1);
/// The percent of `part` in `whole` with one decimal: "84.1 %" (0 when `whole` is 0).
std::string percent_text(int part, int whole);

/// The least of 1, 2, 5, 10, 20, 50, ... that is at least `least`: a step between labels.
int label_step(double least);

/// The opening tag of an inline SVG picture of `width` by `height` pixels, `label` naming it
/// for screen readers.
Html svg_open(double width, double height, const std::string& label);
/// A rectangle of CSS class `cls`; `tip`, when not empty, is its tooltip.
Html svg_rect(double x, double y, double w, double h, const std::string& cls,
              const std::string& tip = "");
/// Text at (x, y) of class `cls`, anchored "start", "middle" or "end"; `tip` as for svg_rect.
Html svg_text(double x, double y, const std::string& text, const std::string& cls,
              const char* anchor = "start", const std::string& tip = "");
/// Text at (x, y) turned a quarter to the left (reading upwards), anchored as svg_text.
Html svg_text_up(double x, double y, const std::string& text, const std::string& cls,
                 const char* anchor = "middle");
Html svg_line(double x1, double y1, double x2, double y2, const std::string& cls);
/// An open line through `points` (x, y).
Html svg_polyline(const std::vector<std::pair<double, double>>& points, const std::string& cls);
/// A path through `d` (its drawing commands) of class `cls`, with its tooltip `tip`.
Html svg_path(const std::string& d, const std::string& cls, const std::string& tip);

}  // namespace kavlab

#endif
