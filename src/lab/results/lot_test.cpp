// A small lot made by hand, whose answers are known: three chips of IN1, one cut short.
#include "results/lot.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "results/lot_print.h"
#include "results/results_json.h"
#include "test_support.h"

namespace kavlab {
namespace {

/// IN1 measured in a logic and a monitor pass: cell k (of its five) detected by logic where
/// `logic[k]`, by the monitor where `monitor[k]`; only the first `measured` cells answered.
Results in1(const std::string& chip, const std::vector<bool>& logic,
            const std::vector<bool>& monitor, std::size_t measured = 5) {
  Results r;
  r.provenance.program = "kavlab-sim";
  r.provenance.chip = chip;
  r.provenance.emulated = Emulated::Yes;
  r.provenance.engine = "analog";
  r.partial = measured < 5;
  CircuitResult c;
  c.index = 14;
  c.name = "IN1";
  c.inputs = c.outputs = 1;
  c.test.kind = SourceKind::Exhaustive;
  c.vectors = {"0", "1"};
  c.cells = {{1, "A/gnd", 3}, {2, "A/vdd", 3}, {3, "A/Q", 2}, {4, "Q/gnd", 3}, {5, "Q/vdd", 3}};
  for (Pass p : plan_passes(PassPlan::Both)) {
    p.reference_measured = true;
    p.reference = {{"1", "0"}, p.monitor_on ? "PP" : "", ""};
    for (std::size_t k = 0; k < measured; k++) {
      Response answer{{"1", "0"}, p.monitor_on ? "PP" : "", ""};
      if (!p.monitor_on && logic[k]) answer.outputs = {"0", "0"};
      if (p.monitor_on && monitor[k]) answer.monitor = "PF";
      p.cells.push_back(answer);
    }
    c.passes.push_back(p);
  }
  r.circuits = {c};
  return r;
}

struct HandMadeLot : ::testing::Test {
  std::vector<Results> chips = {
      in1("die-a", {1, 1, 0, 1, 1}, {1, 1, 1, 0, 0}),
      in1("die-b", {1, 0, 0, 1, 1}, {1, 1, 1, 0, 1}),
      in1("die-c", {1, 1, 0, 1, 1}, {1, 1, 1, 0, 0}, 4),  // Q/vdd never measured
  };
  std::vector<std::string> names = {"a.json", "b.json", "c.json"};
  std::vector<const Results*> all() const { return {&chips[0], &chips[1], &chips[2]}; }
};

TEST_F(HandMadeLot, CountsEachDefectOverTheChipsThatMeasuredIt) {
  ASSERT_EQ(lot_refusal(all(), names), "");
  Lot lot = make_lot(all(), names);
  ASSERT_EQ(lot.defects.size(), 5u);
  struct Expected {
    const char* defect;
    int chips, logic, monitor, either;
    bool marginal;
  };
  const Expected expected[] = {{"A/gnd", 3, 3, 3, 3, false},
                               {"A/vdd", 3, 2, 3, 3, true},
                               {"A/Q", 3, 0, 3, 3, false},
                               {"Q/gnd", 3, 3, 0, 3, false},
                               {"Q/vdd", 2, 2, 1, 2, true}};
  for (std::size_t k = 0; k < 5; k++) {
    const LotDefect& d = lot.defects[k];
    const Expected& e = expected[k];
    EXPECT_EQ(d.circuit->cells[d.cell].defect, e.defect);
    EXPECT_EQ(d.chips, e.chips) << e.defect;
    EXPECT_EQ(d.detected[0], e.logic) << e.defect;
    EXPECT_EQ(d.detected[1], e.monitor) << e.defect;
    EXPECT_EQ(d.detected[2], e.either) << e.defect;
    EXPECT_EQ(d.marginal(), e.marginal) << e.defect;
  }
  EXPECT_EQ(lot.defects[4].by_chip[2], (std::vector<int>{-1, -1, -1}));  // not measured, not 0
}

TEST_F(HandMadeLot, SpreadsTheCoverageOverTheChips) {
  Lot lot = make_lot(all(), names);
  // logic: a 4 of 5, b 3 of 5, c 3 of the 4 it measured; the monitor: 3/5, 4/5, 3/4.
  Spread logic = coverage_spread(lot, Judgement::Logic, {});
  EXPECT_TRUE(logic.known);
  EXPECT_DOUBLE_EQ(logic.least, 60.0);
  EXPECT_DOUBLE_EQ(logic.median, 75.0);
  EXPECT_DOUBLE_EQ(logic.largest, 80.0);
  Spread monitor = coverage_spread(lot, Judgement::Monitor, {});
  EXPECT_DOUBLE_EQ(monitor.least, 60.0);
  EXPECT_DOUBLE_EQ(monitor.median, 75.0);
  EXPECT_DOUBLE_EQ(monitor.largest, 80.0);
  EXPECT_DOUBLE_EQ(coverage_spread(lot, Judgement::Either, {}).least, 100.0);
  Spread bridges = coverage_spread(lot, Judgement::Logic, {DefectClass::Bridge});  // A/Q alone
  EXPECT_DOUBLE_EQ(bridges.largest, 0.0);
  EXPECT_FALSE(coverage_spread(lot, Judgement::Logic, {DefectClass::Open}).known);  // none
  EXPECT_DOUBLE_EQ(chip_coverage(lot.chips[2], Judgement::Logic, {}), 75.0);
  EXPECT_EQ(lot.chips[0].label, "die-a");
}

using test_support::printed;

TEST_F(HandMadeLot, NamesTheMarginalDefectsAndTheChipsThatMissThem) {
  Lot lot = make_lot(all(), names);
  std::string text = printed([&](FILE* out) { print_lot(out, lot); });
  EXPECT_NE(text.find("marginal defects, detected on some chips only: 2\n"
                      " idx circuit   cell defect           class       logic monitor  either\n"
                      "  14 IN1          2  A/vdd            rail short    2/3     3/3     3/3\n"
                      "      logic misses it on: die-b\n"
                      "  14 IN1          5  Q/vdd            rail short    2/2     1/2     2/2\n"
                      "      monitor misses it on: die-a\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("  least" + std::string(47, ' ') + "60.0 %   60.0 %  100.0 %\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("  rail short   75.0/100.0/100.0    50.0/66.7/75.0 100.0/100.0/100.0\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("  logic    3 of 5 on every chip, 1 on none\n"), std::string::npos) << text;
  std::string csv = printed([&](FILE* out) { print_lot_csv(out, lot); });
  EXPECT_NE(csv.find("\n14,IN1,5,Q/vdd,rail short,2,2,1,2,yes,,die-a,\n"), std::string::npos)
      << csv;
  std::string json = lot_json(lot);
  EXPECT_NE(json.find("\"per_chip\""), std::string::npos);
  EXPECT_EQ(json.find("nan"), std::string::npos);
}

TEST_F(HandMadeLot, RefusesResultsOfAnotherPlanNamingWhatDiffers) {
  struct Case {
    const char* what;
    void (*change)(Results&);
    const char* message;
  };
  const Case cases[] = {
      {"other vectors",
       [](Results& r) {
         r.circuits[0].vectors = {"1", "0"};
       },
       "vectors"},
      {"another engine", [](Results& r) { r.provenance.engine = "switch"; }, "other engines"},
      {"another threshold", [](Results& r) { r.provenance.engine_parameters["monitor_ua"] = 20; },
       "other engines"},
      {"a sweep", [](Results& r) { r.sweep = "bridge_ohms"; }, "sweep"},
  };
  for (const Case& c : cases) {
    std::vector<Results> other = chips;
    c.change(other[1]);
    std::string why = lot_refusal({&other[0], &other[1]}, {"a.json", "b.json"});
    EXPECT_NE(why.find(c.message), std::string::npos) << c.what << ": " << why;
  }
  std::vector<Results> other = chips;  // what makes the chip may differ
  other[1].provenance.seed = 7;
  other[1].provenance.device = "Kavrin3";
  EXPECT_EQ(lot_refusal({&other[0], &other[1]}, {"a.json", "b.json"}), "");
  EXPECT_NE(lot_refusal({&chips[0]}, {"a.json"}), "");
}

}  // namespace
}  // namespace kavlab
