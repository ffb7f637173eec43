// Fuzz target of the SSBDD model reader: the input is a model file. It is read into the store,
// the store is written to a file, and released.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fatal_exit.h"
#include "fuzz_files.h"
#include "messages.h"
#include "mudel.h"

namespace {

/// Counts above this are skipped when the store would allocate their arrays: such a model only
/// costs time and memory (the store's limit on its arrays has its own unit test).
constexpr unsigned long long kMaxFuzzedCount = 100000;

/// False when a "STAT#" line asks for big, yet allowed, arrays.
bool affordable(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  for (std::size_t at = text.find("STAT#"); at != std::string::npos;
       at = text.find("STAT#", at + 1)) {
    const char* p = text.c_str() + at + 5;
    for (int k = 0; k < 6 && p != nullptr; k++) {
      if (k > 0) {
        p = std::strchr(p, ',');
        if (p == nullptr) break;
        p++;
      }
      while (*p == ' ' || *p == '\t') p++;
      if (*p == '+') p++;
      unsigned long long count = std::strtoull(p, nullptr, 10);
      // The smallest item of the store takes four bytes.
      if (count > kMaxFuzzedCount && count <= (1ull << 30) / 4) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  silence_stdout();
  verbose_mode = 1;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string out = scratch_path("out.agm");
  if (!affordable(data, size)) return -1;
  std::string in = write_scratch("in.agm", data, size);
  try {
    read_ag(in.c_str());
    write_ag(out.c_str());
  } catch (const FatalExit&) {
    // A model the reader refuses ends the tool; here the next input follows.
  }
  free_ag();
  check_no_open_files();
  return 0;
}
