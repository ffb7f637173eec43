// The TST export of results that do not fit their circuit on the chip: refused, never written
// over the bounds of the record (circuit 16 said to have one input and one output overflowed
// the heap).
#include "run/export_tst.h"

#include <gtest/gtest.h>

#include <functional>

#include "test_support.h"

namespace kavlab {

namespace {

/// C17 with shorts, two vectors, cell 1 differing on the first: a result that fits the chip.
CircuitResult c17() {
  CircuitResult c;
  c.index = 16;
  c.name = "C17";
  c.inputs = 5;
  c.outputs = 2;
  c.vectors = {"00000", "11111"};
  c.cells = {{1, "A/B", 2}};
  Pass p = plan_passes(PassPlan::Logic)[0];
  p.reference_measured = true;
  p.reference.outputs = {"00", "11"};
  p.cells = {{{"01", "11"}, "", ""}};
  c.passes = {p};
  return c;
}

}  // namespace

TEST(ExportTst, AResultThatDoesNotFitItsCircuitIsRefused) {
  const std::pair<std::function<void(CircuitResult&)>, std::string> cases[] = {
      {[](CircuitResult& c) {
         c.inputs = c.outputs = 1;
         c.vectors = {"0", "1"};
         c.passes[0].reference.outputs = {"0", "1"};
         c.passes[0].cells[0].outputs = {"1", "1"};
       },
       "circuit 16 has 5 inputs and 2 outputs, not 1 and 1"},
      {[](CircuitResult& c) {
         c.passes[0].reference.outputs = {"0", "1"};
       },
       "circuit 16: the vectors or the reference's answers are not one per vector"},
      {[](CircuitResult& c) { c.vectors[1] = "1"; }, "circuit 16: the vectors"},
      {[](CircuitResult& c) { c.index = 18; }, "circuit 18 is not on the chip"},
  };
  test_support::ScratchDir dir("kavlab-export-");
  std::string error, path = dir.at("c17.tst");
  ASSERT_TRUE(export_tst(c17(), Measure::Logic, path, &error)) << error;
  EXPECT_NE(test_support::file_text(path).find("\n11111HH\n"), std::string::npos);
  for (const auto& [change, message] : cases) {
    CircuitResult c = c17();
    change(c);
    error.clear();
    EXPECT_FALSE(export_tst(c, Measure::Logic, dir.at("bad.tst"), &error)) << message;
    EXPECT_EQ(error.rfind(message, 0), 0u) << error;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.at("bad.tst")));
}

}  // namespace kavlab
