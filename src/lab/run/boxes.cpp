// Several boxes at once: the names and labels, a worker process per box, and how it all ended.
#include "run/boxes.h"

#include <algorithm>
#include <csignal>
#include <set>

#include "device_list.h"
#include "run/stop_signals.h"
#include "worker_pool.h"

namespace kavlab {

namespace {

/// The names of the attached boxes, in their order.
std::vector<std::string> attached_boxes() {
  std::vector<std::string> names;
  DeviceList* list = getDeviceList();
  for (DeviceList* node = list; node != nullptr; node = node->next)
    if (node->dch != nullptr) names.push_back(node->dch->DeviceName);
  freeDeviceList(list);
  return names;
}

/// A box's ending as a worker hands it back: the status's number, a line end, the message.
std::string ending_bytes(const BoxEnding& e) {
  return std::to_string(exit_code(e.status)) + "\n" + e.message;
}

BoxEnding ending_of(const worker_pool::JobResult& r) {
  if (r.status == worker_pool::JobStatus::kNotRun)
    return {caught_stop() == ExitStatus::Done ? ExitStatus::Interrupted : caught_stop(),
            "not measured: the run was stopped before this box started"};
  if (r.status == worker_pool::JobStatus::kFailed)
    return {ExitStatus::BoxFailed, "its measuring process failed: " + r.bytes};
  std::size_t end = r.bytes.find('\n');
  return {static_cast<ExitStatus>(std::atoi(r.bytes.substr(0, end).c_str())),
          end == std::string::npos ? "" : r.bytes.substr(end + 1)};
}

/// Why `label` cannot name a results file; empty when it can.
std::string label_refusal(const std::string& label) {
  if (label.empty()) return "a chip's label is empty";
  if (label.find_first_of("/\\") != std::string::npos || label[0] == '.')
    return "the chip's label " + label + " is no file's name (no / or \\, no leading .)";
  return "";
}

}  // namespace

std::string box_words(const BoxRun& b) {
  return b.chip == b.device ? b.device : b.device + " (" + b.chip + ")";
}

bool boxes_named(const std::string& device, std::vector<std::string>* names, std::string* error) {
  std::vector<std::string> attached = attached_boxes();
  if (device == "all") {
    *names = attached;
    if (names->empty()) *error = "no Kavrin box found (kavlab devices lists them)";
    return !names->empty();
  }
  names->clear();
  std::size_t from = 0;
  while (true) {
    std::size_t comma = device.find(',', from);
    std::string name = device.substr(from, comma == std::string::npos ? comma : comma - from);
    if (std::find(attached.begin(), attached.end(), name) == attached.end()) {
      *error = "--device: no Kavrin box called '" + name + "' (kavlab devices lists them)";
      return false;
    }
    if (std::find(names->begin(), names->end(), name) != names->end()) {
      *error = "--device: " + name + " is named twice";
      return false;
    }
    names->push_back(name);
    if (comma == std::string::npos) return true;
    from = comma + 1;
  }
}

bool chip_labels(const std::vector<std::string>& devices, const std::vector<std::string>& chips,
                 std::vector<std::string>* labels, std::string* error) {
  const std::string mark = "{device}";
  labels->clear();
  if (chips.size() > 1 && chips.size() != devices.size()) {
    *error = "--chip: " + std::to_string(chips.size()) + " labels for " +
             std::to_string(devices.size()) + " boxes: give one per box, or one pattern with " +
             mark;
    return false;
  }
  for (std::size_t i = 0; i < devices.size(); i++) {
    std::string label = chips.empty() ? devices[i] : chips.size() > 1 ? chips[i] : chips[0];
    for (std::size_t at = label.find(mark); at != std::string::npos; at = label.find(mark, at))
      label.replace(at, mark.size(), devices[i]);
    labels->push_back(label);
  }
  std::set<std::string> seen;
  for (const std::string& label : *labels) {
    std::string why = label_refusal(label);
    if (why.empty() && !seen.insert(label).second)
      why = "the chip's label " + label + " is given to two boxes" +
            (chips.size() == 1 ? " (a pattern names each box with " + mark + ")" : "");
    if (!why.empty()) {
      *error = "--chip: " + why;
      return false;
    }
  }
  return true;
}

std::vector<BoxEnding> measure_boxes(const std::vector<BoxRun>& boxes, const MeasureOneBox& measure,
                                     const BoxEnded& ended) {
  bool apart = worker_pool::jobs_in_workers();
  int rows = apart ? static_cast<int>(boxes.size()) : 1;
  open_progress_rows(stderr, rows > 1 ? rows : 0);
  auto job = [&](std::size_t i) {
    // A worker starts with the signals' default actions: it saves what it measured as well.
    if (apart) catch_stop_signals();
    ProgressLine line;
    line.row = static_cast<int>(i);
    line.rows = rows;
    line.prefix = box_words(boxes[i]) + ": ";
    return ending_bytes(measure(boxes[i], line));
  };
  worker_pool::PoolOptions options;
  options.workers = static_cast<unsigned>(boxes.size());
  options.stop = stop_flag();
  options.stop_signal = SIGTERM;
  std::vector<BoxEnding> endings(boxes.size());
  options.on_result = [&](std::size_t i, const worker_pool::JobResult& r) {
    endings[i] = ending_of(r);
    ended(boxes[i], endings[i]);
  };
  std::vector<worker_pool::JobResult> results = worker_pool::run_jobs(boxes.size(), job, options);
  for (std::size_t i = 0; i < boxes.size(); i++)
    if (results[i].status == worker_pool::JobStatus::kNotRun) {
      endings[i] = ending_of(results[i]);
      ended(boxes[i], endings[i]);
    }
  return endings;
}

ExitStatus boxes_ending(const std::vector<BoxRun>& boxes, const std::vector<BoxEnding>& endings,
                        std::string* message) {
  std::string finished, not_finished;
  for (std::size_t i = 0; i < boxes.size(); i++) {
    std::string& list = endings[i].status == ExitStatus::Done ? finished : not_finished;
    list += (list.empty() ? "" : ", ") + box_words(boxes[i]);
  }
  if (not_finished.empty()) return ExitStatus::Done;
  *message = "boxes that finished: " + (finished.empty() ? std::string("none") : finished) +
             "; that did not: " + not_finished;
  ExitStatus stop = caught_stop();
  return stop != ExitStatus::Done ? stop : ExitStatus::SomeBoxesFailed;
}

}  // namespace kavlab
