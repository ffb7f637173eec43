// Transistor netlists of the chip's circuits: nodes, channels, shorts, gates and pins, built
// from a short text description per circuit (static CMOS gates and complex gates given by
// their pull-down and pull-up networks).
#ifndef KAVTEST_NETLIST_H
#define KAVTEST_NETLIST_H

#include <string>
#include <vector>

/// Node indices of the two rails; every netlist starts with them.
constexpr int NODE_GND = 0;
constexpr int NODE_VDD = 1;

/// Most transistors a netlist may hold (the size of the solver's on/off sets).
constexpr int MAX_TRANSISTORS = 128;

struct NetNode {
  std::string name;  ///< empty for an unnamed junction or a piece cut off by an open
  bool gate_output;  ///< the node a gate drives as its output
};

/// One channel. `drain` is the terminal on the output side of the gate's network, `source`
/// the terminal on the rail side.
struct Transistor {
  bool pmos;
  int gate;
  int drain;
  int source;
  int owner;  ///< index of the gate (logic gate) the transistor belongs to
  int pin;    ///< which input pin of that gate drives it
};

/// A short joins `other` to `first` with G_SHORT.
struct Short {
  int first;
  int other;
};

/// A circuit output, read through its pin; named after the node it sits on.
struct OutputPin {
  std::string name;
  int node;
};

/// A logic gate of the description and the transistors it expanded to.
struct Gate {
  std::string name;          ///< given name ("I0", "G"), else the name of its output node
  std::string kind;          ///< "NAND2", "NOR3", "INV", "CMOS" (complex gate)
  int output;                ///< the node it drives
  int pin_count;             ///< number of input pins (pin A is pin 0)
  std::vector<int> devices;  ///< its transistors
};

struct Netlist {
  std::string circuit;  ///< circuit name, the prefix of its open defects ("NA2", "C17")
  std::vector<NetNode> nodes;
  std::vector<Transistor> transistors;
  std::vector<Short> shorts;
  std::vector<int> inputs;         ///< input nodes in driver order: bit 0 of the input byte first
  std::vector<OutputPin> outputs;  ///< output pins in reply order: Y0 first
  std::vector<Gate> gates;
};

/// Builds a netlist from its description. Statements are separated by ';':
///   in A B C D            input nodes, driven from bit 0 upward
///   out Q                 output pins, Y0 first
///   [G:] Y = NAND2(A,B)   NANDk, NORk (k >= 2) or INV, optionally naming the gate G
///   [G:] Y = PDN <net> PUN <net>   a complex gate
/// A network <net> is made of transistor gate signals joined in series by '.' or by '-n-'
/// (the junction then is node n) and in parallel by '|', with parentheses; series binds
/// tighter, and the left element of a series sits nearest the output.
/// Returns false with a message in `error` when the description is malformed.
bool build_netlist(const std::string& circuit, const std::string& description, Netlist* out,
                   std::string* error);

/// The description of catalogue circuit `circuit` (0 to 17).
const char* circuit_description(int circuit);

/// The defect-free netlist of catalogue circuit `circuit`; the description is known good.
Netlist circuit_netlist(int circuit);

/// Index of the named node, or -1; unnamed nodes are never found.
int find_node(const Netlist& net, const std::string& name);

/// Appends a new node and returns its index.
int add_node(Netlist* net, const std::string& name, bool gate_output);

/// True when the two netlists have the same nodes, transistors, shorts, inputs and outputs.
bool same_netlist(const Netlist& a, const Netlist& b);

#endif
