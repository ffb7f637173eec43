// Applying a vector set to one cell on the device, and the conversions around it.
#ifndef KAVTEST_APPLY_VECTORS_H
#define KAVTEST_APPLY_VECTORS_H

#include "TSTData.h"
#include "device_list.h"

/// Response bytes of `cell_index` of `circuit_index` to the `vcount` input bytes `in`, one per
/// vector, masked when `masking` (to the monitor bit with -bicm); null when the device refused or
/// failed. The caller frees it.
unsigned char* runTest(DeviceList* dev, int circuit_index, int cell_index, unsigned char* in,
                       int vcount, bool masking);
/// Reduces raw responses to the monitor bit (maskBICM) or to the outputs of the circuit chosen
/// on the command line.
unsigned char* doMasking(unsigned char* arr, int vcount, bool maskBICM);
/// The first defect-free cell of the circuit, or -1.
int getReferenceCell(int circuit_index);
/// One input byte per vector (first input character most significant); the caller frees it.
unsigned char* convertToByteArray(BIST* dat, int circuit_index);
/// Up to n (at most 8) characters of `in` from index s as bits, '1' a 1 bit.
unsigned char convertToByte(const char* in, int s, int n);

/// A response the mode cannot go on without: ends the run when it is missing.
unsigned char* require_response(unsigned char* response);
/// convertToByteArray, ending the run when memory runs out.
unsigned char* require_input_bytes(BIST* dat, int circuit_index);

#endif
