// The process-wide option state of the tool: what the command line chose, read by every mode.
// A leaf: it includes nothing of the tool.
#ifndef KAVTEST_OPTIONS_H
#define KAVTEST_OPTIONS_H

#include <cstdio>

/// Option slots of `args`, in the order of the option table.
enum OptionSlot {
  OPT_ALL_DEFECTS,
  OPT_SAF_DEFECTS,
  OPT_SINGLE_DEFECT,
  OPT_CIRCUIT,
  OPT_VERIFY,
  OPT_SCREEN,
  OPT_LIST,
  OPT_QUIET,
  OPT_AGM,
  OPT_TST,
  OPT_DEVICE,
  OPT_TABLE,
  OPT_DEVLIST,
  OPT_BICM,
  OPTION_COUNT
};

/// The option names in slot order, null-ended, and whether each takes a parameter: the table
/// of the option scanner.
extern const char* option_keys[OPTION_COUNT + 1];
extern const char option_takes_parameter[OPTION_COUNT + 1];

/// Exit status of every failure of the tool.
constexpr int TOOL_FAILURE = -1;

/// One heap copy per given option (the parameter, or `sel` for a flag); null when absent.
extern char* args[OPTION_COUNT];
/// The value stored for every flag option.
extern char sel[3];
/// Defect class mask: -1 no class option, 7 -all_defects, 1 -saf_defects.
extern int def_sel;
/// Selected circuit (index into `elements`) and cell (-single_defect); -1 when not given.
/// Functions that take a circuit or cell name those parameters `circuit_index` and `cell_index`,
/// so that a read of these two inside them stands out (written `::circuit`).
extern int circuit;
extern int cell;

inline bool option_given(OptionSlot slot) { return args[slot] != nullptr; }

/// Prints when `verbosity_level` >= verbose_mode: level 0 is informative text (removed by
/// -quiet), level 1 is data.
int vf_print(FILE* stream, int verbosity_level, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

#endif
