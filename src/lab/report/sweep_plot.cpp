// The sweep plot: coverage in percent over the bridge resistance, ticks at the decades.
#include "report/sweep_plot.h"

#include <algorithm>
#include <cmath>

#include "report/html.h"
#include "results/sweep.h"
#include "units.h"

namespace kavlab {

namespace {

constexpr double kWidth = 440, kHeight = 282;
constexpr double kLeft = 56, kRight = 18, kTop = 14, kBottom = 212;  ///< the plot's frame

/// Where values go along the axis: decades from `low` to `high`, a lone value in the middle.
struct LogScale {
  double low, high;
  double x(double value) const {
    double span = kWidth - kLeft - kRight;
    if (high <= low) return kLeft + span / 2;
    return kLeft + span * (std::log10(value) - low) / (high - low);
  }
};

double y_of(int n, int whole) {
  return kBottom - (kBottom - kTop) * n / static_cast<double>(whole);
}

/// The frame: percent grid and labels, a tick per decade between the values, the axis names.
Html axes(const LogScale& scale, const std::string& parameter) {
  Html s;
  for (int p = 0; p <= 100; p += 25) {
    double y = kBottom - (kBottom - kTop) * p / 100.0;
    s += svg_line(kLeft, y, kWidth - kRight, y, p == 0 ? "axis-line" : "grid-line");
    s += svg_text(kLeft - 6, y + 4, std::to_string(p) + " %", "tick", "end");
  }
  for (int d = static_cast<int>(std::ceil(scale.low)); d <= std::floor(scale.high); d++) {
    double x = scale.x(std::pow(10.0, d));
    s += svg_line(x, kBottom, x, kBottom + 4, "axis-line");
    s += svg_text(x, kBottom + 16, ohms_text(std::pow(10.0, d)), "tick", "middle");
  }
  s += svg_line(kLeft, kTop, kLeft, kBottom, "axis-line");
  std::string name = parameter == SWEPT_BRIDGE_OHMS ? "bridge resistance (Ohm)" : parameter;
  s += svg_text(kLeft + (kWidth - kLeft - kRight) / 2, kBottom + 34, name, "axis", "middle");
  s += svg_text_up(14, (kTop + kBottom) / 2, "defects detected", "axis");
  return s;
}

/// The values no cell was measured at (a sweep cut short), named above the plot's frame.
Html not_measured_note(const std::vector<SweepPoint>& unmeasured) {
  if (unmeasured.empty()) return Html();
  std::string values;
  for (const SweepPoint& p : unmeasured)
    values += (values.empty() ? "" : ", ") + ohms_text(p.value);
  return svg_text(kWidth - kRight, kTop - 2, "not measured: " + values + " Ohm", "axis unm", "end");
}

}  // namespace

bool is_sweep(const CircuitView& view) { return !view.source->results.sweep.empty(); }

Html sweep_plot(const CircuitView& view) {
  const std::string& parameter = view.source->results.sweep;
  std::vector<SweepPoint> points, unmeasured;
  for (const SweepPoint& p : sweep_points(*view.circuit, parameter))
    (p.measured == Measured::None || p.value <= 0 ? unmeasured : points).push_back(p);
  std::stable_sort(points.begin(), points.end(),
                   [](const SweepPoint& a, const SweepPoint& b) { return a.value < b.value; });
  Html s = svg_open(kWidth, kHeight, "coverage of " + view.circuit->name + " against " + parameter);
  if (points.empty())
    return s + svg_text(kWidth / 2, kHeight / 2, "no measured value", "axis", "middle") + "</svg>";
  LogScale scale{std::log10(points.front().value), std::log10(points.back().value)};
  s += axes(scale, parameter);
  struct Way {
    int SweepPoint::*count;
    const char* line;
    const char* mark;
    const char* name;
  };
  const Way ways[] = {{&SweepPoint::either, "cov-e", "pt-e", "either"},
                      {&SweepPoint::logic, "cov-l", "pt-l", "logic"},
                      {&SweepPoint::monitor, "cov-m", "pt-m", "monitor"}};
  double legend_x = kLeft;
  for (const Way& w : ways) {
    std::vector<std::pair<double, double>> line;
    Html marks;
    for (const SweepPoint& p : points) {
      double x = scale.x(p.value), y = y_of(p.*w.count, p.defects);
      line.push_back({x, y});
      marks += svg_rect(x - 3, y - 3, 6, 6, w.mark,
                        ohms_text(p.value) + " Ohm: " + w.name + " " + std::to_string(p.*w.count) +
                            " of " + std::to_string(p.defects));
    }
    s += svg_polyline(line, w.line) + marks;
    double y = kHeight - 14;
    s += svg_line(legend_x, y - 4, legend_x + 22, y - 4, w.line) +
         svg_text(legend_x + 28, y, w.name, "legend");
    legend_x += 128;
  }
  return s + not_measured_note(unmeasured) + "</svg>";
}

}  // namespace kavlab
