// The coverage gate as a table: per gate, which circuits fail and what the message says.
#include "results/coverage_gate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kavlab {

namespace {

/// A circuit's summary with its classes: {defects, logic, monitor, either} per class.
CircuitSummary circuit(int index, const std::vector<std::vector<int>>& classes,
                       Measured measured = Measured::All) {
  CircuitSummary s;
  s.index = index;
  s.name = "C" + std::to_string(index);
  s.logic.known = s.monitor.known = s.either.known = true;
  for (int k = 0; k < kDefectClasses; k++) {
    const std::vector<int>& c = classes[static_cast<std::size_t>(k)];
    s.by_class[k] = {c[0], c[1], c[2], c[3]};
    s.defects += c[0];
    s.logic.detected += c[1];
    s.monitor.detected += c[2];
    s.either.detected += c[3];
  }
  s.chosen = s.defects;
  s.measured = measured;
  if (measured == Measured::None) {  // 5 cells chosen, none measured
    s.chosen = 5;
    s.defects = 0;
  }
  return s;
}

}  // namespace

TEST(CoverageGate, WhichCircuitsFailAndWhy) {
  // C1: rails 10 (logic 10, monitor 10), bridges 10 (logic 8, monitor 10), no opens.
  // C2: opens 10 (logic 5, monitor 9, either 9). C3: not measured.
  const std::vector<CircuitSummary> chip = {
      circuit(1, {{10, 10, 10, 10}, {10, 8, 10, 10}, {0, 0, 0, 0}}),
      circuit(2, {{0, 0, 0, 0}, {0, 0, 0, 0}, {10, 5, 9, 9}}),
      circuit(3, {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}, Measured::None)};
  struct Case {
    CoverageGate gate;
    std::vector<std::string> failures;
  };
  const Case cases[] = {
      {{90, Judgement::Either, {}, false}, {"circuit 3 (C3): not measured, which is below 90 %"}},
      {{95, Judgement::Either, {}, false},
       {"circuit 2 (C2): 90.0 % of 10 defects detected by either, below 95 %",
        "circuit 3 (C3): not measured, which is below 95 %"}},
      {{90, Judgement::Logic, {}, false},
       {"circuit 2 (C2): 50.0 % of 10 defects detected by logic, below 90 %",
        "circuit 3 (C3): not measured, which is below 90 %"}},
      // Bridges alone: C2 holds none and passes; C1's bridges are 80 % by logic.
      {{85, Judgement::Logic, {DefectClass::Bridge}, false},
       {"circuit 1 (C1): 80.0 % of 10 defects detected by logic, below 85 %",
        "circuit 3 (C3): not measured, which is below 85 %"}},
      {{100, Judgement::Monitor, {DefectClass::RailShort, DefectClass::Bridge}, false},
       {"circuit 3 (C3): not measured, which is below 100 %"}},
      // All circuits together: 23 of 30 by logic, over the measured ones; 5 chosen not measured.
      {{70, Judgement::Logic, {}, true}, {}},
      {{80, Judgement::Logic, {}, true},
       {"all circuits: 76.7 % of 30 defects measured of 35 detected by logic, below 80 %"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> said;
    for (const GateFailure& f : gate_failures(chip, c.gate))
      said.push_back(gate_failure_text(f, c.gate));
    EXPECT_EQ(said, c.failures) << c.gate.least_percent << " by " << judgement_name(c.gate.by);
  }
}

TEST(CoverageGate, AWayOfJudgingTheResultLacksFails) {
  CircuitSummary logic_only = circuit(5, {{4, 4, 0, 4}, {0, 0, 0, 0}, {0, 0, 0, 0}});
  logic_only.monitor.known = false;
  CoverageGate gate{50, Judgement::Monitor, {}, false};
  std::vector<GateFailure> failed = gate_failures({logic_only}, gate);
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_EQ(gate_failure_text(failed[0], gate),
            "circuit 5 (C5): not judged by monitor, which is below 50 %");
}

}  // namespace kavlab
