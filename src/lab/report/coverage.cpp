// The coverage curve: steps per vector on a percent scale, with grid, axis labels and legend.
#include "report/coverage.h"

#include <algorithm>

#include "report/detections.h"
#include "report/html.h"

namespace kavlab {

namespace {

constexpr double kWidth = 440, kHeight = 282;
constexpr double kLeft = 56, kRight = 18, kTop = 14, kBottom = 212;  ///< the plot's frame

/// Per row the marks of either way of judging: '1' where one of them detects.
std::vector<std::string> either_marks(const Detections& d) {
  std::vector<std::string> rows = d.logic;
  for (std::size_t r = 0; r < rows.size(); r++)
    for (std::size_t v = 0; v < rows[r].size(); v++)
      if (d.monitor[r][v] == '1') rows[r][v] = '1';
  return rows;
}

/// The frame: percent grid and labels, vector ticks and labels, and the axis names.
Html axes(int vectors) {
  double span = kWidth - kLeft - kRight;
  Html s;
  for (int p = 0; p <= 100; p += 25) {
    double y = kBottom - (kBottom - kTop) * p / 100.0;
    s += svg_line(kLeft, y, kWidth - kRight, y, p == 0 ? "axis-line" : "grid-line");
    s += svg_text(kLeft - 6, y + 4, std::to_string(p) + " %", "tick", "end");
  }
  int step = label_step(vectors / 8.0);
  for (int v = 0; v <= vectors; v += step) {
    double x = kLeft + span * v / std::max(vectors, 1);
    s += svg_line(x, kBottom, x, kBottom + 4, "axis-line");
    s += svg_text(x, kBottom + 16, std::to_string(v), "tick", "middle");
  }
  s += svg_line(kLeft, kTop, kLeft, kBottom, "axis-line");
  s += svg_text(kLeft + span / 2, kBottom + 34, "vectors applied, in order", "axis", "middle");
  s += svg_text_up(14, (kTop + kBottom) / 2, "defects detected", "axis");
  return s;
}

/// One curve as steps: the share after each vector, starting from none at 0 vectors.
Html curve(const std::vector<int>& counts, int defects, const char* cls) {
  double span = kWidth - kLeft - kRight;
  std::size_t n = counts.size();
  auto x_of = [&](std::size_t v) { return kLeft + span * static_cast<double>(v) / n; };
  auto y_of = [&](int k) { return kBottom - (kBottom - kTop) * k / static_cast<double>(defects); };
  std::vector<std::pair<double, double>> points{{x_of(0), y_of(0)}};
  int before = 0;
  for (std::size_t v = 0; v < n; v++) {
    if (counts[v] != before) points.push_back({x_of(v + 1), y_of(before)});
    points.push_back({x_of(v + 1), y_of(counts[v])});
    before = counts[v];
  }
  return svg_polyline(points, cls);
}

/// A legend entry: a stroke of the curve's style and its final share.
Html legend_entry(double x, const char* cls, const std::string& text) {
  double y = kHeight - 14;
  return svg_line(x, y - 4, x + 22, y - 4, cls) + svg_text(x + 28, y, text, "legend");
}

}  // namespace

std::vector<int> cumulative_detections(const std::vector<std::string>& marks, int defects) {
  std::size_t vectors = marks.empty() ? 0 : marks.front().size();
  std::vector<int> first_found(vectors + 1, 0);
  for (int r = 0; r < defects && r < static_cast<int>(marks.size()); r++) {
    std::size_t v = marks[static_cast<std::size_t>(r)].find('1');
    first_found[v == std::string::npos ? vectors : v]++;
  }
  std::vector<int> counts(vectors, 0);
  int total = 0;
  for (std::size_t v = 0; v < vectors; v++) counts[v] = total += first_found[v];
  return counts;
}

Html coverage_curve(const CircuitView& view) {
  const CircuitResult& c = *view.circuit;
  int defects = view.summary->defects;
  Html s = svg_open(kWidth, kHeight, "coverage curve of " + c.name);
  if (defects == 0 || c.vectors.empty())
    return s + svg_text(kWidth / 2, kHeight / 2, "no measured defect", "axis", "middle") + "</svg>";
  s += axes(static_cast<int>(c.vectors.size()));
  Detections d = detections_of(c);
  struct Curve {
    bool known;
    std::vector<std::string> marks;
    const char* cls;
    const char* name;
  };
  const Curve curves[] = {{d.logic_known || d.monitor_known, either_marks(d), "cov-e", "either"},
                          {d.logic_known, d.logic, "cov-l", "logic"},
                          {d.monitor_known, d.monitor, "cov-m", "monitor"}};
  double x = kLeft;
  for (const Curve& k : curves) {
    if (!k.known) continue;
    std::vector<int> counts = cumulative_detections(k.marks, defects);
    s += curve(counts, defects, k.cls);
    s += legend_entry(x, k.cls, std::string(k.name) + " " + percent_text(counts.back(), defects));
    x += 128;
  }
  return s + "</svg>";
}

}  // namespace kavlab
