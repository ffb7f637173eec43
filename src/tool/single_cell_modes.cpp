// The single-cell modes: verify and truth table.
#include "single_cell_modes.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "KavrinConst.h"
#include "apply_vectors.h"
#include "bit_text.h"
#include "options.h"

void printChipStatus(unsigned char status) {
  static const char* const labels[3] = {"BICM output : ", " CUT out0 : ", " CUT out1 "};
  vf_print(stdout, 0, "\t| ");
  for (int i = 0; i < 3; i++)
    vf_print(stdout, 0, "%s%s%s", i == 0 ? "" : ", ", labels[i],
             (status >> i) & 1 ? "pass" : "fail");
}

void printKavError(unsigned char errVal) {
  static const char* const texts[5] = {": Invalid handle ", ": Invalid block ", ": Invalid row ",
                                       ": Invalid column ", ": Invalid input"};
  if (errVal == 0) vf_print(stdout, 0, "No error");
  for (int bit = 0; bit < 5; bit++)
    if (errVal & (1 << bit)) vf_print(stdout, 0, "%s", texts[bit]);
  vf_print(stdout, 0, "\n");
}

const char* defect_label(int circuit_index, int cell_index) {
  const char* name = elements[circuit_index].idx[cell_index].defect;
  return name != nullptr ? name : "reference";
}

void doVerify(DeviceList* dev, int circuit_index, int cell_index, BIST* dat) {
  const KAVRIN_ELEMENT_LIST& c = elements[circuit_index];
  bool bicm = option_given(OPT_BICM);
  vf_print(stdout, 0, "Verifying cell %s [%s]\n", c.name, defect_label(circuit_index, cell_index));
  int ref_idx = getReferenceCell(circuit_index);
  unsigned char* in = require_input_bytes(dat, circuit_index);
  unsigned char* ref =
      require_response(runTest(dev, circuit_index, ref_idx, in, dat->vcount, true));
  unsigned char* test =
      require_response(runTest(dev, circuit_index, cell_index, in, dat->vcount, true));
  for (int i = 0; i < dat->vcount; i++) {
    vf_print(stdout, 1, "%s   ", numBits(in[i], c.in));
    if (bicm) {
      vf_print(stdout, 1, "%s\t", ((ref[i] ^ test[i]) & 1) ? "Fail" : "Pass");
    } else {
      for (int mask = 1 << (c.out - 1); mask != 0; mask >>= 1)
        vf_print(stdout, 1, "%s\t", ((ref[i] ^ test[i]) & mask) ? "Fail" : "OK  ");
    }
    vf_print(stdout, 0, "\t[ ref=%02o test=%02o ]", ref[i], test[i]);
    vf_print(stdout, 1, "\n");
  }
  std::free(ref);
  std::free(test);
  std::free(in);
}

static void printTruthTableHeader(const KAVRIN_ELEMENT_LIST& c, bool bicm) {
  std::string letters;
  for (int k = c.in - 1; k >= 0; k--) letters += static_cast<char>('A' + k);
  vf_print(stdout, 1, "%s ", letters.c_str());
  vf_print(stdout, 0, " In  ");
  for (int n = c.out - 1; n >= 0; n--) vf_print(stdout, 1, "Y%d  ", n);
  vf_print(stdout, 1, "%s", bicm ? "BICM" : "     ");
  vf_print(stdout, 0, "\t  Chip status");
  vf_print(stdout, 1, "\n");
}

void printTruthTable(DeviceList* dev, int circuit_index, int cell_index, BIST* dat) {
  const KAVRIN_ELEMENT_LIST& c = elements[circuit_index];
  bool bicm = option_given(OPT_BICM);
  int ref_idx = getReferenceCell(circuit_index), inpCnt = c.in, outCnt = c.out;
  vf_print(stdout, 0, "Printing truth table for %s [%s] cell (inps: %d, outs: %d)\n", c.name,
           defect_label(circuit_index, cell_index), inpCnt, outCnt);
  unsigned char* in = require_input_bytes(dat, circuit_index);
  unsigned char* test =
      require_response(runTest(dev, circuit_index, cell_index, in, dat->vcount, false));
  unsigned char* ref = nullptr;
  if (cell_index != ref_idx)
    ref = require_response(runTest(dev, circuit_index, ref_idx, in, dat->vcount, false));

  printTruthTableHeader(c, bicm);
  char outputs[9];
  for (int i = 0; i < dat->vcount; i++) {
    vf_print(stdout, 1, "%s ", cutVector(dat->vects[i], dat->inps - inpCnt, inpCnt));
    vf_print(stdout, 0, "[%02o] ", in[i]);
    for (int mask = 1 << outCnt; mask > 1; mask >>= 1) {
      bool differs = ref != nullptr && ((ref[i] ^ test[i]) & mask);
      vf_print(stdout, 1, "%s%s  ", (test[i] & mask) ? "1" : "0", differs ? "*" : " ");
    }
    vf_print(stdout, 1, "%s", bicm ? ((test[i] & 1) ? "Pass" : "Fail") : "  ");
    convertToStr(static_cast<unsigned char>(test[i] >> 1), outputs, outCnt);
    std::memcpy(dat->vects[i] + inpCnt, outputs, static_cast<size_t>(outCnt) + 1);
    printChipStatus(test[i]);
    vf_print(stdout, 1, "\n");
  }
  std::free(in);
  std::free(test);
  std::free(ref);
}
