// Building a short vector sequence that meets many goals at once (each: detect one defect a
// number of times from a set of start states), and shortening a sequence without losing any.
#ifndef KAVLAB_GEN_SEQUENCE_H
#define KAVLAB_GEN_SEQUENCE_H

#include <vector>

#include "gen_search.h"

/// One defect to detect `need` times from each state of `start`.
struct Goal {
  const Machine* machine;
  Pending start;
  int need;
};

/// True when `sequence` meets `goal`, by the machine's transitions.
bool meets(const Goal& goal, const std::vector<int>& sequence);

/// A sequence of vectors of `allowed` meeting every goal it can, the better of two greedy
/// strategies (the one meeting more goals, else the shorter): repeatedly the shortest forcing
/// sequence of the goal nearest to being met, appended; or repeatedly the one vector that does
/// the most for the open goals. A goal that can no longer be met from where the sequence has
/// taken its cell is given up. Each shortened by drop_redundant.
std::vector<int> build_sequence(const std::vector<Goal>& goals, const std::vector<int>& allowed);

/// `sequence` with vectors dropped, one at a time, as long as every goal it meets stays met.
std::vector<int> drop_redundant(const std::vector<Goal>& goals, std::vector<int> sequence);

#endif
