// kavlab run and kavlab import: results files made from the box or from a TST file.
#include <csignal>
#include <ctime>
#include <filesystem>

#include "KavrinConst.h"
#include "run/box_kind.h"
#include "commands/commands.h"
#include "run/import_tst.h"
#include "results/output_file.h"
#include "results/results_file.h"
#include "run/progress.h"
#include "run/run_steps.h"
#include "run/resume.h"
#include "run/vector_source.h"

namespace kavlab {

namespace {

std::string utc_now() {
  std::time_t now = std::time(nullptr);
  char buf[32] = "";
  if (const std::tm* t = std::gmtime(&now)) std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", t);
  return buf;
}

}  // namespace

Provenance provenance_of(const std::vector<std::string>& command_line) {
  Provenance p;
  describe_box(p);
  p.version = KAVLAB_VERSION;
  p.command_line = command_line;
  p.date_time = utc_now();
  return p;
}

std::string output_path(const std::string& given, const std::string& test, bool force,
                        std::string* error) {
  std::string path = given.empty() ? default_output(test) : given;
  std::error_code ec;
  if (!force && std::filesystem::exists(path, ec)) {
    *error = path + " exists; give --force to replace it (or -o another file)";
    return "";
  }
  return can_write(path, error) ? path : "";
}

namespace {

/// The circuits that -c names, in order; false with `*error` set.
bool parse_circuits(const std::vector<std::string>& words, std::vector<int>* circuits,
                    std::string* error) {
  for (const std::string& w : words) {
    if (w == "all" && words.size() == 1) {
      for (int i = 0; i < KAVRIN_CIRCUIT_COUNT; i++) circuits->push_back(i);
      return true;
    }
    char* end = nullptr;
    long n = std::strtol(w.c_str(), &end, 10);
    bool ok = !w.empty() && *end == '\0' && n >= 0 && n < KAVRIN_CIRCUIT_COUNT;
    for (int c : *circuits) ok = ok && c != n;
    if (!ok) {
      *error = "-c " + w + ": not a circuit of the chip (0 to " +
               std::to_string(KAVRIN_CIRCUIT_COUNT - 1) + ", or all alone), or named twice";
      return false;
    }
    circuits->push_back(static_cast<int>(n));
  }
  return true;
}

}  // namespace

bool plan_run(const RunArgs& a, const std::vector<int>& circuits,
              const std::vector<std::vector<int>>& cells, std::vector<FileLock>& locks, Results& r,
              std::string* error) {
  locks.resize(circuits.size());
  for (std::size_t i = 0; i < circuits.size(); i++) {
    CircuitResult c = circuit_skeleton(circuits[i], cells[i]);
    if (a.exhaustive)
      load_exhaustive(c);
    else if (!load_test_file(a.tests[i], c, locks[i], error))
      return false;
    c.passes = plan_passes(a.plan);
    r.circuits.push_back(c);
  }
  return true;
}

namespace {

void on_interrupt(int) { request_stop(); }

}  // namespace

int measure_on_box(const RunArgs& a, Results& r, std::string* message) {
  DeviceList* list = getDeviceList();
  std::string device = a.device;
  DeviceList* box = activateDevice(list, device.empty() ? nullptr : &device[0]);
  if (box == nullptr) {
    freeDeviceList(list);
    *message = device.empty() ? "no Kavrin box found (kavlab devices lists them)"
                              : "no Kavrin box called " + device + " (kavlab devices lists them)";
    return LAB_BOX_FAILURE;
  }
  r.provenance.device = box->dch->DeviceName;
  ProgressLine line;
  std::signal(SIGINT, on_interrupt);
  RunOutcome outcome =
      measure(box, r, [&](int done, int total) { show_progress(line, done, total); });
  std::signal(SIGINT, SIG_DFL);
  end_progress(line);
  freeDeviceList(list);
  *message = outcome.message;
  if (outcome.end == RunEnd::Stopped) return LAB_INTERRUPTED;
  return outcome.end == RunEnd::BoxFailed ? LAB_BOX_FAILURE : LAB_OK;
}

std::string default_output(const std::string& test) {
  if (test.empty()) return "kavlab-results.json";
  return std::filesystem::path(test).stem().string() + ".results.json";
}

namespace {

/// The circuits and their cells from the command line; false with `*error` set.
bool check_run_line(const RunArgs& a, std::vector<int>* circuits,
                    std::vector<std::vector<int>>* cells, std::string* error) {
  if (a.exhaustive && !a.tests.empty()) {
    *error = "--exhaustive takes no test files";
    return false;
  }
  if (!parse_circuits(a.circuits, circuits, error)) return false;
  if (!a.exhaustive && a.tests.size() != circuits->size()) {
    *error = std::to_string(circuits->size()) + " circuit(s) need as many test files, one per " +
             "circuit in the same order (or --exhaustive); " + std::to_string(a.tests.size()) +
             " given";
    return false;
  }
  cells->resize(circuits->size());
  for (std::size_t i = 0; i < circuits->size(); i++)
    if (!choose_cells((*circuits)[i], a.cells, &(*cells)[i], error)) return false;
  return true;
}

}  // namespace

int save_run(const Results& r, const std::string& out, int status, std::string error) {
  bool measured_some = false;
  for (const CircuitResult& c : r.circuits)
    for (const Pass& p : c.passes) measured_some = measured_some || p.reference_measured;
  std::string save_error;
  if (measured_some && !save_results(r, out, &save_error))
    return command_failed(status == LAB_OK ? LAB_BAD_INPUT : status, save_error);
  if (status == LAB_OK) return LAB_OK;
  if (status == LAB_INTERRUPTED) error = "interrupted";
  return command_failed(
      status, error + (measured_some ? "; what was measured is in " + out + ", marked partial"
                                     : "; nothing was measured"));
}

int run_command(const RunArgs& a) {
  std::string error;
  std::vector<int> circuits;
  std::vector<std::vector<int>> cells;
  if (!check_run_line(a, &circuits, &cells, &error)) return command_failed(LAB_USAGE, error);
  if (!use_engine(a.engine, a.bridge_ohms, a.monitor_ua, &error))
    return command_failed(LAB_USAGE, error);
  std::string first_test = a.exhaustive || a.tests.empty() ? "" : a.tests[0];
  std::string given = a.output.empty() ? a.resume : a.output;
  std::error_code same;
  bool replace =
      a.force || (!a.resume.empty() && std::filesystem::equivalent(given, a.resume, same));
  std::string out = output_path(given, first_test, replace, &error);
  if (out.empty()) return command_failed(LAB_BAD_INPUT, error);
  Results r;
  r.provenance = provenance_of(a.command_line);
  std::vector<FileLock> locks;
  bool planned = plan_run(a, circuits, cells, locks, r, &error) &&
                 (a.resume.empty() || resume_from(a.resume, r, &error));
  int status = planned ? measure_on_box(a, r, &error) : LAB_BAD_INPUT;
  for (FileLock& l : locks) unlock_file(l);
  if (!planned) return command_failed(status, error);
  return save_run(r, out, status, error);
}

int import_command(const ImportArgs& a) {
  std::string error;
  if (a.circuit < 0 || a.circuit >= KAVRIN_CIRCUIT_COUNT)
    return command_failed(LAB_USAGE,
                          "-c " + std::to_string(a.circuit) + ": not a circuit of the chip");
  if (a.cells != "all" && a.cells != "saf")
    return command_failed(LAB_USAGE, "--cells " + a.cells + ": import takes all or saf");
  std::string out = output_path(a.output, a.test, a.force, &error);
  if (out.empty()) return command_failed(LAB_BAD_INPUT, error);
  std::vector<int> cells;
  if (!choose_cells(a.circuit, a.cells, &cells, &error)) return command_failed(LAB_USAGE, error);
  Results r;
  r.provenance = provenance_of(a.command_line);
  r.provenance.emulated = Emulated::Unknown;
  r.provenance.engine.clear();
  r.provenance.engine_parameters.clear();
  r.circuits.push_back(circuit_skeleton(a.circuit, cells));
  if (!import_tst(a.test, a.monitor, r.circuits[0], &error))
    return command_failed(LAB_BAD_INPUT, error);
  if (!save_results(r, out, &error)) return command_failed(LAB_BAD_INPUT, error);
  return LAB_OK;
}

}  // namespace kavlab
