// Usage text, and the checks and actions that run before any test file is read.
#include "command_line.h"

#include <cstdio>
#include <cstdlib>

#include "KavrinConst.h"
#include "agm_export.h"
#include "device_list.h"
#include "exit.h"
#include "listings.h"
#include "messages.h"
#include "options.h"
#include "scanner_machine.h"

static const char* const kVersion = "1.1 [ Mon Oct 3 13:48:53 EEST 2005 ]";

void USAGE(const char* pname) {
  if (option_given(OPT_QUIET)) return;
  std::printf("%s version %s\n\r", pname, kVersion);
  std::printf("Usage : %s <options> <test file>\n", pname);
  std::printf(
      "\n"
      "Options:\n"
      "\n"
      "  -all_defects\t\ttest all implemented faulty cells\n"
      "  -saf_defects\t\ttest Stuck-At-Fault implementations only\n"
      "  -single_defect #\ttest only one circuit implementation\n"
      "  -bicm\t\t\t\tactivate Built In Current Monitor and use it instead of voltage testing\n"
      "  -circuit #\t\t\tselect design number for working on\n"
      "  -verify\t\t\tprint PASS/FAIL for each test (used with -single_defect)\n"
      "  -screen\t\t\tprint output to stdout (obsolete, dont use)\n"
      "  -list [circuit #]\tlist all designs or give defect list for selected design\n"
      "  -agm <filename>\tproduce fake AG Model file\n"
      "  -tst <filename>\twrite simulation data to alternate .tst file\n"
      "  -device <devname>\topen Kavrin device\n"
      "  -table\t\t\tprint truth table (used with -single_defect)\n"
      "  -quiet\t\t\tprint data only, no informative texts included\n"
      "  -devlist\t\t\tdisplay list of Kavrin devices in systen\n");
}

void def_sel_error() {
  vf_print(stderr, 0,
           "Use only one of the following list:\n\t-all_faults\n\t-saf_faults\n\t-single_defect\n");
  end_process(TOOL_FAILURE);
}

/// Reads an option's number as "%u" does; false when no number could be read.
static bool read_unsigned(const char* text, int* value) {
  unsigned int u = 0;
  if (std::sscanf(text, "%u", &u) != 1) return false;
  *value = static_cast<int>(u);
  return true;
}

[[noreturn]] static void bad_number(const char* message, const char* pname) {
  vf_print(stderr, 0, "%s", message);
  USAGE(pname);
  end_process(TOOL_FAILURE);
}

[[noreturn]] static void bad_circuit_index() {
  vf_print(stderr, 0, "Bad circuit index\n");
  end_process(TOOL_FAILURE);
}

static bool names_a_circuit(int index) { return index >= 0 && index < KAVRIN_CIRCUIT_COUNT; }

int test_input(int argc, char** argv) {
  int result = scan_input(argc, argv, option_takes_parameter, option_keys, args, OPTION_COUNT);
  if (result == -1) return -1;

  def_sel = MASK_ANY;
  if (option_given(OPT_QUIET)) verbose_mode = 1;
  if (option_given(OPT_ALL_DEFECTS)) def_sel = MASK_ALL_DEFECTS;
  if (option_given(OPT_SAF_DEFECTS)) {
    if (def_sel != MASK_ANY) def_sel_error();
    def_sel = MASK_SAF_DEFECTS;
  }
  if (option_given(OPT_SINGLE_DEFECT)) {
    if (def_sel != MASK_ANY) def_sel_error();
    if (!read_unsigned(args[OPT_SINGLE_DEFECT], &cell) || cell < 0)
      bad_number("'-single_defect #' : positive integer expected\n", argv[0]);
  }
  circuit = -1;
  if (option_given(OPT_CIRCUIT) && !read_unsigned(args[OPT_CIRCUIT], &circuit))
    bad_number("'-circuit #' : integer expected\n", argv[0]);

  if (circuit != -1 && option_given(OPT_AGM)) {
    if (!names_a_circuit(circuit)) bad_circuit_index();
    writeAGM();
  }
  if (option_given(OPT_LIST)) {
    if (option_given(OPT_DEVLIST)) {
      vf_print(stderr, 0,
               "Simultaneous use of '-list' and '-devlist' may give confusing data\n"
               "and therefore not allowed\n");
      end_process(TOOL_FAILURE);
    }
    if (circuit < 0)
      list_circuits();
    else
      list_defects(static_cast<unsigned int>(circuit), static_cast<unsigned int>(def_sel));
  }
  if (option_given(OPT_DEVLIST)) {
    DeviceList* devices = getDeviceList();
    printDeviceList(devices);
    freeDeviceList(devices);
  }
  if (option_given(OPT_LIST) || option_given(OPT_DEVLIST)) end_process(0);

  if (circuit < 0) {
    vf_print(stderr, 0, "Please specify circuit number\n");
    end_process(TOOL_FAILURE);
  }
  if (!names_a_circuit(circuit)) bad_circuit_index();
  return result;
}
