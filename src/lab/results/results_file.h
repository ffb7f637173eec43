// A results file on disk: read and checked, or written whole.
#ifndef KAVLAB_RESULTS_FILE_H
#define KAVLAB_RESULTS_FILE_H

#include <string>

#include "results/results.h"

namespace kavlab {

/// Writes the results file `path` whole, or leaves it as it was; "-" is standard output. False
/// with `*error` set.
bool save_results(const Results& r, const std::string& path, std::string* error);
/// Reads and checks the results file `path`; false with `*error` set.
bool load_results(const std::string& path, Results* r, std::string* error);

}  // namespace kavlab

#endif
