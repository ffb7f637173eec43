// The steps of a run: provenance, plan, measurement and saving.
#include "run/run_steps.h"

#include <csignal>
#include <ctime>

#include "device_list.h"
#include "results/results_file.h"
#include "run/box_kind.h"
#include "run/cell_choice.h"
#include "run/progress.h"
#include "run/run_engine.h"
#include "run/vector_source.h"

namespace kavlab {

namespace {

std::string utc_now() {
  std::time_t now = std::time(nullptr);
  char buf[32] = "";
  if (const std::tm* t = std::gmtime(&now)) std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", t);
  return buf;
}

void on_interrupt(int) { request_stop(); }

}  // namespace

Provenance provenance_of(const std::vector<std::string>& command_line) {
  Provenance p;
  describe_box(p);
  p.version = KAVLAB_VERSION;
  p.command_line = command_line;
  p.date_time = utc_now();
  return p;
}

bool plan_run(const RunPlan& plan, std::vector<FileLock>& locks, Results& r, std::string* error) {
  locks.resize(plan.circuits.size());
  for (std::size_t i = 0; i < plan.circuits.size(); i++) {
    CircuitResult c = circuit_skeleton(plan.circuits[i], plan.cells[i]);
    if (plan.exhaustive)
      load_exhaustive(c);
    else if (!load_test_file(plan.tests[i], plan.fit, c, locks[i], error))
      return false;
    c.passes = plan_passes(plan.passes);
    r.circuits.push_back(c);
  }
  return true;
}

ExitStatus measure_on_box(const std::string& device, Results& r, ProgressLine& line,
                          std::string* message) {
  DeviceList* list = getDeviceList();
  std::string name = device;
  DeviceList* box = activateDevice(list, name.empty() ? nullptr : &name[0]);
  if (box == nullptr) {
    freeDeviceList(list);
    *message = name.empty() ? "no Kavrin box found (kavlab devices lists them)"
                            : "no Kavrin box called " + name + " (kavlab devices lists them)";
    return ExitStatus::BoxFailed;
  }
  r.provenance.device = box->dch->DeviceName;
  std::signal(SIGINT, on_interrupt);
  RunOutcome outcome =
      measure(box, r, [&](int done, int total) { show_progress(line, done, total); });
  std::signal(SIGINT, SIG_DFL);
  end_progress(line);
  freeDeviceList(list);
  *message = outcome.message;
  if (outcome.end == RunEnd::Stopped) return ExitStatus::Interrupted;
  return outcome.end == RunEnd::BoxFailed ? ExitStatus::BoxFailed : ExitStatus::Done;
}

RunEnding save_run(const Results& r, const std::string& out, ExitStatus status,
                   const std::string& error) {
  bool measured_some = false;
  for (const CircuitResult& c : r.circuits)
    for (const Pass& p : c.passes) measured_some = measured_some || p.reference_measured;
  std::string save_error;
  if (measured_some && !save_results(r, out, &save_error))
    return {status == ExitStatus::Done ? ExitStatus::FileTrouble : status, save_error};
  if (status == ExitStatus::Done) return {};
  std::string why = status == ExitStatus::Interrupted ? "interrupted" : error;
  return {status, why + (measured_some ? "; what was measured is in " + out + ", marked partial"
                                       : "; nothing was measured")};
}

}  // namespace kavlab
