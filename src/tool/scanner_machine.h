// The table-driven option scanner.
#ifndef KAVTEST_SCANNER_MACHINE_H
#define KAVTEST_SCANNER_MACHINE_H

/// Fills `values` (ct slots) from argv by the option names `keys` (null-ended) and the
/// takes-a-parameter bytes `act`. Returns the index of the test file, argc when the command
/// line ends with an option, -1 when it is refused.
int scan_input(int argc, char** argv, const char* act, const char** keys, char** values, int ct);

#endif
