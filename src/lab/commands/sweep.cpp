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
  EngineOptions engine;  ///< the analog engine's monitor threshold and chips (not its bridges)
  std::string device;
  std::string output;  ///< empty: named after the test file, or kavlab-sweep.json
  bool force = false;
  bool exhaustive = false;
  bool fit = false;
  std::vector<std::string> tests;  ///< one test file, or none with --exhaustive
  unsigned workers = 0;            ///< -j; 0: one per core
};
SweepOptions options;

/// The analog engine with the bridges of the sweep's value `ohms`: that pass's nominal, around
/// which a varying chip draws its bridges.
EngineOptions engine_at(const std::string& ohms) {
  EngineOptions o = options.engine;
  o.engine = "analog";
  o.bridge_ohms = ohms;
  return o;
}

/// The plan of the sweep's one circuit, and the resistance of each value as the engine takes it;
/// false with `*error` set.
bool plan_of_line(RunPlan* plan, std::vector<double>* ohms, std::string* error) {
  if (options.exhaustive == !options.tests.empty() || options.tests.size() > 1) {
    *error = "a sweep takes one test file, or --exhaustive";
    return false;
  }
  for (const std::string& v : split_commas(options.bridge_ohms)) {
    if (!use_engine(engine_at(v), error)) return false;
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

/// Sets one pass per value into `r`, whose circuit holds the plan, each with its resistance,
/// and measures them on `workers` workers (0: one per core), each value's engine chosen anew
/// before its pass's cell runs. Every value keeps its pass, whole: one that a stop or a failure
/// left lacking cells holds none, not measured. The status of the measurement, with `*error`
/// set when it failed.
ExitStatus measure_values(const std::vector<std::string>& command_line,
                          const std::vector<double>& ohms, unsigned workers, Results& r,
                          std::string* error) {
  const std::vector<std::string> values = split_commas(options.bridge_ohms);
  CircuitResult& c = r.circuits[0];
  const Pass plan = c.passes[0];
  c.passes.clear();
  r.sweep = SWEPT_BRIDGE_OHMS;
  ProgressLine line;
  for (std::size_t i = 0; i < values.size(); i++) {
    c.passes.push_back(plan);
    c.passes.back().engine_parameters[SWEPT_BRIDGE_OHMS] = ohms[i];
    line.pass_labels.push_back("at " + values[i] + " ohms");
  }
  if (!use_engine(engine_at(values[0]), error)) return ExitStatus::CommandLine;
  r.provenance = provenance_of(command_line);
  // The resistance is each pass's own; the provenance keeps what all passes share.
  r.provenance.engine_parameters.erase(SWEPT_BRIDGE_OHMS);
  // The value whose engine the box has, in this process: every worker starts with the first.
  std::size_t engine_of = 0;
  MeasureHow split;
  split.workers = workers;
  split.ready = [&](std::size_t, std::size_t pass, std::string* why) {
    if (pass != engine_of) {
      if (!use_engine(engine_at(values[pass]), why)) return false;
      engine_of = pass;
    }
    before_pass();
    return true;
  };
  ExitStatus status = measure_on_box(options.device, r, line, error, split);
  for (Pass& p : c.passes)
    if (!p.reference_measured || p.cells.size() < c.cells.size()) {
      p.reference_measured = false;
      p.reference = Response{};
      p.cells.clear();
    }
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
      .add_option("--monitor-ua", options.engine.monitor_ua,
                  "The current monitor's threshold in uA (default 10)")
      ->check(not_empty())
      ->type_name("I");
  add_variation_options(sweep, options.engine);
  add_output_options(sweep, options.device, options.output, options.force,
                     "<test file stem>.sweep.json, or kavlab-sweep.json with --exhaustive");
  add_vector_source(sweep, options.exhaustive, options.tests,
                    "Every input vector in counting order", "test", "The circuit's TST file");
  add_fit_option(sweep, options.fit);
  add_jobs_option(sweep, options.workers,
                  "Worker processes that measure cells at once, each on an emulated box of its "
                  "own");
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
  ExitStatus status = measure_values(how.words, ohms, options.workers, r, &error);
  for (FileLock& l : locks) unlock_file(l);
  RunEnding end = save_run(r, out, status, error);
  release_stop_signals();
  if (!end.message.empty()) return command_failed(end.status, end.message);
  print_sweep(stdout, out, r);
  tell_written(out, "a sweep over " + std::to_string(ohms.size()) + " values");
  return end.status;
}

}  // namespace kavlab
