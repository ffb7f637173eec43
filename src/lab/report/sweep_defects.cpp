// A sweep's classes and thresholds in the report.
#include "report/sweep_defects.h"

#include <algorithm>
#include <cmath>

#include "report/parts.h"
#include "results/sweep.h"
#include "results/sweep_defects.h"
#include "units.h"

namespace kavlab {

namespace {

constexpr double kWidth = 300, kHeight = 190;
constexpr double kLeft = 40, kRight = 14, kTop = 18, kBottom = 150;  ///< the plot's frame

/// The measured points of a sweep, by value.
std::vector<SweepPoint> measured_points(const CircuitView& view) {
  std::vector<SweepPoint> points;
  for (const SweepPoint& p : sweep_points(*view.circuit, view.source->results.sweep))
    if (p.measured != Measured::None && p.value > 0) points.push_back(p);
  std::stable_sort(points.begin(), points.end(),
                   [](const SweepPoint& a, const SweepPoint& b) { return a.value < b.value; });
  return points;
}

double x_of(double value, double low, double high) {
  double span = kWidth - kLeft - kRight;
  if (high <= low) return kLeft + span / 2;
  return kLeft + span * (std::log10(value) - low) / (high - low);
}

/// One class's plot: its defects detected by logic, the monitor and either at each value.
Html class_plot(const std::vector<SweepPoint>& points, DefectClass k, int defects) {
  double low = std::log10(points.front().value), high = std::log10(points.back().value);
  auto y_of = [&](int n) { return kBottom - (kBottom - kTop) * n / static_cast<double>(defects); };
  Html s = svg_open(kWidth, kHeight, std::string(class_name(k)) + "s detected against resistance");
  s += svg_text(kLeft, 12, std::string(class_name(k)) + "s: " + std::to_string(defects), "axis");
  for (int n : {0, defects}) {
    s += svg_line(kLeft, y_of(n), kWidth - kRight, y_of(n), n == 0 ? "axis-line" : "grid-line");
    s += svg_text(kLeft - 5, y_of(n) + 4, std::to_string(n), "tick", "end");
  }
  for (const SweepPoint& p : points)
    s += svg_text(x_of(p.value, low, high), kBottom + 15, ohms_text(p.value), "tick", "middle");
  s += svg_text(kLeft + (kWidth - kLeft - kRight) / 2, kBottom + 32, "bridge resistance (Ohm)",
                "axis", "middle");
  struct Way {
    int ClassSummary::*count;
    const char* line;
    const char* name;
  };
  const Way ways[] = {{&ClassSummary::either, "cov-e", "either"},
                      {&ClassSummary::logic, "cov-l", "logic"},
                      {&ClassSummary::monitor, "cov-m", "monitor"}};
  for (const Way& w : ways) {
    std::vector<std::pair<double, double>> line;
    for (const SweepPoint& p : points)
      line.push_back({x_of(p.value, low, high), y_of(p.by_class[static_cast<int>(k)].*w.count)});
    s += svg_polyline(line, w.line);
  }
  return s + "</svg>";
}

/// One class's figures at each value, as a table.
Html class_figures(const std::vector<SweepPoint>& points, DefectClass k) {
  Html rows;
  for (const SweepPoint& p : points) {
    const ClassSummary& c = p.by_class[static_cast<int>(k)];
    rows += "<tr><td class=\"n\">" + Html(ohms_text(p.value)) + "</td><td class=\"n\">" +
            std::to_string(c.defects) + "</td><td class=\"n\">" + std::to_string(c.logic) +
            "</td><td class=\"n\">" + std::to_string(c.monitor) + "</td><td class=\"n\">" +
            std::to_string(c.either) + "</td></tr>";
  }
  return "<table class=\"sweep-figures\"><thead><tr><th>Ohm</th><th>defects</th><th>logic</th>"
         "<th>monitor</th><th>either</th></tr></thead><tbody>" +
         rows + "</tbody></table>";
}

}  // namespace

Html sweep_by_class(const CircuitView& view) {
  std::vector<SweepPoint> points = measured_points(view);
  if (points.empty()) return "<p class=\"none\">No value was measured.</p>";
  Html out;
  for (DefectClass k : kEveryClass) {
    int defects = 0;
    for (const SweepPoint& p : points)
      defects = std::max(defects, p.by_class[static_cast<int>(k)].defects);
    if (defects == 0) continue;
    out += "<div class=\"class-plot\">" + class_plot(points, k, defects) +
           class_figures(points, k) + "</div>";
  }
  return "<div class=\"class-plots\">" + out + "</div>";
}

Html sweep_thresholds(const CircuitView& view) {
  const CircuitResult& c = *view.circuit;
  const std::string& parameter = view.source->results.sweep;
  std::vector<SweepPoint> points = measured_points(view);
  std::vector<double> values;
  for (const SweepPoint& p : points) values.push_back(p.value);
  Html rows;
  for (const SweptDefect& d : swept_defects(c, parameter)) {
    rows += "<tr><td class=\"n\">" + Html(std::to_string(d.cell->index)) + "</td><td><code>" +
            d.cell->defect + "</code></td><td>" + std::string(class_name(class_of(d.cell->type))) +
            "</td>";
    for (Judgement j : kEveryJudgement)
      rows += "<td>" + Html(threshold_text(d.by[static_cast<int>(j)], values, ohms_text)) + "</td>";
    rows += "</tr>";
  }
  Html escapes;
  for (const SweepPoint& p : points) {
    std::string names;
    for (const std::string& e : p.escapes) names += (names.empty() ? "" : " ") + e;
    escapes += "<tr><td class=\"n\">" + Html(ohms_text(p.value)) + "</td><td class=\"names\">" +
               (names.empty() ? "none" : names) + "</td></tr>";
  }
  return "<table class=\"thresholds\"><thead><tr><th>cell</th><th>defect</th><th>class</th>"
         "<th>by logic</th><th>by the monitor</th><th>by either</th></tr></thead><tbody>" +
         rows +
         "</tbody></table><h4>Escapes (detected by neither) at each resistance</h4>"
         "<table class=\"sweep-escapes\"><thead><tr><th>Ohm</th><th>escapes</th></tr></thead>"
         "<tbody>" +
         escapes + "</tbody></table>";
}

}  // namespace kavlab
