// Greedy construction over shortest forcing sequences, then removal of vectors not needed.
#include "gen_sequence.h"

bool meets(const Goal& goal, const std::vector<int>& sequence) {
  return run_pending(*goal.machine, goal.start, sequence, goal.need).empty();
}

std::vector<int> build_sequence(const std::vector<Goal>& goals, const std::vector<int>& allowed) {
  std::vector<int> sequence;
  std::vector<Pending> left;
  std::vector<char> open;
  for (const Goal& g : goals) {
    left.push_back(g.start);
    open.push_back(g.start.empty() ? 0 : 1);
  }
  for (;;) {
    std::vector<int> best;
    bool any = false;
    for (std::size_t k = 0; k < goals.size(); k++) {
      if (!open[k]) continue;
      std::vector<int> path;
      SearchOutcome o =
          shortest_forcing(*goals[k].machine, left[k], goals[k].need, allowed, &path);
      if (o != SearchOutcome::Found) {
        open[k] = 0;  // cannot be met from here on (or too large to tell): given up
        continue;
      }
      if (!any || path.size() < best.size()) best = path;
      any = true;
      if (best.size() == 1) break;
    }
    if (!any) break;
    for (int v : best) {
      sequence.push_back(v);
      for (std::size_t k = 0; k < goals.size(); k++) {
        if (!open[k]) continue;
        left[k] = step_pending(*goals[k].machine, left[k], v, goals[k].need);
        if (left[k].empty()) open[k] = 0;
      }
    }
  }
  return drop_redundant(goals, sequence);
}

std::vector<int> drop_redundant(const std::vector<Goal>& goals, std::vector<int> sequence) {
  std::vector<const Goal*> met;
  for (const Goal& g : goals)
    if (meets(g, sequence)) met.push_back(&g);
  for (std::size_t at = sequence.size(); at-- > 0;) {
    std::vector<int> shorter(sequence);
    shorter.erase(shorter.begin() + static_cast<long>(at));
    bool keeps = true;
    for (const Goal* g : met) keeps = keeps && meets(*g, shorter);
    if (keeps) sequence = shorter;
  }
  return sequence;
}
