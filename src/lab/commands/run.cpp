// kavlab run: the reference and the chosen cells of circuits measured on the box, pass by pass,
// and saved as a results file; --resume continues a partial one.
#include <CLI/CLI.hpp>
#include <filesystem>

#include "KavrinConst.h"
#include "commands/commands.h"
#include "commands/common.h"
#include "commands/options.h"
#include "run/box_kind.h"
#include "run/resume.h"
#include "run/run_steps.h"
#include "run/stop_signals.h"

namespace kavlab {

namespace {

struct RunOptions {
  std::vector<std::string> circuits;  ///< numbers, or "all"
  std::string cells;
  bool logic = false, monitor = false, both = false, one_pass = false;
  std::string device;  ///< empty: the first box
  std::string output;  ///< empty: named after the first test file
  bool force = false;
  std::string resume;  ///< a partial results file to continue; empty: none
  bool exhaustive = false;
  bool fit = false;
  std::vector<std::string> tests;
  std::string engine, bridge_ohms, monitor_ua;  ///< kavlab-sim's engine; empty: not given
  unsigned workers = 0;                         ///< kavlab-sim's -j; 0: one per core
};
RunOptions options;

/// kavlab-sim's choice of the emulated box's engine.
void add_engine_options(CLI::App& run) {
  run.add_option("--engine", options.engine, "The emulated chip's engine (default: switch)")
      ->check(one_of({"switch", "analog"}));
  run.add_option("--bridge-ohms", options.bridge_ohms,
                 "Analog engine: the resistance of every short (default 10)")
      ->check(not_empty())
      ->type_name("R");
  run.add_option("--monitor-ua", options.monitor_ua,
                 "Analog engine: the current monitor's threshold in uA (default 10)")
      ->check(not_empty())
      ->type_name("I");
}

PassPlan plan_of(const RunOptions& o) {
  if (o.logic) return PassPlan::Logic;
  if (o.monitor) return PassPlan::Monitor;
  return o.one_pass ? PassPlan::OnePass : PassPlan::Both;
}

/// The circuits that -c names, in order: "all" alone is every one.
std::vector<int> circuits_of(const std::vector<std::string>& words) {
  std::vector<int> circuits;
  if (words.size() == 1 && words[0] == "all")
    for (int i = 0; i < KAVRIN_CIRCUIT_COUNT; i++) circuits.push_back(i);
  else
    for (const std::string& w : words) circuits.push_back(std::stoi(w));
  return circuits;
}

/// Refuses "all" beside other circuits and a circuit named twice, once -c is read.
void check_circuit_list() {
  const std::vector<std::string>& words = options.circuits;
  for (std::size_t i = 0; i < words.size(); i++) {
    if (words[i] == "all" && words.size() > 1)
      throw CLI::ValidationError("--circuit", "all stands alone, not beside other circuits");
    for (std::size_t k = 0; k < i; k++)
      if (words[k] == words[i])
        throw CLI::ValidationError("--circuit", words[i] + " is named twice");
  }
}

/// The plan that the options make; false with `*error` set.
bool plan_of_line(RunPlan* plan, std::string* error) {
  CellChoice choice = cell_choice_of(options.cells);
  plan->circuits = circuits_of(options.circuits);
  if (!options.exhaustive && options.tests.size() != plan->circuits.size()) {
    *error = std::to_string(plan->circuits.size()) +
             " circuit(s) need as many test files, one per circuit in the same order (or "
             "--exhaustive); " +
             std::to_string(options.tests.size()) + " given";
    return false;
  }
  plan->cells.resize(plan->circuits.size());
  for (std::size_t i = 0; i < plan->circuits.size(); i++)
    if (!choose_cells(plan->circuits[i], choice, &plan->cells[i], error)) return false;
  plan->tests = options.tests;
  plan->exhaustive = options.exhaustive;
  plan->fit = options.fit;
  plan->passes = plan_of(options);
  return true;
}

}  // namespace

void add_run_options(CLI::App& run, bool emulated) {
  options = RunOptions{};
  run.add_option("-c,--circuit", options.circuits, "Circuit number; repeat for several, or 'all'")
      ->required()
      ->allow_extra_args(false)
      ->transform(circuit_or_all())
      ->type_name("N|all");
  add_cells_option(run, options.cells);
  CLI::Option* logic =
      run.add_flag("--logic", options.logic, "Judge by the outputs only (monitor off)");
  CLI::Option* monitor =
      run.add_flag("--monitor", options.monitor, "Judge by the current monitor only");
  CLI::Option* both =
      run.add_flag("--both", options.both, "A logic pass, then a monitor pass (the default)");
  logic->excludes(monitor)->excludes(both);
  monitor->excludes(both);
  run.add_flag("--one-pass", options.one_pass,
               "Both judgements from one pass with the monitor on (half the time)")
      ->excludes(logic)
      ->excludes(monitor);
  add_output_options(run, options.device, options.output, options.force,
                     "<test file stem>.results.json, or kavlab-results.json with --exhaustive");
  add_vector_source(run, options.exhaustive, options.tests,
                    "Every input vector of each circuit, in counting order", "tests",
                    "One TST file per circuit, in the order of -c");
  add_fit_option(run, options.fit);
  if (emulated) {
    add_engine_options(run);
    add_jobs_option(run, options.workers,
                    "Worker processes that measure cells at once, each on an emulated box of its "
                    "own");
  }
  run.add_option("--resume", options.resume,
                 "Continue this partial result (saved after Ctrl-C or a failing box) with "
                 "the same options; written back to it unless -o says otherwise")
      ->check(existing_file());
  run.callback(check_circuit_list);
}

ExitStatus run_action(const Invocation& how) {
  std::string error;
  RunPlan plan;
  if (!plan_of_line(&plan, &error)) return command_failed(ExitStatus::CommandLine, error);
  if (!use_engine(options.engine, options.bridge_ohms, options.monitor_ua, &error))
    return command_failed(ExitStatus::CommandLine, error);
  std::string first_test = options.exhaustive || options.tests.empty() ? "" : options.tests[0];
  std::string given = options.output.empty() ? options.resume : options.output;
  std::error_code same;
  // run --resume R completes R by design: R is then its output, not an input it must spare.
  bool completes =
      !options.resume.empty() && std::filesystem::equivalent(given, options.resume, same);
  std::vector<std::string> inputs = options.tests;
  if (!options.resume.empty() && !completes) inputs.push_back(options.resume);
  Output output;
  if (!claim_new_output(given, first_test, options.force || completes, inputs, &output, &error))
    return command_failed(ExitStatus::FileTrouble, error);
  Results r;
  r.provenance = provenance_of(how.words);
  std::vector<FileLock> locks;
  bool planned = plan_run(plan, locks, r, &error) &&
                 (options.resume.empty() || resume_from(options.resume, r, &error));
  ProgressLine line;
  catch_stop_signals();
  MeasureHow split;
  split.workers = options.workers;
  ExitStatus status =
      planned ? measure_on_box(options.device, r, line, &error, split) : ExitStatus::FileTrouble;
  for (FileLock& l : locks) unlock_file(l);
  if (!planned) {
    release_stop_signals();
    return command_failed(status, error);
  }
  RunEnding end = save_run(r, output.path(), status, error);
  release_stop_signals();
  if (!end.message.empty()) return command_failed(end.status, end.message);
  tell_written(output.path(), results_words(r));
  return end.status;
}

}  // namespace kavlab
