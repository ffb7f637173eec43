// Exhaustive searches over what a vector sequence leaves undone for a defective cell: from a set
// of start states, which have not yet been detected often enough, and in which state each is now.
// They decide whether a sequence can detect a defect whatever state its cell was left in.
#ifndef KAVLAB_GEN_SEARCH_H
#define KAVLAB_GEN_SEARCH_H

#include <cstddef>
#include <string>
#include <vector>

#include "gen/states.h"

namespace kavlab {

/// What a sequence has yet to do for one defect that must be detected `need` times from each
/// start state: per start state still short of it, its current state and its detections so far,
/// encoded as state * need + detections; sorted, without repeats. Empty: nothing left to do.
using Pending = std::vector<int>;

/// Every reachable state of `m` as a start state, none detected yet.
Pending pending_from_every_state(const Machine& m, int need);
/// The power-up state alone.
Pending pending_from_power_up();
/// What is left after vector `v`.
Pending step_pending(const Machine& m, const Pending& p, int v, int need);
/// What is left after the vectors of `sequence` in order.
Pending run_pending(const Machine& m, Pending p, const std::vector<int>& sequence, int need);

/// The most pending sets one search may visit before it gives up.
constexpr std::size_t MAX_PENDING_SETS = 400000;

enum class SearchOutcome { Found, None, TooLarge };
/// A shortest sequence of vectors of `allowed` that leaves nothing to do from `from`, by
/// breadth-first search over every pending set reachable: None is a proof that no such
/// sequence exists; TooLarge when the search passes MAX_PENDING_SETS.
SearchOutcome shortest_forcing(const Machine& m, const Pending& from, int need,
                               const std::vector<int>& allowed, std::vector<int>* path);

/// The three kinds of defect: detected from every reachable state by some sequence (Forced);
/// detectable from some reachable state, but by no sequence from all (Unforceable); answering
/// as the reference in every reachable state (Undetectable).
enum class DefectKind { Forced, Unforceable, Undetectable };

/// The kind of the defect `m` judges, and for Forced the length of its shortest sequence that
/// detects it `need` times from every state. False with `*error` set when the search is too large.
bool classify(const Machine& m, int need, DefectKind* kind, int* forcing_length,
              std::string* error);

/// Every vector.
std::vector<int> every_vector(int vectors);

}  // namespace kavlab

#endif
