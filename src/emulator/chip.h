// The simulated test chip of the emulated box: every cell of both blocks at its position, all
// computed by one engine (engine.h).
#ifndef KAVTEST_CHIP_H
#define KAVTEST_CHIP_H

#include <cstddef>
#include <string>

#include "engine.h"

struct Chip;

/// A chip whose cells are all freshly powered up, computed by the switch-level engine.
Chip* chip_power_up();
/// The same with the engine `choice` names; null with `*error` set when that engine cannot be
/// made (the analog engine absent from the build, say).
Chip* chip_power_up_with(const EngineChoice& choice, std::string* error);
void chip_power_down(Chip* chip);
/// Powers every cell down and up again: the chip then answers as a freshly powered one, without
/// the cost of building its cells anew.
void chip_reset(Chip* chip);
/// The engine the chip was powered up with.
const EngineChoice& chip_engine(const Chip* chip);

/// Applies `count` input bytes in order (bit 0 drives input A) to the cell at (col, row) of
/// block 0x00 or 0x80 and writes one reply byte per input: bit 0 the current monitor result
/// (1 = pass; always 1 when the monitor is off), bit i + 1 output Yi. A position that holds no
/// cell answers 0x00. The cell keeps its state for the next call. False with `*error` set when
/// the engine failed; the replies are then 0x00.
bool chip_apply(Chip* chip, unsigned char block, unsigned char col, unsigned char row,
                const unsigned char* inputs, std::size_t count, bool monitor_on,
                unsigned char* replies, std::string* error);

#endif
