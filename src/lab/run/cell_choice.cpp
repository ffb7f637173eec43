// The chosen cells of a circuit from the catalogue.
#include "run/cell_choice.h"

#include "KavrinConst.h"

namespace kavlab {

bool choose_cells(int circuit_index, const CellChoice& choice, std::vector<int>* cells,
                  std::string* error) {
  const KAVRIN_ELEMENT_LIST& list = elements[circuit_index];
  cells->clear();
  if (choice.kind != CellChoice::Kind::Listed) {
    int mask = choice.kind == CellChoice::Kind::All ? MASK_ALL_DEFECTS : MASK_SAF_DEFECTS;
    for (int k = 0; k < list.count; k++)
      if (cell_selected(mask, list.idx[k].type)) cells->push_back(k);
    return true;
  }
  for (int k : choice.listed) {
    if (k < 1 || k >= list.count) {
      *error = "--cells: " + std::to_string(k) + " is no defective cell of circuit " +
               std::to_string(circuit_index) + " (1 to " + std::to_string(list.count - 1) + ")";
      return false;
    }
    cells->push_back(k);
  }
  if (cells->empty()) *error = "--cells: no cell named";
  return !cells->empty();
}

CircuitResult circuit_skeleton(int circuit_index, const std::vector<int>& cells) {
  const KAVRIN_ELEMENT_LIST& list = elements[circuit_index];
  CircuitResult c;
  c.index = circuit_index;
  c.name = list.name;
  c.description = list.desc;
  c.inputs = list.in;
  c.outputs = list.out;
  for (int k : cells) c.cells.push_back({k, list.idx[k].defect, list.idx[k].type});
  return c;
}

}  // namespace kavlab
