// A TST file that kavtest wrote after a defect-table run, as a circuit's result.
#ifndef KAVLAB_IMPORT_TST_H
#define KAVLAB_IMPORT_TST_H

#include <string>
#include <vector>

#include "results/results.h"

namespace kavlab {

/// What an import does with a table whose reference outputs are not the logic function of the
/// circuit named: refuse it (the circuit named is not the run's, or the reference cell of that
/// die is broken), or import it marked as such (CircuitResult::reference_differs).
enum class ReferenceCheck { Refuse, Mark };

/// Reads the TST file `path` (under a shared lock) written by a defect-table run of circuit `c`
/// (its cells chosen) into `c`: the vectors, the reference's outputs (or monitor verdicts when
/// `monitor`) and each cell's marks; the cells' own answers stay unknown. The reference's
/// outputs are checked against the circuit's logic function as `check` says. False with
/// `*error` set when the file does not fit the circuit and cells.
bool import_tst(const std::string& path, bool monitor, ReferenceCheck check, CircuitResult& c,
                std::string* error);
/// The rows of the ".TABLE" section of a TST file's text, line ends removed.
std::vector<std::string> table_rows(const std::string& text);

}  // namespace kavlab

#endif
