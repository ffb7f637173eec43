// The emulated boxes behind the sim backend. The tool reaches them only through the device
// library; tests reach them here as well.
#ifndef KAVRIN_PLATFORM_SIM_H
#define KAVRIN_PLATFORM_SIM_H

#include <vector>

#include "box.h"

/// For tests: powers the present boxes down and attaches `count` freshly powered boxes with
/// the paths sim:kavrin0, sim:kavrin1, ..., in that order. No device may be open. The boxes
/// belong to the backend and stay valid until the next call.
std::vector<Box*> sim_install_boxes(unsigned count);
/// The attached boxes, in enumeration order (attaching sim:kavrin0 on first use).
std::vector<Box*> sim_attached_boxes();

#endif
