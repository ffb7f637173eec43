// Which cells of a circuit a run measures, and the circuit's record before any vector.
#ifndef KAVLAB_CELL_CHOICE_H
#define KAVLAB_CELL_CHOICE_H

#include <string>
#include <vector>

#include "results/results.h"

namespace kavlab {

/// The cells a run measures: every defective cell, the shorts to a rail (the stuck-at defects,
/// as kavtest's -saf_defects), or the cells listed by number.
struct CellChoice {
  enum class Kind { All, Saf, Listed };
  Kind kind = Kind::All;
  std::vector<int> listed;  ///< Listed: cell numbers in the order given
};

/// The cells of circuit `circuit_index` that `choice` names, as indices into its cell list.
/// False with `*error` set when a listed number is no defective cell of that circuit.
bool choose_cells(int circuit_index, const CellChoice& choice, std::vector<int>* cells,
                  std::string* error);
/// A circuit of the catalogue with the chosen cells (indices into its cell list), no vectors.
CircuitResult circuit_skeleton(int circuit_index, const std::vector<int>& cells);

}  // namespace kavlab

#endif
