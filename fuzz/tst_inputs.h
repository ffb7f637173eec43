// TST files as fuzz inputs: which ones are worth their time.
#ifndef KAVTEST_FUZZ_TST_INPUTS_H
#define KAVTEST_FUZZ_TST_INPUTS_H

#include <cstddef>
#include <cstdint>

/// False when a ".VECTORS" line of the input asks for a big, yet allowed, pattern table: such a
/// file only costs time and memory (the table's limit has its own unit test).
bool affordable(const std::uint8_t* data, std::size_t size);

#endif
