// The reachable states and the kinds of defects on cells whose behaviour is known: a
// stuck-open NAND2 keeps its output and needs a pair, an open the outputs never show, a defect
// the monitor sees only from states no sequence forces.
#include "gen/states.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "KavrinConst.h"
#include "exhaustive.h"
#include "gen/search.h"
#include "solver.h"

namespace kavlab {

namespace {

/// A defective cell of the catalogue, its states explored, judged against its reference.
struct Judged {
  StateGraph cell, reference;
  std::vector<CellAnswer> by_input;
  Judged(int circuit, int k) {
    std::string error;
    EXPECT_TRUE(explore_states(cell_netlist(circuit, k), &cell, &error)) << error;
    EXPECT_TRUE(explore_states(cell_netlist(circuit, 0), &reference, &error)) << error;
    EXPECT_TRUE(answers_by_input(reference, &by_input, &error)) << error;
  }
  Machine machine(Criterion c) const { return machine_of(cell, by_input, c); }
};

DefectKind kind_of(const Machine& m, int need, int* length) {
  DefectKind kind = DefectKind::Undetectable;
  std::string error;
  EXPECT_TRUE(classify(m, need, &kind, length, &error)) << error;
  return kind;
}

TEST(GenStates, VoltagesThatAThresholdPartsAreNeverOneClass) {
  // Across [0, 1] in fine steps, the rails and the reading threshold's two sides: a class never
  // holds two voltages that read differently, drive a gate to different levels, or of which one
  // is a rail and the other not.
  auto seen = [](double v) {
    return std::vector<int>{reads_one(v), drive_level(false, v), drive_level(true, v),
                            v == 0.0 || v == 1.0};
  };
  std::map<unsigned short, std::vector<int>> of_class;
  std::vector<double> voltages = {0.0, 1.0, 0.5 + EPS, std::nextafter(0.5 + EPS, 1.0)};
  for (int k = 1; k < 1000000; k++) voltages.push_back(k / 1e6);
  for (double v : voltages) {
    auto found = of_class.emplace(voltage_class(v), seen(v));
    EXPECT_EQ(found.first->second, seen(v)) << v;
  }
  EXPECT_GE(of_class.size(), 2u + 2 * DRIVE_LEVELS);
}

TEST(GenStates, EveryReferenceAnswersByItsInputAlone) {
  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; c++) {
    StateGraph g;
    std::vector<CellAnswer> by_input;
    std::string error;
    ASSERT_TRUE(explore_states(cell_netlist(c, 0), &g, &error)) << c << ": " << error;
    EXPECT_TRUE(answers_by_input(g, &by_input, &error)) << c << ": " << error;
    EXPECT_EQ(by_input.size(), std::size_t{1} << elements[c].in);
    EXPECT_EQ(g.next.size(), g.states.size() * by_input.size());
  }
}

TEST(GenStates, StuckOpenHasMemoryAndNeedsAPair) {
  ASSERT_STREQ(elements[12].idx[7].defect, "NA2_07");
  Judged j(12, 7);
  // The same vector answers differently from two reachable states: the cell keeps its output.
  bool memory = false;
  for (std::size_t s = 1; s < j.cell.states.size(); s++)
    for (int v = 0; v < j.cell.vectors; v++)
      memory = memory || j.cell.answer[s * j.cell.vectors + v].outputs !=
                             j.cell.answer[static_cast<std::size_t>(v)].outputs;
  EXPECT_TRUE(memory);
  Machine m = j.machine(Criterion::Logic);
  for (int v = 0; v < m.vectors; v++)
    EXPECT_FALSE(step_pending(m, pending_from_every_state(m, 1), v, 1).empty()) << v;
  int length = 0;
  EXPECT_EQ(kind_of(m, 1, &length), DefectKind::Forced);
  EXPECT_EQ(length, 2);
  std::vector<int> pair;
  ASSERT_EQ(shortest_forcing(m, pending_from_every_state(m, 1), 1, every_vector(m.vectors), &pair),
            SearchOutcome::Found);
  EXPECT_TRUE(run_pending(m, pending_from_every_state(m, 1), pair, 1).empty());
  // Twice from every state takes the pair at least twice as long.
  EXPECT_EQ(kind_of(m, 2, &length), DefectKind::Forced);
  EXPECT_GE(length, 3);
  // The counting order (00, 01, 10, 11) from power-up misses it, as the chip's table says.
  EXPECT_FALSE(run_pending(m, pending_from_power_up(), {0, 1, 2, 3}, 1).empty());
}

TEST(GenStates, KindsOfOpensTheOutputsOrTheMonitorCannotShow) {
  ASSERT_STREQ(elements[12].idx[2].defect, "NA2_02");
  int length = 0;
  Judged open_pin(12, 2);
  EXPECT_EQ(kind_of(open_pin.machine(Criterion::Logic), 1, &length), DefectKind::Undetectable);
  EXPECT_EQ(kind_of(open_pin.machine(Criterion::Monitor), 1, &length), DefectKind::Forced);

  ASSERT_STREQ(elements[17].idx[24].defect, "C17#24_I0#07");
  Judged unforced(17, 24);
  Machine m = unforced.machine(Criterion::Monitor);
  EXPECT_EQ(kind_of(m, 1, &length), DefectKind::Unforceable);
  std::vector<int> path;
  EXPECT_EQ(shortest_forcing(m, pending_from_every_state(m, 1), 1, every_vector(m.vectors), &path),
            SearchOutcome::None);
  // Yet some sequence from power-up reaches a state where the monitor sees it.
  EXPECT_EQ(shortest_forcing(m, pending_from_power_up(), 1, every_vector(m.vectors), &path),
            SearchOutcome::Found);
  EXPECT_EQ(kind_of(unforced.machine(Criterion::Logic), 1, &length), DefectKind::Forced);
}

}  // namespace

}  // namespace kavlab
