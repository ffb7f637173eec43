// The Html type, number text and SVG elements.
#include "report/html.h"

#include <cmath>
#include <cstdio>

#include "results/summary.h"

namespace kavlab {

namespace {

/// `text` safe as element content and as a quoted attribute value.
std::string escaped(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    switch (ch) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += ch;
    }
  }
  return out;
}

/// ` class="cls"`, or nothing for an empty class.
Html class_attr(const std::string& cls) {
  return cls.empty() ? Html() : " class=\"" + Html(cls) + "\"";
}

/// A number as an attribute's value: "12.5".
Html num(double value, int decimals = 1) { return Html::trusted(number(value, decimals)); }

/// The element `tag` with `attrs`, closed at once or holding a tooltip.
Html element(const Html& tag, const Html& attrs, const std::string& tip) {
  if (tip.empty()) return "<" + tag + attrs + "/>";
  return "<" + tag + attrs + "><title>" + Html(tip) + "</title></" + tag + ">";
}

}  // namespace

Html::Html(const std::string& text) : markup_(escaped(text)) {}

Html Html::trusted(std::string markup) {
  Html h;
  h.markup_ = std::move(markup);
  return h;
}

std::string number(double value, int decimals) {
  if (!std::isfinite(value)) return "0";  // never reaches a page: callers draw what is measured
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  std::string s = buf;
  if (s.find('.') == std::string::npos) return s;
  s.erase(s.find_last_not_of('0') + 1);
  if (s.back() == '.') s.pop_back();
  return s == "-0" ? "0" : s;
}

std::string percent_text(int part, int whole) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f %%", percent(part, whole));
  return buf;
}

int label_step(double least) {
  for (int scale = 1;; scale *= 10)
    for (int m : {1, 2, 5})
      if (m * scale >= least) return m * scale;
}

Html svg_open(double width, double height, const std::string& label) {
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(width) + "\" height=\"" +
         num(height) + "\" viewBox=\"0 0 " + num(width) + " " + num(height) +
         "\" role=\"img\" aria-label=\"" + Html(label) + "\">";
}

Html svg_rect(double x, double y, double w, double h, const std::string& cls,
              const std::string& tip) {
  return element("rect",
                 " x=\"" + num(x, 2) + "\" y=\"" + num(y, 2) + "\" width=\"" + num(w, 2) +
                     "\" height=\"" + num(h, 2) + "\"" + class_attr(cls),
                 tip);
}

Html svg_text(double x, double y, const std::string& text, const std::string& cls,
              const char* anchor, const std::string& tip) {
  Html tip_part = tip.empty() ? Html() : "<title>" + Html(tip) + "</title>";
  return "<text x=\"" + num(x) + "\" y=\"" + num(y) + "\" text-anchor=\"" +
         Html(std::string(anchor)) + "\"" + class_attr(cls) + ">" + tip_part + Html(text) +
         "</text>";
}

Html svg_text_up(double x, double y, const std::string& text, const std::string& cls,
                 const char* anchor) {
  return "<text transform=\"translate(" + num(x) + " " + num(y) + ") rotate(-90)\" text-anchor=\"" +
         Html(std::string(anchor)) + "\"" + class_attr(cls) + ">" + Html(text) + "</text>";
}

Html svg_line(double x1, double y1, double x2, double y2, const std::string& cls) {
  return "<line x1=\"" + num(x1, 2) + "\" y1=\"" + num(y1, 2) + "\" x2=\"" + num(x2, 2) +
         "\" y2=\"" + num(y2, 2) + "\"" + class_attr(cls) + "/>";
}

Html svg_polyline(const std::vector<std::pair<double, double>>& points, const std::string& cls) {
  std::string p;
  for (const auto& [x, y] : points) p += (p.empty() ? "" : " ") + number(x, 2) + "," + number(y, 2);
  return "<polyline points=\"" + Html(p) + "\"" + class_attr(cls) + "/>";
}

Html svg_path(const std::string& d, const std::string& cls, const std::string& tip) {
  return element("path", " d=\"" + Html(d) + "\"" + class_attr(cls), tip);
}

}  // namespace kavlab
