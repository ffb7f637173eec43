// The defect table run: the reference cell and every selected defective cell over all vectors.
#include "defect_table.h"

#include <cstdlib>
#include <cstring>

#include "KavrinConst.h"
#include "apply_vectors.h"
#include "bit_text.h"
#include "misc.h"
#include "options.h"

void startFaultTable(BIST* dat, int defcnt) {
  FreeCharTable(dat->ftable, dat->vcount, dat->nodes);
  std::free(dat->faults);
  dat->ftable = AllocCharTable(dat->vcount, defcnt, 0);
  dat->faults = AllocCharVector(defcnt, 'X');
  dat->nodes = defcnt;
}

void markFaultColumn(BIST* dat, int column, const unsigned char* ref, const unsigned char* test) {
  for (int k = 0; k < dat->vcount; k++) {
    dat->ftable[k][column] = test[k] == ref[k] ? 'X' : '1';
    dat->faults[column] = CheckFault(dat->faults[column], dat->ftable[k][column]);
  }
}

void writeReferenceOutputs(BIST* dat, int circuit_index, const unsigned char* ref) {
  const KAVRIN_ELEMENT_LIST& c = elements[circuit_index];
  for (int k = 0; k < dat->vcount; k++) {
    const char* outputs = numBits(ref[k], c.out);
    std::memcpy(dat->vects[k] + c.in, outputs, std::strlen(outputs) + 1);
  }
}

void doDefectTable(DeviceList* dev, int circuit_index, int def_mask, BIST* dat) {
  const KAVRIN_ELEMENT_LIST& c = elements[circuit_index];
  vf_print(stdout, 0, "Performing defect testing of circuit %s : %s\n", c.name, c.desc);
  int ref_idx = getReferenceCell(circuit_index);
  unsigned char* in = require_input_bytes(dat, circuit_index);

  vf_print(stdout, 0, "Running reference test\n");
  unsigned char* ref =
      require_response(runTest(dev, circuit_index, ref_idx, in, dat->vcount, true));
  vf_print(stdout, 0, "Reference done\n");

  int defcnt = 0;
  for (int j = 0; j < c.count; j++)
    if (cell_selected(def_mask, c.idx[j].type)) defcnt++;
  startFaultTable(dat, defcnt);

  for (int j = 0, i = 0; j < c.count; j++) {
    if (!cell_selected(def_mask, c.idx[j].type)) continue;
    vf_print(stdout, 0, "Running defect testing for cell %d [%d]\n", j, i);
    unsigned char* test = require_response(runTest(dev, circuit_index, j, in, dat->vcount, true));
    markFaultColumn(dat, i, ref, test);
    std::free(test);
    i++;
  }
  writeReferenceOutputs(dat, circuit_index, ref);
  std::free(ref);
  std::free(in);
}
