// Times a virtual lot on the analog engine: 25 emulated dies of both C17 circuits, every input
// vector, one pass, chips that vary, measured at once (kavlab-sim run --device all on 25 boxes),
// side by side with the same dies measured one after another on one core, as a lab measured
// them before boxes ran at once; and checks that each die of the lot detects as the same die
// measured alone.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "KavrinConst.h"
#include "command_time.h"

namespace fs = std::filesystem;

namespace {

const int kCircuits[] = {16, 17};

/// The analog engine's steps of one die: every cell, the reference included, once per vector.
long steps_per_die() {
  long steps = 0;
  for (int c : kCircuits) steps += static_cast<long>(elements[c].count) * (1L << elements[c].in);
  return steps;
}

void report(const char* what, double seconds, long steps) {
  std::printf("  %-46s %8.1f s, %6.0f steps/s\n", what, seconds, steps / seconds);
}

}  // namespace

int main(int argc, char** argv) {
  int dies = argc > 1 ? std::atoi(argv[1]) : 25;
  fs::path dir = fs::temp_directory_path() / "kavlab-lot-bench";
  fs::remove_all(dir);
  fs::create_directories(dir / "alone");
  std::string sim = std::string("'") + KAVLAB_SIM + "'";
  std::string plan = " run -c 16 -c 17 --exhaustive --one-pass --engine analog --variation";
  double lot = best_of("KAVTEST_SIM_BOXES=" + std::to_string(dies) + " " + sim + plan +
                           " --device all -o '" + (dir / "lot").string() + "' 2>/dev/null",
                       1);
  double alone = 0;
  int same = 0;
  for (int i = 0; i < dies && alone >= 0; i++) {
    std::string file = (dir / "alone" / (std::to_string(i) + ".json")).string();
    double t = best_of(
        sim + plan + " -j 1 --seed " + std::to_string(i) + " -o '" + file + "' 2>/dev/null", 1);
    alone = t < 0 ? -1 : alone + t;
    std::string lot_file = (dir / "lot" / ("Kavrin" + std::to_string(i) + ".json")).string();
    same += best_of(sim + " compare '" + lot_file + "' '" + file + "' > /dev/null", 1) >= 0;
  }
  if (lot < 0 || alone < 0) {
    std::fprintf(stderr, "kavlab-sim failed\n");
    return 1;
  }
  long steps = steps_per_die() * dies;
  std::printf(
      "a virtual lot of %d dies (circuits 16 and 17, every vector, one pass, analog "
      "engine, variation): %ld steps\n",
      dies, steps);
  report("at once (run --device all), every core", lot, steps);
  report("one die after another, one core (-j 1)", alone, steps);
  std::printf("  at once takes %.1f %% of one after another; goal for 25 dies: under 180 s\n",
              100.0 * lot / alone);
  std::printf("  dies of the lot that detect as the same die measured alone: %d of %d\n", same,
              dies);
  fs::remove_all(dir);
  return same == dies ? 0 : 1;
}
