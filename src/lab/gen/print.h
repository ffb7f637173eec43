// What kavlab-sim gen and compact print: one circuit's tests in words, the whole chip as a
// table, and a compaction against the file it started from.
#ifndef KAVLAB_GEN_PRINT_H
#define KAVLAB_GEN_PRINT_H

#include <cstdio>
#include <string>
#include <vector>

#include "gen/circuit.h"

namespace kavlab {

/// One circuit: its defects by kind with their names, the sequence's length and bound, and what
/// the exact checks found; `written` is the file written.
void print_circuit_tests(FILE* out, const CircuitTests& t, const std::string& written);

/// The whole chip: per circuit the defects, their kinds by logic, by the monitor and by the
/// chosen criterion, what the sequence detects, its length and bound, and the exhaustive set's
/// length and coverage; then the totals and the names of the defects no test can promise.
void print_chip_table(FILE* out, const std::vector<CircuitTests>& all);

/// A compaction: the given file's length and what it detects, against the result's.
void print_compaction(FILE* out, const CircuitTests& before, const CircuitTests& after,
                      const std::string& written);

/// A line per defect whose claim the exact check did not confirm (a Forced defect detected fewer
/// than `need` times from some state); empty when all are confirmed.
std::string unconfirmed_claims(const CircuitTests& t);

}  // namespace kavlab

#endif
