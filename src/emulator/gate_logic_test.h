// Gate-level Boolean models of the chip's 18 circuits, written apart from the netlists, for
// checking what the switch-level cells compute. Any input or gate output can be forced to a
// value (a stuck-at fault).
#ifndef KAVTEST_GATE_LOGIC_TEST_H
#define KAVTEST_GATE_LOGIC_TEST_H

#include <functional>
#include <map>
#include <string>
#include <vector>

struct LogicGate {
  std::string output;
  std::vector<std::string> inputs;
  std::function<bool(const std::vector<bool>&)> function;
};

struct LogicCircuit {
  std::vector<std::string> inputs;   ///< bit 0 of the vector first
  std::vector<std::string> outputs;  ///< Y0 first
  std::vector<LogicGate> gates;      ///< in evaluation order
};

inline bool logic_nand(const std::vector<bool>& x) {
  for (bool b : x)
    if (!b) return true;
  return false;
}
inline bool logic_nor(const std::vector<bool>& x) {
  for (bool b : x)
    if (b) return false;
  return true;
}
inline bool logic_inv(const std::vector<bool>& x) { return !x[0]; }

inline LogicCircuit logic_circuit(int circuit) {
  const std::vector<std::string> abcd = {"A", "B", "C", "D"};
  auto simple = [](std::vector<std::string> in, std::function<bool(const std::vector<bool>&)> f) {
    return LogicCircuit{in, {"Q"}, {{"Q", in, f}}};
  };
  switch (circuit) {
    case 0:
      return {abcd,
              {"Q"},
              {{"n1", {"A", "B"}, logic_nor},
               {"n2", {"C", "D"}, logic_nor},
               {"n3", {"n1", "n2"}, logic_nand},
               {"Q", {"n3"}, logic_inv}}};
    case 1:
      return simple(abcd,
                    [](const std::vector<bool>& x) { return !((x[0] || x[1]) && (x[2] || x[3])); });
    case 2:
      return simple(abcd,
                    [](const std::vector<bool>& x) { return !((x[0] || x[1]) && x[2] && x[3]); });
    case 3:
      return simple(abcd,
                    [](const std::vector<bool>& x) { return !((x[0] && x[1]) || (x[2] && x[3])); });
    case 4:
      return simple(abcd,
                    [](const std::vector<bool>& x) { return !((x[0] && x[1]) || x[2] || x[3]); });
    case 5:
      return simple(abcd, logic_nand);
    case 6:
      return simple(abcd, logic_nor);
    case 7:
      return simple({"A", "B", "C"}, logic_nor);
    case 8:
      return simple({"A", "B", "C"}, logic_nand);
    case 9:
      return {{"A", "B"},
              {"Q"},
              {{"n1", {"A"}, logic_inv},
               {"n2", {"B"}, logic_inv},
               {"Q", {"A", "B", "n1", "n2"}, [](const std::vector<bool>& x) {
                  return !((x[0] && x[1]) || (x[2] && x[3]));
                }}}};
    case 10:
      return {
          {"A", "B"},
          {"Q"},
          {{"n1", {"A", "B"}, logic_nand}, {"Q", {"A", "B", "n1"}, [](const std::vector<bool>& x) {
                                              return !((x[0] || x[1]) && x[2]);
                                            }}}};
    case 11:
    case 12:
      return simple({"A", "B"}, logic_nand);
    case 13:
      return simple({"A", "B"}, logic_nor);
    case 14:
      return simple({"A"}, logic_inv);
    case 15:
      return {{"I1", "I2", "I3", "I4"},
              {"O1", "O2"},
              {{"N1", {"I1", "I3"}, logic_nand},
               {"N2", {"I1", "N1"}, logic_nand},
               {"N3", {"I3", "N1"}, logic_nand},
               {"O1", {"N2", "N3"}, logic_nand},
               {"K1", {"N1"}, logic_inv},
               {"N4", {"I2", "I4"}, logic_nand},
               {"N5", {"I2", "N4"}, logic_nand},
               {"N6", {"I4", "N4"}, logic_nand},
               {"K2", {"N5", "N6"}, logic_nand},
               {"M1", {"K2", "K1"}, logic_nand},
               {"M2", {"K2", "M1"}, logic_nand},
               {"M3", {"K1", "M1"}, logic_nand},
               {"O2", {"M2", "M3"}, logic_nand}}};
    default:
      return {{"A", "B", "C", "D", "E"},
              {"Y1", "Y2"},
              {{"n1", {"A", "C"}, logic_nand},
               {"n2", {"C", "D"}, logic_nand},
               {"n3", {"B", "n2"}, logic_nand},
               {"n4", {"n2", "E"}, logic_nand},
               {"Y1", {"n1", "n3"}, logic_nand},
               {"Y2", {"n3", "n4"}, logic_nand}}};
  }
}

/// True when `node` is an input or a gate output of the model.
inline bool logic_has_node(const LogicCircuit& c, const std::string& node) {
  for (const std::string& in : c.inputs)
    if (in == node) return true;
  for (const LogicGate& g : c.gates)
    if (g.output == node) return true;
  return false;
}

/// Whether `defect` is a two-name short of a node of the model to a rail ("n1/gnd", "A/vdd"):
/// then that node, and the rail's value (true for vdd).
inline bool logic_rail_short(const LogicCircuit& c, const std::string& defect, std::string* node,
                             bool* value) {
  size_t slash = defect.find('/');
  if (slash == std::string::npos || defect.find('/', slash + 1) != std::string::npos) return false;
  std::string rail = defect.substr(slash + 1);
  *node = defect.substr(0, slash);
  *value = rail == "vdd";
  return (rail == "gnd" || rail == "vdd") && logic_has_node(c, *node);
}

/// Every node's value for input `vector`, with `forced` (if not empty) stuck at `value`.
inline std::map<std::string, bool> logic_values(const LogicCircuit& c, unsigned vector,
                                                const std::string& forced = "",
                                                bool value = false) {
  std::map<std::string, bool> v;
  for (size_t i = 0; i < c.inputs.size(); ++i) v[c.inputs[i]] = ((vector >> i) & 1u) != 0;
  if (!forced.empty() && v.count(forced)) v[forced] = value;
  for (const LogicGate& g : c.gates) {
    std::vector<bool> x;
    for (const std::string& in : g.inputs) x.push_back(v.at(in));
    v[g.output] = g.output == forced ? value : g.function(x);
  }
  return v;
}

/// The output bits (bit i: Yi) for input `vector`, with `forced` stuck at `value`.
inline unsigned logic_outputs(const LogicCircuit& c, unsigned vector,
                              const std::string& forced = "", bool value = false) {
  std::map<std::string, bool> v = logic_values(c, vector, forced, value);
  unsigned bits = 0;
  for (size_t i = 0; i < c.outputs.size(); ++i)
    if (v.at(c.outputs[i])) bits |= 1u << i;
  return bits;
}

#endif
