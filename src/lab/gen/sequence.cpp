// Greedy construction over shortest forcing sequences, then removal of vectors not needed.
#include "gen/sequence.h"

#include <cstdint>
#include <random>

namespace kavlab {

bool meets(const Goal& goal, const std::vector<int>& sequence) {
  return run_pending(*goal.machine, goal.start, sequence, goal.need).empty();
}

namespace {

/// The shortest-forcing strategy: the goal nearest to being met, its whole sequence appended.
std::vector<int> by_nearest_goal(const std::vector<Goal>& goals, const std::vector<int>& allowed) {
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
      SearchOutcome o = shortest_forcing(*goals[k].machine, left[k], goals[k].need, allowed, &path);
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
  return sequence;
}

/// What vector `v` does for the open goals `left`: the share of each goal's start states it
/// detects or merges, a goal it meets counting one more; `after` gets the goals' sets after it.
double progress(const std::vector<Goal>& goals, const std::vector<Pending>& left, int v,
                std::vector<Pending>* after) {
  double score = 0;
  after->resize(goals.size());
  for (std::size_t k = 0; k < goals.size(); k++) {
    if (left[k].empty()) {
      (*after)[k].clear();
      continue;
    }
    (*after)[k] = step_pending(*goals[k].machine, left[k], v, goals[k].need);
    score += static_cast<double>(left[k].size() - (*after)[k].size()) / goals[k].start.size();
    if ((*after)[k].empty()) score += 1;
  }
  return score;
}

/// The one-vector strategy: each time the vector that does the most for the open goals, and
/// when none does anything, the first vector of the nearest goal's shortest sequence. A seed
/// other than 0 scales each vector's score by a random factor from 1 to 1.5, for other runs.
std::vector<int> by_best_vector(const std::vector<Goal>& goals, const std::vector<int>& allowed,
                                unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> noise(0.0, seed == 0 ? 0.0 : 0.5);
  std::vector<int> sequence;
  std::vector<Pending> left, once;
  for (const Goal& g : goals) left.push_back(g.start);
  for (;;) {
    double best_score = 0;
    int best = -1;
    for (int v : allowed) {
      double score = progress(goals, left, v, &once);
      if (score > 0) score *= 1 + noise(random);
      if (score > best_score + 1e-12) {
        best_score = score;
        best = v;
      }
    }
    if (best < 0) {
      std::size_t nearest = SIZE_MAX;
      for (std::size_t k = 0; k < goals.size(); k++) {
        std::vector<int> path;
        if (left[k].empty() || shortest_forcing(*goals[k].machine, left[k], goals[k].need, allowed,
                                                &path) != SearchOutcome::Found)
          continue;
        if (path.size() < nearest) {
          nearest = path.size();
          best = path[0];
        }
      }
      if (best < 0) break;  // nothing left that can still be met
    }
    sequence.push_back(best);
    progress(goals, left, best, &once);
    left.swap(once);
  }
  return sequence;
}

/// How many goals `sequence` meets.
std::size_t goals_met(const std::vector<Goal>& goals, const std::vector<int>& sequence) {
  std::size_t n = 0;
  for (const Goal& g : goals) n += meets(g, sequence) ? 1 : 0;
  return n;
}

}  // namespace

std::vector<int> build_sequence(const std::vector<Goal>& goals, const std::vector<int>& allowed) {
  std::vector<int> nearest = drop_redundant(goals, by_nearest_goal(goals, allowed));
  std::vector<int> chosen = nearest;
  std::size_t met = goals_met(goals, nearest);
  for (unsigned seed = 0; seed < GREEDY_RUNS; seed++) {
    std::vector<int> best = drop_redundant(goals, by_best_vector(goals, allowed, seed));
    std::size_t b = goals_met(goals, best);
    if (b > met || (b == met && best.size() < chosen.size())) {
      chosen = best;
      met = b;
    }
  }
  return chosen;
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

namespace {

/// True when some start state of `left` still needs more than `depth` detections.
bool beyond(const std::vector<Goal>& goals, const std::vector<Pending>& left, int depth) {
  for (std::size_t k = 0; k < goals.size(); k++)
    for (int item : left[k])
      if (goals[k].need - item % goals[k].need > depth) return true;
  return false;
}

/// The depth-first step of sequence_of_length: false with `*spent` set when the budget ran out.
bool search_from(const std::vector<Goal>& goals, const std::vector<int>& allowed,
                 const std::vector<Pending>& left, int depth, std::size_t* budget,
                 std::vector<int>* path, bool* spent) {
  bool done = true;
  for (const Pending& p : left) done = done && p.empty();
  if (done) return true;
  if (depth == 0 || beyond(goals, left, depth)) return false;
  std::vector<Pending> next(goals.size());
  for (int v : allowed) {
    bool changed = false;
    for (std::size_t k = 0; k < goals.size(); k++) {
      if (left[k].empty()) {
        next[k].clear();
        continue;
      }
      if (*budget < left[k].size()) {
        *spent = true;
        return false;
      }
      *budget -= left[k].size();
      next[k] = step_pending(*goals[k].machine, left[k], v, goals[k].need);
      changed = changed || next[k] != left[k];
    }
    if (!changed) continue;  // the same sets one vector later: nothing a shorter one lacks
    path->push_back(v);
    if (search_from(goals, allowed, next, depth - 1, budget, path, spent)) return true;
    path->pop_back();
    if (*spent) return false;
  }
  return false;
}

}  // namespace

SearchOutcome sequence_of_length(const std::vector<Goal>& goals, const std::vector<int>& allowed,
                                 int length, std::size_t* budget, std::vector<int>* found) {
  std::vector<Pending> left;
  for (const Goal& g : goals) left.push_back(g.start);
  found->clear();
  bool spent = false;
  if (search_from(goals, allowed, left, length, budget, found, &spent)) return SearchOutcome::Found;
  return spent ? SearchOutcome::TooLarge : SearchOutcome::None;
}

}  // namespace kavlab
