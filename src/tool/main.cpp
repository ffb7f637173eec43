// kavtest: defect-oriented testing of the circuits on a Kavrin box's test chip.
#include "main.h"
#include "messages.h"

int main(int argc, char** argv) {
  verbose_mode = 0;
  if (argc > 1) {
    int test_file = test_input(argc, argv);
    if (test_file != -1 && test_file != argc) return runTestFile(argv[test_file]);
  }
  USAGE(argv[0]);
  return TOOL_FAILURE;
}
