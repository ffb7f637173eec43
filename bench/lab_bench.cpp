// Times kavlab-sim on the whole chip with every input vector: a run with two passes and one
// with --one-pass against their floors (every cell run takes ceil(vectors / 32) exchanges, and
// each exchange waits 10 ms for the cell to settle), and the summary and the HTML report of the
// two-pass results.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "KavrinConst.h"
#include "child_cpu.h"
#include "command_time.h"

namespace fs = std::filesystem;

namespace {

/// The pause floor of one pass over every cell of every circuit, reference cells included.
double pass_floor() {
  double exchanges = 0;
  for (int i = 0; i < KAVRIN_CIRCUIT_COUNT; i++)
    exchanges += elements[i].count * (((1 << elements[i].in) + 31) / 32);
  return exchanges * 0.010;
}

void report_run(const char* what, double best, double floor_s, int repeats) {
  std::printf("%s: best of %d %.3f s, floor %.3f s, overhead %.3f s = %.2f %% (limit 3 %%)\n", what,
              repeats, best, floor_s, best - floor_s, 100.0 * (best - floor_s) / floor_s);
}

}  // namespace

int main(int argc, char** argv) {
  int repeats = argc > 1 ? std::atoi(argv[1]) : 2;
  fs::path dir = fs::temp_directory_path() / "kavlab-bench";
  fs::create_directories(dir);
  std::string sim = std::string("'") + KAVLAB_SIM + "'";
  std::string two = (dir / "two.json").string(), one = (dir / "one.json").string();
  std::string run = sim + " run -c all --exhaustive --force -o '";
  double cpu_before = children_cpu_seconds();
  double both = best_of(run + two + "'", repeats);
  double cpu_two = children_cpu_seconds();
  double single = best_of(run + one + "' --one-pass", repeats);
  double summary =
      best_of(sim + " summary '" + two + "' > '" + (dir / "summary.txt").string() + "'", 5);
  std::string page = (dir / "report.html").string();
  double report = best_of(sim + " report '" + two + "' -o '" + page + "'", 5);
  if (both < 0 || single < 0 || summary < 0 || report < 0) {
    std::fprintf(stderr, "kavlab-sim failed\n");
    return 1;
  }
  int cells = 0;
  for (int i = 0; i < KAVRIN_CIRCUIT_COUNT; i++) cells += elements[i].count;
  double floor_s = pass_floor();
  std::printf(
      "kavlab-sim on the whole chip (%d cells, %d of them references), every input vector:\n",
      cells, KAVRIN_CIRCUIT_COUNT);
  report_run("  run, two passes", both, 2 * floor_s, repeats);
  report_run("  run, --one-pass", single, floor_s, repeats);
  std::printf("  --one-pass takes %.1f %% of two passes' time (half: 50 %%)\n",
              100.0 * single / both);
  if (cpu_before >= 0 && cpu_two >= 0)
    std::printf("  processor time of a two-pass run: %.3f s\n", (cpu_two - cpu_before) / repeats);
  std::printf(
      "  summary of the two-pass results: best of 5 %.3f s (limit 0.5 s), results %ju bytes\n",
      summary, static_cast<std::uintmax_t>(fs::file_size(two)));
  std::printf("  report of the two-pass results: best of 5 %.3f s (limit 0.5 s), page %ju bytes\n",
              report, static_cast<std::uintmax_t>(fs::file_size(page)));
  fs::remove_all(dir);
  return 0;
}
