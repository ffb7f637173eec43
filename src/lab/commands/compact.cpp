// kavlab-sim compact: the shortest sequence found from a test file's vectors that keeps what the
// file detects, from every state and from power-up, re-simulated and written.
#include <CLI/CLI.hpp>

#include "commands/commands.h"
#include "commands/common.h"
#include "commands/options.h"
#include "gen/circuit.h"
#include "gen/print.h"
#include "gen/tst.h"

namespace kavlab {

namespace {

struct CompactOptions {
  int circuit = -1;
  std::string test;
  Criterion by = Criterion::Either;
  std::string output;
  bool force = false;
  bool fit = false;
};
CompactOptions options;

}  // namespace

void add_compact_options(CLI::App& compact, bool) {
  options = CompactOptions{};
  compact.add_option("-c,--circuit", options.circuit, "Circuit number")
      ->required()
      ->transform(circuit_number());
  compact.add_option("test", options.test, "The TST file")->required()->check(existing_file());
  compact.add_option("--by", options.by, "Detected by logic, the monitor, or either (default)")
      ->transform(
          named_choice({Criterion::Logic, Criterion::Monitor, Criterion::Either}, criterion_name))
      ->type_name("logic|monitor|either");
  compact.add_option("-o,--output", options.output, "The shorter TST file")
      ->required()
      ->check(not_standard_output());
  compact.add_flag("--force", options.force, "Replace an existing file");
  compact.add_flag("--fit", options.fit,
                   "Fit a test file of other columns as kavtest does (its last input columns)");
}

ExitStatus compact_action(const Invocation&) {
  std::string error;
  Output output;
  if (!claim_new_output(options.output, "", options.force, {options.test}, &output, &error))
    return command_failed(ExitStatus::FileTrouble, error);
  const std::string& out = output.path();
  std::vector<int> given;
  if (!read_test_vectors(options.test, options.circuit, options.fit, &given, &error))
    return command_failed(ExitStatus::FileTrouble, error);
  CircuitModel m;
  CircuitTests before, after;
  if (!model_circuit(options.circuit, &m, &error) ||
      !compact_tests(m, options.by, given, &after, &before, &error) ||
      !write_test_file(out, options.circuit, after.sequence, after.reference, &error))
    return command_failed(ExitStatus::FileTrouble, error);
  print_compaction(stdout, before, after, out);
  return ExitStatus::Done;
}

}  // namespace kavlab
