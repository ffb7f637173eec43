// kavtest: defect-oriented testing of the circuits on a Kavrin box's test chip.
#include "command_line.h"
#include "messages.h"
#include "options.h"
#include "run_file.h"

int main(int argc, char** argv) {
  verbose_mode = 0;
  if (argc > 1) {
    int test_file = test_input(argc, argv);
    if (test_file != -1 && test_file != argc) return runTestFile(argv[test_file]);
  }
  USAGE(argv[0]);
  return TOOL_FAILURE;
}
