// Per cell and vector detections for the report's pictures.
#include "report/detections.h"

#include <algorithm>

namespace kavlab {

namespace {

/// `marks` with one row per chosen cell: rows the passes did not reach are unknown; a way of
/// judging that no pass uses reads as never detecting.
std::vector<std::string> rows_of(const CircuitResult& c, Measure m, bool known) {
  std::vector<std::string> rows = detection_marks(c, m);
  rows.resize(c.cells.size(), std::string(c.vectors.size(), known ? '?' : 'X'));
  return rows;
}

}  // namespace

Detections detections_of(const CircuitResult& c) {
  Detections d;
  d.logic_known = pass_for(c, Measure::Logic) != nullptr;
  d.monitor_known = pass_for(c, Measure::Monitor) != nullptr;
  d.logic = rows_of(c, Measure::Logic, d.logic_known);
  d.monitor = rows_of(c, Measure::Monitor, d.monitor_known);
  return d;
}

char vector_verdict(char logic, char monitor) {
  if (logic == '1') return monitor == '1' ? 'b' : 'l';
  if (monitor == '1') return 'm';
  return logic == '?' || monitor == '?' ? 'u' : 'n';
}

int detecting_vectors(const std::string& marks) {
  return static_cast<int>(std::count(marks.begin(), marks.end(), '1'));
}

bool measured(const std::string& marks) { return marks.find('?') == std::string::npos; }

CellState cell_state(const Detections& d, std::size_t cell) {
  const std::string& lm = d.logic[cell];
  const std::string& mm = d.monitor[cell];
  if (!measured(lm) || !measured(mm)) return CellState::Unmeasured;
  return detecting_vectors(lm) + detecting_vectors(mm) == 0 ? CellState::Escape
                                                            : CellState::Detected;
}

const char* name_class(CellState state) {
  if (state == CellState::Escape) return "name esc";
  return state == CellState::Unmeasured ? "name unm" : "name";
}

double name_column_width(const CircuitResult& c) {
  std::size_t longest = 6;
  for (const TestedCell& cell : c.cells) longest = std::max(longest, cell.defect.size());
  return 12 + 6.8 * static_cast<double>(longest);
}

}  // namespace kavlab
