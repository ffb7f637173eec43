// Logic against the monitor: paired bars around the defect names, and the counts above them.
#include "report/versus.h"

#include "report/detections.h"
#include "report/html.h"
#include "report/parts.h"

namespace kavlab {

namespace {

constexpr double kRow = 14;   ///< height of a defect's row, as in the detection map
constexpr double kBar = 130;  ///< the longest bar: every vector detects
constexpr double kTop = 34;

/// One side's bar for a row of marks, growing from `x` towards `sign`, with its count.
Html bar(const std::string& marks, double x, double sign, double y, std::size_t vectors,
         const char* cls, const std::string& tip) {
  if (!measured(marks))
    return svg_text(x + sign * 4, y + 10.5, "not measured", "count unm",
                    sign < 0 ? "end" : "start");
  int n = detecting_vectors(marks);
  double w = kBar * n / static_cast<double>(vectors);
  Html s;
  if (n > 0) s += svg_rect(sign < 0 ? x - w : x, y + 1.5, w, kRow - 3, cls, tip);
  return s + svg_text(x + sign * (w + 3), y + 10.5, std::to_string(n), "count",
                      sign < 0 ? "end" : "start");
}

/// The names of the two sides and the scale above the bars.
Html heads(double left, double right, std::size_t vectors) {
  Html s = svg_text(left - kBar / 2, 12, "logic", "axis", "middle") +
           svg_text(right + kBar / 2, 12, "monitor", "axis", "middle");
  std::string all = std::to_string(vectors);
  s += svg_text(left, 27, "0", "tick", "end") + svg_text(left - kBar, 27, all, "tick", "start");
  s += svg_text(right, 27, "0", "tick", "start") + svg_text(right + kBar, 27, all, "tick", "end");
  return s;
}

}  // namespace

Html versus_counts(const CircuitView& view) {
  const CircuitSummary& s = *view.summary;
  Html out;
  auto item = [&](const char* cls, const char* what, int n) {
    out += key(cls, Html::trusted(what) + " <b>" + std::to_string(n) + "</b>");
  };
  item("k-b", "both", s.both);
  item("k-l", "logic only", s.logic.detected - s.both);
  item("k-m", "monitor only", s.monitor.detected - s.both);
  item("k-esc", "neither", s.neither);
  return "<p class=\"counts\">" + out + "</p>";
}

Html logic_vs_monitor(const CircuitView& view) {
  const CircuitResult& c = *view.circuit;
  Detections d = detections_of(c);
  double names = name_column_width(c);
  double left = kBar + 34, right = left + names + 16;
  double width = right + kBar + 34, height = kTop + kRow * static_cast<double>(c.cells.size()) + 4;
  Html s = svg_open(width, height, "logic against monitor per defect of " + c.name);
  s += heads(left, right, c.vectors.size());
  s += svg_line(left, kTop - 2, left, height - 2, "axis-line");
  s += svg_line(right, kTop - 2, right, height - 2, "axis-line");
  for (std::size_t r = 0; r < c.cells.size(); r++) {
    double y = kTop + kRow * static_cast<double>(r);
    const std::string& name = c.cells[r].defect;
    s += svg_text(left + 8 + names / 2, y + 10.5, name, name_class(cell_state(d, r)), "middle");
    s += bar(d.logic[r], left, -1, y, c.vectors.size(), "v-l",
             name + ": detected by logic on " + std::to_string(detecting_vectors(d.logic[r])) +
                 " vectors");
    s += bar(d.monitor[r], right, 1, y, c.vectors.size(), "v-m",
             name + ": detected by the monitor on " +
                 std::to_string(detecting_vectors(d.monitor[r])) + " vectors");
  }
  return s + "</svg>";
}

}  // namespace kavlab
