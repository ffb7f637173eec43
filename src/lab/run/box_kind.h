// What a kavlab binary measures on. Each binary links one implementation: box_kind-native.cpp
// (kavlab, real boxes) or box_kind-sim.cpp (kavlab-sim, the emulated box).
#ifndef KAVLAB_BOX_KIND_H
#define KAVLAB_BOX_KIND_H

#include <cstddef>
#include <string>

#include "results/results.h"

namespace kavlab {

/// Whether the environment's settings of the boxes can be taken (kavlab-sim: the number of
/// emulated boxes, KAVTEST_SIM_BOXES); false with `*error` set, naming the setting.
bool box_settings_taken(std::string* error);
/// The program's name and, for the emulated box, its engine and parameters.
void describe_box(Provenance& p);
/// kavlab-sim's options for the emulated chip, as given; an empty text: not given.
struct EngineOptions {
  std::string engine, bridge_ohms, monitor_ua;
  bool variation = false;  ///< chips that differ as dies do (--variation)
  std::string vt_sigma, bridge_sigma, seed;
};
/// Chooses the emulated box's engine from a run's options (none given, the switch-level
/// engine). False with `*error` set when a value is refused or the engine cannot be made;
/// kavlab on real boxes refuses every option given.
bool use_engine(const EngineOptions& options, std::string* error);
/// What tells the chip in the box at `box_index` (its place among the attached boxes) from the
/// others of its kind: an emulated chip's seed, when its chips vary.
void describe_chip(Provenance& p, std::size_t box_index);
/// Called before every pass: the emulated chip is powered afresh, so that each pass answers as
/// a fresh kavtest-sim run does; a real box keeps its cells' state.
void before_pass();
/// True when worker processes may measure cells at once, each on its own copy of the box (the
/// emulated box, forked with its process); false for a real box, which measures one cell at a
/// time and keeps its cells' state from one pass to the next.
bool workers_have_own_box();

}  // namespace kavlab

#endif
