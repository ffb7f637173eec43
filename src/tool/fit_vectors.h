// Fitting a file's vectors to the circuit under test.
#ifndef KAVTEST_FIT_VECTORS_H
#define KAVTEST_FIT_VECTORS_H

#include "TSTData.h"

/// Fits the vectors to the circuit: keeps the last `in` input columns, makes room for outputs.
/// Returns `dat`.
BIST* adjustTST(BIST* dat, int circuit_index);

#endif
