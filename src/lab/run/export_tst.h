// A circuit's result as the TST file kavtest writes after a defect-table run.
#ifndef KAVLAB_EXPORT_TST_H
#define KAVLAB_EXPORT_TST_H

#include <string>

#include "results/results.h"

namespace kavlab {

/// Writes the TST file that kavtest's defect table would have written for `c` judged by `m`
/// (by logic, or by the monitor as with -bicm) to `path`, or to standard output for "-".
/// False with `*error` set when the result cannot give it or the file cannot be written.
bool export_tst(const CircuitResult& c, Measure m, const std::string& path, std::string* error);

}  // namespace kavlab

#endif
