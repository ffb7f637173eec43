// kavlab run: the reference and the chosen cells of circuits measured on the box, pass by pass,
// and saved as a results file; --resume continues a partial one.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "KavrinConst.h"
#include "commands/commands.h"
#include "commands/common.h"
#include "commands/options.h"
#include "run/box_kind.h"
#include "run/boxes.h"
#include "run/resume.h"
#include "run/run_steps.h"
#include "run/stop_signals.h"

namespace kavlab {

namespace {

struct RunOptions {
  std::vector<std::string> circuits;  ///< numbers, or "all"
  std::string cells;
  bool logic = false, monitor = false, both = false, one_pass = false;
  std::string device;              ///< empty: the first box; "all" or a comma list: several at once
  std::vector<std::string> chips;  ///< --chip: the labels of the boxes' chips, or a pattern
  std::string output;              ///< empty: named after the first test file
  bool force = false;
  std::string resume;  ///< a partial results file to continue; empty: none
  bool exhaustive = false;
  bool fit = false;
  std::vector<std::string> tests;
  EngineOptions engine;  ///< kavlab-sim's engine and its chips
  unsigned workers = 0;  ///< kavlab-sim's -j; 0: one per core
};
RunOptions options;

/// kavlab-sim's choice of the emulated box's engine.
void add_engine_options(CLI::App& run) {
  run.add_option("--engine", options.engine.engine, "The emulated chip's engine (default: switch)")
      ->check(one_of({"switch", "analog"}));
  run.add_option("--bridge-ohms", options.engine.bridge_ohms,
                 "Analog engine: the resistance of every short (default 10)")
      ->check(not_empty())
      ->type_name("R");
  run.add_option("--monitor-ua", options.engine.monitor_ua,
                 "Analog engine: the current monitor's threshold in uA (default 10)")
      ->check(not_empty())
      ->type_name("I");
  add_variation_options(run, options.engine);
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

/// Whether --device names several boxes: "all", or a comma list.
bool several_boxes(const std::string& device) {
  return device == "all" || device.find(',') != std::string::npos;
}

/// The boxes of --device with their chips' labels and results files in the -o directory
/// (made when missing), each file claimed into `outputs`. False with `*error` set and the
/// status in `*status`.
bool boxes_of_line(std::vector<BoxRun>* boxes, std::vector<std::unique_ptr<Output>>* outputs,
                   ExitStatus* status, std::string* error) {
  std::vector<std::string> devices, labels;
  *status = ExitStatus::CommandLine;
  if (!boxes_named(options.device, &devices, error) ||
      !chip_labels(devices, options.chips, &labels, error))
    return false;
  *status = ExitStatus::FileTrouble;
  const std::string dir = options.output.empty() ? "kavlab-lot" : options.output;
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    *error = "cannot make the directory " + dir + " for the boxes' results: " + ec.message();
    return false;
  }
  for (std::size_t i = 0; i < devices.size(); i++) {
    std::string path = (std::filesystem::path(dir) / (labels[i] + ".json")).string();
    outputs->push_back(std::make_unique<Output>());
    if (!claim_new_output(path, "", options.force, options.tests, outputs->back().get(), error))
      return false;
    boxes->push_back({devices[i], labels[i], path});
  }
  return true;
}

/// Measures `planned` (the plan's circuits, nothing measured) on one box of several, in the
/// process given it, and saves it to the box's file.
BoxEnding measure_one_box(const Results& planned, const std::vector<std::string>& words,
                          const BoxRun& box, ProgressLine& line) {
  Results r = planned;
  r.provenance = provenance_of(words);
  r.provenance.chip = box.chip;
  std::string error;
  MeasureHow alone;
  alone.workers = 1;  // the boxes are what runs at once
  ExitStatus status = measure_on_box(box.device, r, line, &error, alone);
  RunEnding end = save_run(r, box.output, status, error);
  if (!end.message.empty()) return {end.status, end.message};
  return {end.status, results_words(r) + " written to " + box.output};
}

/// kavlab run --device all (or a list): the plan on every box at once, a results file each.
ExitStatus run_on_boxes(const Invocation& how) {
  std::string error;
  RunPlan plan;
  if (!plan_of_line(&plan, &error)) return command_failed(ExitStatus::CommandLine, error);
  if (!options.resume.empty())
    return command_failed(ExitStatus::CommandLine,
                          "--resume continues the results of one box: name that box with "
                          "--device");
  if (!use_engine(options.engine, &error)) return command_failed(ExitStatus::CommandLine, error);
  std::vector<BoxRun> boxes;
  std::vector<std::unique_ptr<Output>> outputs;
  ExitStatus refused = ExitStatus::Done;
  if (!boxes_of_line(&boxes, &outputs, &refused, &error)) return command_failed(refused, error);
  Results planned;
  std::vector<FileLock> locks;
  if (!plan_run(plan, locks, planned, &error)) {
    for (FileLock& l : locks) unlock_file(l);
    return command_failed(ExitStatus::FileTrouble, error);
  }
  catch_stop_signals();
  std::vector<BoxEnding> endings = measure_boxes(
      boxes,
      [&](const BoxRun& box, ProgressLine& line) {
        return measure_one_box(planned, how.words, box, line);
      },
      [](const BoxRun& box, const BoxEnding& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "kavlab: %s: %s\n", box_words(box).c_str(), e.message.c_str());
      });
  for (FileLock& l : locks) unlock_file(l);
  std::string message;
  ExitStatus status = boxes_ending(boxes, endings, &message);
  release_stop_signals();
  return message.empty() ? status : command_failed(status, message);
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
                     "<test file stem>.results.json, or kavlab-results.json with --exhaustive; "
                     "with several boxes, the directory of their files, kavlab-lot");
  run.get_option("--device")
      ->description(
          "The box to use (default: the first one); 'all', or names separated by commas, "
          "measures on those boxes at once, a results file per chip in the -o directory");
  run.add_option("--chip", options.chips,
                 "The label of the die in the box, recorded in the results; with several boxes "
                 "one per box in their order, or one pattern in which {device} is the box's "
                 "name (default: the box's name)")
      ->allow_extra_args(false)
      ->type_name("LABEL");
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
  if (several_boxes(options.device)) return run_on_boxes(how);
  std::string error;
  RunPlan plan;
  if (!plan_of_line(&plan, &error)) return command_failed(ExitStatus::CommandLine, error);
  if (!use_engine(options.engine, &error)) return command_failed(ExitStatus::CommandLine, error);
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
  describe_device(r.provenance, options.device);
  if (options.chips.size() > 1)
    return command_failed(
        ExitStatus::CommandLine,
        "--chip: " + std::to_string(options.chips.size()) + " labels for one box");
  if (!options.chips.empty()) r.provenance.chip = options.chips[0];
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
