// The bound without a solver: sets that share no vector each need `need` vectors of their own,
// so a greedy packing of such sets (smallest first) bounds the cover from below.
#include <algorithm>
#include <set>

#include "gen/cover.h"

namespace kavlab {

CoverBound cover_bound(const std::vector<std::vector<int>>& sets, int need, int vectors) {
  (void)vectors;
  std::vector<const std::vector<int>*> order;
  for (const std::vector<int>& s : sets) order.push_back(&s);
  std::sort(order.begin(), order.end(), [](const std::vector<int>* a, const std::vector<int>* b) {
    return a->size() < b->size();
  });
  std::set<int> used;
  int packed = 0;
  for (const std::vector<int>* s : order) {
    bool apart = true;
    for (int v : *s) apart = apart && used.count(v) == 0;
    if (!apart) continue;
    used.insert(s->begin(), s->end());
    packed++;
  }
  return {packed * need, false};
}

const char* cover_solver() {
  return "no solver: a greedy packing of sets that share no vector, weaker";
}

}  // namespace kavlab
