// Sweeps every cell of the chip over all its input vectors, with and without the current
// monitor, and prints how long the sweep takes and how many evaluations per second it makes.
#include <chrono>
#include <cstdio>
#include <initializer_list>
#include <string>

#include "KavrinConst.h"
#include "chip.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

/// One sweep: every cell, every vector in counting order, monitor on then off. Returns the
/// number of evaluations, or -1 when the chip failed; `checksum` collects the replies so that
/// none is optimised away.
long sweep(Chip* chip, unsigned* checksum) {
  long evaluations = 0;
  for (bool monitor : {true, false})
    for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; ++c)
      for (int k = 0; k < elements[c].count; ++k) {
        const KAVRIN_ELEMENT& e = elements[c].idx[k];
        for (unsigned v = 0; v < (1u << elements[c].in); ++v) {
          unsigned char input = static_cast<unsigned char>(v), reply = 0;
          std::string error;
          if (!chip_apply(chip, elements[c].lib, e.col, e.row, &input, 1, monitor, &reply,
                          &error)) {
            std::fprintf(stderr, "chip_bench: %s\n", error.c_str());
            return -1;
          }
          *checksum = *checksum * 31 + reply;
          ++evaluations;
        }
      }
  return evaluations;
}

}  // namespace

int main() {
  const int repeats = 5;
  Clock::time_point start = Clock::now();
  Chip* chip = chip_power_up();
  double power_up = seconds_since(start);
  unsigned checksum = 0;
  double best = 1e9, total = 0;
  long evaluations = 0;
  for (int r = 0; r < repeats; ++r) {
    start = Clock::now();
    evaluations = sweep(chip, &checksum);
    if (evaluations < 0) return 1;
    double elapsed = seconds_since(start);
    total += elapsed;
    if (elapsed < best) best = elapsed;
  }
  chip_power_down(chip);
  std::printf("power-up of 564 cells: %.4f s\n", power_up);
  std::printf("sweep of all cells over all vectors, monitor on and off: %ld evaluations\n",
              evaluations);
  std::printf("best of %d sweeps: %.4f s (%.0f evaluations/s); mean %.4f s\n", repeats, best,
              evaluations / best, total / repeats);
  std::printf("reply checksum: %08x\n", checksum);
  return 0;
}
