// The logic function of each circuit of the chip: what its defect-free cell answers to every
// input vector. Data beside the catalogue, so that a program for real boxes (which has no
// emulator) can tell whether a reference cell's answers are those of the circuit named.
#ifndef KAVTEST_CIRCUIT_LOGIC_H
#define KAVTEST_CIRCUIT_LOGIC_H

#include "KavrinConst.h"

namespace catalogue {

/// The truth table of one circuit: per output, Y0 first, one character '0' or '1' per input
/// vector in counting order (the vector's number, bit 0 driving input A, indexes the string).
struct CircuitLogic {
  const char* outputs[2];  ///< null past the circuit's output count
};

/// The truth tables of the circuits, in catalogue order.
extern const CircuitLogic circuit_logic[KAVRIN_CIRCUIT_COUNT];

/// The output bits (bit i: output Yi) of a defect-free cell of catalogue circuit `circuit`
/// (0 to 17) for the input vector numbered `vector` (bit 0 drives input A; below 2^inputs).
unsigned circuit_outputs(int circuit, unsigned vector);

}  // namespace catalogue

#endif
