// Comparing results: the same, different, refused as other circuits, cells, vectors or ways of
// judging; cells a partial result lacks are unknown; logic against the monitor in one result.
#include "results/compare.h"

#include <gtest/gtest.h>

#include "results/compare_print.h"
#include "results/results_json.h"
#include "test_support.h"

namespace kavlab {

namespace {

/// IN1 (NOT A), cells 1 and 2, both vectors and both passes: logic detects cell 1 on vector
/// 1; the monitor detects cell 1 on vector 1 and cell 2 on vector 0.
Results sample() {
  Results r;
  CircuitResult c;
  c.index = 14;
  c.name = "IN1";
  c.inputs = c.outputs = 1;
  c.cells = {{1, "A/gnd", 3}, {2, "A/vdd", 3}};
  c.vectors = {"0", "1"};
  c.passes = plan_passes(PassPlan::Both);
  for (Pass& p : c.passes) {
    p.reference_measured = true;
    p.reference = {{"1", "0"}, p.monitor_on ? "PP" : "", ""};
  }
  c.passes[0].cells = {{{"1", "1"}, "", ""}, {{"1", "0"}, "", ""}};
  c.passes[1].cells = {{{"1", "1"}, "PF", ""}, {{"1", "0"}, "FP", ""}};
  r.circuits.push_back(c);
  return r;
}

std::string trouble_of(const Results& a, const Results& b, std::vector<Measure> measures = {}) {
  Comparison c;
  std::string trouble;
  EXPECT_FALSE(compare_results(a, "a.json", b, "b.json", measures, &c, &trouble));
  return trouble;
}

}  // namespace

TEST(Compare, TheSameResultsHaveNoDifferences) {
  Results a = sample();
  Comparison c;
  std::string trouble;
  ASSERT_TRUE(compare_results(a, "a.json", a, "b.json", {}, &c, &trouble)) << trouble;
  EXPECT_EQ(total_differences(c), 0);
  ASSERT_EQ(c.circuits.size(), 1u);
  EXPECT_EQ(c.circuits[0].compared, 2 * 2 * 2);
  EXPECT_EQ(c.measures.size(), 2u);
}

TEST(Compare, ADifferenceIsPlacedAndCounted) {
  Results a = sample(), b = sample();
  b.circuits[0].passes[0].cells[1].outputs = {"0", "0"};  // B's logic detects cell 2 on 0
  Comparison c;
  std::string trouble;
  ASSERT_TRUE(compare_results(a, "a.json", b, "b.json", {}, &c, &trouble)) << trouble;
  ASSERT_EQ(total_differences(c), 1);
  const CircuitComparison& cc = c.circuits[0];
  EXPECT_EQ(cc.differences[0].cell, 1u);
  EXPECT_EQ(cc.differences[0].vector, 0u);
  EXPECT_EQ(cc.differences[0].by, Measure::Logic);
  EXPECT_FALSE(cc.differences[0].left);
  EXPECT_TRUE(cc.differences[0].right);
  EXPECT_EQ(cc.right_only, 1);
  EXPECT_EQ(cc.left_only, 0);
  ASSERT_TRUE(compare_results(a, "a.json", b, "b.json", {Measure::Monitor}, &c, &trouble));
  EXPECT_EQ(total_differences(c), 0);
  EXPECT_NE(comparison_json(c).find("\"b_only\": 0"), std::string::npos);
}

TEST(Compare, OtherCellsVectorsCircuitsOrWaysAreTrouble) {
  Results a = sample(), cells = sample(), vectors = sample(), circuits = sample(),
          logic_only = sample();
  cells.circuits[0].cells.pop_back();
  std::swap(vectors.circuits[0].vectors[0], vectors.circuits[0].vectors[1]);
  circuits.circuits[0].index = 13;
  logic_only.circuits[0].passes.pop_back();
  EXPECT_NE(trouble_of(a, cells).find("circuit 14 (IN1): the cells differ"), std::string::npos);
  EXPECT_NE(trouble_of(a, vectors).find("the vectors differ"), std::string::npos);
  EXPECT_NE(trouble_of(a, circuits).find("the circuits differ: a.json holds 14; b.json holds 13"),
            std::string::npos);
  EXPECT_NE(trouble_of(a, logic_only, {Measure::Monitor})
                .find("b.json does not judge circuit 14 (IN1) by the monitor"),
            std::string::npos);
  Results swept = sample();
  swept.sweep = "bridge_ohms";
  EXPECT_NE(trouble_of(a, swept).find("b.json is a sweep"), std::string::npos);
  Comparison c;
  std::string trouble;
  EXPECT_FALSE(compare_logic_monitor(swept, "s.json", &c, &trouble));
  EXPECT_NE(trouble.find("s.json is a sweep"), std::string::npos) << trouble;
  ASSERT_TRUE(compare_results(a, "a.json", logic_only, "b.json", {}, &c, &trouble));
  EXPECT_EQ(c.measures, std::vector<Measure>{Measure::Logic});
}

TEST(Compare, CellsAPartialResultLacksAreUnknown) {
  Results a = sample(), b = sample();
  b.circuits[0].passes[1].cells.pop_back();
  b.partial = true;
  Comparison c;
  std::string trouble;
  ASSERT_TRUE(compare_results(a, "a.json", b, "b.json", {}, &c, &trouble)) << trouble;
  EXPECT_EQ(c.circuits[0].unknown, 2);
  EXPECT_EQ(c.circuits[0].compared, 6);
  EXPECT_EQ(total_differences(c), 0);
}

TEST(Compare, LogicAgainstTheMonitorOfOneResult) {
  Comparison c;
  std::string trouble;
  ASSERT_TRUE(compare_logic_monitor(sample(), "a.json", &c, &trouble)) << trouble;
  ASSERT_EQ(total_differences(c), 1);
  EXPECT_EQ(c.circuits[0].differences[0].cell, 1u);
  EXPECT_EQ(c.circuits[0].right_only, 1);
  Results logic_only = sample();
  logic_only.circuits[0].passes.pop_back();
  EXPECT_FALSE(compare_logic_monitor(logic_only, "a.json", &c, &trouble));
  EXPECT_NE(trouble.find("--logic-vs-monitor needs a result judged both ways"), std::string::npos)
      << trouble;
}

}  // namespace kavlab

namespace kavlab {

TEST(Compare, NamesReachATerminalEscaped) {
  Results a = sample(), b = sample();
  for (Results* r : {&a, &b}) {
    r->circuits[0].name = "IN1\x1b[2J";
    r->circuits[0].cells[1].defect = "A/vdd\x1b]52;c;aGk=\x07";
  }
  b.circuits[0].passes[0].cells[1].outputs = {"0", "0"};
  Comparison c;
  std::string trouble;
  ASSERT_TRUE(compare_results(a, "a\x1b.json", b, "b.json", {}, &c, &trouble)) << trouble;
  std::string text = test_support::printed([&](std::FILE* f) { print_comparison(f, c); });
  EXPECT_EQ(text.find('\x1b'), std::string::npos) << text;
  EXPECT_NE(text.find("A/vdd\\x1b]52;c;aGk=\\x07"), std::string::npos) << text;
  EXPECT_NE(text.find("IN1\\x1b[2J"), std::string::npos) << text;
}

}  // namespace kavlab

namespace kavlab {

TEST(Compare, DefectsDetectedOnOneSideOnlyAreRolledUpPerClass) {
  Results a = sample(), b = sample();
  b.circuits[0].passes[0].cells[1].outputs = {"0", "0"};  // B's logic detects A/vdd, A's not
  b.circuits[0].passes[1].cells[0].monitor = "PP";        // B's monitor misses A/gnd
  b.circuits[0].passes[0].cells[0].outputs = {"1", "0"};  // and so does B's logic
  Comparison c;
  std::string trouble;
  ASSERT_TRUE(compare_results(a, "a.json", b, "b.json", {}, &c, &trouble)) << trouble;
  const CircuitComparison& cc = c.circuits[0];
  ASSERT_EQ(cc.defects.size(), 3u);
  EXPECT_EQ(cc.defects[0].cell, 0u);  // A/gnd: A detects it both ways, B neither
  EXPECT_TRUE(cc.defects[0].left);
  EXPECT_EQ(cc.defects[2].cell, 1u);  // A/vdd: by logic, B alone
  EXPECT_EQ(cc.defects[2].by, Measure::Logic);
  EXPECT_FALSE(cc.defects[2].left);
  EXPECT_EQ(escapes_by_class(cc, true), (std::vector<int>{2, 0, 0}));  // rail shorts
  EXPECT_EQ(escapes_by_class(cc, false), (std::vector<int>{1, 0, 0}));
  std::string json = comparison_json(c);
  EXPECT_NE(json.find("\"defects_a_only\": {\n    \"rail_short\": 2"), std::string::npos) << json;
}

TEST(Compare, CommonComparesOnlyWhatBothHold) {
  Results a = sample(), b = sample();
  b.circuits[0].cells.erase(b.circuits[0].cells.begin());  // B measured A/vdd alone
  for (Pass& p : b.circuits[0].passes) p.cells.erase(p.cells.begin());
  CircuitResult other = a.circuits[0];
  other.index = 11;
  a.circuits.push_back(other);  // and A holds a circuit that B lacks
  Comparison c;
  std::string trouble;
  EXPECT_FALSE(compare_results(a, "a.json", b, "b.json", {}, &c, &trouble));
  Results left, right;
  ASSERT_TRUE(common_parts(a, "a.json", b, "b.json", &left, &right, &trouble)) << trouble;
  ASSERT_EQ(left.circuits.size(), 1u);
  ASSERT_EQ(left.circuits[0].cells.size(), 1u);
  EXPECT_EQ(left.circuits[0].cells[0].defect, "A/vdd");
  EXPECT_EQ(left.circuits[0].passes[1].cells[0].monitor, "FP");  // A/vdd's own answers
  ASSERT_TRUE(compare_results(left, "a.json", right, "b.json", {}, &c, &trouble)) << trouble;
  EXPECT_EQ(total_differences(c), 0);
  right.circuits[0].vectors[1] = "0";  // other vectors on a common circuit stay trouble
  b.circuits[0].vectors[1] = "0";
  EXPECT_FALSE(common_parts(a, "a.json", b, "b.json", &left, &right, &trouble));
  EXPECT_NE(trouble.find("applied other vectors"), std::string::npos) << trouble;
}

}  // namespace kavlab
