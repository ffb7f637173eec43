// The test run on one test file: device, reading, one mode, write-back.
#ifndef KAVTEST_RUN_FILE_H
#define KAVTEST_RUN_FILE_H

/// The test run on the file `test_file` with the options already checked: read, run the chosen
/// mode, write back. Returns the exit status.
int runTestFile(const char* test_file);

#endif
