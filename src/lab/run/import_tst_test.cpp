// The TST import checks the reference outputs against the circuit's logic function: a table
// imported for another circuit of the same shape (NA2's with -c 13, NOR2), or one from a die
// whose reference cell is broken, is refused with both readings, or imported marked as such.
#include "run/import_tst.h"

#include <gtest/gtest.h>

#include "run/cell_choice.h"
#include "run/run_steps.h"
#include "test_support.h"

namespace kavlab {

namespace {

/// The table that kavtest-sim -all_defects -circuit 11 writes for every input vector of NA2.
std::string na2_table(const std::string& reference) {
  std::string rows[4] = {"XX1XX1X1X", "XXXXX111X", "XX11XXX1X", "X11X11XX1"};
  std::string text = ".VECTORS 4\n\n.PATTERNS\n\n";
  const char* inputs[4] = {"00", "01", "10", "11"};
  for (int v = 0; v < 4; v++) text += std::string(inputs[v]) + reference[v] + "\n";
  text += "\n.TABLE\n\n";
  for (const std::string& row : rows) text += row + "\n";
  return text + "\n.FAULTS\n\nX11111111\n\n.COVERAGE\n\n8 / 18 = 44.444444 %\n";
}

struct ImportCase {
  const char* what;
  std::string reference;  ///< the reference column, H or L per vector
  int circuit;
  ReferenceCheck check;
  bool imported;
  bool marked;
  const char* message;  ///< a part of the refusal; empty when imported
};

const ImportCase kCases[] = {
    {"NA2's table as NA2", "HHHL", 11, ReferenceCheck::Refuse, true, false, ""},
    {"NA2's table as NO2", "HHHL", 13, ReferenceCheck::Refuse, false, false,
     "the reference answered 1 to inputs 01, where circuit 13 (NO2, NOR( A, B )) gives 0 "
     "(2 of 4 vectors differ). Either -c 13 is not the circuit of the run that wrote it (its "
     "answers are those of circuit 11 (NA2)), or the reference cell of that "
     "die is broken: --reference-differs imports it as it is, marked as such"},
    {"NA2's table as NO2, asked to", "HHHL", 13, ReferenceCheck::Mark, true, true, ""},
    {"a broken NA2 reference", "HHHH", 11, ReferenceCheck::Refuse, false, false,
     "(1 of 4 vectors differ). Either -c 11 is not the circuit of the run that wrote it (no "
     "circuit of the chip answers so), or the reference cell of that die is broken"},
    {"a broken NA2 reference, asked to", "HHHH", 11, ReferenceCheck::Mark, true, true, ""},
    {"outputs that are not H or L", "HxHL", 11, ReferenceCheck::Mark, false, false,
     "the reference outputs of vector 2 (inputs 01) are x, not H or L"},
    {"outputs of no UTF-8 character (the results file could not be written)", "H\xE3HL", 11,
     ReferenceCheck::Mark, false, false,
     "the reference outputs of vector 2 (inputs 01) are \\xe3, not H or L"},
};

}  // namespace

TEST(ImportTst, TheReferenceMustBeTheCircuitsLogicFunction) {
  test_support::ScratchDir dir("kavlab-import-");
  for (const ImportCase& k : kCases) {
    SCOPED_TRACE(k.what);
    std::string path = dir.write("t.tst", na2_table(k.reference));
    std::vector<int> cells;
    std::string error;
    ASSERT_TRUE(choose_cells(k.circuit, {CellChoice::Kind::All, {}}, &cells, &error)) << error;
    CircuitResult c = circuit_skeleton(k.circuit, cells);
    bool imported = import_tst(path, false, k.check, c, &error);
    EXPECT_EQ(imported, k.imported) << error;
    if (imported) {
      EXPECT_EQ(c.reference_differs, k.marked);
    } else {
      EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << error;
      EXPECT_NE(error.find(k.message), std::string::npos) << error;
    }
  }
}

}  // namespace kavlab
