// What every subcommand shares: how a failure is reported, and where its output goes.
#ifndef KAVLAB_COMMON_H
#define KAVLAB_COMMON_H

#include <string>
#include <vector>

#include "exit_status.h"
#include "results/results.h"

namespace kavlab {

/// Prints "kavlab: <message>" on standard error; returns `status`.
ExitStatus command_failed(ExitStatus status, const std::string& message);

/// The default results file of a run or an import: "<stem>.results.json" in the current
/// directory for the test file `test`, "kavlab-results.json" without one.
std::string default_output(const std::string& test);
/// The output path (`given`, or the default for `test`), or empty with `*error` set when it
/// exists and may not be replaced, or cannot be written.
std::string output_path(const std::string& given, const std::string& test, bool force,
                        std::string* error);

/// Reads the results files `files` into `all`; false with `*error` set at the first that fails.
bool load_all(const std::vector<std::string>& files, std::vector<Results>* all, std::string* error);
/// Writes `text` to standard output; false when it cannot.
bool print(const std::string& text);

}  // namespace kavlab

#endif
