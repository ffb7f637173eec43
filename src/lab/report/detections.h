// What the report's pictures draw: per chosen cell of a result and per vector, whether logic
// and the monitor detect it, with cells a partial result did not reach marked unknown.
#ifndef KAVLAB_REPORT_DETECTIONS_H
#define KAVLAB_REPORT_DETECTIONS_H

#include <string>
#include <vector>

#include "results/results.h"

namespace kavlab {

struct Detections {
  bool logic_known = false, monitor_known = false;  ///< some pass judges this way
  /// Per chosen cell, per vector: '1' detected, 'X' not, '?' unknown (not measured); all 'X'
  /// for a way of judging that no pass uses.
  std::vector<std::string> logic, monitor;
};

/// The detections of every chosen cell of `c`.
Detections detections_of(const CircuitResult& c);
/// How a cell fares on a vector from its logic and monitor marks: 'b' both detect, 'l' logic
/// only, 'm' the monitor only, 'n' neither, 'u' unknown (nothing detects, something unknown).
char vector_verdict(char logic, char monitor);
/// The number of vectors a row of marks detects on.
int detecting_vectors(const std::string& marks);
/// Whether a row of marks was measured (holds no unknown vector).
bool measured(const std::string& marks);
/// A chosen cell in the pictures: detected in some way, an escape (measured, never detected),
/// or not measured (a partial result).
enum class CellState { Detected, Escape, Unmeasured };
CellState cell_state(const Detections& d, std::size_t cell);
/// The CSS class of a defect's name in the pictures.
const char* name_class(CellState state);
/// The width in pixels of the column of defect names of `c` in the report's pictures.
double name_column_width(const CircuitResult& c);

}  // namespace kavlab

#endif
