// HTML escaping, number text and SVG elements.
#include "report/html.h"

#include <cstdio>

#include "results/summary.h"

namespace kavlab {

std::string escape_html(const std::string& text) {
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

std::string number(double value, int decimals) {
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

namespace {

/// ` class="cls"`, or nothing for an empty class.
std::string class_attr(const std::string& cls) {
  return cls.empty() ? "" : " class=\"" + cls + "\"";
}

/// The element `tag` with `attrs`, closed at once or holding a tooltip.
std::string element(const char* tag, const std::string& attrs, const std::string& tip) {
  if (tip.empty()) return std::string("<") + tag + attrs + "/>";
  return std::string("<") + tag + attrs + "><title>" + escape_html(tip) + "</title></" + tag + ">";
}

}  // namespace

std::string svg_open(double width, double height, const std::string& label) {
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + number(width) + "\" height=\"" +
         number(height) + "\" viewBox=\"0 0 " + number(width) + " " + number(height) +
         "\" role=\"img\" aria-label=\"" + escape_html(label) + "\">";
}

std::string svg_rect(double x, double y, double w, double h, const std::string& cls,
                     const std::string& tip) {
  return element("rect",
                 " x=\"" + number(x, 2) + "\" y=\"" + number(y, 2) + "\" width=\"" + number(w, 2) +
                     "\" height=\"" + number(h, 2) + "\"" + class_attr(cls),
                 tip);
}

std::string svg_text(double x, double y, const std::string& text, const std::string& cls,
                     const char* anchor, const std::string& tip) {
  std::string tip_part = tip.empty() ? "" : "<title>" + escape_html(tip) + "</title>";
  return "<text x=\"" + number(x) + "\" y=\"" + number(y) + "\" text-anchor=\"" + anchor + "\"" +
         class_attr(cls) + ">" + tip_part + escape_html(text) + "</text>";
}

std::string svg_text_up(double x, double y, const std::string& text, const std::string& cls,
                        const char* anchor) {
  return "<text transform=\"translate(" + number(x) + " " + number(y) +
         ") rotate(-90)\" text-anchor=\"" + anchor + "\"" + class_attr(cls) + ">" +
         escape_html(text) + "</text>";
}

std::string svg_line(double x1, double y1, double x2, double y2, const std::string& cls) {
  return "<line x1=\"" + number(x1, 2) + "\" y1=\"" + number(y1, 2) + "\" x2=\"" + number(x2, 2) +
         "\" y2=\"" + number(y2, 2) + "\"" + class_attr(cls) + "/>";
}

std::string svg_polyline(const std::vector<std::pair<double, double>>& points,
                         const std::string& cls) {
  std::string p;
  for (const auto& [x, y] : points) p += (p.empty() ? "" : " ") + number(x, 2) + "," + number(y, 2);
  return "<polyline points=\"" + p + "\"" + class_attr(cls) + "/>";
}

}  // namespace kavlab
