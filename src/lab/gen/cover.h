// The lower bound on a test's length from the vectors each defect needs: every defect must be
// detected `need` times, and only vectors of its set can detect it, so any test holds at least
// as many vectors as the least multiset of vectors that meets every set `need` times.
#ifndef KAVLAB_GEN_COVER_H
#define KAVLAB_GEN_COVER_H

#include <vector>

namespace kavlab {

/// A lower bound on the size of a multiset of vectors (0 to `vectors` - 1) holding, for each
/// set of `sets`, at least `need` members of that set.
struct CoverBound {
  int value = 0;
  bool optimal = false;  ///< the least such multiset, from the solver; else a weaker bound
};
CoverBound cover_bound(const std::vector<std::vector<int>>& sets, int need, int vectors);

/// What computes the bound: the solver built in, or the greedy packing of sets that share no
/// vector (each needs vectors of its own) where there is none.
const char* cover_solver();

}  // namespace kavlab

#endif
