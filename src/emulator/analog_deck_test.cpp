// The analog engine's deck of one cell with each kind of defect, and the window readings of a
// transient; both without ngspice.
#include "analog_deck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "analog_readout.h"
#include "defects.h"

namespace {

Netlist defective(int circuit, const char* defect) {
  Netlist net;
  std::string error;
  EXPECT_TRUE(apply_defect(circuit_netlist(circuit), defect, &net, &error)) << error;
  return net;
}

std::vector<std::string> deck_of(const Netlist& net, std::vector<unsigned char> inputs,
                                 double ohms = 10.0, unsigned previous = 0) {
  return cell_deck(net, analog_power_up_voltages(net), previous, inputs.data(), inputs.size(),
                   ohms);
}

/// The deck's lines that start with `prefix`.
std::vector<std::string> lines_of(const std::vector<std::string>& deck, const std::string& prefix) {
  std::vector<std::string> found;
  for (const std::string& line : deck)
    if (line.compare(0, prefix.size(), prefix) == 0) found.push_back(line);
  return found;
}

/// The lines of the cell's own transistors, "m0" onward (the drivers' are "md" and "mu").
std::vector<std::string> transistors_of(const std::vector<std::string>& deck) {
  std::vector<std::string> found;
  for (const std::string& line : deck)
    if (line.size() > 1 && line[0] == 'm' && line[1] >= '0' && line[1] <= '9')
      found.push_back(line);
  return found;
}

/// The deck's initial conditions, one "v(nK)=V" per entry.
std::vector<std::string> initial_conditions(const std::vector<std::string>& deck) {
  std::vector<std::string> ics;
  for (const std::string& line : lines_of(deck, ".ic ")) {
    std::size_t at = 4;
    while (at < line.size()) {
      std::size_t space = line.find(' ', at);
      if (space == std::string::npos) space = line.size();
      ics.push_back(line.substr(at, space - at));
      at = space + 1;
    }
  }
  return ics;
}

std::string node(const Netlist& net, const char* name) { return deck_node(find_node(net, name)); }

TEST(AnalogDeck, DefectFreeCellHasItsTransistorsLoadsDriversAndTransient) {
  Netlist net = circuit_netlist(11);  // NA2: Q = NAND2(A, B)
  std::vector<std::string> deck = deck_of(net, {0, 1, 2, 3});
  EXPECT_EQ(deck.front().compare(0, 1, "*"), 0);
  EXPECT_EQ(deck.back(), ".end");
  EXPECT_EQ(lines_of(deck, ".model nch nmos (level=1 vto=0.7 kp=120u").size(), 1u);
  EXPECT_EQ(lines_of(deck, ".model pch pmos (level=1 vto=-0.8 kp=40u").size(), 1u);
  EXPECT_EQ(lines_of(deck, "vvdd n1 0 5").size(), 1u);
  EXPECT_EQ(lines_of(deck, "vgnd n0 0 0").size(), 1u);
  // The first nMOS sits nearest the output, the pMOS in parallel from vdd, bulks at the rails.
  std::string q = node(net, "Q"), a = node(net, "A"), b = node(net, "B");
  std::vector<std::string> m = transistors_of(deck);
  ASSERT_EQ(m.size(), 4u);
  std::string junction = deck_node(net.transistors[0].source);
  EXPECT_EQ(m[0].compare(0, m[0].find(" nch"), "m0 " + q + " " + a + " " + junction + " n0"), 0)
      << m[0];
  EXPECT_NE(m[0].find("l=1u w=2u ad=5p as=5p pd=9u ps=9u"), std::string::npos) << m[0];
  EXPECT_EQ(m[2].compare(0, m[2].find(" pch"), "m2 " + q + " " + a + " n1 n1"), 0) << m[2];
  EXPECT_NE(m[2].find("w=2.4u ad=6p as=6p pd=9.8u ps=9.8u"), std::string::npos) << m[2];
  // 100 fF on the output, 10 fF elsewhere, a 1 TOhm leak on every node but the rails.
  EXPECT_EQ(lines_of(deck, "c" + q.substr(1) + " " + q + " 0 100f").size(), 1u);
  EXPECT_EQ(lines_of(deck, "c" + a.substr(1) + " " + a + " 0 10f").size(), 1u);
  EXPECT_EQ(lines_of(deck, "rl").size(), net.nodes.size() - 2);
  EXPECT_TRUE(lines_of(deck, "rb").empty());
  // One inverting driver per input on its own supply, its source from the previous level.
  EXPECT_EQ(lines_of(deck, "vsup sup 0 5").size(), 1u);
  EXPECT_EQ(lines_of(deck, "md0 " + a + " i0 0 0 nch l=1u w=20u").size(), 1u);
  EXPECT_EQ(lines_of(deck, "mu1 " + b + " i1 sup sup pch l=1u w=60u").size(), 1u);
  EXPECT_EQ(
      lines_of(deck,
               "vi0 i0 0 pwl(0 5 100000p 5 100500p 0 200000p 0 200500p 5 300000p 5 300500p 0)")
          .size(),
      1u);
  EXPECT_EQ(lines_of(deck, "vi1 i1 0 pwl(0 5 200000p 5 200500p 0)").size(), 1u);
  // Every node but the rails starts from its saved voltage; four vectors of 100 ns.
  EXPECT_EQ(initial_conditions(deck).size(), net.nodes.size() - 2);
  EXPECT_EQ(lines_of(deck, ".tran 0.1n 400000p 0 5000p").size(), 1u);
  EXPECT_EQ(lines_of(deck, ".options method=gear").size(), 1u);
}

TEST(AnalogDeck, ShortsAreResistorsFromTheFirstNodeOfTheBridgeResistance) {
  Netlist net = defective(16, "A/C/D");  // C17 with shorts
  std::vector<std::string> deck = deck_of(net, {0}, 1000.0);
  std::vector<std::string> r = lines_of(deck, "rb");
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0], "rb0 " + node(net, "A") + " " + node(net, "C") + " 1000");
  EXPECT_EQ(r[1], "rb1 " + node(net, "A") + " " + node(net, "D") + " 1000");
  Netlist rail = defective(14, "A/gnd");  // IN1
  EXPECT_EQ(lines_of(deck_of(rail, {0}), "rb0")[0], "rb0 " + node(rail, "A") + " n0 10");
}

TEST(AnalogDeck, FloatingGateSegmentStartsAtTheFloatingVoltage) {
  Netlist net = defective(12, "NA2_01");  // pin A cut from the gates of both its transistors
  int cut = static_cast<int>(net.nodes.size()) - 1;
  std::vector<std::string> deck = deck_of(net, {3});
  std::vector<std::string> m = transistors_of(deck);
  int on_cut = 0;
  for (const std::string& line : m)
    if (line.find(" " + deck_node(cut) + " ") != std::string::npos) ++on_cut;
  EXPECT_EQ(on_cut, 2);
  std::vector<std::string> ics = initial_conditions(deck);
  EXPECT_EQ(ics.back(), "v(" + deck_node(cut) + ")=2");
  EXPECT_EQ(ics.front(), "v(n2)=0");
  EXPECT_EQ(lines_of(deck, "c" + std::to_string(cut) + " " + deck_node(cut) + " 0 10f").size(), 1u);
}

TEST(AnalogDeck, OpenChannelTerminalAndCutOutputPinGetNodesOfTheirOwn) {
  Netlist drain = defective(12, "NA2_07");  // the drain of PA cut from Q
  int cut = static_cast<int>(drain.nodes.size()) - 1;
  std::vector<std::string> deck = deck_of(drain, {0});
  EXPECT_EQ(lines_of(deck, "m2 " + deck_node(cut) + " ").size(), 1u);
  EXPECT_EQ(initial_conditions(deck).back(), "v(" + deck_node(cut) + ")=0");  // not a gate
  Netlist pin = defective(12, "NA2_13");  // the output pin cut from Q: it carries an output
  int pin_node = static_cast<int>(pin.nodes.size()) - 1;
  EXPECT_EQ(pin.outputs[0].node, pin_node);
  deck = deck_of(pin, {0});
  EXPECT_EQ(
      lines_of(deck, "c" + std::to_string(pin_node) + " " + deck_node(pin_node) + " 0 100f").size(),
      1u);
  EXPECT_EQ(initial_conditions(deck).back(), "v(" + deck_node(pin_node) + ")=2");
}

TEST(AnalogDeck, ChunkStartsFromTheSavedVoltagesAndInputs) {
  Netlist net = circuit_netlist(14);  // IN1: Q = INV(A)
  std::vector<double> saved = analog_power_up_voltages(net);
  saved[find_node(net, "Q")] = 4.25;
  saved[find_node(net, "A")] = 0.125;
  unsigned char inputs[] = {1, 1};
  std::vector<std::string> deck = cell_deck(net, saved, 1, inputs, 2, 10.0);
  std::vector<std::string> ics = initial_conditions(deck);
  EXPECT_NE(std::find(ics.begin(), ics.end(), "v(" + node(net, "Q") + ")=4.25"), ics.end());
  EXPECT_NE(std::find(ics.begin(), ics.end(), "v(" + node(net, "A") + ")=0.125"), ics.end());
  // The input was 1 and stays 1: no edge.
  EXPECT_EQ(lines_of(deck, "vi0 i0 0 pwl(0 0)").size(), 1u);
}

/// A cell with output Q and one internal node, sampled every 5 ns over two vectors.
struct Synthetic {
  Netlist net = circuit_netlist(14);
  Waveforms w;
  Synthetic() {
    w.node.resize(net.nodes.size());
    for (int ns = 0; ns <= 200; ns += 5) {
      w.time.push_back(ns * 1e-9);
      // A rises with the second vector; Q falls with it, then recovers to 3 V at 150 ns.
      w.node[find_node(net, "A")].push_back(ns <= 100 ? 0.0 : 5.0);
      w.node[find_node(net, "Q")].push_back(ns <= 100 ? 5.0 : (ns < 150 ? 0.0 : 3.0));
      w.vdd_current.push_back(ns < 90 ? 0.0 : 20e-6);
      w.gnd_current.push_back(1e-6);
    }
  }
};

TEST(AnalogDeck, NominalCellSharesTheProcessModelsWordForWord) {
  std::vector<std::string> deck = deck_of(defective(16, "n1/n2"), {1, 2});
  EXPECT_EQ(lines_of(deck, ".model"),
            (std::vector<std::string>{
                ".model nch nmos (level=1 vto=0.7 kp=120u gamma=0.4 phi=0.65 lambda=0.03 tox=20n "
                "cgso=0.3n cgdo=0.3n cgbo=0.4n cj=0.3m mj=0.5 cjsw=0.3n mjsw=0.33 pb=0.8)",
                ".model pch pmos (level=1 vto=-0.8 kp=40u gamma=0.5 phi=0.65 lambda=0.05 tox=20n "
                "cgso=0.3n cgdo=0.3n cgbo=0.4n cj=0.5m mj=0.5 cjsw=0.35n mjsw=0.33 pb=0.8)"}));
  for (const std::string& line : transistors_of(deck))
    EXPECT_TRUE(line.find(" nch l=1u") != std::string::npos ||
                line.find(" pch l=1u") != std::string::npos)
        << line;
}

TEST(AnalogDeck, VariedCellGivesEachTransistorItsOwnThreshold) {
  Netlist net = circuit_netlist(14);  // IN1: m0 the pMOS, m1 the nMOS, or the other way
  ASSERT_EQ(net.transistors.size(), 2u);
  std::vector<double> shift(2);
  for (std::size_t i = 0; i < 2; ++i) shift[i] = net.transistors[i].pmos ? 0.025 : -0.75;
  std::vector<unsigned char> inputs{1};
  std::vector<std::string> deck =
      cell_deck(net, analog_power_up_voltages(net), 0, inputs.data(), 1, 10.0, &shift);
  std::vector<std::string> transistors = transistors_of(deck);
  ASSERT_EQ(transistors.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    bool pmos = net.transistors[i].pmos;
    std::string name = std::string(pmos ? "pch" : "nch") + std::to_string(i);
    EXPECT_NE(transistors[i].find(" " + name + " l=1u"), std::string::npos) << transistors[i];
    // The pMOS's |VT| 0.8 + 0.025; the nMOS's 0.7 - 0.75 kept at the least, 0.1 V.
    std::vector<std::string> model = lines_of(deck, ".model " + name + " ");
    ASSERT_EQ(model.size(), 1u) << name;
    EXPECT_EQ(model[0].substr(0, model[0].find(" kp=")),
              ".model " + name + (pmos ? " pmos (level=1 vto=-0.825" : " nmos (level=1 vto=0.1"));
    EXPECT_NE(model[0].find(pmos ? "kp=40u gamma=0.5" : "kp=120u gamma=0.4"), std::string::npos);
  }
  // The drivers keep the process's models.
  for (const std::string& line : lines_of(deck, "md"))
    EXPECT_NE(line.find(" nch l=1u"), std::string::npos) << line;
  for (const std::string& line : lines_of(deck, "mu"))
    EXPECT_NE(line.find(" pch l=1u"), std::string::npos) << line;
}

TEST(AnalogReadout, OutputsTakeTheWindowsMinimumAgainstHalfTheSupply) {
  Synthetic s;
  AnalogVector first = read_vector(s.net, s.w, 0), second = read_vector(s.net, s.w, 1);
  EXPECT_EQ(first.outputs, 1u);
  EXPECT_EQ(second.outputs, 1u);              // 3 V over the whole window of 175 to 200 ns
  s.w.node[find_node(s.net, "Q")][36] = 2.5;  // at 180 ns: exactly half reads 0
  EXPECT_EQ(read_vector(s.net, s.w, 1).outputs, 0u);
}

TEST(AnalogReadout, IddqIsTheLargerMeanSupplyCurrentOverTheWindow) {
  Synthetic s;
  AnalogVector first = read_vector(s.net, s.w, 0);
  // vdd: 0 until 85 ns, a ramp to 20 uA at 90 ns, then 20 uA: the mean over 75..100 ns.
  double expected = (2.5e-9 * 20e-6 + 10e-9 * 20e-6) / 25e-9;
  EXPECT_NEAR(first.iddq, expected, 1e-12);
  s.w.vdd_current.assign(s.w.time.size(), 0.0);
  EXPECT_NEAR(read_vector(s.net, s.w, 0).iddq, 1e-6, 1e-15);  // then gnd's is the larger
}

TEST(AnalogReadout, NodeSwingingInTheWindowIsUnsettled) {
  Synthetic s;
  EXPECT_TRUE(read_vector(s.net, s.w, 0).settled);
  EXPECT_TRUE(read_vector(s.net, s.w, 1).settled);
  s.w.node[find_node(s.net, "Q")][38] = 3.6;  // 190 ns: 0.6 V above the rest of the window
  EXPECT_FALSE(read_vector(s.net, s.w, 1).settled);
  s.w.node[find_node(s.net, "Q")][38] = 3.5;  // exactly the limit still counts as settled
  EXPECT_TRUE(read_vector(s.net, s.w, 1).settled);
}

TEST(AnalogReadout, FinalVoltagesAreTheLastPointsWithTheRailsKept) {
  Synthetic s;
  std::vector<double> start = analog_power_up_voltages(s.net);
  std::vector<double> end = final_voltages(s.w, start);
  EXPECT_EQ(end[NODE_VDD], ANALOG_VDD);
  EXPECT_EQ(end[find_node(s.net, "Q")], 3.0);
  EXPECT_EQ(end[find_node(s.net, "A")], 5.0);
}

}  // namespace
