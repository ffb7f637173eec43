// Reading and writing time of model files and pattern files against their size: a model of
// 100,000 nodes and a pattern file of 100,000 vectors, and ten times that, where ten times the
// size must take at most twelve times the time. 10,000 is shown as well: at that size the
// whole model stays in the processor's caches, so its step is for information only.
// Exit status 1 when a ratio is out of bounds.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "messages.h"
#include "mudel.h"
#include "vector.h"

namespace {

constexpr double kMaxRatio = 12.0;
/// Runs of each measurement: at least this many, and more while they take under kMinTotal.
constexpr int kMinRuns = 5;
constexpr double kMinTotalMs = 300;

/// Processor time in milliseconds (other programs on the machine count less than in wall time).
double cpu_ms() { return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

/// Best run of `step`, in milliseconds of processor time; `after` runs untimed after each.
double best_ms(const std::function<void()>& step, const std::function<void()>& after) {
  double best = 1e30, total = 0;
  for (int r = 0; r < kMinRuns || total < kMinTotalMs; r++) {
    double start = cpu_ms();
    step();
    double used = cpu_ms() - start;
    after();
    best = std::min(best, used);
    total += used;
  }
  return best;
}

/// A model of `nodes` nodes: `inputs` inputs, two constants and graphs of ten nodes.
void write_model_file(const std::string& path, std::uint32_t nodes, std::uint32_t inputs) {
  std::uint32_t constants = 2, graphs = nodes / 10;
  std::FILE* f = std::fopen(path.c_str(), "w");
  std::fprintf(f, "STAT# %u Nods, %u Vars, %u Grps, %u Inps, %u Cons, %u Outs\n", nodes,
               inputs + constants + graphs, graphs, inputs, constants, 8u);
  std::fprintf(f, "MODE# STRUCTURAL\n");
  for (std::uint32_t i = 0; i < inputs; i++) std::fprintf(f, "VAR# %u: (i) \"in%u\"\n", i, i);
  for (std::uint32_t i = 0; i < constants; i++)
    std::fprintf(f, "VAR# %u: (c) \"k%u\" VAL = %u\n", inputs + i, i, i);
  std::uint32_t n = 0;
  for (std::uint32_t g = 0; g < graphs; g++) {
    std::fprintf(f, "\nVAR# %u: () \"g%u\"\nGRP# %u: BEG = %u, LEN = 10\n", inputs + constants + g,
                 g, g, n);
    for (std::uint32_t j = 0; j < 10; j++, n++)
      std::fprintf(f, "%u %u: (____) (%u %u) V = %u \"node%u\"\n", n, j, j + 1, 0u,
                   (g * 7 + j) % (inputs + constants + g), n);
  }
  std::fclose(f);
}

/// A pattern file of `vectors` vectors for the loaded model, with table and summary.
void write_pattern_file(const std::string& path, std::uint32_t vectors) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  std::fprintf(f, ".VECTORS %u\n\n.PATTERNS\n\n", vectors);
  for (std::uint32_t k = 0; k < vectors; k++) {
    for (std::uint32_t j = 0; j < InpCount; j++) std::fputc((k >> (j % 16)) & 1 ? '1' : '0', f);
    std::fputc('\n', f);
  }
  std::fprintf(f, "\n.TABLE\n\n");
  for (std::uint32_t k = 0; k < vectors; k++) {
    for (std::uint32_t j = 0; j < NodCount; j++) std::fputc((k + j) % 5 == 0 ? '1' : 'X', f);
    std::fputc('\n', f);
  }
  std::fprintf(f, "\n.FAULTS\n\n%s\n", std::string(NodCount, '&').c_str());
  std::fclose(f);
}

struct Figures {
  double read_ms, write_ms;
};

std::string temp_file(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

Figures time_model(std::uint32_t nodes) {
  std::string in = temp_file("model_bench_in.agm"), out = temp_file("model_bench_out.agm");
  write_model_file(in, nodes, 32);
  Figures r;
  r.read_ms = best_ms([&] { read_ag(in.c_str()); }, [] { free_ag(); });
  read_ag(in.c_str());
  r.write_ms = best_ms([&] { write_ag(out.c_str()); }, [] {});
  free_ag();
  std::remove(in.c_str());
  std::remove(out.c_str());
  return r;
}

Figures time_patterns(std::uint32_t vectors) {
  std::string in = temp_file("model_bench_in.vec"), out = temp_file("model_bench_out.vec");
  write_pattern_file(in, vectors);
  Figures r;
  r.read_ms = best_ms([&] { read_vec(in.c_str()); }, [] { free_vec(); });
  read_vec(in.c_str());
  r.write_ms = best_ms([&] { write_vec(out.c_str(), 0); }, [] {});
  free_vec();
  std::remove(in.c_str());
  std::remove(out.c_str());
  return r;
}

/// Prints the figures of three sizes, each ten times the one before; false when the time of
/// the last step grows by more than kMaxRatio.
bool report(const char* what, const char* unit, const std::uint32_t sizes[3],
            const Figures figures[3]) {
  bool linear = true;
  for (int part = 0; part < 2; part++) {
    std::printf("%s %-5s", what, part == 0 ? "read" : "write");
    for (int k = 0; k < 3; k++) {
      double ms = part == 0 ? figures[k].read_ms : figures[k].write_ms;
      std::printf("  %7u %s %8.2f ms", sizes[k], unit, ms);
      if (k > 0) {
        double before = part == 0 ? figures[k - 1].read_ms : figures[k - 1].write_ms;
        std::printf(" (x%5.2f)", ms / before);
        if (k == 2) linear &= ms / before <= kMaxRatio;
      }
    }
    std::printf("\n");
  }
  return linear;
}

}  // namespace

int main() {
  verbose_mode = 1;
  const std::uint32_t sizes[3] = {10000, 100000, 1000000};
  Figures model[3], patterns[3];
  for (int k = 0; k < 3; k++) model[k] = time_model(sizes[k]);
  bool linear = report("model   ", "nodes  ", sizes, model);

  // Patterns for a model of 16 inputs and 40 nodes.
  std::string model_file = temp_file("model_bench_patterns.agm");
  write_model_file(model_file, 40, 16);
  read_ag(model_file.c_str());
  std::remove(model_file.c_str());
  for (int k = 0; k < 3; k++) patterns[k] = time_patterns(sizes[k]);
  linear &= report("patterns", "vectors", sizes, patterns);
  free_ag();

  std::printf("%s\n", linear ? "linear" : "NOT linear");
  return linear ? 0 : 1;
}
