// Timing a command by the shell, the best of several runs.
#include "command_time.h"

#include <chrono>
#include <cstdlib>

double best_of(const std::string& command, int repeats) {
  double best = 1e9;
  for (int r = 0; r < repeats; r++) {
    auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) return -1;
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (s < best) best = s;
  }
  return best;
}
