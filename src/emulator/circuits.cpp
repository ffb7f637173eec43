// The netlists of the chip's 18 circuits, in the order of the catalogue's circuit table.
#include <cstdio>

#include "KavrinConst.h"
#include "exit.h"
#include "netlist.h"

namespace {

const char* const kC17 =
    "in A B C D E; out Y1 Y2;"
    "I0: n1 = NAND2(A,C); I1: n2 = NAND2(C,D); I2: n3 = NAND2(B,n2);"
    "I3: n4 = NAND2(n2,E); I4: Y1 = NAND2(n1,n3); I5: Y2 = NAND2(n3,n4)";

const char* const kDescriptions[KAVRIN_CIRCUIT_COUNT] = {
    // 0 NO42
    "in A B C D; out Q; n1 = NOR2(A,B); n2 = NOR2(C,D); n3 = NAND2(n1,n2); Q = INV(n3)",
    // 1 ON1
    "in A B C D; out Q; Q = PDN (A|B)-n1-(C|D) PUN (A.B)|(C.D)",
    // 2 ON3
    "in A B C D; out Q; Q = PDN (A|B)-n1-C.D PUN (A.B)|C|D",
    // 3 AN1
    "in A B C D; out Q; Q = PDN (A.B)|(C.D) PUN (A|B)-n1-(C|D)",
    // 4 AN3
    "in A B C D; out Q; Q = PDN (A.B)|C|D PUN (A|B)-n1-C.D",
    // 5 NA4, 6 NO4, 7 NO3, 8 NA3
    "in A B C D; out Q; Q = NAND4(A,B,C,D)",
    "in A B C D; out Q; Q = NOR4(A,B,C,D)",
    "in A B C; out Q; Q = NOR3(A,B,C)",
    "in A B C; out Q; Q = NAND3(A,B,C)",
    // 9 EO1
    "in A B; out Q; n1 = INV(A); n2 = INV(B);"
    "Q = PDN (A.B)|(n1.n2) PUN (A|B)-n3-(n1|n2)",
    // 10 EN1
    "in A B; out Q; n1 = NAND2(A,B); Q = PDN (A|B)-n2-n1 PUN (A.B)|n1",
    // 11 NA2, 12 NA2 with opens (its one gate is G), 13 NO2, 14 IN1
    "in A B; out Q; Q = NAND2(A,B)",
    "in A B; out Q; G: Q = NAND2(A,B)",
    "in A B; out Q; Q = NOR2(A,B)",
    "in A; out Q; Q = INV(A)",
    // 15 CB1: O1 = I1 xor I3, O2 = I2 xor I4 xor (I1 and I3)
    "in I1 I2 I3 I4; out O1 O2;"
    "N1 = NAND2(I1,I3); N2 = NAND2(I1,N1); N3 = NAND2(I3,N1); O1 = NAND2(N2,N3);"
    "K1 = INV(N1); N4 = NAND2(I2,I4); N5 = NAND2(I2,N4); N6 = NAND2(I4,N4);"
    "K2 = NAND2(N5,N6); M1 = NAND2(K2,K1); M2 = NAND2(K2,M1); M3 = NAND2(K1,M1);"
    "O2 = NAND2(M2,M3)",
    // 16 C17 with shorts, 17 C17 with opens
    kC17,
    kC17,
};

}  // namespace

const char* circuit_description(int circuit) { return kDescriptions[circuit]; }

Netlist circuit_netlist(int circuit) {
  Netlist net;
  std::string error;
  if (!build_netlist(elements[circuit].name, kDescriptions[circuit], &net, &error)) {
    // The descriptions are fixed data checked by the tests; a failure is a build defect.
    std::fprintf(stderr, "netlist of circuit %d: %s\n", circuit, error.c_str());
    end_process(-1);
  }
  return net;
}
