// What a test file holds that a run on a circuit cannot keep: input columns beyond the circuit's
// inputs (the fitting keeps the last ones), internal-signal columns, and sections after the
// results section, which reading never reaches. The run says so, and keeps a backup of a test
// file that it rewrites.
#ifndef KAVTEST_FILE_SHAPE_H
#define KAVTEST_FILE_SHAPE_H

#include <string>
#include <vector>

#include "TSTData.h"

namespace kavtest {

/// What the fitting and the write-back leave out of a test file.
struct ShapeLoss {
  int input_columns = 0;     ///< the file's input columns, when more than the circuit's; else 0
  int internal_columns = 0;  ///< the file's internal-signal columns
  int unread_line = 0;       ///< line of a section after the results section; 0 when none
  int results_line = 0;      ///< line of the results section where reading ended
  /// True when the write-back would lose something of the file.
  bool any() const { return input_columns > 0 || internal_columns > 0 || unread_line > 0; }
};

/// What the record `dat`, as the reader left it (before the fitting), holds that a run on
/// circuit `circuit_index` cannot keep.
ShapeLoss shape_loss(const BIST* dat, int circuit_index);

/// The warnings about `loss` in the test file `path`, one a line without its line end: one for
/// the columns, one for an unread section; none when nothing is lost.
std::vector<std::string> shape_warnings(const ShapeLoss& loss, const std::string& path,
                                        int circuit_index);

}  // namespace kavtest

#endif
