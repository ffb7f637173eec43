// The simulated test chip of the emulated box: every cell of both blocks at its position, all
// computed by one engine (engine.h).
#ifndef KAVTEST_CHIP_H
#define KAVTEST_CHIP_H

#include <cstddef>
#include <string>
#include <vector>

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

/// A chip_apply call that the chip's caller expects to make: the cell at (col, row) of `block`
/// and its input bytes.
struct ChipCall {
  unsigned char block = 0, col = 0, row = 0;
  std::vector<unsigned char> inputs;
};

/// Starts computing `calls`, in order, in a thread of the chip's own, while the caller does
/// something else (the emulated box: while the host waits out its settling pause); drops what
/// was computed ahead before. The chip answers exactly as if nothing were computed ahead: a
/// chip_apply that makes the next expected call takes its answers (waiting for them if need
/// be), and any other use of the chip first waits for the thread and puts back the cells that
/// the calls not taken changed. No thread outlives the last call taken or the next drop.
void chip_compute_ahead(Chip* chip, const std::vector<ChipCall>& calls);
/// Waits for what is computed ahead and puts its cells back, as any other call would.
void chip_drop_ahead(Chip* chip);
/// How many chip_apply calls took answers computed ahead since power-up; for tests.
unsigned long chip_calls_taken_ahead(const Chip* chip);

#endif
