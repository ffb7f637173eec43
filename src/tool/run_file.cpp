// The test run: the device, the TST file, one mode, and the write-back.
#include "run_file.h"

#include <cstdlib>

#include "KavrinConst.h"
#include "defect_table.h"
#include "device_list.h"
#include "exit.h"
#include "fit_vectors.h"
#include "options.h"
#include "single_cell_modes.h"

/// The cell of -single_defect must name a cell of the circuit when a single-cell mode runs.
static void check_cell_index() {
  bool single_cell_mode = (option_given(OPT_TABLE) && cell != -1) || option_given(OPT_VERIFY);
  if (single_cell_mode && (cell < 0 || cell >= elements[circuit].count)) {
    vf_print(stderr, 0, "Bad cell index\n");
    end_process(TOOL_FAILURE);
  }
}

/// Writes the record back to the -tst file or the test file; the exit status of the run.
static int write_back(BIST* dat, const char* test_file) {
  const char* path = option_given(OPT_TST) ? args[OPT_TST] : test_file;
  const KAVRIN_ELEMENT_LIST& c = elements[circuit];
  vf_print(stdout, 0, "Writing TST file: '%s'\n", path);
  dat->inps = c.in;
  dat->cons = 0;
  dat->outs = c.out;
  dat->vars = c.in + c.out;
  if (WriteTST(dat, nullptr, path) == -1) {
    vf_print(stdout, 0, "Error writing TST file.\n");
    return TOOL_FAILURE;
  }
  return 0;
}

/// Runs the mode the options chose; true when the record must be written back.
static bool run_mode(DeviceList* dev, BIST* dat) {
  if (option_given(OPT_TABLE) && cell != -1) {
    printTruthTable(dev, circuit, cell, dat);
    return true;
  }
  if (option_given(OPT_VERIFY)) {
    doVerify(dev, circuit, cell, dat);
    return false;
  }
  if (option_given(OPT_ALL_DEFECTS) || option_given(OPT_SAF_DEFECTS)) {
    doDefectTable(dev, circuit, def_sel, dat);
    return true;
  }
  return false;
}

int runTestFile(const char* test_file) {
  check_cell_index();
  BIST* dat = static_cast<BIST*>(std::calloc(1, sizeof(BIST)));
  if (dat == nullptr) {
    vf_print(stdout, 0, "Error allocating TST data structure\n");
    return TOOL_FAILURE;
  }
  const KAVRIN_ELEMENT_LIST& c = elements[circuit];
  dat->cons = 0;
  dat->inps = c.in;
  dat->vars = -1;
  dat->outs = c.out;

  DeviceList* devList = getDeviceList();
  DeviceList* activeDevice = activateDevice(devList, args[OPT_DEVICE]);
  int status = TOOL_FAILURE;
  if (activeDevice == nullptr) {
    vf_print(stdout, 0, "Kavrin device not found, recheck with '-devlist' option please\n");
  } else {
    kavSetBicmState(activeDevice->devHandle, c.lib, option_given(OPT_BICM) ? 1 : 0);
    if (ReadTST(dat, test_file, 0, false) == nullptr) {
      vf_print(stdout, 0, "Couldn't load TST file '%s'\n", test_file);
    } else {
      vf_print(stdout, 0, "%d vector(s) read\n", dat->vcount);
      adjustTST(dat, circuit);
      status = run_mode(activeDevice, dat) ? write_back(dat, test_file) : 0;
    }
  }
  freeDeviceList(devList);
  FreeTST(dat);
  return status;
}
