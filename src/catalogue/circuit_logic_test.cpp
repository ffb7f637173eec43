// The truth tables beside the catalogue against the emulator: every circuit's switch-level
// reference cell answers every input vector as its table says.
#include "circuit_logic.h"

#include <gtest/gtest.h>

#include <cstring>

#include "exhaustive.h"

namespace {

TEST(CircuitLogic, EveryTableIsTheSwitchLevelReferenceCell) {
  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; c++) {
    SCOPED_TRACE("circuit " + std::to_string(c));
    const KAVRIN_ELEMENT_LIST& e = elements[c];
    for (int y = 0; y < 2; y++) {
      const char* table = catalogue::circuit_logic[c].outputs[y];
      if (y >= e.out) {
        EXPECT_EQ(table, nullptr);
        continue;
      }
      ASSERT_NE(table, nullptr);
      EXPECT_EQ(std::strlen(table), 1u << e.in);
      EXPECT_EQ(std::strspn(table, "01"), std::strlen(table));
    }
    Netlist reference = cell_netlist(c, 0);
    ASSERT_EQ(reference.inputs.size(), e.in);
    std::vector<CellAnswer> answers = switch_exhaustive(reference);
    ASSERT_EQ(answers.size(), 1u << e.in);
    for (unsigned v = 0; v < answers.size(); v++)
      EXPECT_EQ(catalogue::circuit_outputs(c, v), answers[v].outputs) << "vector " << v;
  }
}

}  // namespace
