// Where a run's vectors come from: a test file read under its shared lock and fitted as kavtest
// fits it, or every input vector of the circuit.
#ifndef KAVLAB_VECTOR_SOURCE_H
#define KAVLAB_VECTOR_SOURCE_H

#include <string>
#include <vector>

#include "TSTData.h"
#include "file_lock.h"
#include "results/results.h"

namespace kavlab {

/// Locks the file `path` shared (held in `lock` until unlock_file), reads its bytes into
/// `*bytes` and its record through the TST reader. The record is null, with `*error` set, when
/// the file is busy or cannot be read; a file the reader rejects ends the process.
BIST* read_test_file(const std::string& path, FileLock& lock, std::string* bytes,
                     std::string* error);
/// The LFSR registers of a record.
Registers record_registers(const BIST* dat);
/// Fills `c`'s vectors and test source from the file `path`. A file whose columns are not the
/// circuit's (more input columns, or internal-signal ones) is refused, with `*error` saying so,
/// unless `fit`: its vectors are then fitted as kavtest fits them, and the source says so.
bool load_test_file(const std::string& path, bool fit, CircuitResult& c, FileLock& lock,
                    std::string* error);
/// Fills `c`'s vectors with every input vector in counting order.
void load_exhaustive(CircuitResult& c);
/// The first `inputs` characters of every row of a fitted record.
std::vector<std::string> record_vectors(const BIST* dat, int inputs);

}  // namespace kavlab

#endif
