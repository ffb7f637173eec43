#include "tst_inputs.h"

#include <cstdlib>
#include <string>

namespace {

/// Vector counts above this are skipped when the table they ask for would still be allowed.
constexpr long kMaxFuzzedVectors = 10000;

}  // namespace

bool affordable(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  for (std::size_t at = text.find(".VECTORS"); at != std::string::npos;
       at = text.find(".VECTORS", at + 1)) {
    long count = std::strtol(text.c_str() + at + 8 + (at + 8 < size ? 1 : 0), nullptr, 10);
    if (count > kMaxFuzzedVectors && count < (1L << 30) / 9) return false;
  }
  return true;
}
