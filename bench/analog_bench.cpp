// The analog engine's speed, and its goals side by side with the baseline, in one run:
//  1. every cell of every circuit over all its input vectors in counting order from power-up,
//     as the fidelity table runs them (one transient per cell and chunk of 32), in this process
//     on one core: the baseline, processor time per circuit;
//  2. the same cells as jobs of the worker pool on every core: wall time, and each job's
//     processor time;
//  3. the decks of a few circuits through the ngspice program in batch mode (a process per
//     deck, its vectors written as a raw file) against the same decks through the engine;
//  4. the fidelity report with one worker process and with one per core;
// then the goals against these figures. The machine's load is printed with them: other work on
// the cores makes every wall time longer.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "KavrinConst.h"
#include "analog_cell.h"
#include "analog_deck.h"
#include "child_cpu.h"
#include "exhaustive.h"
#include "worker_pool.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kChunk = 32;  ///< the box's largest chunk
constexpr int kCb1 = 15;
/// The circuits whose decks go through the ngspice program too: NO42, NA2, CB1, C17 with shorts.
const int kBatchCircuits[] = {0, 11, kCb1, 16};

/// Processor seconds of this process so far.
double cpu_seconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

double wall_seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string load_average() {
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  if (!(in >> one >> five >> fifteen)) return "not known";
  return one + " " + five + " " + fifteen + " (1, 5, 15 min)";
}

/// Steps and processor seconds of some cells.
struct Work {
  long steps = 0;
  double cpu = 0;
  double wall = 0;
  double rate() const { return cpu > 0 ? steps / cpu : 0; }
};

/// Runs cell `k` of circuit `c` from power-up over its counting vectors, chunk by chunk; each
/// chunk's deck goes to `decks` when it is not null. Its steps; throws when ngspice fails.
long run_cell(int c, int k, std::vector<std::vector<std::string>>* decks) {
  Netlist net = cell_netlist(c, k);
  std::vector<unsigned char> vectors = counting_vectors(net);
  AnalogCell cell = analog_power_up(net);
  for (std::size_t start = 0; start < vectors.size(); start += kChunk) {
    std::size_t count = vectors.size() - start < kChunk ? vectors.size() - start : kChunk;
    if (decks != nullptr)
      decks->push_back(
          cell_deck(net, cell.voltage, cell.input, &vectors[start], count, DEFAULT_BRIDGE_OHMS));
    std::vector<AnalogVector> readings;
    std::string error;
    if (!analog_apply(&cell, &vectors[start], count, DEFAULT_BRIDGE_OHMS, &readings, &error))
      throw std::runtime_error(error);
  }
  return static_cast<long>(vectors.size());
}

void print_row(const std::string& idx, const std::string& name, int cells, const Work& w) {
  std::printf("%-4s %-5s %6d %7ld %9.2f %9.2f %10.0f\n", idx.c_str(), name.c_str(), cells, w.steps,
              w.cpu, w.wall, w.rate());
}

/// Part 1: every circuit in this process; per circuit its work.
std::vector<Work> one_process() {
  std::printf("1. In this process, one core (the baseline):\n");
  std::printf("%-4s %-5s %6s %7s %9s %9s %10s\n", "idx", "name", "cells", "steps", "cpu s",
              "wall s", "steps/s");
  std::vector<Work> per_circuit(KAVRIN_CIRCUIT_COUNT);
  Work all;
  int cells = 0;
  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; ++c) {
    Work& w = per_circuit[c];
    double cpu = cpu_seconds(), wall = wall_seconds();
    for (int k = 0; k < elements[c].count; ++k) w.steps += run_cell(c, k, nullptr);
    w.cpu = cpu_seconds() - cpu;
    w.wall = wall_seconds() - wall;
    print_row(std::to_string(c), elements[c].name, elements[c].count, w);
    all.steps += w.steps;
    all.cpu += w.cpu;
    all.wall += w.wall;
    cells += elements[c].count;
  }
  print_row("", "all", cells, all);
  return per_circuit;
}

/// Part 2: every cell a job of the worker pool; per circuit the jobs' work, and the wall time.
std::vector<Work> all_cores(unsigned workers, double* wall) {
  std::vector<std::pair<int, int>> cells;
  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; ++c)
    for (int k = 0; k < elements[c].count; ++k) cells.push_back({c, k});
  worker_pool::PoolOptions options;
  options.workers = workers;
  double start = wall_seconds();
  std::vector<worker_pool::JobResult> results = worker_pool::run_jobs(
      cells.size(),
      [&cells](std::size_t i) {
        double cpu = cpu_seconds();
        long steps = run_cell(cells[i].first, cells[i].second, nullptr);
        return std::to_string(steps) + " " + std::to_string(cpu_seconds() - cpu);
      },
      options);
  *wall = wall_seconds() - start;
  std::vector<Work> per_circuit(KAVRIN_CIRCUIT_COUNT);
  for (std::size_t i = 0; i < cells.size(); ++i) {
    std::istringstream in(results[i].bytes);
    long steps = 0;
    double cpu = 0;
    if (results[i].status != worker_pool::JobStatus::kDone || !(in >> steps >> cpu))
      throw std::runtime_error("cell " + std::to_string(cells[i].second) + " of circuit " +
                               std::to_string(cells[i].first) + ": " + results[i].bytes);
    per_circuit[cells[i].first].steps += steps;
    per_circuit[cells[i].first].cpu += cpu;
  }
  return per_circuit;
}

Work total(const std::vector<Work>& per_circuit) {
  Work all;
  for (const Work& w : per_circuit) {
    all.steps += w.steps;
    all.cpu += w.cpu;
    all.wall += w.wall;
  }
  return all;
}

/// Part 3: the decks of kBatchCircuits through the engine (this process) and through the
/// ngspice program; false when the program could not run them.
bool batch_against_engine(const fs::path& dir, Work* engine, Work* batch, double* batch_wall) {
  std::vector<std::vector<std::string>> decks;
  double cpu = cpu_seconds();
  for (int c : kBatchCircuits)
    for (int k = 0; k < elements[c].count; ++k) engine->steps += run_cell(c, k, &decks);
  engine->cpu = cpu_seconds() - cpu;
  batch->steps = engine->steps;
  fs::path deck_file = dir / "deck.cir", raw = dir / "deck.raw";
  double children = children_cpu_seconds(), start = wall_seconds();
  for (const std::vector<std::string>& deck : decks) {
    {
      std::ofstream out(deck_file);
      for (const std::string& line : deck) out << line << "\n";
    }
    std::string command = std::string(KAVTEST_NGSPICE_PROGRAM) + " -b -r '" + raw.string() + "' '" +
                          deck_file.string() + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return false;
  }
  *batch_wall = wall_seconds() - start;
  batch->cpu = children_cpu_seconds() - children;
  return children >= 0;
}

/// Part 4: the fidelity report with `workers` worker processes; its wall time, or -1.
double fidelity_seconds(unsigned workers) {
  std::string command = std::string("'") + KAVTEST_FIDELITY_REPORT + "' -j " +
                        std::to_string(workers) + " >/dev/null";
  double start = wall_seconds();
  if (std::system(command.c_str()) != 0) return -1;
  return wall_seconds() - start;
}

void print_goal(const char* what, const std::string& baseline, const std::string& now,
                const std::string& goal, bool met) {
  std::printf("  %-36s %-22s %-22s %-20s %s\n", what, baseline.c_str(), now.c_str(), goal.c_str(),
              met ? "met" : "not met");
}

std::string figure(double value, const char* unit) {
  char text[64];
  std::snprintf(text, sizeof text, "%.0f %s", value, unit);
  return text;
}

std::string seconds(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.1f s", value);
  return text;
}

int run() {
  unsigned cores = worker_pool::default_workers();
  std::printf("Analog engine. Load average at the start: %s; %u cores\n\n", load_average().c_str(),
              cores);
  std::vector<Work> baseline = one_process();
  Work base_all = total(baseline);

  double wall = 0;
  std::vector<Work> pooled = all_cores(cores, &wall);
  Work pool_all = total(pooled);
  std::printf(
      "\n2. The worker pool, %u workers: %ld steps in %.2f s wall (%.0f steps/s), "
      "%.2f s processor in the workers (%.0f steps/s per core); CB1 %.0f steps/s per "
      "core\n",
      cores, pool_all.steps, wall, pool_all.steps / wall, pool_all.cpu, pool_all.rate(),
      pooled[kCb1].rate());

  fs::path dir = fs::temp_directory_path() / "kavtest-analog-bench";
  fs::create_directories(dir);
  Work engine, batch;
  double batch_wall = 0;
  std::printf("\n3. The engine's decks of NO42, NA2, CB1 and C17 with shorts (processor time):\n");
  if (std::string(KAVTEST_NGSPICE_PROGRAM).empty() ||
      !batch_against_engine(dir, &engine, &batch, &batch_wall)) {
    std::printf("   ngspice in batch mode: not measured (no ngspice program ran the decks)\n");
  } else {
    std::printf("   ngspice in batch mode: %ld steps, %.2f s (%.2f s wall), %.0f steps/s\n",
                batch.steps, batch.cpu, batch_wall, batch.rate());
    std::printf("   the engine:            %ld steps, %.2f s, %.0f steps/s: %.2f times ngspice's\n",
                engine.steps, engine.cpu, engine.rate(), engine.rate() / batch.rate());
  }
  fs::remove_all(dir);

  double fidelity_one = fidelity_seconds(1), fidelity_all = fidelity_seconds(cores);
  std::printf("\n4. fidelity_report: one worker %s, %u workers %s\n",
              fidelity_one < 0 ? "failed" : seconds(fidelity_one).c_str(), cores,
              fidelity_all < 0 ? "failed" : seconds(fidelity_all).c_str());

  std::printf(
      "\nGoals (baseline: one process on one core, as before the worker pool; per core in "
      "processor time; load average now %s):\n",
      load_average().c_str());
  std::printf("  %-36s %-22s %-22s %-20s\n", "", "baseline", "now", "goal");
  print_goal("whole chip, all cores (wall)", figure(base_all.steps / base_all.wall, "steps/s"),
             figure(pool_all.steps / wall, "steps/s"), ">= 1000 steps/s",
             pool_all.steps / wall >= 1000);
  print_goal("whole chip, per core", figure(base_all.rate(), "steps/s"),
             figure(pool_all.rate(), "steps/s"), ">= " + figure(1.5 * base_all.rate(), "steps/s"),
             pool_all.rate() >= 1.5 * base_all.rate());
  print_goal("CB1, per core", figure(baseline[kCb1].rate(), "steps/s"),
             figure(pooled[kCb1].rate(), "steps/s"), ">= 500 steps/s", pooled[kCb1].rate() >= 500);
  if (fidelity_one > 0 && fidelity_all > 0)
    print_goal("fidelity report", seconds(fidelity_one), seconds(fidelity_all),
               "<= " + seconds(fidelity_one / 2), fidelity_all <= fidelity_one / 2);
  std::printf(
      "  (kavtest-sim's CB1 defect table: run_bench; the C17 shorts sweep: not measured "
      "here)\n");
  return fidelity_one < 0 || fidelity_all < 0 ? 1 : 0;
}

}  // namespace

int main() {
  try {
    return run();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "analog_bench: %s\n", e.what());
    return 1;
  }
}
