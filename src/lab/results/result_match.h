// Whether two results were made of the same circuits, cells and vectors: what continuing a
// partial result and comparing two results require. The messages name both results.
#ifndef KAVLAB_RESULT_MATCH_H
#define KAVLAB_RESULT_MATCH_H

#include <string>
#include <vector>

#include "results/results.h"

namespace kavlab {

/// What first differs between the lists `a` (held by the result named `a_name`) and `b`, as
/// "the <what> differ: A holds 3, B holds 2; the first that differs is number 3: x in A, none in
/// B"; empty when they are equal.
std::string list_difference(const std::string& what, const std::vector<std::string>& a,
                            const std::string& a_name, const std::vector<std::string>& b,
                            const std::string& b_name);

/// What first differs between the cells or the vectors of two results of one circuit,
/// prefixed with the circuit; empty when both are the same.
std::string circuit_difference(const CircuitResult& a, const std::string& a_name,
                               const CircuitResult& b, const std::string& b_name);

/// What first differs between the circuits (paired by number, in any order), cells and
/// vectors of `a` and `b`; empty when they hold the same.
std::string layout_difference(const Results& a, const std::string& a_name, const Results& b,
                              const std::string& b_name);

/// Why the result named `name` cannot stand for a run, as "s.json is a sweep, a pass per value
/// of bridge_ohms, not the result of a run"; empty when it is a run's. A sweep's passes hold
/// one value each, so comparing or continuing one as if its passes were a run's would mislead.
std::string sweep_refusal(const Results& r, const std::string& name);

/// The circuit numbers of `r`, in its order.
std::vector<std::string> circuit_numbers(const Results& r);
/// "circuit 16 (C17)".
std::string circuit_label(const CircuitResult& c);

}  // namespace kavlab

#endif
