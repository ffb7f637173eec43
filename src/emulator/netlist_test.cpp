// Netlist descriptions: every circuit builds, gates expand to the static CMOS structure with
// the left element nearest the output, and malformed descriptions are refused.
#include "netlist.h"

#include <gtest/gtest.h>

#include "KavrinConst.h"

namespace {

/// The transistor of `net` whose gate is node `gate` and of the given type; -1 if not one.
int device(const Netlist& net, const char* gate, bool pmos) {
  int found = -1;
  for (size_t i = 0; i < net.transistors.size(); ++i)
    if (net.transistors[i].gate == find_node(net, gate) && net.transistors[i].pmos == pmos) {
      if (found >= 0) return -1;
      found = static_cast<int>(i);
    }
  return found;
}

TEST(Netlist, EveryCircuitBuildsWithItsTransistors) {
  const size_t transistors[KAVRIN_CIRCUIT_COUNT] = {14, 8,  8, 8, 8, 8, 8,  6,  6,
                                                    12, 10, 4, 4, 4, 2, 50, 24, 24};
  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; ++c) {
    Netlist net;
    std::string error;
    ASSERT_TRUE(build_netlist(elements[c].name, circuit_description(c), &net, &error))
        << c << ": " << error;
    EXPECT_EQ(net.transistors.size(), transistors[c]) << c;
    EXPECT_EQ(net.inputs.size(), elements[c].in) << c;
    EXPECT_EQ(net.outputs.size(), elements[c].out) << c;
    EXPECT_EQ(net.circuit, elements[c].name);
  }
}

TEST(Netlist, Nand2IsParallelPullUpAndSeriesPullDownWithPinANearestTheOutput) {
  Netlist net = circuit_netlist(12);
  ASSERT_EQ(net.gates.size(), 1u);
  EXPECT_EQ(net.gates[0].name, "G");
  EXPECT_EQ(net.gates[0].kind, "NAND2");
  int q = find_node(net, "Q");
  EXPECT_TRUE(net.nodes[q].gate_output);
  const Transistor& pa = net.transistors[device(net, "A", true)];
  const Transistor& pb = net.transistors[device(net, "B", true)];
  const Transistor& na = net.transistors[device(net, "A", false)];
  const Transistor& nb = net.transistors[device(net, "B", false)];
  EXPECT_EQ(pa.drain, q);
  EXPECT_EQ(pa.source, NODE_VDD);
  EXPECT_EQ(pb.drain, q);
  EXPECT_EQ(pb.source, NODE_VDD);
  EXPECT_EQ(na.drain, q);
  EXPECT_EQ(nb.drain, na.source);
  EXPECT_EQ(nb.source, NODE_GND);
  EXPECT_TRUE(net.nodes[na.source].name.empty());
  EXPECT_EQ(pa.pin, 0);
  EXPECT_EQ(nb.pin, 1);
}

TEST(Netlist, Nor3IsSeriesPullUpWithTheFirstInputNearestTheOutput) {
  Netlist net = circuit_netlist(7);
  int q = find_node(net, "Q");
  const Transistor& pa = net.transistors[device(net, "A", true)];
  const Transistor& pb = net.transistors[device(net, "B", true)];
  const Transistor& pc = net.transistors[device(net, "C", true)];
  EXPECT_EQ(pa.drain, q);
  EXPECT_EQ(pb.drain, pa.source);
  EXPECT_EQ(pc.drain, pb.source);
  EXPECT_EQ(pc.source, NODE_VDD);
  for (const char* in : {"A", "B", "C"}) {
    const Transistor& n = net.transistors[device(net, in, false)];
    EXPECT_EQ(n.drain, q);
    EXPECT_EQ(n.source, NODE_GND);
  }
}

TEST(Netlist, ComplexGateFollowsItsNetworks) {
  // ON3: PDN (A|B)-n1-C.D, PUN (A.B)|C|D
  Netlist net = circuit_netlist(2);
  int q = find_node(net, "Q"), n1 = find_node(net, "n1");
  ASSERT_GE(n1, 0);
  EXPECT_FALSE(net.nodes[n1].gate_output);
  for (const char* in : {"A", "B"}) {
    const Transistor& n = net.transistors[device(net, in, false)];
    EXPECT_EQ(n.drain, q);
    EXPECT_EQ(n.source, n1);
  }
  const Transistor& nc = net.transistors[device(net, "C", false)];
  const Transistor& nd = net.transistors[device(net, "D", false)];
  EXPECT_EQ(nc.drain, n1);
  EXPECT_EQ(nd.drain, nc.source);
  EXPECT_EQ(nd.source, NODE_GND);
  const Transistor& pa = net.transistors[device(net, "A", true)];
  const Transistor& pb = net.transistors[device(net, "B", true)];
  EXPECT_EQ(pa.drain, q);
  EXPECT_EQ(pb.drain, pa.source);
  EXPECT_EQ(pb.source, NODE_VDD);
  for (const char* in : {"C", "D"}) {
    const Transistor& p = net.transistors[device(net, in, true)];
    EXPECT_EQ(p.drain, q);
    EXPECT_EQ(p.source, NODE_VDD);
  }
  EXPECT_EQ(net.gates[0].pin_count, 4);
}

TEST(Netlist, CatalogueNodeNamesExist) {
  const char* const names[][16] = {
      {"A", "B", "C", "D", "n1", "n2", "n3", "Q"},
      {"n1", "Q"},
      {"n1", "Q"},
      {"n1", "Q"},
      {"n1", "Q"},
      {"Q"},
      {"Q"},
      {"Q"},
      {"Q"},
      {"A", "B", "n1", "n2", "n3", "Q"},
      {"A", "B", "n1", "n2", "Q"},
      {"Q"},
      {"Q"},
      {"Q"},
      {"A", "Q"},
      {"I1", "I2", "I3", "I4", "K1", "K2", "N1", "N2", "N3", "N4", "N5", "N6", "O1", "O2"},
      {"A", "B", "C", "D", "E", "n1", "n2", "n3", "n4", "Y1", "Y2"},
      {"Y1", "Y2"}};
  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; ++c) {
    Netlist net = circuit_netlist(c);
    for (const char* name : names[c])
      if (name != nullptr) {
        EXPECT_GE(find_node(net, name), 0) << c << " " << name;
      }
  }
}

TEST(Netlist, MalformedDescriptionsAreRefused) {
  const char* const bad[] = {
      "in A B; out Q; Q = NAND3(A,B)",              // arity
      "in A; out Q; Q = NAND1(A)",                  // a NAND needs two inputs
      "in A; out Q; Q = BUF(A)",                    // unknown gate
      "in A; out Q; Q = INV(A); Q = INV(A)",        // driven twice
      "in A; out Q; Q = INV(X)",                    // never driven
      "in A; out Q; Q = PDN A.(A PUN A",            // parenthesis
      "in A; out Q; Q = PDN A-n1 A PUN A",          // junction not closed
      "in A; out Q; Q = PDN A",                     // no pull-up
      "in A; out Q; Q = INV(A)!",                   // stray character
      "in A; out Q; gnd = INV(A)",                  // a rail as output
      "in A; out Q; G: Q = INV(A); G: n = INV(Q)",  // gate named twice
      "in A; Q = INV(A)",                           // no outputs
  };
  for (const char* text : bad) {
    Netlist net;
    std::string error;
    EXPECT_FALSE(build_netlist("X", text, &net, &error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
}

TEST(Netlist, SameNetlistSeesEveryKindOfChange) {
  Netlist base = circuit_netlist(11);
  EXPECT_TRUE(same_netlist(base, circuit_netlist(11)));
  Netlist changed = base;
  changed.transistors[0].gate = find_node(base, "B");
  EXPECT_FALSE(same_netlist(base, changed));
  changed = base;
  changed.shorts.push_back({2, 3});
  EXPECT_FALSE(same_netlist(base, changed));
  changed = base;
  changed.outputs[0].node = add_node(&changed, "", false);
  EXPECT_FALSE(same_netlist(base, changed));
}

}  // namespace
