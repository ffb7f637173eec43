// The vectors of a run: a test file read under its shared lock and fitted as kavtest fits it,
// or every input vector of the circuit.
#ifndef KAVLAB_TEST_SOURCE_H
#define KAVLAB_TEST_SOURCE_H

#include <string>
#include <vector>

#include "TSTData.h"
#include "file_lock.h"
#include "results/results.h"

namespace kavlab {

/// A circuit of the catalogue with the chosen cells (indices into its cell list), no vectors.
CircuitResult circuit_skeleton(int circuit_index, const std::vector<int>& cells);
/// The cells of circuit `circuit_index` that `choice` names: "all", "saf" (shorts to a rail)
/// or a comma-separated list of indices. False with `*error` set for a bad choice.
bool choose_cells(int circuit_index, const std::string& choice, std::vector<int>* cells,
                  std::string* error);

/// Locks the file `path` shared (held in `lock` until unlock_file), reads its bytes into
/// `*bytes` and its record through the TST reader. The record is null, with `*error` set, when
/// the file is busy or cannot be read; a file the reader rejects ends the process.
BIST* read_test_file(const std::string& path, FileLock& lock, std::string* bytes,
                     std::string* error);
/// The LFSR registers of a record.
Registers record_registers(const BIST* dat);
/// Fills `c`'s vectors and test source from the file `path`, fitted to the circuit.
bool load_test_file(const std::string& path, CircuitResult& c, FileLock& lock, std::string* error);
/// Fills `c`'s vectors with every input vector in counting order.
void load_exhaustive(CircuitResult& c);
/// The first `inputs` characters of every row of a fitted record.
std::vector<std::string> record_vectors(const BIST* dat, int inputs);

}  // namespace kavlab

#endif
