// The defect table: the reference cell and every selected defective cell over all vectors.
#ifndef KAVTEST_DEFECT_TABLE_H
#define KAVTEST_DEFECT_TABLE_H

#include "TSTData.h"
#include "device_list.h"

/// Fills the fault table, the per-defect summary and the reference outputs of `dat` for the
/// cells of `circuit_index` in the class mask `def_mask`.
void doDefectTable(DeviceList* dev, int circuit_index, int def_mask, BIST* dat);

// The steps of doDefectTable that fill the record, for programs that hold the responses already.

/// Makes `dat`'s fault table `defcnt` columns wide, every mark cleared, and its summary 'X'.
void startFaultTable(BIST* dat, int defcnt);
/// Column `column` of the fault table: '1' where the masked responses `test` and `ref` differ.
void markFaultColumn(BIST* dat, int column, const unsigned char* ref, const unsigned char* test);
/// The reference's masked responses as the output columns of every pattern row.
void writeReferenceOutputs(BIST* dat, int circuit_index, const unsigned char* ref);

#endif
