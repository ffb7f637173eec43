// The report's model: its sources and the circuits grouped across them.
#include "report/model.h"

#include <algorithm>

#include "results/sweep.h"

namespace kavlab {

std::vector<ReportSource> report_sources(const std::vector<std::string>& files,
                                         std::vector<Results> results) {
  std::vector<ReportSource> sources(files.size());
  for (std::size_t i = 0; i < files.size() && i < results.size(); i++) {
    sources[i].file = files[i];
    sources[i].label = "R" + std::to_string(i + 1);
    sources[i].results = std::move(results[i]);
    sources[i].summaries = summarize(sources[i].results);
  }
  return sources;
}

bool measured_at_all(const CircuitView& view) {
  if (view.source->results.sweep.empty()) return view.summary->measured != Measured::None;
  for (const SweepPoint& p : sweep_points(*view.circuit, view.source->results.sweep))
    if (p.measured != Measured::None) return true;
  return false;
}

std::vector<CircuitGroup> group_by_circuit(const std::vector<ReportSource>& sources) {
  std::vector<CircuitGroup> groups;
  for (const ReportSource& s : sources) {
    for (std::size_t i = 0; i < s.results.circuits.size(); i++) {
      const CircuitResult& c = s.results.circuits[i];
      CircuitGroup* group = nullptr;
      for (CircuitGroup& g : groups)
        if (g.index == c.index) group = &g;
      if (group == nullptr) group = &groups.emplace_back(CircuitGroup{c.index, {}});
      group->views.push_back({&s, &c, &s.summaries[i]});
    }
  }
  std::stable_sort(groups.begin(), groups.end(),
                   [](const CircuitGroup& a, const CircuitGroup& b) { return a.index < b.index; });
  return groups;
}

}  // namespace kavlab
