// The defect table: the reference cell and every selected defective cell over all vectors.
#ifndef KAVTEST_DEFECT_TABLE_H
#define KAVTEST_DEFECT_TABLE_H

#include "TSTData.h"
#include "device_list.h"

/// Fills the fault table, the per-defect summary and the reference outputs of `dat` for the
/// cells of `circuit_index` in the class mask `def_mask`.
void doDefectTable(DeviceList* dev, int circuit_index, int def_mask, BIST* dat);

#endif
