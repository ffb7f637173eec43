// The pause that lets a cell's outputs and supply current settle before they are read. In a
// file of its own so that a test build which only checks the control flow can do without it.
#include "settle.h"

#include <chrono>
#include <thread>

void settle_outputs() { std::this_thread::sleep_for(std::chrono::milliseconds(10)); }
