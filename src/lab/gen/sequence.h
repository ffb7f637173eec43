// Building a short vector sequence that meets many goals at once (each: detect one defect a
// number of times from a set of start states), and shortening a sequence without losing any.
#ifndef KAVLAB_GEN_SEQUENCE_H
#define KAVLAB_GEN_SEQUENCE_H

#include <vector>

#include "gen/search.h"

namespace kavlab {

/// One defect to detect `need` times from each state of `start`.
struct Goal {
  const Machine* machine;
  Pending start;
  int need;
};

/// True when `sequence` meets `goal`, by the machine's transitions.
bool meets(const Goal& goal, const std::vector<int>& sequence);

/// Runs of the one-vector strategy of build_sequence: one plain, the others with random scores.
constexpr unsigned GREEDY_RUNS = 16;

/// A sequence of vectors of `allowed` meeting every goal it can, the best of greedy runs (the
/// one meeting the most goals, then the shortest): repeatedly the shortest forcing sequence of
/// the goal nearest to being met, appended; or repeatedly the one vector that does the most for
/// the open goals (GREEDY_RUNS times, every run but the first with its scores scaled at random).
/// A goal that can no longer be met from where the sequence has taken its cell is given up.
/// Each shortened by drop_redundant.
std::vector<int> build_sequence(const std::vector<Goal>& goals, const std::vector<int>& allowed);

/// `sequence` with vectors dropped, one at a time, as long as every goal it meets stays met.
std::vector<int> drop_redundant(const std::vector<Goal>& goals, std::vector<int> sequence);

/// How much work one exhaustive search of sequences may do: start states stepped, summed.
constexpr std::size_t SEQUENCE_SEARCH_BUDGET = 20000000;

/// Searches every sequence of `length` vectors of `allowed` (depth first, a vector that changes
/// nothing skipped) for one meeting every goal: Found with it in `*found`; None is a proof that
/// no sequence of that length, and so none shorter, meets them all; TooLarge when `*budget` ran
/// out (each state stepped spends one).
SearchOutcome sequence_of_length(const std::vector<Goal>& goals, const std::vector<int>& allowed,
                                 int length, std::size_t* budget, std::vector<int>* found);

}  // namespace kavlab

#endif
