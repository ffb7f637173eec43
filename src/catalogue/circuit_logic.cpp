// The chip's circuits as truth tables, written from their Boolean functions (KavrinConst.h's
// descriptions; CB1's and C17's from their gate lists). circuit_logic_test checks them against
// the switch-level reference cells of the emulator.
#include "circuit_logic.h"

namespace catalogue {

const CircuitLogic circuit_logic[KAVRIN_CIRCUIT_COUNT] = {
    {{"1000000000000000"}},  // 0 NO42: NOT( NAND( NOR(A,B), NOR(C,D) ) )
    {{"1111100010001000"}},  // 1 ON1: NAND( OR(A,B), OR(C,D) )
    {{"1111111111111000"}},  // 2 ON3: NAND( OR(A,B), C,D )
    {{"1110111011100000"}},  // 3 AN1: NOR( AND(A,B), AND(C,D) )
    {{"1110000000000000"}},  // 4 AN3: NOR( AND(A,B), C, D )
    {{"1111111111111110"}},  // 5 NA4: NAND( A, B, C, D )
    {{"1000000000000000"}},  // 6 NO4: NOR( A, B, C, D )
    {{"10000000"}},          // 7 NO3: NOR( A, B, C )
    {{"11111110"}},          // 8 NA3: NAND( A, B, C )
    {{"0110"}},              // 9 EO1: XOR( A, B )
    {{"1001"}},              // 10 EN1: XNOR( A, B )
    {{"1110"}},              // 11 NA2: NAND( A, B )
    {{"1110"}},              // 12 NA2: NAND( A, B ) with opens
    {{"1000"}},              // 13 NO2: NOR( A, B )
    {{"10"}},                // 14 IN1: NOT( A )
    // 15 CB1: inputs I1..I4, outputs O1 (Y0) and O2 (Y1).
    {{"0101101001011010", "0011011011001001"}},
    // 16 and 17, C17: inputs A..E, outputs Y1 (Y0 here) and Y2 (Y1 here).
    {{"00110111001101010011011100110101", "00110011001100001111111111110000"}},
    {{"00110111001101010011011100110101", "00110011001100001111111111110000"}},
};

unsigned circuit_outputs(int circuit, unsigned vector) {
  unsigned bits = 0;
  for (int y = 0; y < elements[circuit].out; y++)
    if (circuit_logic[circuit].outputs[y][vector] == '1') bits |= 1u << y;
  return bits;
}

}  // namespace catalogue
