// Text of the generator's reports.
#include "gen/print.h"

#include "KavrinConst.h"
#include "gen/cover.h"

namespace kavlab {

namespace {

std::string names_of(const CircuitTests& t, DefectKind k) {
  std::string text;
  for (const DefectFinding& f : t.defects)
    if (f.kind == k) text += (text.empty() ? "" : ", ") + f.name;
  return text.empty() ? "none" : text;
}

std::string kinds(const CircuitTests& t, DefectKind DefectFinding::*field) {
  return std::to_string(count_kind(t, field, DefectKind::Forced)) + " / " +
         std::to_string(count_kind(t, field, DefectKind::Unforceable)) + " / " +
         std::to_string(count_kind(t, field, DefectKind::Undetectable));
}

std::string circuit_title(int circuit) {
  return "circuit " + std::to_string(circuit) + " " + elements[circuit].name + " (" +
         elements[circuit].desc + ")";
}

}  // namespace

std::string unconfirmed_claims(const CircuitTests& t) {
  std::string text;
  for (const DefectFinding& f : t.defects)
    if (f.kind == DefectKind::Forced && f.least_detections < t.need)
      text += f.name + ": detected only " + std::to_string(f.least_detections) +
              " time(s) from some state on exact simulation\n";
  return text;
}

void print_circuit_tests(FILE* out, const CircuitTests& t, const std::string& written) {
  std::fprintf(out, "%s, judged by %s:\n", circuit_title(t.circuit).c_str(), criterion_name(t.by));
  std::fprintf(out, "  %zu defects, %zu reachable states of their cells, every one explored\n",
               t.defects.size(), t.states);
  std::fprintf(out, "  detected from every state (%d): %s\n",
               count_kind(t, &DefectFinding::kind, DefectKind::Forced),
               names_of(t, DefectKind::Forced).c_str());
  std::fprintf(out, "  detectable only from states no sequence can force (%d): %s\n",
               count_kind(t, &DefectFinding::kind, DefectKind::Unforceable),
               names_of(t, DefectKind::Unforceable).c_str());
  std::fprintf(out, "  never detectable (%d): %s\n",
               count_kind(t, &DefectFinding::kind, DefectKind::Undetectable),
               names_of(t, DefectKind::Undetectable).c_str());
  std::fprintf(out, "  by logic %s, by the monitor %s (every state / some states / never)\n",
               kinds(t, &DefectFinding::by_logic).c_str(),
               kinds(t, &DefectFinding::by_monitor).c_str());
  std::string how = t.bound_searched  ? "no shorter sequence: every one searched"
                    : t.bound_optimal ? "least cover, solved"
                                      : "weaker: no solver in this build";
  if (static_cast<std::size_t>(t.bound) == t.sequence.size())
    how += "; the length is the least there is";
  std::fprintf(out, "  length %zu, lower bound %d (%s)\n", t.sequence.size(), t.bound, how.c_str());
  std::fprintf(out,
               "  exact simulation of the sequence from every reachable state: %d defect(s) "
               "detected from every state (at least %d time(s) each: %s); from power-up %d\n",
               detected_from_every_state(t), t.need, unconfirmed_claims(t).empty() ? "yes" : "NO",
               detected_from_power_up(t));
  std::fprintf(out,
               "  the exhaustive set (%d vectors in counting order) detects %d from power-up\n",
               t.exhaustive_length, detected_by_exhaustive(t));
  if (!written.empty()) std::fprintf(out, "  written to %s\n", written.c_str());
}

void print_chip_table(FILE* out, const std::vector<CircuitTests>& all) {
  if (all.empty()) return;
  std::fprintf(out,
               "judged by %s; kinds: detected from every state / only from some states / never\n",
               criterion_name(all[0].by));
  std::fprintf(out,
               "| idx | circuit | defects | kinds by logic | kinds by monitor | kinds by %s | "
               "detected from every state | from power-up | length | lower bound | exhaustive "
               "length | exhaustive detects |\n",
               criterion_name(all[0].by));
  std::fprintf(out, "|---|---|---|---|---|---|---|---|---|---|---|---|\n");
  std::size_t defects = 0, length = 0;
  int every = 0, power_up = 0, bound = 0, exhaustive = 0, exhaustive_length = 0;
  for (const CircuitTests& t : all) {
    std::fprintf(
        out, "| %d | %s | %zu | %s | %s | %s | %d | %d | %zu | %d | %d | %d |\n", t.circuit,
        elements[t.circuit].name, t.defects.size(), kinds(t, &DefectFinding::by_logic).c_str(),
        kinds(t, &DefectFinding::by_monitor).c_str(), kinds(t, &DefectFinding::kind).c_str(),
        detected_from_every_state(t), detected_from_power_up(t), t.sequence.size(), t.bound,
        t.exhaustive_length, detected_by_exhaustive(t));
    defects += t.defects.size();
    length += t.sequence.size();
    every += detected_from_every_state(t);
    power_up += detected_from_power_up(t);
    bound += t.bound;
    exhaustive += detected_by_exhaustive(t);
    exhaustive_length += t.exhaustive_length;
  }
  std::fprintf(out, "|  | all | %zu |  |  |  | %d | %d | %zu | %d | %d | %d |\n", defects, every,
               power_up, length, bound, exhaustive_length, exhaustive);
  std::fprintf(out, "total length %zu, sum of lower bounds %d (ratio %.2f), exhaustive sets %d\n",
               length, bound, bound > 0 ? static_cast<double>(length) / bound : 0.0,
               exhaustive_length);
  int least = 0;
  for (const CircuitTests& t : all)
    least += static_cast<std::size_t>(t.bound) == t.sequence.size() ? 1 : 0;
  std::fprintf(out,
               "lower bounds: the largest of the least cover (%s), the longest shortest sequence "
               "of one defect, and a search of every shorter sequence; %d of %zu circuits' tests "
               "are proven the shortest\n",
               cover_solver(), least, all.size());
  for (const CircuitTests& t : all) {
    for (DefectKind k : {DefectKind::Unforceable, DefectKind::Undetectable}) {
      if (count_kind(t, &DefectFinding::kind, k) == 0) continue;
      std::fprintf(out, "- %d %s, %s: %s\n", t.circuit, elements[t.circuit].name,
                   k == DefectKind::Unforceable ? "only from some states" : "never detectable",
                   names_of(t, k).c_str());
    }
  }
}

void print_compaction(FILE* out, const CircuitTests& before, const CircuitTests& after,
                      const std::string& written) {
  std::fprintf(out, "%s, judged by %s:\n", circuit_title(after.circuit).c_str(),
               criterion_name(after.by));
  for (const CircuitTests* t : {&before, &after})
    std::fprintf(out,
                 "  %s: %zu vectors, detect %d defect(s) from every state, %d from power-up "
                 "(exact simulation from each of %zu reachable states)\n",
                 t == &before ? "given" : "compacted", t->sequence.size(),
                 detected_from_every_state(*t), detected_from_power_up(*t), t->states);
  if (!written.empty()) std::fprintf(out, "  written to %s\n", written.c_str());
}

}  // namespace kavlab
