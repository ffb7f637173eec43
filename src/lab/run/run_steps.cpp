// The steps of a run: provenance, plan, measurement and saving.
#include "run/run_steps.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "device_list.h"
#include "results/results_file.h"
#include "run/box_kind.h"
#include "run/cell_choice.h"
#include "run/progress.h"
#include "run/run_engine.h"
#include "run/stop_signals.h"
#include "run/vector_source.h"

namespace kavlab {

namespace {

std::string utc_now() {
  std::time_t now = std::time(nullptr);
  char buf[32] = "";
  if (const std::tm* t = std::gmtime(&now)) std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", t);
  return buf;
}

/// What ended a measurement early, in words.
std::string stop_words(ExitStatus status, const std::string& error) {
  switch (status) {
    case ExitStatus::Interrupted:
      return "interrupted";
    case ExitStatus::Terminated:
      return "terminated (SIGTERM)";
    case ExitStatus::HungUp:
      return "its terminal closed (SIGHUP)";
    default:
      return error;
  }
}

/// Where a result that cannot be written where asked is kept instead: the temporary directory,
/// then the home directory, each under a name of its own that replaces no file.
std::vector<std::filesystem::path> fallback_directories() {
  std::vector<std::filesystem::path> dirs;
  std::error_code ec;
  std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
  if (!ec) dirs.push_back(temp);
  for (const char* home : {"HOME", "USERPROFILE"})
    if (const char* dir = std::getenv(home))
      if (*dir != '\0') dirs.push_back(dir);
  return dirs;
}

/// Saves `r` at a fallback path; that path, or empty with `*error` telling what was tried.
std::string save_elsewhere(const Results& r, const std::string& out, std::string* error) {
  std::string stem = std::filesystem::path(out).stem().string();
  std::string stamp = r.provenance.date_time.empty() ? "result" : r.provenance.date_time;
  for (char& ch : stamp)
    if (ch == ':') ch = '-';
  for (const std::filesystem::path& dir : fallback_directories()) {
    for (int n = 1; n < 100; n++) {
      std::filesystem::path path =
          dir / (stem + "." + stamp + (n > 1 ? "." + std::to_string(n) : "") + ".json");
      std::error_code ec;
      if (std::filesystem::exists(path, ec) || ec) continue;
      std::string why;
      if (save_results(r, path.string(), &why)) return path.string();
      *error += "; " + why;
      break;
    }
  }
  return "";
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

namespace {

/// The place among the boxes of `list` of the box called `device` (empty: the first); the
/// count of boxes when none is called so. Read before a box is activated, which closes the
/// others.
std::size_t place_of(DeviceList* list, const std::string& device) {
  std::size_t place = 0;
  for (DeviceList* node = list; node != nullptr; node = node->next) {
    if (node->dch == nullptr) continue;
    if (device.empty() || device == node->dch->DeviceName) return place;
    place++;
  }
  return place;
}

}  // namespace

void describe_device(Provenance& p, const std::string& device) {
  DeviceList* list = getDeviceList();
  describe_chip(p, place_of(list, device));
  freeDeviceList(list);
}

ExitStatus measure_on_box(const std::string& device, Results& r, ProgressLine& line,
                          std::string* message, const MeasureHow& how) {
  DeviceList* list = getDeviceList();
  std::string name = device;
  std::size_t place = place_of(list, name);
  DeviceList* box = activateDevice(list, name.empty() ? nullptr : &name[0]);
  if (box == nullptr) {
    freeDeviceList(list);
    *message = name.empty() ? "no Kavrin box found (kavlab devices lists them)"
                            : "no Kavrin box called " + name + " (kavlab devices lists them)";
    return ExitStatus::BoxFailed;
  }
  r.provenance.device = box->dch->DeviceName;
  describe_chip(r.provenance, place);
  RunOutcome outcome = measure(
      box, r,
      [&](int done, int total, std::size_t pass) {
        if (pass < line.pass_labels.size()) line.label = line.pass_labels[pass];
        show_progress(line, done, total);
      },
      how);
  end_progress(line);
  freeDeviceList(list);
  *message = outcome.message;
  if (outcome.end == RunEnd::Stopped) {
    ExitStatus signal = caught_stop();
    return signal == ExitStatus::Done ? ExitStatus::Interrupted : signal;
  }
  return outcome.end == RunEnd::BoxFailed ? ExitStatus::BoxFailed : ExitStatus::Done;
}

RunEnding save_run(const Results& r, const std::string& out, ExitStatus status,
                   const std::string& error) {
  bool measured_some = false;
  for (const CircuitResult& c : r.circuits)
    for (const Pass& p : c.passes) measured_some = measured_some || p.reference_measured;
  std::string why = status == ExitStatus::Done ? "" : stop_words(status, error) + "; ";
  std::string save_error;
  if (measured_some && !save_results(r, out, &save_error)) {
    std::string kept = save_elsewhere(r, out, &save_error);
    if (kept.empty())
      return {ExitStatus::NotSaved, why + save_error + "; what was measured is lost"};
    return {ExitStatus::KeptElsewhere, why + save_error + "; what was measured is kept in " + kept +
                                           (r.partial ? ", marked partial" : "")};
  }
  if (status == ExitStatus::Done) return {};
  return {status, why + (measured_some ? "what was measured is in " + out + ", marked partial"
                                       : "nothing was measured")};
}

}  // namespace kavlab
