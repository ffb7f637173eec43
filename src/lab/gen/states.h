// The states a cell can reach from power-up under the switch-level model, found exhaustively,
// and which of its answers tell it from the reference cell: what the test generator proves its
// claims from.
#ifndef KAVLAB_GEN_STATES_H
#define KAVLAB_GEN_STATES_H

#include <cstddef>
#include <string>
#include <vector>

#include "engine.h"
#include "netlist.h"

namespace kavlab {

/// The most states one cell may reach before the exploration gives up with an error.
constexpr std::size_t MAX_CELL_STATES = 50000;

/// A cell's reachable states and its transitions: state 0 is the power-up state; every state is
/// the cell's node voltages after some input sequence. Two voltage vectors are one state when
/// every node's voltage is of the same class (`voltage_class`), so that no threshold of the model
/// lies between them; the first vector found stands for its state and is what is simulated on.
struct StateGraph {
  int vectors = 0;                          ///< 2^inputs; vector v drives input k with bit k
  std::vector<std::vector<double>> states;  ///< node voltages per state
  std::vector<int> next;                    ///< [state * vectors + v]: the state after v
  std::vector<CellAnswer> answer;           ///< [state * vectors + v]: the answer to v
};

/// The class of a node voltage in a state's key: voltages of one class read alike and give every
/// transistor gate the same drive level, and a rail voltage is a class of its own.
unsigned short voltage_class(double v);

/// Explores every state of a cell of `net` reachable from power-up by any vector sequence
/// (breadth first over all input vectors). False with `*error` set when the states pass
/// MAX_CELL_STATES.
bool explore_states(const Netlist& net, StateGraph* g, std::string* error);

/// How a defect is judged: by the outputs, by the current monitor, or by either.
enum class Criterion { Logic, Monitor, Either };
/// "logic", "monitor", "either".
const char* criterion_name(Criterion c);

/// True when `cell`'s answer tells it from the reference's `ref` by `c`: the outputs differ
/// (logic), or the cell fails the monitor where the reference passes (monitor).
bool tells_apart(Criterion c, const CellAnswer& ref, const CellAnswer& cell);

/// The reference's answer to each vector. A defect-free static CMOS cell answers by its input
/// alone: false with `*error` set when some reachable state of `ref` answers otherwise.
bool answers_by_input(const StateGraph& ref, std::vector<CellAnswer>* per_vector,
                      std::string* error);

/// A defective cell against the reference under one criterion: its transitions, and per state
/// and vector whether the answer tells it from the reference's.
struct Machine {
  int vectors = 0;
  int states = 0;
  const std::vector<int>* next = nullptr;  ///< the StateGraph's transitions, kept alive by it
  std::vector<char> detects;               ///< [state * vectors + v]
};
Machine machine_of(const StateGraph& cell, const std::vector<CellAnswer>& reference, Criterion c);

}  // namespace kavlab

#endif
