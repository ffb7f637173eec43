// The emulated boxes behind the sim backend. The tool reaches them only through the device
// library; tests reach them here as well.
#ifndef KAVRIN_PLATFORM_SIM_H
#define KAVRIN_PLATFORM_SIM_H

#include <string>
#include <vector>

#include "box.h"

/// The most emulated boxes: the tool names at most 100 devices (Kavrin0 to Kavrin99).
constexpr unsigned SIM_MOST_BOXES = 100;

/// The number of emulated boxes that KAVTEST_SIM_BOXES asks for: 1 when it is not set, else
/// its value, decimal digits alone from 1 to SIM_MOST_BOXES. False with `*error` set, beginning
/// with "KAVTEST_SIM_BOXES=" and the value, for any other value. The boxes are attached on the
/// backend's first use with this count; a program checks it first with this function so that
/// a refused value ends it before it starts (the first use of a refused value ends the process
/// with the message and status 255).
bool sim_boxes_from_environment(unsigned* count, std::string* error);

/// For tests: powers the present boxes down and attaches `count` freshly powered boxes with
/// the paths sim:kavrin0, sim:kavrin1, ..., in that order. No device may be open. The boxes
/// belong to the backend and stay valid until the next call.
std::vector<Box*> sim_install_boxes(unsigned count);
/// The attached boxes, in enumeration order (attaching sim:kavrin0 and the others that
/// KAVTEST_SIM_BOXES asks for on first use).
std::vector<Box*> sim_attached_boxes();

/// The engine of the boxes' chips: the attached boxes' chips are powered up afresh with it, and
/// boxes attached later get it. With variation, box i's chip is the die of seed + i
/// (`engine_for_box` of variation.h): the seed of `choice` is box 0's. False with `*error` set,
/// nothing changed, when the engine cannot be made (variation on the switch-level engine, say).
/// Until the first call, the switch-level engine.
bool sim_use_engine(const EngineChoice& choice, std::string* error);
/// The engine of the boxes' chips, as sim_use_engine was given it (box 0's seed); box i's own is
/// chip_engine() of its chip.
EngineChoice sim_engine();

/// Whether the boxes compute an exchange that the device library has staged while the host
/// pauses (box_expect_exchange), or only once its reports come; on until turned off. For the
/// benchmark that compares the two; the answers are the same.
void sim_compute_ahead(bool on);

#endif
