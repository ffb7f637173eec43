// kavlab-sim gen: per circuit, the model's reachable states, the kinds of its defects, a short
// test detecting every defect that can be detected whatever ran before, checked and written.
#include <CLI/CLI.hpp>
#include <climits>
#include <filesystem>
#include <list>
#include <memory>

#include "KavrinConst.h"
#include "commands/commands.h"
#include "commands/common.h"
#include "commands/options.h"
#include "gen/circuit.h"
#include "gen/print.h"
#include "gen/tst.h"
#include "gen/verify.h"

namespace kavlab {

namespace {

struct GenOptions {
  std::string circuit;  ///< a number, or "all"
  Criterion by = Criterion::Either;
  EngineKind engine = EngineKind::Switch;  ///< Analog: verified on the analog engine too
  int need = 1;                            ///< --n-detect
  std::string output;                      ///< the TST file; with "all", a directory
  bool force = false;
  unsigned workers = 0;  ///< -j, for the check on the analog engine; 0: one per core
};
GenOptions options;

const std::vector<Criterion> kCriteria = {Criterion::Logic, Criterion::Monitor, Criterion::Either};

/// The circuits of -c: one number, or every circuit for "all".
std::vector<int> circuits_of(const std::string& text) {
  if (text != "all") return {std::stoi(text)};
  std::vector<int> all;
  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; c++) all.push_back(c);
  return all;
}

/// The file of each circuit, claimed: -o itself for one circuit, NN-NAME.tst in the directory
/// -o for all; each refused when it exists without --force. False with `*error` set.
bool output_files(const GenOptions& a, const std::vector<int>& circuits, std::list<Output>* files,
                  std::string* error) {
  std::error_code ec;
  if (a.circuit != "all") {
    if (std::filesystem::is_directory(a.output, ec)) {
      *error = a.output +
               " is a directory: gen of one circuit writes one file (-o FILE.tst); "
               "-c all writes a file per circuit into a directory";
      return false;
    }
    return claim_new_output(a.output, "", a.force, {}, &files->emplace_back(), error);
  }
  std::filesystem::create_directories(a.output, ec);
  if (!std::filesystem::is_directory(a.output, ec)) {
    *error = a.output +
             ": not a directory that can be made (-c all writes a file per circuit "
             "into a directory)";
    return false;
  }
  for (int c : circuits) {
    std::string path = (std::filesystem::path(a.output) / test_file_name(c)).string();
    if (!claim_new_output(path, "", a.force, {}, &files->emplace_back(), error)) return false;
  }
  return true;
}

/// What the sequence of `t` detects from power-up on the analog engine (`verdicts`), by logic
/// and by the monitor, beside what the switch-level model says from power-up.
void print_on_analog(const CircuitTests& t, const std::vector<EngineVerdict>& verdicts) {
  int logic = 0, monitor = 0, chosen = 0;
  for (const EngineVerdict& v : verdicts) {
    logic += v.logic ? 1 : 0;
    monitor += v.monitor ? 1 : 0;
    bool by = t.by == Criterion::Logic     ? v.logic
              : t.by == Criterion::Monitor ? v.monitor
                                           : v.logic || v.monitor;
    chosen += by ? 1 : 0;
  }
  std::printf(
      "  on the analog engine from power-up (no proofs): %d of %zu detected by %s (by "
      "logic %d, by the monitor %d); the switch-level model: %d\n",
      chosen, verdicts.size(), criterion_name(t.by), logic, monitor, detected_from_power_up(t));
}

}  // namespace

void add_gen_options(CLI::App& gen, bool) {
  options = GenOptions{};
  gen.add_option("-c,--circuit", options.circuit, "Circuit number, or 'all'")
      ->required()
      ->transform(circuit_or_all())
      ->type_name("N|all");
  gen.add_option("--by", options.by, "Detected by logic, the monitor, or either (default)")
      ->transform(named_choice(kCriteria, criterion_name))
      ->type_name("logic|monitor|either");
  gen.add_option("--engine", options.engine,
                 "switch (default), or analog: generated at switch level, then verified on "
                 "the analog engine")
      ->transform(
          enum_choice<EngineKind>({{"switch", EngineKind::Switch}, {"analog", EngineKind::Analog}}))
      ->type_name("switch|analog");
  gen.add_option("--n-detect", options.need, "Detect each defect at least K times (default 1)")
      ->type_name("K")
      ->transform(whole_number(1, INT_MAX, "1 or more"));
  gen.add_option("-o,--output", options.output, "The TST file; with -c all, a directory")
      ->required()
      ->check(not_standard_output());
  gen.add_flag("--force", options.force, "Replace existing files");
  add_jobs_option(gen, options.workers,
                  "With --engine analog, the worker processes that run cells on it at once");
}

ExitStatus gen_action(const Invocation&) {
  const GenOptions& a = options;
  std::string error;
  std::vector<int> circuits = circuits_of(a.circuit);
  if (a.engine == EngineKind::Analog && make_engine({EngineKind::Analog}, &error) == nullptr)
    return command_failed(ExitStatus::CommandLine, "--engine analog: " + error);
  std::list<Output> outputs;
  if (!output_files(a, circuits, &outputs, &error))
    return command_failed(ExitStatus::FileTrouble, error);

  std::vector<std::string> files;
  for (const Output& o : outputs) files.push_back(o.path());
  std::vector<CircuitTests> all;
  std::vector<EngineCheck> checks;
  for (std::size_t k = 0; k < circuits.size(); k++) {
    CircuitModel m;
    CircuitTests t;
    if (!model_circuit(circuits[k], &m, &error) || !generate_tests(m, a.by, a.need, &t, &error))
      return command_failed(ExitStatus::FileTrouble, error);
    std::string unconfirmed = unconfirmed_claims(t);
    if (!unconfirmed.empty())
      return command_failed(ExitStatus::FileTrouble, "circuit " + std::to_string(circuits[k]) +
                                                         ": the exact check refutes the search:\n" +
                                                         unconfirmed);
    if (!write_test_file(files[k], circuits[k], t.sequence, t.reference, &error))
      return command_failed(ExitStatus::FileTrouble, error);
    if (a.circuit != "all") print_circuit_tests(stdout, t, files[k]);
    if (a.engine == EngineKind::Analog)
      checks.push_back({circuits[k], m.reference_net, std::move(m.nets), m.cells, t.sequence});
    all.push_back(std::move(t));
  }
  if (a.engine == EngineKind::Analog) {
    std::vector<std::vector<EngineVerdict>> verdicts;
    if (!verdicts_on_engine({EngineKind::Analog}, checks, a.workers, &verdicts, &error))
      return command_failed(ExitStatus::BoxFailed, "the analog engine: " + error);
    for (std::size_t k = 0; k < circuits.size(); k++) {
      if (a.circuit == "all")
        std::printf("circuit %d %s:\n", circuits[k], elements[circuits[k]].name);
      print_on_analog(all[k], verdicts[k]);
    }
  }
  if (a.circuit == "all") {
    print_chip_table(stdout, all);
    std::printf("written to %s: one file per circuit, NN-NAME.tst\n", a.output.c_str());
  }
  return ExitStatus::Done;
}

}  // namespace kavlab
