// kavtest: defect-oriented testing of the circuits on a Kavrin box's test chip.
#include <cstdio>

#include "command_line.h"
#include "messages.h"
#include "options.h"
#include "run_file.h"

/// Trace lines reach a pipe or a log as they are printed, and an interrupted run keeps them.
static void line_buffered_output() {
#ifdef _WIN32
  std::setvbuf(stdout, nullptr, _IONBF, 0);  // Windows buffers lines as whole blocks
#else
  std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
#endif
}

int main(int argc, char** argv) {
  line_buffered_output();
  verbose_mode = 0;
  if (argc > 1) {
    int test_file = test_input(argc, argv);
    if (test_file != -1 && test_file != argc) return runTestFile(argv[test_file]);
  }
  USAGE(argv[0]);
  return TOOL_FAILURE;
}
