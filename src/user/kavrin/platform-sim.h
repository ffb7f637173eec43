// The emulated boxes behind the sim backend. The tool reaches them only through the device
// library; tests reach them here as well.
#ifndef KAVRIN_PLATFORM_SIM_H
#define KAVRIN_PLATFORM_SIM_H

#include <string>
#include <vector>

#include "box.h"

/// For tests: powers the present boxes down and attaches `count` freshly powered boxes with
/// the paths sim:kavrin0, sim:kavrin1, ..., in that order. No device may be open. The boxes
/// belong to the backend and stay valid until the next call.
std::vector<Box*> sim_install_boxes(unsigned count);
/// The attached boxes, in enumeration order (attaching sim:kavrin0 on first use).
std::vector<Box*> sim_attached_boxes();

/// The engine of the boxes' chips: the attached boxes' chips are powered up afresh with it, and
/// boxes attached later get it. False with `*error` set, nothing changed, when the engine cannot
/// be made. Until the first call, the switch-level engine.
bool sim_use_engine(const EngineChoice& choice, std::string* error);
/// The engine of the boxes' chips.
EngineChoice sim_engine();

/// Whether the boxes compute an exchange that the device library has staged while the host
/// pauses (box_expect_exchange), or only once its reports come; on until turned off. For the
/// benchmark that compares the two; the answers are the same.
void sim_compute_ahead(bool on);

#endif
