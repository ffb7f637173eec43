// kavlab export: a result as CSV, or a circuit of it as the TST file kavtest's defect table
// would have written.
#include <CLI/CLI.hpp>

#include "commands/commands.h"
#include "commands/common.h"
#include "commands/options.h"
#include "results/export_csv.h"
#include "results/output_file.h"
#include "results/results_file.h"
#include "run/export_tst.h"

namespace kavlab {

namespace {

struct ExportOptions {
  std::string results;
  std::string csv, tst;  ///< empty: not written
  int circuit = -1;
  bool monitor = false;
};
ExportOptions options;

/// "holds no circuit 16 (it holds 12, 14)".
std::string missing_circuit(const Results& r) {
  std::string held;
  for (const CircuitResult& k : r.circuits)
    held += (held.empty() ? "" : ", ") + std::to_string(k.index);
  return options.results + " holds no circuit " + std::to_string(options.circuit) + " (it holds " +
         (held.empty() ? "none" : held) + ")";
}

}  // namespace

void add_export_options(CLI::App& command, bool) {
  options = ExportOptions{};
  command.add_option("results", options.results, "Results file")->required();
  command.add_option("--csv", options.csv,
                     "One row per circuit, cell and vector ('-': standard output)");
  command.add_option("--tst", options.tst, "The TST file of circuit -c ('-': standard output)");
  command.add_option("-c,--circuit", options.circuit, "The circuit of --tst")
      ->transform(circuit_number());
  command.add_flag("--monitor", options.monitor,
                   "The TST file of the monitor's judgement (as -bicm)");
}

ExitStatus export_action(const Invocation&) {
  if (options.csv.empty() && options.tst.empty())
    return command_failed(ExitStatus::CommandLine, "export needs --csv FILE or --tst FILE");
  if (!options.tst.empty() && options.circuit < 0)
    return command_failed(ExitStatus::CommandLine, "--tst needs -c N, the circuit");
  Results r;
  std::string error;
  Output csv, tst;
  if ((!options.csv.empty() && !csv.claim(options.csv, {options.results}, &error)) ||
      (!options.tst.empty() && !tst.claim(options.tst, {options.results}, &error)) ||
      !load_results(options.results, &r, &error))
    return command_failed(ExitStatus::FileTrouble, error);
  if (!r.sweep.empty())
    return command_failed(ExitStatus::CommandLine,
                          options.results + " is a sweep, a pass per value of " + r.sweep +
                              "; export takes the results of a run");
  if (!options.csv.empty() && !write_output(
                                  options.csv, [&](FILE* fp) { return export_csv(r, fp); }, &error))
    return command_failed(ExitStatus::FileTrouble, error);
  if (options.tst.empty()) return ExitStatus::Done;
  const CircuitResult* c = find_circuit(r, options.circuit);
  if (c == nullptr) return command_failed(ExitStatus::FileTrouble, missing_circuit(r));
  if (!export_tst(*c, options.monitor ? Measure::Monitor : Measure::Logic, options.tst, &error))
    return command_failed(ExitStatus::FileTrouble, error);
  return ExitStatus::Done;
}

}  // namespace kavlab
