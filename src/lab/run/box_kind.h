// What a kavlab binary measures on. Each binary links one implementation: box_kind-native.cpp
// (kavlab, real boxes) or box_kind-sim.cpp (kavlab-sim, the emulated box).
#ifndef KAVLAB_BOX_KIND_H
#define KAVLAB_BOX_KIND_H

#include <string>

#include "results/results.h"

namespace kavlab {

/// The program's name and, for the emulated box, its engine and parameters.
void describe_box(Provenance& p);
/// Chooses the emulated box's engine from a run's options (empty: not given; none given, the
/// switch-level engine). False with `*error` set when a value is refused or the engine cannot
/// be made; kavlab on real boxes refuses every option given.
bool use_engine(const std::string& engine, const std::string& bridge_ohms,
                const std::string& monitor_ua, std::string* error);
/// Called before every pass: the emulated chip is powered afresh, so that each pass answers as
/// a fresh kavtest-sim run does; a real box keeps its cells' state.
void before_pass();
/// True when worker processes may measure cells at once, each on its own copy of the box (the
/// emulated box, forked with its process); false for a real box, which measures one cell at a
/// time and keeps its cells' state from one pass to the next.
bool workers_have_own_box();

}  // namespace kavlab

#endif
