// A results file on disk: read and checked, or written whole.
#ifndef KAVLAB_RESULTS_FILE_H
#define KAVLAB_RESULTS_FILE_H

#include <cstdint>
#include <string>

#include "results/results.h"

namespace kavlab {

/// Writes the results file `path` whole, or leaves it as it was; "-" is standard output. False
/// with `*error` set.
bool save_results(const Results& r, const std::string& path, std::string* error);
/// Reads and checks the results file `path` (at most kMaxResultsBytes); false with `*error`
/// set, naming the file and the reason.
bool load_results(const std::string& path, Results* r, std::string* error);
/// Reads the regular file `path` whole into `*bytes` when it holds at most `max_bytes`; false
/// with `*error` set, naming the file and the reason: missing, a directory or another kind of
/// file, too big, unreadable.
bool read_limited(const std::string& path, std::uint64_t max_bytes, std::string* bytes,
                  std::string* error);

}  // namespace kavlab

#endif
