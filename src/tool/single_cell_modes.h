// The modes that run one chosen cell against the reference: verify and truth table.
#ifndef KAVTEST_SINGLE_CELL_MODES_H
#define KAVTEST_SINGLE_CELL_MODES_H

#include "TSTData.h"
#include "device_list.h"

/// Per vector, OK/Fail per output (Pass/Fail of the monitor with -bicm) of `cell_index` against the
/// reference. Writes nothing into `dat`.
void doVerify(DeviceList* dev, int circuit_index, int cell_index, BIST* dat);
/// The truth table of `cell_index`, its differences from the reference marked; its outputs go into
/// the vectors of `dat` for the write-back.
void printTruthTable(DeviceList* dev, int circuit_index, int cell_index, BIST* dat);
/// The three status bits of a raw response, as pass/fail words.
void printChipStatus(unsigned char status);
/// The texts of the device's error bits, or "No error".
void printKavError(unsigned char errVal);
/// The defect name of a cell, or "reference" for the defect-free cell.
const char* defect_label(int circuit_index, int cell_index);

#endif
