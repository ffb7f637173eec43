// Test generation and compaction for one circuit of the chip: its cells' reachable states, the
// kind of each defect, a short sequence, its lower bound, and every claim checked by exact
// simulation of the sequence.
#ifndef KAVLAB_GEN_CIRCUIT_H
#define KAVLAB_GEN_CIRCUIT_H

#include <string>
#include <vector>

#include "gen/search.h"
#include "gen/states.h"

namespace kavlab {

/// A circuit's reference and defective cells with their reachable states.
struct CircuitModel {
  int circuit = -1;
  Netlist reference_net;
  std::vector<CellAnswer> reference;  ///< the reference's answer per vector
  std::vector<int> cells;             ///< catalogue cell numbers of the defects
  std::vector<Netlist> nets;          ///< per defect
  std::vector<StateGraph> graphs;     ///< per defect
};
/// Explores every cell of `circuit`. False with `*error` set when a cell has too many states
/// or the reference answers by its state.
bool model_circuit(int circuit, CircuitModel* m, std::string* error);

/// What is known of one defect.
struct DefectFinding {
  int cell = 0;
  std::string name;
  DefectKind by_logic = DefectKind::Undetectable, by_monitor = DefectKind::Undetectable;
  DefectKind kind = DefectKind::Undetectable;  ///< by the chosen criterion
  int forcing_length = 0;                      ///< its shortest sequence from every state (Forced)
  int least_detections = 0;     ///< the sequence's fewest detections over the start states
  int power_up_detections = 0;  ///< the sequence's detections from power-up
  bool exhaustive = false;      ///< the exhaustive set in counting order detects it
};

/// A circuit's tests and what they do, every count from exact simulation of `sequence`.
struct CircuitTests {
  int circuit = -1;
  Criterion by = Criterion::Either;
  int need = 1;
  std::vector<int> sequence;
  std::vector<CellAnswer> reference;  ///< the reference's answer per vector
  std::vector<DefectFinding> defects;
  int bound = 0;                ///< lower bound on a sequence detecting every Forced defect
  bool bound_optimal = false;   ///< the cover part of the bound is the solver's optimum
  bool bound_searched = false;  ///< the bound comes from a search of every shorter sequence
  int exhaustive_length = 0;
  std::size_t states = 0;  ///< reachable states summed over the defective cells
};

/// Classifies every defect of `m` by logic, by the monitor and by `by`, builds a sequence that
/// detects each Forced defect `need` times from every state (and each other detectable one from
/// power-up where it can), and checks it. False with `*error` set when a search is too large.
bool generate_tests(const CircuitModel& m, Criterion by, int need, CircuitTests* t,
                    std::string* error);

/// The shortest sequence found made of the vectors of `given` (any order, repeats allowed) that
/// detects, from every state, every defect `given` detects from every state, and from power-up
/// every defect it detects from power-up. `t` describes the result; `*before` the given one.
bool compact_tests(const CircuitModel& m, Criterion by, const std::vector<int>& given,
                   CircuitTests* t, CircuitTests* before, std::string* error);

/// Number of defects of `t` whose `field` (kind, by_logic or by_monitor) is `k`.
int count_kind(const CircuitTests& t, DefectKind DefectFinding::*field, DefectKind k);
/// Defects the sequence detects from power-up; those it detects from every state.
int detected_from_power_up(const CircuitTests& t);
int detected_from_every_state(const CircuitTests& t);
/// Defects the exhaustive set detects.
int detected_by_exhaustive(const CircuitTests& t);

}  // namespace kavlab

#endif
