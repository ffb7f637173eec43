// The pause between loading a chunk's inputs and reading its outputs. The product binaries link
// settle.cpp; a test build that only checks the control flow links one without the pause.
#ifndef KAVTEST_SETTLE_H
#define KAVTEST_SETTLE_H

/// Waits until a cell's outputs and supply current have settled.
void settle_outputs();

#endif
