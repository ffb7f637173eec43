// Builds transistor netlists from circuit descriptions: a tokenizer, a parser of gate
// statements and switch networks, and the static CMOS expansion of every gate.
#include "netlist.h"

#include <cctype>
#include <map>
#include <memory>

namespace {

/// A switch network: one transistor, or parts in series or in parallel.
struct Network {
  enum Kind { LEAF, SERIES, PARALLEL } kind = LEAF;
  std::string signal;                  ///< LEAF: the node on the transistor's gate
  int pin = -1;                        ///< LEAF: the gate's input pin
  std::vector<Network> parts;          ///< SERIES, PARALLEL: left part nearest the output
  std::vector<std::string> junctions;  ///< SERIES: name of each junction, empty if unnamed
};

/// Tokens of one statement: names, and single punctuation characters.
std::vector<std::string> tokenize(const std::string& text, std::string* error) {
  std::vector<std::string> tokens;
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (std::isspace(c)) {
      ++i;
    } else if (std::isalnum(c) || c == '_') {
      size_t start = i;
      while (i < text.size() &&
             (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '_'))
        ++i;
      tokens.push_back(text.substr(start, i - start));
    } else if (std::string("()|.-,=:").find(static_cast<char>(c)) != std::string::npos) {
      tokens.push_back(std::string(1, static_cast<char>(c)));
      ++i;
    } else {
      *error = std::string("unexpected character '") + static_cast<char>(c) + "'";
      return {};
    }
  }
  return tokens;
}

bool is_name(const std::string& token) {
  unsigned char c = static_cast<unsigned char>(token[0]);
  return std::isalnum(c) || c == '_';
}

/// Recursive-descent parser over the tokens of one statement.
struct Parser {
  const std::vector<std::string>& tokens;
  size_t pos;
  std::string* error;

  bool at(const char* token) const { return pos < tokens.size() && tokens[pos] == token; }
  bool take(const char* token) {
    if (!at(token)) return false;
    ++pos;
    return true;
  }
  bool fail(const std::string& message) {
    if (error->empty()) *error = message;
    return false;
  }
  bool name(std::string* out) {
    if (pos >= tokens.size() || !is_name(tokens[pos]))
      return fail(pos < tokens.size() ? "name expected before '" + tokens[pos] + "'"
                                      : "name expected at the end");
    *out = tokens[pos++];
    return true;
  }

  // parallel := series ('|' series)*
  bool parallel(Network* out) {
    Network first;
    if (!series(&first)) return false;
    if (!at("|")) {
      *out = std::move(first);
      return true;
    }
    out->kind = Network::PARALLEL;
    out->parts.push_back(std::move(first));
    while (take("|")) {
      Network next;
      if (!series(&next)) return false;
      out->parts.push_back(std::move(next));
    }
    return true;
  }

  // series := atom (('.' | '-' name '-') atom)*
  bool series(Network* out) {
    Network first;
    if (!atom(&first)) return false;
    if (!at(".") && !at("-")) {
      *out = std::move(first);
      return true;
    }
    out->kind = Network::SERIES;
    out->parts.push_back(std::move(first));
    while (at(".") || at("-")) {
      std::string junction;
      if (take("-")) {
        if (!name(&junction)) return false;
        if (!take("-")) return fail("'-' expected after junction " + junction);
      } else {
        take(".");
      }
      Network next;
      if (!atom(&next)) return false;
      out->junctions.push_back(junction);
      out->parts.push_back(std::move(next));
    }
    return true;
  }

  // atom := name | '(' parallel ')'
  bool atom(Network* out) {
    if (take("(")) {
      if (!parallel(out)) return false;
      return take(")") || fail("')' expected");
    }
    out->kind = Network::LEAF;
    return name(&out->signal);
  }
};

/// How a named node came to be: a node must be driven by exactly one of these.
enum class Role { REFERENCED, INPUT, GATE_OUTPUT, JUNCTION };

struct Builder {
  Netlist* net;
  std::map<std::string, Role> roles;
  std::string* error;

  int node(const std::string& name) {
    int index = find_node(*net, name);
    if (index >= 0) return index;
    roles.emplace(name, Role::REFERENCED);
    return add_node(net, name, false);
  }

  /// Marks `name` as driven in `role`; a node is driven once.
  bool define(const std::string& name, Role role, int* index) {
    if (name == "gnd" || name == "vdd") {
      *error = "the rail " + name + " cannot be redefined";
      return false;
    }
    *index = node(name);
    Role& current = roles[name];
    if (current != Role::REFERENCED) {
      *error = "node " + name + " is defined twice";
      return false;
    }
    current = role;
    return true;
  }

  bool expand(const Network& part, int top, int bottom, bool pmos, int owner) {
    if (part.kind == Network::LEAF) {
      int gate = node(part.signal);
      if (static_cast<int>(net->transistors.size()) >= MAX_TRANSISTORS) {
        *error = "more than " + std::to_string(MAX_TRANSISTORS) + " transistors";
        return false;
      }
      net->gates[owner].devices.push_back(static_cast<int>(net->transistors.size()));
      net->transistors.push_back({pmos, gate, top, bottom, owner, part.pin});
      return true;
    }
    if (part.kind == Network::PARALLEL) {
      for (const Network& branch : part.parts)
        if (!expand(branch, top, bottom, pmos, owner)) return false;
      return true;
    }
    int upper = top;
    for (size_t i = 0; i < part.parts.size(); ++i) {
      int lower = bottom;
      if (i + 1 < part.parts.size()) {
        const std::string& junction = part.junctions[i];
        if (junction.empty()) {
          lower = add_node(net, "", false);
        } else if (!define(junction, Role::JUNCTION, &lower)) {
          return false;
        }
      }
      if (!expand(part.parts[i], upper, lower, pmos, owner)) return false;
      upper = lower;
    }
    return true;
  }
};

/// Gives every leaf of a complex gate the pin of its signal, pins in order of first use.
void assign_pins(Network* part, std::vector<std::string>* pins) {
  if (part->kind != Network::LEAF) {
    for (Network& sub : part->parts) assign_pins(&sub, pins);
    return;
  }
  for (size_t i = 0; i < pins->size(); ++i)
    if ((*pins)[i] == part->signal) {
      part->pin = static_cast<int>(i);
      return;
    }
  part->pin = static_cast<int>(pins->size());
  pins->push_back(part->signal);
}

/// The networks of NANDk, NORk and INV over `args`.
bool standard_gate(const std::string& kind, const std::vector<std::string>& args, Network* pdn,
                   Network* pun, std::string* error) {
  size_t k = args.size();
  bool nand = kind.compare(0, 4, "NAND") == 0;
  bool nor = kind.compare(0, 3, "NOR") == 0;
  if (kind == "INV") {
    if (k != 1) {
      *error = "INV takes one input";
      return false;
    }
  } else if (nand || nor) {
    std::string arity = kind.substr(nand ? 4 : 3);
    if (arity.empty() || arity != std::to_string(k) || k < 2) {
      *error = kind + " with " + std::to_string(k) + " inputs";
      return false;
    }
  } else {
    *error = "unknown gate " + kind;
    return false;
  }
  Network series, parallel;
  series.kind = Network::SERIES;
  parallel.kind = Network::PARALLEL;
  for (size_t i = 0; i < k; ++i) {
    Network leaf;
    leaf.signal = args[i];
    leaf.pin = static_cast<int>(i);
    series.parts.push_back(leaf);
    parallel.parts.push_back(leaf);
    if (i > 0) series.junctions.push_back("");
  }
  if (k == 1) {
    *pdn = series.parts[0];
    *pun = series.parts[0];
  } else {
    *pdn = nand ? series : parallel;
    *pun = nand ? parallel : series;
  }
  return true;
}

/// One gate statement: "[G:] Y = KIND(args)" or "[G:] Y = PDN net PUN net".
bool gate_statement(Builder* b, const std::vector<std::string>& tokens) {
  Parser p{tokens, 0, b->error};
  std::string gate_name, output;
  if (tokens.size() > 1 && tokens[1] == ":") {
    p.name(&gate_name);
    p.take(":");
  }
  if (!p.name(&output)) return false;
  if (!p.take("=")) return p.fail("'=' expected after " + output);
  Network pdn, pun;
  std::string kind;
  std::vector<std::string> pin_names;
  if (p.take("PDN")) {
    kind = "CMOS";
    if (!p.parallel(&pdn)) return false;
    if (!p.take("PUN")) return p.fail("PUN expected in gate " + output);
    if (!p.parallel(&pun)) return false;
    assign_pins(&pdn, &pin_names);
    assign_pins(&pun, &pin_names);
  } else {
    if (!p.name(&kind)) return false;
    if (!p.take("(")) return p.fail("'(' expected after " + kind);
    do {
      std::string arg;
      if (!p.name(&arg)) return false;
      pin_names.push_back(arg);
    } while (p.take(","));
    if (!p.take(")")) return p.fail("')' expected in gate " + output);
    if (!standard_gate(kind, pin_names, &pdn, &pun, b->error)) return false;
  }
  if (p.pos != tokens.size()) return p.fail("unexpected '" + tokens[p.pos] + "'");

  Netlist* net = b->net;
  int y;
  if (!b->define(output, Role::GATE_OUTPUT, &y)) return false;
  net->nodes[y].gate_output = true;
  Gate gate{
      gate_name.empty() ? output : gate_name, kind, y, static_cast<int>(pin_names.size()), {}};
  for (const Gate& other : net->gates)
    if (other.name == gate.name) {
      *b->error = "gate " + gate.name + " is defined twice";
      return false;
    }
  net->gates.push_back(gate);
  int owner = static_cast<int>(net->gates.size()) - 1;
  return b->expand(pdn, y, NODE_GND, false, owner) && b->expand(pun, y, NODE_VDD, true, owner);
}

bool statement(Builder* b, const std::vector<std::string>& tokens) {
  if (tokens.empty()) return true;
  if (tokens[0] == "in" || tokens[0] == "out") {
    for (size_t i = 1; i < tokens.size(); ++i) {
      if (!is_name(tokens[i])) {
        *b->error = "name expected in '" + tokens[0] + "' list";
        return false;
      }
      if (tokens[0] == "out") {
        b->net->outputs.push_back({tokens[i], b->node(tokens[i])});
      } else {
        int index;
        if (!b->define(tokens[i], Role::INPUT, &index)) return false;
        b->net->inputs.push_back(index);
      }
    }
    return true;
  }
  return gate_statement(b, tokens);
}

}  // namespace

int find_node(const Netlist& net, const std::string& name) {
  if (name.empty()) return -1;
  for (size_t i = 0; i < net.nodes.size(); ++i)
    if (net.nodes[i].name == name) return static_cast<int>(i);
  return -1;
}

int add_node(Netlist* net, const std::string& name, bool gate_output) {
  net->nodes.push_back({name, gate_output});
  return static_cast<int>(net->nodes.size()) - 1;
}

bool build_netlist(const std::string& circuit, const std::string& description, Netlist* out,
                   std::string* error) {
  Netlist net;
  net.circuit = circuit;
  add_node(&net, "gnd", false);
  add_node(&net, "vdd", false);
  std::string message;
  Builder builder{&net, {}, &message};
  size_t start = 0;
  while (start <= description.size()) {
    size_t end = description.find(';', start);
    if (end == std::string::npos) end = description.size();
    std::vector<std::string> tokens = tokenize(description.substr(start, end - start), &message);
    if (!message.empty() || !statement(&builder, tokens)) {
      *error = message;
      return false;
    }
    start = end + 1;
  }
  for (const auto& entry : builder.roles)
    if (entry.second == Role::REFERENCED) {
      *error = "node " + entry.first + " is never driven";
      return false;
    }
  if (net.inputs.empty() || net.outputs.empty()) {
    *error = "a circuit needs inputs and outputs";
    return false;
  }
  *out = std::move(net);
  return true;
}

bool same_netlist(const Netlist& a, const Netlist& b) {
  if (a.nodes.size() != b.nodes.size() || a.transistors.size() != b.transistors.size() ||
      a.shorts.size() != b.shorts.size() || a.inputs != b.inputs ||
      a.outputs.size() != b.outputs.size())
    return false;
  for (size_t i = 0; i < a.nodes.size(); ++i)
    if (a.nodes[i].name != b.nodes[i].name || a.nodes[i].gate_output != b.nodes[i].gate_output)
      return false;
  for (size_t i = 0; i < a.transistors.size(); ++i) {
    const Transistor& s = a.transistors[i];
    const Transistor& t = b.transistors[i];
    if (s.pmos != t.pmos || s.gate != t.gate || s.drain != t.drain || s.source != t.source)
      return false;
  }
  for (size_t i = 0; i < a.shorts.size(); ++i)
    if (a.shorts[i].first != b.shorts[i].first || a.shorts[i].other != b.shorts[i].other)
      return false;
  for (size_t i = 0; i < a.outputs.size(); ++i)
    if (a.outputs[i].node != b.outputs[i].node) return false;
  return true;
}
