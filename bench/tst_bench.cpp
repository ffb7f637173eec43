// Reading and writing TST files of 10^4, 10^5 and 10^6 vectors of a five-input, two-output
// circuit: speed (MB/s, next to `wc -l` on the same file) and peak memory.
//
//   tst_bench <scratch directory>
//
// Every measurement runs in a child process (this program started with --read or --write), so
// that the peak memory it reports is that of one read or one write alone.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "TSTData.h"
#include "messages.h"
#include "misc.h"
#include "peak_memory.h"

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
const char kNullDevice[] = "NUL";
#else
const char kNullDevice[] = "/dev/null";
#endif

constexpr int kInputs = 5, kOutputs = 2, kRuns = 5;

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

/// A record of `n` vectors as a truth-table run leaves it: inputs count up, the outputs are a
/// NAND of the first two inputs and an XOR of the last three.
BIST* make_record(int n) {
  BIST* b = static_cast<BIST*>(std::calloc(1, sizeof(BIST)));
  b->inps = kInputs;
  b->outs = kOutputs;
  b->vars = kInputs + kOutputs;
  b->vcount = n;
  b->vects = AllocCharTable(n, b->vars, 0);
  for (int k = 0; k < n; ++k) {
    char* row = b->vects[k];
    for (int i = 0; i < kInputs; ++i) row[i] = (k >> (kInputs - 1 - i)) & 1 ? '1' : '0';
    row[5] = row[0] == '1' && row[1] == '1' ? '0' : '1';
    row[6] = ((row[2] ^ row[3] ^ row[4]) & 1) ? '1' : '0';
  }
  return b;
}

/// Child: writes `n` vectors to `path`, through WriteTST's own file replacement or through a
/// stream; prints the seconds and the peak memory in KiB.
int write_child(const char* path, int n, bool stream) {
  BIST* b = make_record(n);
  auto start = std::chrono::steady_clock::now();
  int result;
  if (stream) {
    std::FILE* fp = std::fopen(path, "w");
    result = fp ? WriteTST(b, fp, nullptr) : -1;
    if (fp && std::fclose(fp) != 0) result = -1;
  } else {
    result = WriteTST(b, nullptr, path);
  }
  double t = seconds_since(start);
  std::printf("%.6f %ld\n", t, peak_memory_kib());
  FreeTST(b);
  return result == 0 ? 0 : 1;
}

/// Child: reads `path`; prints the seconds, the peak memory before and after reading (KiB), the
/// bytes that the record's pattern table holds by count, and the processor seconds.
int read_child(const char* path) {
  verbose_mode = 1;  // no step lines
  long before = peak_memory_kib();
  auto start = std::chrono::steady_clock::now();
  std::clock_t cpu_start = std::clock();
  BIST* b = ReadTST(nullptr, path, 0, false);
  double cpu = static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
  double t = seconds_since(start);
  long after = peak_memory_kib();
  long long counted = (static_cast<long long>(b->vcount) + 1) *
                      static_cast<long long>(sizeof(char*) + static_cast<unsigned>(b->vars) + 1);
  std::printf("%.6f %ld %ld %lld %.6f\n", t, before, after, counted, cpu);
  FreeTST(b);
  return 0;
}

struct Figures {
  double seconds = 1e30;
  long peak_kib = 0;
  long base_kib = 0;
  long long counted = 0;
  double cpu_seconds = 1e30;
};

/// Runs this program with `args` kRuns times: the fastest time, the largest peak memory.
Figures run_child(const std::string& self, const std::string& args, const fs::path& out) {
  Figures best;
  for (int run = 0; run < kRuns; ++run) {
    std::string command = "\"" + self + "\" " + args + " > \"" + out.string() + "\"";
    if (std::system(command.c_str()) != 0) {
      std::fprintf(stderr, "failed: %s\n", command.c_str());
      std::exit(2);
    }
    std::ifstream in(out);
    Figures f;
    in >> f.seconds >> f.peak_kib;
    if (args.rfind("--read", 0) == 0) {
      f.base_kib = f.peak_kib;
      in >> f.peak_kib >> f.counted >> f.cpu_seconds;
    }
    best.seconds = std::min(best.seconds, f.seconds);
    best.peak_kib = std::max(best.peak_kib, f.peak_kib);
    best.base_kib = std::max(best.base_kib, f.base_kib);
    best.counted = f.counted;
    best.cpu_seconds = std::min(best.cpu_seconds, f.cpu_seconds);
  }
  return best;
}

/// The fastest of kRuns runs of `wc -l` on the file; negative when wc is not there.
double time_wc(const fs::path& file) {
  double best = 1e30;
  for (int run = 0; run < kRuns; ++run) {
    std::string command = "wc -l \"" + file.string() + "\" > " + kNullDevice + " 2>&1";
    auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) return -1;
    best = std::min(best, seconds_since(start));
  }
  return best;
}

double mb_per_s(double bytes, double seconds) { return seconds > 0 ? bytes / 1e6 / seconds : 0; }

int run_all(const std::string& self, const fs::path& dir) {
  fs::create_directories(dir);
  const fs::path out = dir / "child.out";
  const int sizes[] = {10000, 100000, 1000000};
  double wall[3] = {}, cpu[3] = {};
  double worst_ratio = 0, worst_own_ratio = 0, worst_counted_ratio = 0;

  std::printf("TST files of a five-input, two-output circuit, best of %d runs (MB = 10^6 bytes, "
              "MiB = 2^20 bytes)\n\n", kRuns);
  std::printf("%8s %8s | %-22s | %-32s | %-15s | %-16s | %-15s\n", "", "", "ReadTST",
              "peak memory, MiB (x file)", "WriteTST, file", "WriteTST, stream", "wc -l");
  std::printf("%8s %8s | %7s %6s %7s | %10s %10s %10s | %6s %8s | %7s %8s | %6s %8s\n", "vectors",
              "file MB", "s", "MB/s", "cpu s", "process", "growth", "counted", "s", "MB/s", "s",
              "MB/s", "s", "MB/s");
  for (int i = 0; i < 3; ++i) {
    const int n = sizes[i];
    const fs::path file = dir / ("vectors-" + std::to_string(n) + ".tst");
    const std::string quoted = "\"" + file.string() + "\"";
    Figures replace = run_child(self, "--write " + quoted + " " + std::to_string(n), out);
    Figures stream = run_child(self, "--write-stream " + quoted + " " + std::to_string(n), out);
    Figures read = run_child(self, "--read " + quoted, out);
    const double bytes = static_cast<double>(fs::file_size(file));
    const double wc = time_wc(file);
    wall[i] = read.seconds;
    cpu[i] = read.cpu_seconds;

    const double peak = read.peak_kib * 1024.0, own = (read.peak_kib - read.base_kib) * 1024.0;
    worst_ratio = std::max(worst_ratio, peak / bytes);
    worst_own_ratio = std::max(worst_own_ratio, own / bytes);
    worst_counted_ratio = std::max(worst_counted_ratio, read.counted / bytes);
    std::printf("%8d %8.2f | %7.4f %6.1f %7.4f | %4.1f(%4.1f) %4.1f(%4.1f) %4.1f(%4.2f) | "
                "%6.4f %8.1f | %7.4f %8.1f | ",
                n, bytes / 1e6, read.seconds, mb_per_s(bytes, read.seconds), read.cpu_seconds,
                peak / 1048576.0, peak / bytes, own / 1048576.0, own / bytes,
                read.counted / 1048576.0, read.counted / bytes, replace.seconds,
                mb_per_s(bytes, replace.seconds), stream.seconds, mb_per_s(bytes, stream.seconds));
    if (wc < 0)
      std::printf("%6s\n", "n/a");
    else
      std::printf("%6.4f %8.1f\n", wc, mb_per_s(bytes, wc));
    fs::remove(file);
  }
  fs::remove(out);

  const bool linear = wall[2] / wall[1] <= 12.0 || cpu[2] / cpu[1] <= 12.0;
  std::printf("\nReadTST, 10x the vectors: %.2fx wall, %.2fx cpu (10^4 -> 10^5); %.2fx wall, "
              "%.2fx cpu (10^5 -> 10^6); limit 12: %s\n",
              wall[1] / wall[0], cpu[1] / cpu[0], wall[2] / wall[1], cpu[2] / cpu[1],
              linear ? "linear" : "NOT LINEAR");
  std::printf("ReadTST peak memory / file size, worst case: %.2f process, %.2f growth, %.2f "
              "counted (limit 3)\n",
              worst_ratio, worst_own_ratio, worst_counted_ratio);
  std::printf("process: the reading child's peak resident memory; growth: its increase during "
              "ReadTST;\ncounted: row pointers plus rows of vars + 1 bytes, without the "
              "allocator's own overhead per row.\n");
  return linear ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--write") == 0)
    return write_child(argv[2], std::atoi(argv[3]), false);
  if (argc == 4 && std::strcmp(argv[1], "--write-stream") == 0)
    return write_child(argv[2], std::atoi(argv[3]), true);
  if (argc == 3 && std::strcmp(argv[1], "--read") == 0) return read_child(argv[2]);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <scratch directory>\n", argv[0]);
    return 2;
  }
  return run_all(fs::absolute(argv[0]).string(), argv[1]);
}
