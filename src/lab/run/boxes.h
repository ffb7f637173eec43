// A run on several boxes at once: the same plan on every box, each box measured by a process of
// its own into a results file of its own, so that a box that fails stops none of the others.
//
// Processes, not threads: the device library keeps one state per process (its list of contexts
// and its handle counter, each backend's last failure), and an emulated analog box computes
// inside the library on the process's one ngspice. A real box spends its time in the pause,
// outside the library, so processes cost it nothing. On Windows, which has no fork, the boxes
// are measured one after another in the command's process (worker_pool.h).
#ifndef KAVLAB_BOXES_H
#define KAVLAB_BOXES_H

#include <functional>
#include <string>
#include <vector>

#include "exit_status.h"
#include "run/progress.h"

namespace kavlab {

/// One box of a run on several: its name, its chip's label and the results file of that chip.
struct BoxRun {
  std::string device, chip, output;
};

/// How one box's run ended: its status and what to say of it.
struct BoxEnding {
  ExitStatus status = ExitStatus::Done;
  std::string message;
};

/// A box as the messages name it: "Kavrin1 (die-2)", or its name alone when that is its label.
std::string box_words(const BoxRun& box);

/// Measures one box, in the process that measures it, drawing `line`.
using MeasureOneBox = std::function<BoxEnding(const BoxRun& box, ProgressLine& line)>;
/// Told, in the command's process, of each box as it ends.
using BoxEnded = std::function<void(const BoxRun& box, const BoxEnding& ending)>;

/// The names of the boxes that `device` names: "all" (every attached box, in their order) or
/// names separated by commas, each attached and named once. False with `*error` set.
bool boxes_named(const std::string& device, std::vector<std::string>* names, std::string* error);

/// The chips' labels of the boxes `devices`: `chips` one per box in the same order, or one
/// pattern in which "{device}" stands for the box's name, or none (the box's name). A label is
/// a file's name: not empty, no "/" or "\", not starting with ".", each once. False with
/// `*error` set.
bool chip_labels(const std::vector<std::string>& devices, const std::vector<std::string>& chips,
                 std::vector<std::string>* labels, std::string* error);

/// Measures every box of `boxes` at once, each in a worker process of its own that `measure`
/// runs in (catching the stop signals there), a progress line per box on a terminal. Once a
/// stop is asked for (a signal caught by the command's process), it is passed on to the boxes
/// being measured, which save what they measured; a box not yet started is not measured.
/// Returns each box's ending in the order of `boxes`, `ended` told of each as it ends.
std::vector<BoxEnding> measure_boxes(const std::vector<BoxRun>& boxes, const MeasureOneBox& measure,
                                     const BoxEnded& ended);

/// How a run on several boxes ends: Done when every box finished, the stop's status when a
/// stop was asked for, else SomeBoxesFailed; `*message` then names the boxes that finished and
/// those that did not.
ExitStatus boxes_ending(const std::vector<BoxRun>& boxes, const std::vector<BoxEnding>& endings,
                        std::string* message);

}  // namespace kavlab

#endif
