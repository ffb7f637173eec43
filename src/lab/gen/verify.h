// Checks of a generated sequence by simulation of the cells themselves, never by the tables the
// generator searched: exactly on the switch-level model from each reachable state, and from
// power-up on the engine a chip is made with (the analog one, say).
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

/// Per defective cell of `cells`, whether `sequence` from power-up on `engine` tells it from the
/// reference cell `reference` on that engine (by logic, and by the monitor). False with
/// `*error` set when the engine fails.
struct EngineVerdict {
  bool logic = false;
  bool monitor = false;
};
bool verdicts_on_engine(CellEngine* engine, const Netlist& reference,
                        const std::vector<Netlist>& cells, const std::vector<int>& sequence,
                        std::vector<EngineVerdict>* verdicts, std::string* error);

}  // namespace kavlab

#endif
