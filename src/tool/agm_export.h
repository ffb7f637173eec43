// The placeholder SSBDD model file of -agm.
#ifndef KAVTEST_AGM_EXPORT_H
#define KAVTEST_AGM_EXPORT_H

#include <cstdio>

/// Writes the model of the selected circuit and class into the -agm file; warns when the file
/// cannot be opened.
void writeAGM();
/// The model of `circuit_index` with the cells of class mask `def_type` as nodes, into `f`.
void generateAGMFile(FILE* f, unsigned int circuit_index, unsigned int def_type);
/// The statistics and mode lines that open a model file.
void fakeAGMStats(FILE* f, int nodes, int in, int out);

#endif
