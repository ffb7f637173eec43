// The analog engine's speed: every cell of every circuit over all its input vectors in counting
// order from power-up, as the fidelity table runs them (one transient per cell and chunk of 32),
// timed per circuit in processor time of this one process (one core) and in wall time.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "KavrinConst.h"
#include "analog_cell.h"
#include "exhaustive.h"

namespace {

/// Processor seconds of this process so far.
double cpu_seconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

double wall_seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

int main() {
  long all_steps = 0;
  double all_cpu = 0, all_wall = 0;
  std::printf("%-4s %-5s %6s %7s %9s %9s %10s\n", "idx", "name", "cells", "steps", "cpu s",
              "wall s", "steps/s");
  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; ++c) {
    long steps = 0;
    double cpu = cpu_seconds(), wall = wall_seconds();
    for (int k = 0; k < elements[c].count; ++k) {
      Netlist net = cell_netlist(c, k);
      std::vector<unsigned char> vectors = counting_vectors(net);
      AnalogCell cell = analog_power_up(net);
      for (std::size_t start = 0; start < vectors.size(); start += 32) {
        std::size_t count = vectors.size() - start < 32 ? vectors.size() - start : 32;
        std::vector<AnalogVector> readings;
        std::string error;
        if (!analog_apply(&cell, &vectors[start], count, 10.0, &readings, &error)) {
          std::fprintf(stderr, "analog_bench: %s\n", error.c_str());
          return 1;
        }
        steps += static_cast<long>(count);
      }
    }
    cpu = cpu_seconds() - cpu;
    wall = wall_seconds() - wall;
    std::printf("%-4d %-5s %6d %7ld %9.2f %9.2f %10.0f\n", c, elements[c].name, elements[c].count,
                steps, cpu, wall, steps / cpu);
    all_steps += steps;
    all_cpu += cpu;
    all_wall += wall;
  }
  std::printf("%-4s %-5s %6d %7ld %9.2f %9.2f %10.0f\n", "", "all", 564, all_steps, all_cpu,
              all_wall, all_steps / all_cpu);
  return 0;
}
