// Pending sets of start states and the breadth-first searches over them.
#include "gen/search.h"

#include <algorithm>
#include <map>

namespace kavlab {

Pending pending_from_every_state(const Machine& m, int need) {
  Pending p;
  for (int s = 0; s < m.states; s++) p.push_back(s * need);
  return p;
}

Pending pending_from_power_up() { return {0}; }

Pending step_pending(const Machine& m, const Pending& p, int v, int need) {
  Pending out;
  out.reserve(p.size());
  for (int item : p) {
    int s = item / need, count = item % need;
    std::size_t at = static_cast<std::size_t>(s) * m.vectors + v;
    count += m.detects[at];
    if (count < need) out.push_back((*m.next)[at] * need + count);
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

Pending run_pending(const Machine& m, Pending p, const std::vector<int>& sequence, int need) {
  for (int v : sequence) {
    if (p.empty()) break;
    p = step_pending(m, p, v, need);
  }
  return p;
}

SearchOutcome shortest_forcing(const Machine& m, const Pending& from, int need,
                               const std::vector<int>& allowed, std::vector<int>* path) {
  path->clear();
  if (from.empty()) return SearchOutcome::Found;
  struct Visit {
    int parent;
    int vector;
  };
  std::map<Pending, int> seen{{from, 0}};
  std::vector<const Pending*> order{&seen.begin()->first};
  std::vector<Visit> visits{{-1, -1}};
  for (std::size_t k = 0; k < order.size(); k++) {
    for (int v : allowed) {
      Pending next = step_pending(m, *order[k], v, need);
      auto found = seen.emplace(std::move(next), static_cast<int>(order.size()));
      if (!found.second) continue;
      if (order.size() >= MAX_PENDING_SETS) return SearchOutcome::TooLarge;
      order.push_back(&found.first->first);
      visits.push_back({static_cast<int>(k), v});
      if (found.first->first.empty()) {
        for (int at = static_cast<int>(visits.size()) - 1; visits[at].parent >= 0;
             at = visits[at].parent)
          path->push_back(visits[at].vector);
        std::reverse(path->begin(), path->end());
        return SearchOutcome::Found;
      }
    }
  }
  return SearchOutcome::None;
}

std::vector<int> every_vector(int vectors) {
  std::vector<int> all;
  for (int v = 0; v < vectors; v++) all.push_back(v);
  return all;
}

bool classify(const Machine& m, int need, DefectKind* kind, int* forcing_length,
              std::string* error) {
  *forcing_length = 0;
  if (std::find(m.detects.begin(), m.detects.end(), 1) == m.detects.end()) {
    *kind = DefectKind::Undetectable;
    return true;
  }
  std::vector<int> path;
  SearchOutcome o =
      shortest_forcing(m, pending_from_every_state(m, need), need, every_vector(m.vectors), &path);
  if (o == SearchOutcome::TooLarge) {
    *error = "more than " + std::to_string(MAX_PENDING_SETS) + " sets of start states to search";
    return false;
  }
  *kind = o == SearchOutcome::Found ? DefectKind::Forced : DefectKind::Unforceable;
  *forcing_length = static_cast<int>(path.size());
  return true;
}

}  // namespace kavlab
