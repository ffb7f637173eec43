// The process-wide option state and the printing that -quiet governs.
#include "options.h"

#include <cstdarg>

#include "KavrinConst.h"
#include "messages.h"

const char* option_keys[OPTION_COUNT + 1] = {
    "-all_defects", "-saf_defects", "-single_defect", "-circuit", "-verify",
    "-screen",      "-list",        "-quiet",         "-agm",     "-tst",
    "-device",      "-table",       "-devlist",       "-bicm",    nullptr};
const char option_takes_parameter[OPTION_COUNT + 1] = {0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 1, 0, 0, 0, 0};

char* args[OPTION_COUNT];
char sel[3] = "ON";
int def_sel = MASK_ANY;
int circuit = -1;
int cell = -1;

int vf_print(FILE* stream, int verbosity_level, const char* format, ...) {
  if (verbosity_level < verbose_mode) return 0;
  va_list ap;
  va_start(ap, format);
  int n = std::vfprintf(stream, format, ap);
  va_end(ap);
  return n;
}
