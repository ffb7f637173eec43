// The command line: usage text, the option checks, and the actions that end the run before any
// test file is read (listings, device list, model export).
#ifndef KAVTEST_COMMAND_LINE_H
#define KAVTEST_COMMAND_LINE_H

/// Version line and usage text on standard output, unless -quiet was given.
void USAGE(const char* pname);
/// Reports two class options given together and ends the process.
[[noreturn]] void def_sel_error();
/// Scans and checks the options, performs the listings and the model export; returns the
/// index of the test file in argv, argc when there is none, -1 when the scanner refused.
int test_input(int argc, char** argv);

#endif
