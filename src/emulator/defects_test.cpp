// Defect names: every catalogue cell resolves to a changed netlist, each open site cuts
// exactly its terminals, and names that do not fit the netlist are refused.
#include "defects.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "KavrinConst.h"
#include "solver.h"

namespace {

Netlist defective(int circuit, const char* name) {
  Netlist net;
  std::string error;
  EXPECT_TRUE(apply_defect(circuit_netlist(circuit), name, &net, &error)) << name << ": " << error;
  return net;
}

TEST(Defects, EveryCatalogueDefectResolvesToAChangeOfTheNetlist) {
  int cells = 0;
  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; ++c) {
    Netlist base = circuit_netlist(c);
    for (int k = 0; k < elements[c].count; ++k) {
      const char* name = elements[c].idx[k].defect;
      Netlist net;
      std::string error;
      ASSERT_TRUE(apply_defect(base, name, &net, &error))
          << c << " cell " << k << " \"" << name << "\": " << error;
      EXPECT_EQ(same_netlist(base, net), name == nullptr) << c << " cell " << k;
      ++cells;
    }
  }
  EXPECT_EQ(cells, 564);
}

TEST(Defects, ShortJoinsEveryListedNodeToTheFirst) {
  Netlist net = defective(0, "A/D/C/n1/n2");
  ASSERT_EQ(net.shorts.size(), 4u);
  const char* others[] = {"D", "C", "n1", "n2"};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(net.shorts[i].first, find_node(net, "A"));
    EXPECT_EQ(net.shorts[i].other, find_node(net, others[i]));
  }
  net = defective(10, "n2/n1/A/Q/vdd");
  ASSERT_EQ(net.shorts.size(), 4u);
  EXPECT_EQ(net.shorts[3].other, NODE_VDD);
  EXPECT_EQ(defective(15, "K1/gnd").shorts[0].other, NODE_GND);
}

/// Terminals of the NAND2 gate `gate` and of what its output feeds that differ between `base`
/// and `net`: "PA.gate", "NB.source", "fanout.gate" (a transistor gate on the output), "out"
/// (an output pin on the output). All of them must sit on the one node the open added.
std::set<std::string> cut_terminals(const Netlist& base, const Netlist& net, int gate) {
  std::set<std::string> cut;
  EXPECT_EQ(net.nodes.size(), base.nodes.size() + 1);
  int added = static_cast<int>(net.nodes.size()) - 1;
  auto note = [&](const std::string& what, int before, int after) {
    if (before == after) return;
    cut.insert(what);
    EXPECT_EQ(after, added) << what;
  };
  for (int t : base.gates[gate].devices) {
    const Transistor& before = base.transistors[t];
    const Transistor& after = net.transistors[t];
    std::string role = std::string(before.pmos ? "P" : "N") + (before.pin == 0 ? "A" : "B");
    note(role + ".gate", before.gate, after.gate);
    note(role + ".drain", before.drain, after.drain);
    note(role + ".source", before.source, after.source);
  }
  for (size_t t = 0; t < base.transistors.size(); ++t)
    if (base.transistors[t].gate == base.gates[gate].output)
      note("fanout.gate", base.transistors[t].gate, net.transistors[t].gate);
  for (size_t k = 0; k < base.outputs.size(); ++k)
    if (base.outputs[k].node == base.gates[gate].output)
      note("out", base.outputs[k].node, net.outputs[k].node);
  return cut;
}

TEST(Defects, Nand2OpenSitesCutTheirTerminals) {
  const std::set<std::string> expected[NAND2_OPEN_SITES] = {{"PA.gate", "NA.gate"},
                                                            {"PA.gate"},
                                                            {"NA.gate"},
                                                            {"PB.gate", "NB.gate"},
                                                            {"PB.gate"},
                                                            {"NB.gate"},
                                                            {"PA.drain"},
                                                            {"PB.drain"},
                                                            {"PA.source", "PB.source"},
                                                            {"NA.drain"},
                                                            {"NA.source"},
                                                            {"NB.source"},
                                                            {"out"}};
  Netlist base = circuit_netlist(12);
  for (int site = 1; site <= NAND2_OPEN_SITES; ++site) {
    char name[8];
    std::snprintf(name, sizeof name, "NA2_%02d", site);
    EXPECT_EQ(cut_terminals(base, defective(12, name), 0), expected[site - 1]) << name;
  }
}

TEST(Defects, C17GateOpensCutTheNamedGate) {
  Netlist base = circuit_netlist(17);
  // I2 = NAND2(B, n2): site 01 cuts its pin A
  EXPECT_EQ(cut_terminals(base, defective(17, "C17#44_I2#01"), 2),
            (std::set<std::string>{"PA.gate", "NA.gate"}));
  // I0 drives n1, which feeds pin A of I4: site 13 moves that pin off n1
  EXPECT_EQ(cut_terminals(base, defective(17, "C17#30_I0#13"), 0),
            (std::set<std::string>{"fanout.gate"}));
  // I5 drives the output pin Y2
  EXPECT_EQ(cut_terminals(base, defective(17, "C17#95_I5#13"), 5), (std::set<std::string>{"out"}));
}

TEST(Defects, InterconnectOpensMoveTheRightHandPins) {
  Netlist base = circuit_netlist(17);
  // net C: driver C, pins BI0 and AI1; the open leaves pin B of I0 floating
  Netlist net = defective(17, "C17#04_C&AI1xBI0");
  EXPECT_EQ(cut_terminals(base, net, 0), (std::set<std::string>{"PB.gate", "NB.gate"}));
  EXPECT_EQ(cut_terminals(base, net, 1), (std::set<std::string>{}));
  EXPECT_TRUE(is_floating_gate_segment(net, static_cast<int>(net.nodes.size()) - 1));
  // net n2: BI2 and AI3 leave together for one node
  net = defective(17, "C17#08_QI1xBI2&AI3");
  EXPECT_EQ(cut_terminals(base, net, 2), (std::set<std::string>{"PB.gate", "NB.gate"}));
  EXPECT_EQ(cut_terminals(base, net, 3), (std::set<std::string>{"PA.gate", "NA.gate"}));
  // net Y1: the output pin leaves the gate I4
  net = defective(17, "C17#16_QI4xY1");
  EXPECT_EQ(net.outputs[0].node, static_cast<int>(net.nodes.size()) - 1);
  EXPECT_EQ(net.outputs[1].node, base.outputs[1].node);
}

TEST(Defects, NamesThatDoNotFitTheNetlistAreRefused) {
  const struct {
    int circuit;
    const char* name;
  } bad[] = {
      {0, "A/Z"},
      {0, "A"},
      {0, "A/A"},
      {0, "A//B"},
      {0, ""},
      {0, "NA2_01"},
      {15, "A/B"},
      {1, "Q/n2"},
      {12, "NA2_00"},
      {12, "NA2_14"},
      {12, "NA2_1"},
      {12, "NA2_011"},
      {0, "NO42_01"},
      {17, "C17#01_AxBI0"},
      {17, "C17#01_BI0xC"},
      {17, "C17#01_AxAI0xB"},
      {17, "C17#01_AxZI0"},
      {17, "C17#1_AxAI0"},
      {17, "C17#99_I6#01"},
      {17, "C17#18_I0#14"},
      {17, "C17#03_CxBI0&BI0"},
      {17, "C17#03_xBI0"},
      {17, "C17#02_BxAI2&"},
      {17, "C17#18_I0#1"},
  };
  for (const auto& b : bad) {
    Netlist net;
    std::string error;
    EXPECT_FALSE(apply_defect(circuit_netlist(b.circuit), b.name, &net, &error))
        << b.circuit << " \"" << b.name << "\"";
    EXPECT_FALSE(error.empty()) << b.name;
  }
}

}  // namespace
