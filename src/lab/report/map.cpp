// The detection map: squares in runs of one colour, white grid lines, defect names at the left,
// the vectors across the top and the essential vectors marked below.
#include "report/map.h"

#include <algorithm>

#include "report/detections.h"
#include "report/html.h"

namespace kavlab {

namespace {

constexpr double kRow = 14;        ///< height of a defect's row: room for a legible name
constexpr double kMapWidth = 560;  ///< the squares' width when there are many vectors

/// What a verdict of vector_verdict means, for tooltips.
const char* verdict_words(char v) {
  switch (v) {
    case 'b':
      return "logic and monitor";
    case 'l':
      return "logic only";
    case 'm':
      return "monitor only";
    case 'u':
      return "not measured";
    default:
      return "not detected";
  }
}

/// The width of one vector's column.
double column_width(std::size_t vectors) {
  if (vectors <= 40) return 14;
  return std::max(kMapWidth / static_cast<double>(vectors), 0.25);
}

/// The vectors across the top: their bits upwards where they fit, else their numbers.
Html vector_labels(const CircuitResult& c, double x0, double y0, double cw) {
  Html s;
  if (cw >= 9) {
    for (std::size_t v = 0; v < c.vectors.size(); v++)
      s += svg_text_up(x0 + cw * (static_cast<double>(v) + 0.5) + 3.5, y0 - 4, c.vectors[v], "bits",
                       "start");
    return s;
  }
  int step = label_step(44 / cw);
  for (std::size_t v = 0; v < c.vectors.size(); v += static_cast<std::size_t>(step))
    s += svg_text(x0 + cw * (static_cast<double>(v) + 0.5), y0 - 4, std::to_string(v + 1), "tick",
                  "middle");
  return s;
}

/// One defect's row: runs of one verdict as rectangles (not detected is the background).
Html map_row(const CircuitResult& c, const Detections& d, std::size_t cell, double x0, double y,
             double cw) {
  Html s;
  const std::string& lm = d.logic[cell];
  const std::string& mm = d.monitor[cell];
  std::size_t n = c.vectors.size();
  for (std::size_t v = 0; v < n;) {
    char verdict = vector_verdict(lm[v], mm[v]);
    std::size_t end = v + 1;
    while (end < n && vector_verdict(lm[end], mm[end]) == verdict) end++;
    if (verdict != 'n') {
      std::string which = end - v == 1 ? "vector " + c.vectors[v]
                                       : "vectors " + c.vectors[v] + " to " + c.vectors[end - 1];
      s += svg_rect(x0 + cw * static_cast<double>(v), y, cw * static_cast<double>(end - v), kRow,
                    std::string("v-") + verdict,
                    c.cells[cell].defect + ", " + which + ": " + verdict_words(verdict));
    }
    v = end;
  }
  return s;
}

/// The defect names at the left: escapes and cells not measured stand out.
Html row_label(const CircuitResult& c, const Detections& d, std::size_t cell, double x, double y) {
  CellState state = cell_state(d, cell);
  const TestedCell& t = c.cells[cell];
  std::string tip = "cell " + std::to_string(t.index) + ": " + t.defect + " (" +
                    defect_class(t.type) + ")" +
                    (state == CellState::Escape       ? ", an escape"
                     : state == CellState::Unmeasured ? ", not measured"
                                                      : "");
  return svg_text(x, y, t.defect, name_class(state), "end", tip);
}

/// Grid lines between the rows, and between the columns where they are wide enough.
Html grid_lines(std::size_t rows, std::size_t columns, double x0, double y0, double cw) {
  Html s;
  double width = cw * static_cast<double>(columns), height = kRow * static_cast<double>(rows);
  for (std::size_t r = 1; r < rows; r++)
    s += svg_line(x0, y0 + kRow * static_cast<double>(r), x0 + width,
                  y0 + kRow * static_cast<double>(r), "grid");
  for (std::size_t v = 1; cw >= 4 && v < columns; v++)
    s += svg_line(x0 + cw * static_cast<double>(v), y0, x0 + cw * static_cast<double>(v),
                  y0 + height, "grid");
  return s;
}

/// A small triangle under each essential vector's column.
Html essential_marks(const CircuitResult& c, const std::vector<int>& essential, double x0, double y,
                     double cw) {
  Html s;
  for (int v : essential) {
    double x = x0 + cw * (v + 0.5);
    s += svg_path("M" + number(x, 2) + " " + number(y) + " l4 7 h-8 z", "ess",
                  "essential vector " + c.vectors[static_cast<std::size_t>(v)]);
  }
  return s;
}

}  // namespace

Html detection_map(const CircuitView& view) {
  const CircuitResult& c = *view.circuit;
  Detections d = detections_of(c);
  std::size_t rows = c.cells.size(), columns = c.vectors.size();
  double cw = column_width(columns);
  double label = name_column_width(c);
  double head = cw >= 9 ? 6.2 * c.inputs + 12 : 18;
  double x0 = label, y0 = 18 + head;
  double width = x0 + cw * static_cast<double>(columns) + 12;
  double height = y0 + kRow * static_cast<double>(rows) + 14;
  Html s = svg_open(width, height, "detection map of " + c.name);
  s += svg_text(x0, 12, "vectors in the order applied \u2192", "axis");
  s += vector_labels(c, x0, y0, cw);
  s += svg_rect(x0, y0, cw * static_cast<double>(columns), kRow * static_cast<double>(rows), "v-n");
  for (std::size_t r = 0; r < rows; r++) {
    double y = y0 + kRow * static_cast<double>(r);
    s += map_row(c, d, r, x0, y, cw);
    s += row_label(c, d, r, x0 - 5, y + 10.5);
  }
  s += grid_lines(rows, columns, x0, y0, cw);
  s += essential_marks(c, view.summary->either.essential, x0,
                       y0 + kRow * static_cast<double>(rows) + 3, cw);
  return s + "</svg>";
}

}  // namespace kavlab
