// The switch-level model against what the physics of each case says: defect-free function,
// stuck-at behaviour of rail shorts, stuck-open memory, oscillation, ties and hand-computed
// voltages and currents.
#include "solver.h"

#include <gtest/gtest.h>

#include <string>

#include "KavrinConst.h"
#include "defects.h"
#include "gate_logic_test.h"

namespace {

Cell make_cell(int circuit, const char* defect) {
  Netlist net;
  std::string error;
  EXPECT_TRUE(apply_defect(circuit_netlist(circuit), defect, &net, &error)) << error;
  return cell_power_up(net);
}

double voltage(const Cell& cell, const char* node) {
  int index = find_node(cell.net, node);
  EXPECT_GE(index, 0) << node;
  return index >= 0 ? cell.voltage[index] : -1.0;
}

unsigned vector_count(int circuit) { return 1u << elements[circuit].in; }

void expect_reference_reply(Cell* cell, int circuit, unsigned v) {
  VectorResult r = cell_apply(cell, v);
  EXPECT_EQ(r.outputs, logic_outputs(logic_circuit(circuit), v)) << "vector " << v;
  EXPECT_TRUE(r.settled) << "vector " << v;
  EXPECT_TRUE(r.monitor_pass) << "vector " << v;
  EXPECT_LE(r.iddq, 1e-9) << "vector " << v;
}

TEST(SwitchLevel, ReferenceCellsComputeTheirFunctionFromAnyState) {
  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; ++c) {
    SCOPED_TRACE(c);
    Cell cell = make_cell(c, nullptr);
    for (unsigned v = 0; v < vector_count(c); ++v) expect_reference_reply(&cell, c, v);
    // every transition between two vectors
    for (unsigned from = 0; from < vector_count(c); ++from)
      for (unsigned to = 0; to < vector_count(c); ++to) {
        cell_apply(&cell, from);
        expect_reference_reply(&cell, c, to);
      }
  }
}

// A two-name short of an input or gate output X to a rail is X stuck at the rail's value,
// and draws current exactly when the defect-free X would be at the other value.
TEST(SwitchLevel, RailShortsAreStuckAtFaultsWithTheMonitorRule) {
  int checked = 0;
  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; ++c) {
    LogicCircuit logic = logic_circuit(c);
    for (int k = 1; k < elements[c].count; ++k) {
      std::string name = elements[c].idx[k].defect, node;
      bool stuck = false;
      if (!logic_rail_short(logic, name, &node, &stuck)) continue;
      SCOPED_TRACE(std::string(elements[c].name) + " " + name);
      Cell cell = make_cell(c, name.c_str());
      unsigned n = vector_count(c);
      for (unsigned i = 0; i < 2 * n; ++i) {
        unsigned v = i < n ? i : 2 * n - 1 - i;  // up, then down again from the state reached
        VectorResult r = cell_apply(&cell, v);
        EXPECT_EQ(r.outputs, logic_outputs(logic, v, node, stuck)) << "vector " << v;
        bool good = logic_values(logic, v).at(node);
        EXPECT_EQ(r.monitor_pass, good == stuck) << "vector " << v;
      }
      ++checked;
    }
  }
  // The two-name rail shorts of the catalogue, but for the five on network junctions:
  // ON1 and ON3 "n1/gnd", AN1 and AN3 "n1/vdd", EO1 "n3/vdd".
  EXPECT_EQ(checked, 173);
}

TEST(SwitchLevel, BrokenPullDownChainRemembersTheOutput) {
  Cell defect = make_cell(12, "NA2_11");
  Cell reference = make_cell(12, nullptr);
  cell_apply(&defect, 0);
  cell_apply(&reference, 0);
  EXPECT_EQ(cell_apply(&defect, 3).outputs, 1u);
  EXPECT_EQ(cell_apply(&reference, 3).outputs, 0u);
  // Q (C_OUT, at 1) shares its charge with the cut-off source of NA (C_INT, at 0).
  EXPECT_NEAR(voltage(defect, "Q"), 10.0 / 11.0, 1e-12);
}

TEST(SwitchLevel, ShortClosingALoopThroughAGateOscillates) {
  Cell cell = make_cell(0, "n1/n3");
  VectorResult r = cell_apply(&cell, 0);
  EXPECT_FALSE(r.settled);
  EXPECT_FALSE(r.monitor_pass);
  EXPECT_LT(r.rounds, MAX_ROUNDS);
  // The same loop stays quiet when NOR2(A,B) holds n1 low.
  r = cell_apply(&cell, 1);
  EXPECT_TRUE(r.settled);
}

TEST(SwitchLevel, ExactTiesReadZeroAndTakeTheLowerLevel) {
  EXPECT_FALSE(reads_one(0.5));
  EXPECT_TRUE(reads_one(0.5 + 2 * EPS));
  // A gate exactly half a step above level 2 stays at level 2; a little more makes level 3.
  double half_step = 2.5 / DRIVE_LEVELS;
  EXPECT_EQ(drive_level(false, VT_N + (1 - VT_N) * half_step), 2);
  EXPECT_EQ(drive_level(false, VT_N + (1 - VT_N) * half_step + 4 * EPS), 3);
  EXPECT_EQ(drive_level(true, 1 - VT_P - (1 - VT_P) * half_step), 2);
  EXPECT_EQ(drive_level(true, 1 - VT_P - (1 - VT_P) * half_step - 4 * EPS), 3);
}

TEST(SwitchLevel, DriveGrowsInStepsWithTheOverdrive) {
  EXPECT_EQ(drive_level(false, 0.0), 0);
  EXPECT_EQ(drive_level(false, VT_N), 0);
  EXPECT_EQ(drive_level(false, 1.0), DRIVE_LEVELS);
  EXPECT_EQ(drive_level(true, 0.0), DRIVE_LEVELS);
  EXPECT_EQ(drive_level(true, 1.0 - VT_P), 0);
  // Half the supply drives both types to about 0.4 of their full overdrive.
  EXPECT_EQ(drive_level(false, 0.5), 3);
  EXPECT_EQ(drive_level(true, 0.5), 3);
}

TEST(SwitchLevel, ShortedInputsFollowNodalAnalysis) {
  Cell cell = make_cell(11, "A/B");
  VectorResult r = cell_apply(&cell, 1);  // A driven to 1, B to 0
  EXPECT_NEAR(voltage(cell, "A"), 11.0 / 21.0, 1e-12);
  EXPECT_NEAR(voltage(cell, "B"), 10.0 / 21.0, 1e-12);
  ASSERT_EQ(drive_level(false, 11.0 / 21.0), 4);
  ASSERT_EQ(drive_level(false, 10.0 / 21.0), 3);
  ASSERT_EQ(drive_level(true, 11.0 / 21.0), 3);
  ASSERT_EQ(drive_level(true, 10.0 / 21.0), 3);
  // Both pMOS at level 3 (2 x 0.4 x 9/64) against the nMOS at levels 4 and 3 in series
  // (1 / (64/16 + 64/9) = 0.09).
  double up = 2 * G_P * 9 / 64, down = 0.09;
  EXPECT_NEAR(voltage(cell, "Q"), up / (up + down), 1e-12);
  EXPECT_NEAR(r.iddq, up * down / (up + down), 1e-12);
  EXPECT_EQ(r.outputs, 1u);
  EXPECT_TRUE(r.settled);
  EXPECT_FALSE(r.monitor_pass);
}

TEST(SwitchLevel, FloatingGateSegmentTurnsBothTransistorsPartlyOn) {
  Cell cell = make_cell(12, "NA2_01");  // pin A cut from the gates of PA and NA
  int cut = static_cast<int>(cell.net.nodes.size()) - 1;
  EXPECT_TRUE(is_floating_gate_segment(cell.net, cut));
  EXPECT_EQ(cell.voltage[cut], V_FLOAT);
  VectorResult r = cell_apply(&cell, 2);  // B = 1: PA against NA and NB in series, at level 3
  double up = G_P * 9 / 64, down = 1 / (64.0 / 9 + 1);
  EXPECT_NEAR(voltage(cell, "Q"), up / (up + down), 1e-12);
  EXPECT_EQ(r.outputs, 0u);
  EXPECT_FALSE(r.monitor_pass);
  r = cell_apply(&cell, 1);  // B = 0: NB off, the pull-up alone
  EXPECT_EQ(r.outputs, 1u);
  EXPECT_TRUE(r.monitor_pass);
  EXPECT_EQ(cell.voltage[cut], V_FLOAT);
}

TEST(SwitchLevel, CutOffOutputPinFloatsAtItsPowerUpVoltage) {
  Cell cell = make_cell(12, "NA2_13");  // the output pin cut from Q: it reaches no gate
  int pin = cell.net.outputs[0].node;
  EXPECT_TRUE(is_floating_gate_segment(cell.net, pin));
  EXPECT_EQ(cell.voltage[pin], V_FLOAT_PIN);
  for (unsigned v = 0; v < 4; ++v) EXPECT_EQ(cell_apply(&cell, v).outputs, 0u) << v;
  EXPECT_EQ(cell.voltage[pin], V_FLOAT_PIN);
}

TEST(SwitchLevel, NodeCutOffAfterARoundKeepsAShareOfItsSwing) {
  // NA2_07: the drain of PA cut off. From power-up, 10 (B high): the first round still sees
  // both inputs low and pulls Q up through PB; the next cuts Q off with a share of that swing.
  Cell cell = make_cell(12, "NA2_07");
  VectorResult r = cell_apply(&cell, 2);
  EXPECT_TRUE(r.settled);
  EXPECT_NEAR(voltage(cell, "Q"), RACE_SHARE, 1e-12);
  EXPECT_EQ(r.outputs, 0u);
  // Driven all through the vector, Q keeps its whole swing: 00 then 10 holds Q high.
  cell_apply(&cell, 0);
  EXPECT_EQ(cell_apply(&cell, 2).outputs, 1u);
  EXPECT_NEAR(voltage(cell, "Q"), 1.0, 1e-12);
}

// A ring of 33 stages whose on/off sets repeat only after 66 rounds: after 64 rounds the last
// two solutions are taken as the cycle.
TEST(SwitchLevel, RoundCapTakesTheLastTwoSolutionsAsTheCycle) {
  const int stages = 33, out = 29;  // g29 is the node the last round changes
  std::string text = "in A; out g" + std::to_string(out) + "; g0 = NOR2(A,g32)";
  for (int i = 1; i < stages; ++i)
    text += "; g" + std::to_string(i) + " = INV(g" + std::to_string(i - 1) + ")";
  Netlist net;
  std::string error;
  ASSERT_TRUE(build_netlist("RING", text, &net, &error)) << error;
  Cell cell = cell_power_up(net);
  VectorResult r = cell_apply(&cell, 1);  // A = 1 opens the ring: it settles alternating
  ASSERT_TRUE(r.settled);
  std::vector<bool> g(stages);
  for (int i = 0; i < stages; ++i) {
    g[i] = i % 2 == 1;
    ASSERT_EQ(reads_one(voltage(cell, ("g" + std::to_string(i)).c_str())), g[i]) << i;
  }
  r = cell_apply(&cell, 0);  // closing the ring sends one edge around it
  EXPECT_FALSE(r.settled);
  EXPECT_FALSE(r.monitor_pass);
  EXPECT_EQ(r.rounds, MAX_ROUNDS);
  // Round 1 still sees A = 1; rounds 2 to 64 move the edge one stage each.
  std::vector<bool> round63;
  for (int round = 2; round <= MAX_ROUNDS; ++round) {
    if (round == MAX_ROUNDS) round63 = g;
    std::vector<bool> next(stages);
    next[0] = !g[stages - 1];
    for (int i = 1; i < stages; ++i) next[i] = !g[i - 1];
    g = next;
  }
  // The last round's voltages are kept; the output reads 1 only if it did in both rounds.
  for (int i = 0; i < stages; ++i)
    EXPECT_EQ(reads_one(voltage(cell, ("g" + std::to_string(i)).c_str())), g[i]) << i;
  ASSERT_FALSE(round63[out]);
  ASSERT_TRUE(g[out]);
  EXPECT_EQ(r.outputs, 0u);
}

}  // namespace
