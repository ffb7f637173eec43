// Resolves defect names against a netlist and applies the defect: a short adds G_SHORT
// elements, an open moves transistor terminals or pins to a node of their own.
#include "defects.h"

#include <cctype>

namespace {

bool fail(std::string* error, const std::string& message) {
  *error = message;
  return false;
}

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

bool two_digits(const std::string& text, int* value) {
  if (text.size() != 2 || !std::isdigit(static_cast<unsigned char>(text[0])) ||
      !std::isdigit(static_cast<unsigned char>(text[1])))
    return false;
  *value = (text[0] - '0') * 10 + (text[1] - '0');
  return true;
}

int find_gate(const Netlist& net, const std::string& name) {
  for (size_t i = 0; i < net.gates.size(); ++i)
    if (net.gates[i].name == name) return static_cast<int>(i);
  return -1;
}

/// The transistor of `gate` of the given type on input pin `pin`; -1 if there is none or
/// more than one.
int device_of(const Netlist& net, int gate, bool pmos, int pin) {
  int found = -1;
  for (int t : net.gates[gate].devices) {
    const Transistor& d = net.transistors[t];
    if (d.pmos != pmos || d.pin != pin) continue;
    if (found >= 0) return -1;
    found = t;
  }
  return found;
}

/// "X/Y/.../Z": every listed node joined to the first.
bool apply_short(Netlist* net, const std::string& name, std::string* error) {
  std::vector<std::string> names = split(name, '/');
  if (names.size() < 2) return fail(error, "a short needs two nodes: " + name);
  std::vector<int> nodes;
  for (const std::string& node_name : names) {
    int node = find_node(*net, node_name);
    if (node < 0) return fail(error, "no node \"" + node_name + "\" in " + net->circuit);
    for (int seen : nodes)
      if (seen == node) return fail(error, "node " + node_name + " listed twice in " + name);
    nodes.push_back(node);
  }
  for (size_t i = 1; i < nodes.size(); ++i) net->shorts.push_back({nodes[0], nodes[i]});
  return true;
}

/// One member of an interconnect net: its driver (an input, or "QIg" the output of gate Ig)
/// or one of its pins ("AIg", "BIg": an input pin of gate Ig; "Y1": an output pin).
struct Member {
  bool driver = false;
  int node = -1;
  std::vector<int> devices;  ///< pin of a gate: the transistors whose gates it feeds
  int output = -1;           ///< output pin: its index
};

bool resolve_member(const Netlist& net, const std::string& text, Member* m) {
  for (size_t i = 0; i < net.outputs.size(); ++i)
    if (net.outputs[i].name == text) {
      m->output = static_cast<int>(i);
      m->node = net.outputs[i].node;
      return true;
    }
  if (text.size() > 1) {
    int gate = find_gate(net, text.substr(1));
    if (gate >= 0 && text[0] == 'Q') {
      m->driver = true;
      m->node = net.gates[gate].output;
      return true;
    }
    int pin = text[0] - 'A';
    if (gate >= 0 && pin >= 0 && pin < net.gates[gate].pin_count) {
      for (int t : net.gates[gate].devices)
        if (net.transistors[t].pin == pin) m->devices.push_back(t);
      if (m->devices.empty()) return false;
      m->node = net.transistors[m->devices[0]].gate;
      for (int t : m->devices)
        if (net.transistors[t].gate != m->node) return false;  // the pin is already split
      return true;
    }
  }
  int node = find_node(net, text);
  for (int input : net.inputs)
    if (input == node && node >= 0) {
      m->driver = true;
      m->node = node;
      return true;
    }
  return false;
}

/// "LEFTxRIGHT": the pins of RIGHT leave the net together for a node of their own.
bool apply_interconnect_open(Netlist* net, const std::string& body, std::string* error) {
  std::vector<std::string> sides = split(body, 'x');
  if (sides.size() != 2) return fail(error, "expected LEFTxRIGHT, got " + body);
  std::vector<Member> left, right;
  std::vector<std::string> seen;
  int net_node = -1;
  for (int side = 0; side < 2; ++side) {
    for (const std::string& text : split(sides[side], '&')) {
      for (const std::string& earlier : seen)
        if (earlier == text) return fail(error, "\"" + text + "\" listed twice in " + body);
      seen.push_back(text);
      Member m;
      if (!resolve_member(*net, text, &m))
        return fail(error, "no net member \"" + text + "\" in " + net->circuit);
      if (net_node >= 0 && m.node != net_node)
        return fail(error, "\"" + text + "\" is not on the net of " + body);
      net_node = m.node;
      if (side == 1 && m.driver) return fail(error, "the driver cannot be cut off: " + text);
      (side == 0 ? left : right).push_back(m);
    }
  }
  int cut = add_node(net, "", false);
  for (const Member& m : right) {
    for (int t : m.devices) net->transistors[t].gate = cut;
    if (m.output >= 0) net->outputs[m.output].node = cut;
  }
  return true;
}

}  // namespace

bool apply_nand2_open(Netlist* net, int gate, int site, std::string* error) {
  const Gate& g = net->gates[gate];
  if (g.kind != "NAND2") return fail(error, "gate " + g.name + " is no NAND2");
  if (site < 1 || site > NAND2_OPEN_SITES)
    return fail(error, "no open site " + std::to_string(site) + " in a NAND2");
  int pa = device_of(*net, gate, true, 0), pb = device_of(*net, gate, true, 1);
  int na = device_of(*net, gate, false, 0), nb = device_of(*net, gate, false, 1);
  if (pa < 0 || pb < 0 || na < 0 || nb < 0)
    return fail(error, "gate " + g.name + " lacks a transistor of a NAND2");
  Transistor* PA = &net->transistors[pa];
  Transistor* PB = &net->transistors[pb];
  Transistor* NA = &net->transistors[na];
  Transistor* NB = &net->transistors[nb];
  int q = g.output;
  int cut = add_node(net, "", false);
  switch (site) {
    case 1:
      PA->gate = NA->gate = cut;
      break;
    case 2:
      PA->gate = cut;
      break;
    case 3:
      NA->gate = cut;
      break;
    case 4:
      PB->gate = NB->gate = cut;
      break;
    case 5:
      PB->gate = cut;
      break;
    case 6:
      NB->gate = cut;
      break;
    case 7:
      PA->drain = cut;
      break;
    case 8:
      PB->drain = cut;
      break;
    case 9:
      PA->source = PB->source = cut;
      break;
    case 10:
      NA->drain = cut;
      break;
    case 11:
      NA->source = cut;
      break;
    case 12:
      NB->source = cut;
      break;
    default:  // 13: everything the output feeds leaves it; the gate's channels stay on Q
      for (Transistor& t : net->transistors)
        if (t.gate == q) t.gate = cut;
      for (OutputPin& pin : net->outputs)
        if (pin.node == q) pin.node = cut;
      break;
  }
  return true;
}

bool apply_defect(const Netlist& base, const char* defect, Netlist* out, std::string* error) {
  *out = base;
  if (defect == nullptr) return true;
  const std::string name = defect;
  const std::string& prefix = base.circuit;
  int number;
  if (name.compare(0, prefix.size() + 1, prefix + "_") == 0) {
    // "NA2_kk": site kk of the circuit's one gate
    if (!two_digits(name.substr(prefix.size() + 1), &number))
      return fail(error, "bad open site in " + name);
    if (base.gates.size() != 1) return fail(error, name + ": " + prefix + " has several gates");
    return apply_nand2_open(out, 0, number, error);
  }
  if (name.compare(0, prefix.size() + 1, prefix + "#") == 0) {
    // "C17#nn_Ig#kk" (site kk of gate Ig) or "C17#nn_LEFTxRIGHT"
    size_t at = prefix.size() + 1;
    if (!two_digits(name.substr(at, 2), &number) || name.compare(at + 2, 1, "_") != 0)
      return fail(error, "bad open number in " + name);
    std::string body = name.substr(at + 3);
    size_t hash = body.find('#');
    if (hash == std::string::npos) return apply_interconnect_open(out, body, error);
    int gate = find_gate(base, body.substr(0, hash));
    if (gate < 0) return fail(error, "no gate " + body.substr(0, hash) + " in " + prefix);
    if (!two_digits(body.substr(hash + 1), &number)) return fail(error, "bad open site in " + name);
    return apply_nand2_open(out, gate, number, error);
  }
  if (name.find('/') != std::string::npos) return apply_short(out, name, error);
  return fail(error, "unknown defect \"" + name + "\" in " + prefix);
}
