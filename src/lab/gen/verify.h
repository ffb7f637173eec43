// Checks of a generated sequence by simulation of the cells themselves, never by the tables the
// generator searched: exactly on the switch-level model from each reachable state, and from
// power-up on the engine a chip is made with (the analog one, say), on every core.
#ifndef KAVLAB_GEN_VERIFY_H
#define KAVLAB_GEN_VERIFY_H

#include <string>
#include <vector>

#include "engine.h"
#include "gen/states.h"

namespace kavlab {

/// Per state of `g` (a cell of `net`), how many vectors of `sequence` tell the cell from the
/// reference's answers `reference` by `c`, the cell started in that state's voltages.
std::vector<int> detections_from_each_state(const Netlist& net, const StateGraph& g,
                                            const std::vector<CellAnswer>& reference, Criterion c,
                                            const std::vector<int>& sequence);

/// One circuit's check on an engine: its reference cell, its defective cells, the sequence.
struct EngineCheck {
  int circuit = -1;  ///< its number, for messages
  Netlist reference;
  std::vector<Netlist> cells;
  std::vector<int> numbers;  ///< each cell's number in the circuit, for messages
  std::vector<int> sequence;
};
/// Per defective cell of a check, whether its sequence from power-up on an engine tells the
/// cell from the reference cell on that engine (by logic, and by the monitor).
struct EngineVerdict {
  bool logic = false;
  bool monitor = false;
};
/// The verdicts of every check's cells, per check in order, on the engine `choice` names: every
/// cell, the references too, run from power-up on an engine of its own as a job of the worker
/// pool, `workers` at once (0: one per core); the verdicts are the same for every number. False
/// with `*error` set, naming the circuit and cell, when the engine fails.
bool verdicts_on_engine(const EngineChoice& choice, const std::vector<EngineCheck>& checks,
                        unsigned workers, std::vector<std::vector<EngineVerdict>>* verdicts,
                        std::string* error);

}  // namespace kavlab

#endif
