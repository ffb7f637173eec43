// Files kavlab writes: wholly replaced or left as they were, or standard output for "-"; and
// results files read back.
#ifndef KAVLAB_OUTPUT_FILE_H
#define KAVLAB_OUTPUT_FILE_H

#include <cstdio>
#include <functional>
#include <string>

#include "results/results.h"

namespace kavlab {

/// Writes through `body` to standard output when `path` is "-", else to a temporary file that
/// replaces `path` once `body` succeeded. False with `*error` set when any step fails.
bool write_output(const std::string& path, const std::function<bool(FILE*)>& body,
                  std::string* error);
/// True when `path` can be written ("-" always can); else false with `*error` set. Nothing is
/// left behind.
bool can_write(const std::string& path, std::string* error);
/// Writes `text` to `path` that way.
bool write_text(const std::string& path, const std::string& text, std::string* error);
/// Writes the results file `path` that way.
bool save_results(const Results& r, const std::string& path, std::string* error);
/// Reads and checks the results file `path`; false with `*error` set.
bool load_results(const std::string& path, Results* r, std::string* error);

}  // namespace kavlab

#endif
