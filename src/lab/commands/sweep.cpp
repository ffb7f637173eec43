// kavlab-sim sweep: the steps of a run once per bridge resistance, each a pass of its own with
// the monitor on, saved as one results file and shown as a table.
#include "results/sweep.h"

#include <CLI/CLI.hpp>
#include <filesystem>

#include "commands/commands.h"
#include "commands/common.h"
#include "commands/options.h"
#include "results/csv.h"
#include "run/box_kind.h"
#include "run/run_steps.h"
#include "run/stop_signals.h"

namespace kavlab {

namespace {

struct SweepOptions {
  int circuit = -1;
  std::string cells;
  std::string bridge_ohms = "10,100,1k,10k";  ///< the resistances in the order measured
  std::string monitor_ua;                     ///< empty: the engine's default
  std::string device;
  std::string output;  ///< empty: named after the test file, or kavlab-sweep.json
  bool force = false;
  bool exhaustive = false;
  bool fit = false;
  std::vector<std::string> tests;  ///< one test file, or none with --exhaustive
};
SweepOptions options;

/// The plan of the sweep's one circuit, and the resistance of each value as the engine takes it;
/// false with `*error` set.
bool plan_of_line(RunPlan* plan, std::vector<double>* ohms, std::string* error) {
  if (options.exhaustive == !options.tests.empty() || options.tests.size() > 1) {
    *error = "a sweep takes one test file, or --exhaustive";
    return false;
  }
  for (const std::string& v : split_commas(options.bridge_ohms)) {
    if (!use_engine("analog", v, options.monitor_ua, error)) return false;
    Provenance chosen;
    describe_box(chosen);
    ohms->push_back(chosen.engine_parameters[SWEPT_BRIDGE_OHMS]);
  }
  std::vector<int> cells;
  if (!choose_cells(options.circuit, cell_choice_of(options.cells), &cells, error)) return false;
  *plan = RunPlan{{options.circuit},  {cells},     options.tests,
                  options.exhaustive, options.fit, PassPlan::OnePass};
  return true;
}

/// Measures one pass per value into `r`, whose circuit holds the plan: every value has its
/// pass, and those a stop or a failure left unmeasured stay empty. The status of the last
/// measurement, with `*error` set when it failed.
ExitStatus measure_values(const std::vector<std::string>& command_line,
                          const std::vector<double>& ohms, Results& r, std::string* error) {
  const std::vector<std::string> values = split_commas(options.bridge_ohms);
  const CircuitResult plan = r.circuits[0];
  r.circuits[0].passes.clear();
  r.sweep = SWEPT_BRIDGE_OHMS;
  r.provenance = provenance_of(command_line);
  ProgressLine line;
  int runs = static_cast<int>(1 + plan.cells.size());
  line.all = runs * static_cast<int>(values.size());
  ExitStatus status = ExitStatus::Done;
  for (std::size_t i = 0; i < values.size(); i++) {
    Pass pass = plan.passes[0];
    if (status == ExitStatus::Done && caught_stop() != ExitStatus::Done) status = caught_stop();
    if (status == ExitStatus::Done) {
      if (!use_engine("analog", values[i], options.monitor_ua, error)) {
        status = ExitStatus::CommandLine;
      } else {
        Results one;
        one.provenance = provenance_of(command_line);
        one.circuits = {plan};
        line.label = "at " + values[i] + " ohms";
        line.before = runs * static_cast<int>(i);
        status = measure_on_box(options.device, one, line, error);
        pass = one.circuits[0].passes[0];
        if (i == 0) r.provenance = one.provenance;
      }
    }
    pass.engine_parameters[SWEPT_BRIDGE_OHMS] = ohms[i];
    r.partial = r.partial || !pass.reference_measured || pass.cells.size() < plan.cells.size();
    r.circuits[0].passes.push_back(pass);
  }
  // The resistance is each pass's own; the provenance keeps what all passes share.
  r.provenance.engine_parameters.erase(SWEPT_BRIDGE_OHMS);
  return status;
}

}  // namespace

void add_sweep_options(CLI::App& sweep, bool) {
  options = SweepOptions{};
  sweep.add_option("-c,--circuit", options.circuit, "Circuit number")
      ->required()
      ->transform(circuit_number());
  add_cells_option(sweep, options.cells);
  sweep
      .add_option("--bridge-ohms", options.bridge_ohms,
                  "The resistances of the shorts, in order (default 10,100,1k,10k)")
      ->check(comma_list(not_empty()))
      ->type_name("R,R,...");
  sweep
      .add_option("--monitor-ua", options.monitor_ua,
                  "The current monitor's threshold in uA (default 10)")
      ->check(not_empty())
      ->type_name("I");
  add_output_options(sweep, options.device, options.output, options.force,
                     "<test file stem>.sweep.json, or kavlab-sweep.json with --exhaustive");
  add_vector_source(sweep, options.exhaustive, options.tests,
                    "Every input vector in counting order", "test", "The circuit's TST file");
  add_fit_option(sweep, options.fit);
}

ExitStatus sweep_action(const Invocation& how) {
  std::string error;
  RunPlan plan;
  std::vector<double> ohms;
  if (!plan_of_line(&plan, &ohms, &error)) return command_failed(ExitStatus::CommandLine, error);
  std::string test = options.exhaustive ? "" : options.tests[0];
  std::string given = options.output;
  if (given.empty())
    given = test.empty() ? "kavlab-sweep.json"
                         : std::filesystem::path(test).stem().string() + ".sweep.json";
  Output output;
  if (!claim_new_output(given, test, options.force, options.tests, &output, &error))
    return command_failed(ExitStatus::FileTrouble, error);
  const std::string& out = output.path();
  Results r;
  std::vector<FileLock> locks;
  if (!plan_run(plan, locks, r, &error)) {
    for (FileLock& l : locks) unlock_file(l);
    return command_failed(ExitStatus::FileTrouble, error);
  }
  catch_stop_signals();
  ExitStatus status = measure_values(how.words, ohms, r, &error);
  for (FileLock& l : locks) unlock_file(l);
  RunEnding end = save_run(r, out, status, error);
  release_stop_signals();
  if (!end.message.empty()) return command_failed(end.status, end.message);
  print_sweep(stdout, out, r);
  tell_written(out, "a sweep over " + std::to_string(ohms.size()) + " values");
  return end.status;
}

}  // namespace kavlab
