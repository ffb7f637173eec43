// kavlab compare: the cells and vectors where two results of the same circuits, cells and
// vectors detect differently (the box against the emulated chip, one chip against another),
// or where one result's logic and monitor do.
#ifndef KAVLAB_COMPARE_H
#define KAVLAB_COMPARE_H

#include <string>
#include <vector>

#include "results/results.h"

namespace kavlab {

/// One cell and vector judged differently by the two sides.
struct DetectionDifference {
  std::size_t cell = 0;              ///< index into the circuit's cells
  std::size_t vector = 0;            ///< index into its vectors
  Measure by = Measure::Logic;       ///< two results: the way of judging compared
  bool left = false, right = false;  ///< detected on the left side and on the right side
};

/// A defect that one side detects (on some vector of the test) and the other never does, by
/// one way of judging: what a test set lets escape on one side only.
struct DefectEscape {
  std::size_t cell = 0;         ///< index into the circuit's cells
  Measure by = Measure::Logic;  ///< two results: the way of judging; within one: logic
  bool left = false;  ///< detected on the left side (escaped on the right); else the reverse
};

/// One circuit's comparison: cell, vector and way-of-judging triples.
struct CircuitComparison {
  const CircuitResult* circuit = nullptr;  ///< of the left (or only) result
  int compared = 0;                        ///< triples both sides know
  int unknown = 0;  ///< triples either side does not know (cells a partial result lacks)
  int left_only = 0, right_only = 0;             ///< differences detected by one side only
  std::vector<DetectionDifference> differences;  ///< by cell, then vector
  std::vector<DefectEscape> defects;             ///< by cell, then way of judging
};

/// Of `cc`'s defects detected on one side only: per class, those the left side detects (when
/// `left`) or the right side.
std::vector<int> escapes_by_class(const CircuitComparison& cc, bool left);

/// Two results, A on the left and B on the right; or the logic (left) and the monitor
/// (right) of one result.
struct Comparison {
  bool within = false;            ///< logic against the monitor of one result
  std::string left, right;        ///< A's and B's file names; the one file's name, and ""
  std::vector<Measure> measures;  ///< two results: the ways of judging compared
  std::vector<CircuitComparison> circuits;
};

/// The circuits and cells that both `a` and `b` hold, each in `a`'s order: what compare
/// --common compares. False with `*trouble` set when a common circuit holds other vectors.
bool common_parts(const Results& a, const std::string& a_name, const Results& b,
                  const std::string& b_name, Results* a_common, Results* b_common,
                  std::string* trouble);

/// Compares A and B by `measures` (none: every way both judge every circuit by). False with
/// `*trouble` set when they hold other circuits, cells or vectors, or one does not judge a
/// way asked for.
bool compare_results(const Results& a, const std::string& a_name, const Results& b,
                     const std::string& b_name, const std::vector<Measure>& measures,
                     Comparison* out, std::string* trouble);
/// Compares logic with the monitor in every circuit of `r`. False with `*trouble` set when
/// a circuit is not judged both ways.
bool compare_logic_monitor(const Results& r, const std::string& name, Comparison* out,
                           std::string* trouble);

/// The differences of every circuit.
int total_differences(const Comparison& c);
/// "logic", "monitor".
const char* measure_name(Measure m);

}  // namespace kavlab

#endif
