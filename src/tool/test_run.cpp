// The test run: the device, the TST file and the chosen mode.
#include "main.h"

int runTestFile(const char* test_file) {
  (void)test_file;
  return 0;
}
