// A result as CSV: one row per circuit, cell and vector.
#ifndef KAVLAB_EXPORT_CSV_H
#define KAVLAB_EXPORT_CSV_H

#include <cstdio>

#include "results/results.h"

namespace kavlab {

/// Writes the header and one row per circuit, cell and vector of `r` to `out` (C locale):
/// circuit, cell, defect and class, inputs, the reference's outputs, per pass the cell's
/// outputs and monitor verdict, and whether logic and the monitor detect the defect there.
/// False when a write fails.
bool export_csv(const Results& r, FILE* out);

}  // namespace kavlab

#endif
