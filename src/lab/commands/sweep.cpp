// kavlab-sim sweep: the steps of a run once per bridge resistance, each a pass of its own with
// the monitor on, saved as one results file and shown as a table.
#include <filesystem>

#include "KavrinConst.h"
#include "run/box_kind.h"
#include "commands/commands.h"
#include "results/csv.h"
#include "run/run_steps.h"
#include "results/sweep.h"

namespace kavlab {

namespace {

/// The values of --bridge-ohms, each checked by choosing it; false with `*error` set.
bool check_values(const SweepArgs& a, std::vector<std::string>* values, std::string* error) {
  *values = split_commas(a.bridge_ohms);
  for (const std::string& v : *values)
    if (v.empty()) {
      *error = "--bridge-ohms " + a.bridge_ohms + ": an empty value in the list";
      return false;
    }
  for (const std::string& v : *values)
    if (!use_engine("analog", v, a.monitor_ua, error)) return false;
  return true;
}

/// The checks of the command line that need no box; false with `*error` set.
bool check_sweep_line(const SweepArgs& a, std::vector<int>* cells, std::string* error) {
  if (a.circuit < 0 || a.circuit >= KAVRIN_CIRCUIT_COUNT) {
    *error = "-c " + std::to_string(a.circuit) + ": not a circuit of the chip (0 to " +
             std::to_string(KAVRIN_CIRCUIT_COUNT - 1) + ")";
    return false;
  }
  if (a.exhaustive == !a.tests.empty() || a.tests.size() > 1) {
    *error = "a sweep takes one test file, or --exhaustive";
    return false;
  }
  return choose_cells(a.circuit, a.cells, cells, error);
}

}  // namespace

int sweep_command(const SweepArgs& a) {
  std::string error;
  std::vector<int> cells;
  std::vector<std::string> values;
  if (!check_sweep_line(a, &cells, &error) || !check_values(a, &values, &error))
    return command_failed(LAB_USAGE, error);
  std::string test = a.exhaustive ? "" : a.tests[0];
  std::string given = a.output;
  if (given.empty())
    given = test.empty() ? "kavlab-sweep.json"
                         : std::filesystem::path(test).stem().string() + ".sweep.json";
  std::string out = output_path(given, test, a.force, &error);
  if (out.empty()) return command_failed(LAB_BAD_INPUT, error);

  RunArgs run;
  run.circuits = {std::to_string(a.circuit)};
  run.cells = a.cells;
  run.plan = PassPlan::OnePass;
  run.device = a.device;
  run.exhaustive = a.exhaustive;
  run.tests = a.tests;
  Results r;
  std::vector<FileLock> locks;
  if (!plan_run(run, {a.circuit}, {cells}, locks, r, &error)) {
    for (FileLock& l : locks) unlock_file(l);
    return command_failed(LAB_BAD_INPUT, error);
  }
  const CircuitResult plan = r.circuits[0];
  r.circuits[0].passes.clear();
  r.sweep = SWEPT_BRIDGE_OHMS;
  int status = LAB_OK;
  for (std::size_t i = 0; i < values.size() && status == LAB_OK; i++) {
    if (!use_engine("analog", values[i], a.monitor_ua, &error)) {
      status = LAB_USAGE;
      break;
    }
    Results one;
    one.provenance = provenance_of(a.command_line);
    one.circuits = {plan};
    status = measure_on_box(run, one, &error);
    Pass pass = one.circuits[0].passes[0];
    pass.engine_parameters[SWEPT_BRIDGE_OHMS] = one.provenance.engine_parameters[SWEPT_BRIDGE_OHMS];
    if (i == 0) r.provenance = one.provenance;
    if (pass.reference_measured) r.circuits[0].passes.push_back(pass);
    r.partial = r.partial || one.partial;
  }
  for (FileLock& l : locks) unlock_file(l);
  // The resistance is each pass's own; the provenance keeps what all passes share.
  r.provenance.engine_parameters.erase(SWEPT_BRIDGE_OHMS);
  r.partial = r.partial || r.circuits[0].passes.size() < values.size();
  status = save_run(r, out, status, error);
  if (status == LAB_OK) print_sweep(stdout, out, r);
  return status;
}

}  // namespace kavlab
