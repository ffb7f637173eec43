// A gate on coverage, for a lab's pipeline as coverage tools guard code: the least share of the
// measured defects that a way of judging must detect, in every circuit or in all of them.
#ifndef KAVLAB_COVERAGE_GATE_H
#define KAVLAB_COVERAGE_GATE_H

#include <string>
#include <vector>

#include "results/summary.h"

namespace kavlab {

/// "rail-short", "bridge", "open": a class as an option's value names it.
const char* class_option(DefectClass c);

struct CoverageGate {
  double least_percent = 0;  ///< 0 to 100
  Judgement by = Judgement::Either;
  std::vector<DefectClass> classes;  ///< the classes counted; empty: every class
  bool total = false;                ///< the totals of all circuits, rather than each circuit
};

/// A circuit, or the totals, that fails a gate.
struct GateFailure {
  std::string what;      ///< "circuit 12 (NA2)", or "all circuits"
  bool measured = true;  ///< false: nothing measured, which fails every gate
  bool judged = true;    ///< false: the result does not judge the gate's way
  int detected = 0;      ///< of the gate's classes, by its way
  int defects = 0;       ///< measured defects of the gate's classes
  int chosen = 0;        ///< chosen cells, when more than were measured
};

/// The circuits of `s` (or their totals) that fail `gate`. A circuit of none of the gate's
/// classes has nothing to cover and passes; one not measured, or not judged the gate's way,
/// fails.
std::vector<GateFailure> gate_failures(const std::vector<CircuitSummary>& s,
                                       const CoverageGate& gate);
/// A failure in words: "circuit 12 (NA2): 84.6 % of 13 defects detected by either, below 90 %".
std::string gate_failure_text(const GateFailure& f, const CoverageGate& gate);

}  // namespace kavlab

#endif
