// Times a defect-table run of kavtest-sim (CB1, every defect, 300 vectors) against its floor:
// every cell takes ceil(300 / 32) exchanges and each exchange waits 10 ms for the cell to settle.
// What the tool spends besides those pauses is the overhead this prints.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "KavrinConst.h"
#include "child_cpu.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  const int circuit = 15, vectors = 300, repeats = argc > 1 ? std::atoi(argv[1]) : 3;
  const KAVRIN_ELEMENT_LIST& c = elements[circuit];
  fs::path dir = fs::temp_directory_path() / "kavtest-run-bench";
  fs::create_directories(dir);
  {
    std::ofstream tst(dir / "cb1.tst");
    tst << ".VECTORS " << vectors << "\n\n.PATTERNS\n\n";
    for (int v = 0; v < vectors; v++) {
      for (int bit = c.in - 1; bit >= 0; bit--) tst << (((v * 7 + v / 16) >> bit) & 1);
      tst << "LL\n";
    }
  }
  std::string command = std::string("'") + KAVTEST_SIM + "' -quiet -all_defects -circuit 15 -tst '" +
                        (dir / "out.tst").string() + "' '" + (dir / "cb1.tst").string() + "'";
  int runs = c.count, exchanges = runs * ((vectors + 31) / 32);
  double floor_s = exchanges * 0.010, best = 1e9, cpu_before = children_cpu_seconds();
  for (int r = 0; r < repeats; r++) {
    auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) {
      std::fprintf(stderr, "kavtest-sim failed\n");
      return 1;
    }
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (s < best) best = s;
  }
  std::printf("Defect table run on the emulated box: %s, %d vectors, %d cell runs, %d exchanges\n",
              c.name, vectors, runs, exchanges);
  std::printf("  floor (10 ms pause per exchange): %.3f s\n", floor_s);
  std::printf("  best of %d runs:                  %.3f s\n", repeats, best);
  std::printf("  overhead:                         %.3f s = %.2f %% of the floor (limit 3 %%)\n",
              best - floor_s, 100.0 * (best - floor_s) / floor_s);
  double cpu = children_cpu_seconds();
  if (cpu >= 0 && cpu_before >= 0) {
    double per_run = (cpu - cpu_before) / repeats;
    std::printf("  processor time of the tool:       %.3f s = %.2f %% of the floor per run\n", per_run,
                100.0 * per_run / floor_s);
    std::printf("  (the rest of the overhead is the operating system waking the tool late from its\n"
                "   pauses, which grows with the machine's load)\n");
  }
  fs::remove_all(dir);
  return 0;
}
