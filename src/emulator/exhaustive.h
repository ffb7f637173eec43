// Exhaustive runs of single cells, as the chip's documentation tables count them: every input
// vector in counting order from power-up, and what the answers tell against the reference's.
#ifndef KAVTEST_EXHAUSTIVE_H
#define KAVTEST_EXHAUSTIVE_H

#include <string>
#include <vector>

#include "engine.h"
#include "netlist.h"

/// The netlist of cell `cell` of catalogue circuit `circuit`, its defect applied; the catalogue
/// is fixed data, so a defect that does not resolve ends the process with a message.
Netlist cell_netlist(int circuit, int cell);

/// Every input vector of `net`, in counting order: 0, 1, ..., 2^inputs - 1.
std::vector<unsigned char> counting_vectors(const Netlist& net);

/// The switch-level answers of a freshly powered cell of `net` to counting_vectors(net).
std::vector<CellAnswer> switch_exhaustive(const Netlist& net);

/// Whether a cell is detected, against the reference's answers to the same vectors: by logic
/// when its outputs differ on some vector, by the monitor when it fails where the reference
/// passes on some vector.
struct Verdict {
  bool logic = false;
  bool monitor = false;
};
Verdict judge(const std::vector<CellAnswer>& reference, const std::vector<CellAnswer>& cell);

#endif
