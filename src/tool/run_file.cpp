// The test run: the device, the TST file, one mode, and the write-back.
#include "run_file.h"

#include <cstdlib>
#include <string>

#include "KavrinConst.h"
#include "defect_table.h"
#include "device_list.h"
#include "exit.h"
#include "file_lock.h"
#include "file_shape.h"
#include "fit_vectors.h"
#include "numbered_backup.h"
#include "options.h"
#include "replace_file.h"
#include "single_cell_modes.h"

/// The cell of -single_defect must name a cell of the circuit when a single-cell mode runs.
static void check_cell_index() {
  bool single_cell_mode = (option_given(OPT_TABLE) && cell != -1) || option_given(OPT_VERIFY);
  if (single_cell_mode && (cell < 0 || cell >= elements[circuit].count)) {
    vf_print(stderr, 0, "Bad cell index\n");
    end_process(TOOL_FAILURE);
  }
}

/// The mode a run takes, in the order the options are looked at.
enum class RunMode { None, TruthTable, Verify, DefectTable };

static RunMode chosen_mode() {
  if (option_given(OPT_TABLE) && cell != -1) return RunMode::TruthTable;
  if (option_given(OPT_VERIFY)) return RunMode::Verify;
  if (option_given(OPT_ALL_DEFECTS) || option_given(OPT_SAF_DEFECTS)) return RunMode::DefectTable;
  return RunMode::None;
}

static bool writes_back(RunMode mode) {
  return mode == RunMode::TruthTable || mode == RunMode::DefectTable;
}

/// The file a writing run writes: the -tst file, or the test file itself.
static const char* output_path(const char* test_file) {
  return option_given(OPT_TST) ? args[OPT_TST] : test_file;
}

/// The advisory locks a writing run holds from before reading to the end of the write-back.
struct RunLocks {
  FileLock output;  ///< exclusive, on the file it writes
  FileLock input;   ///< shared, on a test file it only reads
};

static bool in_use(const char* path) {
  vf_print(stderr, 0, "TST file '%s' is in use by another run\n", path);
  return false;
}

/// Takes the run's locks; false, after saying which file is in use, when another run holds one.
static bool lock_run_files(const char* test_file, RunLocks* locks) {
  const char* out = output_path(test_file);
  if (lock_file(locks->output, out, true) == LockOutcome::Busy) return in_use(out);
  bool reads_another = option_given(OPT_TST) && !same_file(test_file, out);
  if (reads_another && lock_file(locks->input, test_file, false) == LockOutcome::Busy) {
    unlock_file(locks->output);
    return in_use(test_file);
  }
  return true;
}

/// Writes the record into the replacement opened before the run; the exit status of the run.
static int write_back(BIST* dat, FileReplacement& out, const char* path) {
  const KAVRIN_ELEMENT_LIST& c = elements[circuit];
  vf_print(stdout, 0, "Writing TST file: '%s'\n", path);
  dat->inps = c.in;
  dat->cons = 0;
  dat->outs = c.out;
  dat->vars = c.in + c.out;
  if (WriteTST(dat, out.fp, nullptr) == -1) {
    abandon_replacement(out);
    vf_print(stdout, 0, "Error writing TST file.\n");
    return TOOL_FAILURE;
  }
  if (!finish_replacement(out)) {
    vf_print(stdout, 0, "Error writing TST file.\n");
    return TOOL_FAILURE;
  }
  return 0;
}

/// Runs the mode on the device.
static void run_mode(RunMode mode, DeviceList* dev, BIST* dat) {
  switch (mode) {
    case RunMode::TruthTable:
      printTruthTable(dev, circuit, cell, dat);
      break;
    case RunMode::Verify:
      doVerify(dev, circuit, cell, dat);
      break;
    case RunMode::DefectTable:
      doDefectTable(dev, circuit, def_sel, dat);
      break;
    case RunMode::None:
      break;
  }
}

/// True when the run writes its result over the test file itself.
static bool writes_test_file(RunMode mode, const char* test_file) {
  return writes_back(mode) && (!option_given(OPT_TST) || same_file(test_file, args[OPT_TST]));
}

/// Keeps the test file as it is in a numbered backup, before a write-back that cannot keep all
/// it holds; false, after saying why and how to run instead, when no backup can be made.
static bool keep_original(const char* test_file) {
  std::string backup, error;
  if (keep_numbered_backup(test_file, &backup, &error)) {
    vf_print(stderr, 0, "kavtest: TST file '%s' is kept as it was in '%s'\n", test_file,
             backup.c_str());
    return true;
  }
  vf_print(stderr, 0,
           "kavtest: no backup of TST file '%s' can be made ('%s': %s), and the result written "
           "over it would lose what it holds: give -tst and another file for the result\n",
           test_file, backup.c_str(), error.c_str());
  return false;
}

/// Reads and fits the test file, makes sure a writing mode can write its output (and keep the
/// test file it would rewrite with less than it holds) before the first exchange, runs the mode
/// and writes back; the exit status.
static int read_run_write(RunMode mode, DeviceList* dev, BIST* dat, const char* test_file) {
  if (ReadTST(dat, test_file, 0, false) == nullptr) {
    vf_print(stdout, 0, "Couldn't load TST file '%s'\n", test_file);
    return TOOL_FAILURE;
  }
  vf_print(stdout, 0, "%d vector(s) read\n", dat->vcount);
  const kavtest::ShapeLoss loss = kavtest::shape_loss(dat, circuit);
  for (const std::string& line : kavtest::shape_warnings(loss, test_file, circuit))
    vf_print(stderr, 0, "%s\n", line.c_str());
  adjustTST(dat, circuit);
  FileReplacement out;
  const char* path = output_path(test_file);
  if (writes_back(mode) && !begin_replacement(out, path)) {
    vf_print(stdout, 0, "Error writing TST file.\n");
    return TOOL_FAILURE;
  }
  if (loss.any() && writes_test_file(mode, test_file) && !keep_original(test_file)) {
    abandon_replacement(out);
    return TOOL_FAILURE;
  }
  run_mode(mode, dev, dat);
  return writes_back(mode) ? write_back(dat, out, path) : 0;
}

int runTestFile(const char* test_file) {
  check_cell_index();
  RunMode mode = chosen_mode();
  RunLocks locks;
  if (writes_back(mode) && !lock_run_files(test_file, &locks)) return TOOL_FAILURE;
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
    status = read_run_write(mode, activeDevice, dat, test_file);
  }
  freeDeviceList(devList);
  FreeTST(dat);
  unlock_file(locks.input);
  unlock_file(locks.output);
  return status;
}
