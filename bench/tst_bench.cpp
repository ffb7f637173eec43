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

/// Child: reads `path`; prints the seconds, the peak memory before and after reading (KiB) and
/// the bytes that the record's pattern table holds by count.
int read_child(const char* path) {
  verbose_mode = 1;  // no step lines
  long before = peak_memory_kib();
  auto start = std::chrono::steady_clock::now();
  BIST* b = ReadTST(nullptr, path, 0, false);
  double t = seconds_since(start);
  long after = peak_memory_kib();
  long long counted = (static_cast<long long>(b->vcount) + 1) *
                      static_cast<long long>(sizeof(char*) + static_cast<unsigned>(b->vars) + 1);
  std::printf("%.6f %ld %ld %lld\n", t, before, after, counted);
  FreeTST(b);
  return 0;
}

struct Figures {
  double seconds = 1e30;
  long peak_kib = 0;
  long base_kib = 0;
  long long counted = 0;
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
      in >> f.peak_kib >> f.counted;
    }
    best.seconds = std::min(best.seconds, f.seconds);
    best.peak_kib = std::max(best.peak_kib, f.peak_kib);
    best.base_kib = std::max(best.base_kib, f.base_kib);
    best.counted = f.counted;
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
  double read_seconds[3] = {};
  double worst_ratio = 0, worst_own_ratio = 0, worst_counted_ratio = 0;

  std::printf("TST files of a five-input, two-output circuit (best of %d runs; MB = 10^6 bytes)\n\n",
              kRuns);
  std::printf("%9s %8s | %-34s | %-34s | %-16s | %-16s\n", "", "", "read (ReadTST)",
              "", "write (WriteTST)", "");
  std::printf("%9s %8s | %7s %8s %8s %8s | %8s %8s %16s | %16s | %16s | %s\n", "vectors",
              "file MB", "s", "MB/s", "peak MiB", "x file", "own MiB", "x file", "counted MiB x file",
              "replace s  MB/s", "stream s  MB/s", "wc -l s  MB/s");
  for (int i = 0; i < 3; ++i) {
    const int n = sizes[i];
    const fs::path file = dir / ("vectors-" + std::to_string(n) + ".tst");
    const std::string quoted = "\"" + file.string() + "\"";
    Figures replace = run_child(self, "--write " + quoted + " " + std::to_string(n), out);
    Figures stream = run_child(self, "--write-stream " + quoted + " " + std::to_string(n), out);
    Figures read = run_child(self, "--read " + quoted, out);
    const double bytes = static_cast<double>(fs::file_size(file));
    const double wc = time_wc(file);
    read_seconds[i] = read.seconds;

    const double peak = read.peak_kib * 1024.0, own = (read.peak_kib - read.base_kib) * 1024.0;
    worst_ratio = std::max(worst_ratio, peak / bytes);
    worst_own_ratio = std::max(worst_own_ratio, own / bytes);
    worst_counted_ratio = std::max(worst_counted_ratio, read.counted / bytes);
    std::printf("%9d %8.2f | %7.4f %8.1f %8.1f %8.2f | %8.1f %8.2f %8.1f %7.2f | %7.4f %8.1f | "
                "%7.4f %8.1f | ",
                n, bytes / 1e6, read.seconds, mb_per_s(bytes, read.seconds), peak / 1048576.0,
                peak / bytes, own / 1048576.0, own / bytes, read.counted / 1048576.0,
                read.counted / bytes, replace.seconds, mb_per_s(bytes, replace.seconds),
                stream.seconds, mb_per_s(bytes, stream.seconds));
    if (wc < 0)
      std::printf("n/a\n");
    else
      std::printf("%7.4f %8.1f\n", wc, mb_per_s(bytes, wc));
    fs::remove(file);
  }
  fs::remove(out);

  const double growth_small = read_seconds[1] / read_seconds[0];
  const double growth_large = read_seconds[2] / read_seconds[1];
  const bool linear = growth_large <= 12.0;
  std::printf("\nread time, 10x the vectors: %.2fx (10^4 -> 10^5), %.2fx (10^5 -> 10^6; limit 12): %s\n",
              growth_small, growth_large, linear ? "linear" : "NOT LINEAR");
  std::printf("read peak memory / file size, worst case: %.2f whole process, %.2f grown while "
              "reading, %.2f counted (limit 3)\n",
              worst_ratio, worst_own_ratio, worst_counted_ratio);
  std::printf("(peak: the child's peak resident memory; own: its growth during ReadTST; counted: "
              "row pointers plus rows of vars + 1 bytes, without the allocator's overhead)\n");
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
