// kavtest: defect-oriented testing of the circuits on a Kavrin box's test chip.
#include <cstdio>
#include <cstring>

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

// The build gives the program's fixed name and the project's version.
#if !defined(KAVTEST_PROGRAM) || !defined(KAVTEST_VERSION)
#error "KAVTEST_PROGRAM and KAVTEST_VERSION must be defined by the build"
#endif

int main(int argc, char** argv) {
  line_buffered_output();
  verbose_mode = 0;
  // --help, -h and --version count only as the whole command line.
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    USAGE(argv[0]);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("%s %s\n", KAVTEST_PROGRAM, KAVTEST_VERSION);
    return 0;
  }
  if (argc > 1) {
    int test_file = test_input(argc, argv);
    if (test_file != -1 && test_file != argc) return runTestFile(argv[test_file]);
  }
  USAGE(argv[0]);
  return TOOL_FAILURE;
}
