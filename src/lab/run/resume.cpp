// Continuing a partial result: the checks that the run is the one that made it, and its
// answers taken over.
#include "run/resume.h"

#include "results/result_match.h"
#include "results/results_file.h"

namespace kavlab {

namespace {

std::vector<std::string> pass_names(const CircuitResult& c) {
  std::vector<std::string> names;
  for (const Pass& p : c.passes) names.push_back(p.name);
  return names;
}

/// "t.tst (SHA-256 0123abcd...)", or what stood for a test file.
std::string test_words(const TestSource& t) {
  if (t.kind == SourceKind::Exhaustive) return "every input vector (--exhaustive)";
  if (t.kind == SourceKind::Import) return "an imported defect table";
  return t.file + " (SHA-256 " + t.sha256.substr(0, 16) + "...)";
}

/// An emulated chip as a message names it: "the chip of seed 7", or the nominal one.
std::string chip_words(long seed) {
  return seed < 0 ? "the nominal chip" : "the chip of seed " + std::to_string(seed);
}

/// Why the program, its engine or its chip differs; empty when the same.
std::string box_difference(const Provenance& partial, const std::string& source,
                           const Provenance& planned) {
  if (partial.program != planned.program)
    return source + " was measured by " + partial.program + ", this is " + planned.program;
  if (partial.engine != planned.engine || partial.engine_parameters != planned.engine_parameters)
    return source + " was measured on the engine " + partial.engine +
           " with other parameters than this run's";
  if (partial.seed != planned.seed)
    return source + " was measured on " + chip_words(partial.seed) + ", this run measures " +
           chip_words(planned.seed) + " (--seed, --device)";
  return "";
}

/// Why circuit `a` of the partial result cannot be continued by `b`; empty when it can.
std::string circuit_refusal(const CircuitResult& a, const std::string& source,
                            const CircuitResult& b) {
  const std::string here = "this run";
  if (a.test.kind != b.test.kind || a.test.sha256 != b.test.sha256)
    return circuit_label(a) + ": the test file differs: " + source + " was made from " +
           test_words(a.test) + ", " + here + " applies " + test_words(b.test);
  if (a.test.fitted != b.test.fitted)
    return circuit_label(a) + ": " + source + (a.test.fitted ? " fitted" : " did not fit") +
           " its test file (--fit), " + here + (b.test.fitted ? " does" : " does not");
  std::string why = circuit_difference(a, source, b, here);
  if (why.empty()) why = list_difference("passes", pass_names(a), source, pass_names(b), here);
  if (why.empty()) return "";
  return why.rfind("circuit ", 0) == 0 ? why : circuit_label(a) + ": " + why;
}

}  // namespace

std::string resume_refusal(const Results& partial, const std::string& source,
                           const Results& planned) {
  std::string sweep = sweep_refusal(partial, source);
  if (!sweep.empty()) return sweep;
  if (!partial.partial) return source + " is complete: there is nothing to resume";
  std::string why = box_difference(partial.provenance, source, planned.provenance);
  if (why.empty())
    why = list_difference("circuits", circuit_numbers(partial), source, circuit_numbers(planned),
                          "this run");
  for (std::size_t i = 0; why.empty() && i < partial.circuits.size(); i++)
    why = circuit_refusal(partial.circuits[i], source, planned.circuits[i]);
  return why.empty() ? "" : why + " (give the options of the run that made it)";
}

void take_measured(const Results& partial, Results& planned) {
  std::string started = planned.provenance.date_time;
  planned.provenance = partial.provenance;
  planned.provenance.resumed.push_back(started);
  for (std::size_t i = 0; i < planned.circuits.size(); i++) {
    std::vector<Pass>& passes = planned.circuits[i].passes;
    for (std::size_t k = 0; k < passes.size(); k++) {
      const Pass& measured = partial.circuits[i].passes[k];
      passes[k].reference_measured = measured.reference_measured;
      passes[k].reference = measured.reference;
      if (measured.reference_measured) passes[k].cells = measured.cells;
    }
  }
}

bool resume_from(const std::string& path, Results& planned, std::string* error) {
  Results partial;
  if (!load_results(path, &partial, error)) return false;
  std::string why = resume_refusal(partial, path, planned);
  if (!why.empty()) {
    *error = "cannot resume " + path + ": " + why;
    return false;
  }
  take_measured(partial, planned);
  return true;
}

}  // namespace kavlab
