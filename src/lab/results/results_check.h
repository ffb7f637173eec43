// Results checked before they are believed: against the chip (every circuit and cell as the
// catalogue has it) and against themselves (each circuit once, a complete result complete).
// Each check names the place in the file (`where`, as "circuits[2]"), the field and both values.
#ifndef KAVLAB_RESULTS_CHECK_H
#define KAVLAB_RESULTS_CHECK_H

#include <cstddef>
#include <string>

#include "results/results.h"

namespace kavlab {

/// Whether the name, description, inputs and outputs of `c` (its index already in the
/// catalogue's range) are those of its circuit on the chip; false with `*error` set.
bool check_circuit_facts(const CircuitResult& c, const std::string& where, std::string* error);
/// Whether circuit `circuit` of the chip has at least `cells` defective cells; false with
/// `*error` set. Checked before the cells are read.
bool check_cell_count(int circuit, std::size_t cells, const std::string& where, std::string* error);
/// Whether cell `k` of `c` is a defective cell of its circuit, not one of the cells before it,
/// with the catalogue's defect name and class; false with `*error` set.
bool check_cell(const CircuitResult& c, std::size_t k, const std::string& where,
                std::string* error);
/// Whether `r` does not hold the circuit of `c` yet; false with `*error` set.
bool check_new_circuit(const Results& r, const CircuitResult& c, const std::string& where,
                       std::string* error);
/// Whether no pass of `r` holds cells' answers without the reference's and, when `r` is not
/// partial, every pass holds the reference's and every cell's answers; false with `*error` set.
bool check_passes(const Results& r, std::string* error);

}  // namespace kavlab

#endif
