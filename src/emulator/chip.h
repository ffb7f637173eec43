// The simulated test chip of the emulated box: every cell of both blocks at its position.
#ifndef KAVTEST_CHIP_H
#define KAVTEST_CHIP_H

struct Chip;

/// A chip whose cells are all freshly powered up.
Chip* chip_power_up();
void chip_power_down(Chip* chip);
/// Powers every cell down and up again: the chip then answers as a freshly powered one, without
/// the cost of building its cells anew.
void chip_reset(Chip* chip);

/// Applies one input byte (bit 0 drives input A) to the cell at (block, col, row) of block 0x00
/// or 0x80 and returns its reply byte: bit 0 the current monitor result (1 = pass; always 1 when
/// the monitor is off), bit i + 1 output Yi. A position that holds no cell answers 0x00.
/// The cell keeps its state for the next vector.
unsigned char chip_apply(Chip* chip, unsigned char block, unsigned char col, unsigned char row,
                         unsigned char input, bool monitor_on);

#endif
