// The coverage gate: each circuit's (or the totals') share of detected defects against the least.
#include "results/coverage_gate.h"

#include <cstdio>

namespace kavlab {

namespace {

/// Whether `s` is judged the way `by` says.
bool judged(const CircuitSummary& s, Judgement by) {
  return by == Judgement::Logic     ? s.logic.known
         : by == Judgement::Monitor ? s.monitor.known
                                    : s.either.known;
}

/// The defects of the gate's classes in `s`, and how many its way detects.
void count(const CircuitSummary& s, const CoverageGate& gate, int* defects, int* detected) {
  *defects = *detected = 0;
  for (DefectClass c : kEveryClass) {
    bool counted = gate.classes.empty();
    for (DefectClass wanted : gate.classes) counted = counted || wanted == c;
    if (!counted) continue;
    const ClassSummary& k = s.by_class[static_cast<int>(c)];
    *defects += k.defects;
    *detected += gate.by == Judgement::Logic     ? k.logic
                 : gate.by == Judgement::Monitor ? k.monitor
                                                 : k.either;
  }
}

/// The failure of one circuit or of the totals, if it fails.
bool fails(const CircuitSummary& s, const std::string& what, const CoverageGate& gate,
           GateFailure* f) {
  *f = GateFailure{what, s.measured != Measured::None, judged(s, gate.by), 0, 0, s.chosen};
  if (!f->measured || !f->judged) return true;
  count(s, gate, &f->defects, &f->detected);
  return f->defects > 0 && percent(f->detected, f->defects) < gate.least_percent;
}

std::string percent_words(double p) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g %%", p);
  return buf;
}

}  // namespace

const char* class_option(DefectClass c) {
  return c == DefectClass::RailShort ? "rail-short" : class_name(c);
}

std::vector<GateFailure> gate_failures(const std::vector<CircuitSummary>& s,
                                       const CoverageGate& gate) {
  std::vector<GateFailure> failed;
  GateFailure f;
  if (gate.total) {
    if (fails(totals(s), "all circuits", gate, &f)) failed.push_back(f);
    return failed;
  }
  for (const CircuitSummary& c : s)
    if (fails(c, "circuit " + std::to_string(c.index) + " (" + c.name + ")", gate, &f))
      failed.push_back(f);
  return failed;
}

std::string gate_failure_text(const GateFailure& f, const CoverageGate& gate) {
  std::string below = "below " + percent_words(gate.least_percent);
  if (!f.measured) return f.what + ": not measured, which is " + below;
  if (!f.judged)
    return f.what + ": not judged by " + judgement_name(gate.by) + ", which is " + below;
  char share[32];
  std::snprintf(share, sizeof share, "%.1f %%", percent(f.detected, f.defects));
  std::string of = std::to_string(f.defects) + (f.defects == 1 ? " defect" : " defects");
  if (f.chosen > f.defects && gate.classes.empty())
    of += " measured of " + std::to_string(f.chosen);
  return f.what + ": " + share + " of " + of + " detected by " + judgement_name(gate.by) + ", " +
         below;
}

}  // namespace kavlab
