// Test files of the generator: a sequence written as a TST file that kavtest and kavlab run as
// it stands, and the vectors of a given TST file as input vectors.
#ifndef KAVLAB_GEN_TST_H
#define KAVLAB_GEN_TST_H

#include <string>
#include <vector>

#include "engine.h"

namespace kavlab {

/// Writes `sequence` (input vectors of circuit `circuit`) to `path` through the TST writer,
/// each row with the reference's outputs `reference[v]`, replacing `path` only once the whole
/// file is written. False with `*error` set.
bool write_test_file(const std::string& path, int circuit, const std::vector<int>& sequence,
                     const std::vector<CellAnswer>& reference, std::string* error);

/// The vectors of the TST file `path` for circuit `circuit`; a file of other columns is fitted
/// as kavtest fits it when `fit`, else refused. False with `*error` set when it cannot be read.
bool read_test_vectors(const std::string& path, int circuit, bool fit, std::vector<int>* vectors,
                       std::string* error);

/// "NN-NAME.tst", the name of circuit `circuit`'s file in a directory of generated tests.
std::string test_file_name(int circuit);

}  // namespace kavlab

#endif
