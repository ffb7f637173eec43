// A lot read as one: the plans checked alike, then per defect and per chip.
#include "results/lot.h"

#include <algorithm>
#include <filesystem>

#include "results/result_match.h"

namespace kavlab {

namespace {

/// The pass names of every circuit, in order: what a plan measures.
std::vector<std::string> passes_of(const Results& r) {
  std::vector<std::string> names;
  for (const CircuitResult& c : r.circuits)
    for (const Pass& p : c.passes) names.push_back(std::to_string(c.index) + ":" + p.name);
  return names;
}

/// The engine's parameters that make the plan: all but the seed, which makes the chip.
std::map<std::string, double> plan_parameters(const Provenance& p) {
  std::map<std::string, double> kept = p.engine_parameters;
  kept.erase("seed");
  return kept;
}

/// What differs between the plan of `a` and that of `b`; empty when nothing does.
std::string plan_difference(const Results& a, const std::string& a_name, const Results& b,
                            const std::string& b_name) {
  std::string why = sweep_refusal(a, a_name);
  if (why.empty()) why = sweep_refusal(b, b_name);
  if (why.empty()) why = layout_difference(a, a_name, b, b_name);
  if (why.empty()) why = list_difference("passes", passes_of(a), a_name, passes_of(b), b_name);
  if (!why.empty()) return why;
  const Provenance &pa = a.provenance, &pb = b.provenance;
  if (pa.program != pb.program)
    return a_name + " was measured by " + pa.program + ", " + b_name + " by " + pb.program;
  if (pa.engine != pb.engine || plan_parameters(pa) != plan_parameters(pb))
    return a_name + " and " + b_name +
           " were measured on other engines or with other engine parameters (thresholds, "
           "spreads): a lot is one plan on several chips";
  return "";
}

/// Whether `marks` (a cell's row) detects: 1, 0, or -1 when unknown.
int detects(const std::vector<std::string>& marks, std::size_t k) {
  if (k >= marks.size()) return -1;
  if (marks[k].find('1') != std::string::npos) return 1;
  return marks[k].find('?') == std::string::npos ? 0 : -1;
}

/// Cell `k` of `c` judged each way (kEveryJudgement's order): 1, 0 or -1 when not known.
/// Either is what the known ways say: detected by one of them, or missed by every one.
std::vector<int> judged(const CircuitResult& c, std::size_t k) {
  bool has_logic = pass_for(c, Measure::Logic) != nullptr;
  bool has_monitor = pass_for(c, Measure::Monitor) != nullptr;
  int l = has_logic ? detects(detection_marks(c, Measure::Logic), k) : -1;
  int m = has_monitor ? detects(detection_marks(c, Measure::Monitor), k) : -1;
  int e = l == 1 || m == 1                                 ? 1
          : (has_logic && l < 0) || (has_monitor && m < 0) ? -1
          : has_logic || has_monitor                       ? 0
                                                           : -1;
  return {l, m, e};
}

double median_of(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  std::size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

}  // namespace

bool LotDefect::marginal() const {
  for (int j = 0; j < 3; j++)
    if (detected[j] > 0 && detected[j] < chips) return true;
  return false;
}

std::string lot_refusal(const std::vector<const Results*>& results,
                        const std::vector<std::string>& names) {
  if (results.size() < 2) return "a lot takes two results files or more, one per chip";
  for (std::size_t i = 1; i < results.size(); i++) {
    std::string why = plan_difference(*results[0], names[0], *results[i], names[i]);
    if (!why.empty()) return why + " (a lot is the same plan on several chips)";
  }
  return "";
}

Lot make_lot(const std::vector<const Results*>& results, const std::vector<std::string>& names) {
  Lot lot;
  for (std::size_t i = 0; i < results.size(); i++) {
    LotChip chip;
    chip.source = names[i];
    chip.label = results[i]->provenance.chip.empty()
                     ? std::filesystem::path(names[i]).stem().string()
                     : results[i]->provenance.chip;
    chip.results = results[i];
    chip.summaries = summarize(*results[i]);
    chip.all = totals(chip.summaries);
    lot.chips.push_back(std::move(chip));
  }
  for (const CircuitResult& c : results[0]->circuits)
    for (std::size_t k = 0; k < c.cells.size(); k++) {
      LotDefect d;
      d.circuit = &c;
      d.cell = k;
      for (const LotChip& chip : lot.chips) {
        const CircuitResult* mine = find_circuit(*chip.results, c.index);
        std::vector<int> by = judged(*mine, k);
        d.by_chip.push_back(by);
        if (by[2] < 0) continue;
        d.chips++;
        for (int j = 0; j < 3; j++) d.detected[j] += by[static_cast<std::size_t>(j)] == 1 ? 1 : 0;
      }
      lot.defects.push_back(std::move(d));
    }
  return lot;
}

double chip_coverage(const LotChip& chip, Judgement j, const std::vector<DefectClass>& classes) {
  const CircuitSummary& s = chip.all;
  const MeasureSummary& way = j == Judgement::Logic     ? s.logic
                              : j == Judgement::Monitor ? s.monitor
                                                        : s.either;
  if (!way.known) return -1;
  int defects = 0, detected = 0;
  for (DefectClass c : kEveryClass) {
    if (!classes.empty() && std::find(classes.begin(), classes.end(), c) == classes.end()) continue;
    const ClassSummary& k = s.by_class[static_cast<int>(c)];
    defects += k.defects;
    detected += j == Judgement::Logic ? k.logic : j == Judgement::Monitor ? k.monitor : k.either;
  }
  return defects == 0 ? -1 : percent(detected, defects);
}

Spread coverage_spread(const Lot& lot, Judgement j, const std::vector<DefectClass>& classes) {
  std::vector<double> shares;
  for (const LotChip& chip : lot.chips) {
    double share = chip_coverage(chip, j, classes);
    if (share >= 0) shares.push_back(share);
  }
  if (shares.empty()) return Spread{};
  auto [low, high] = std::minmax_element(shares.begin(), shares.end());
  return Spread{true, *low, median_of(shares), *high};
}

}  // namespace kavlab
