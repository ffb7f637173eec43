// Values cut and escaped for messages.
#include "results/limits.h"

#include <cstdio>

namespace kavlab {

namespace {

/// The escape of control character `c`, or `c` itself.
std::string escaped(unsigned char c) {
  if (c == '\n') return "\\n";
  if (c == '\t') return "\\t";
  if (c == '\r') return "\\r";
  if (c >= 0x20 && c != 0x7f) return std::string(1, static_cast<char>(c));
  char hex[8];
  std::snprintf(hex, sizeof hex, "\\x%02x", c);
  return hex;
}

}  // namespace

std::string shown_value(const std::string& value) {
  std::size_t end = value.size();
  if (end > kShownBytes) {
    end = kShownBytes;
    // Back to the first byte of a UTF-8 character (its continuation bytes are 10xxxxxx).
    while (end > 0 && (static_cast<unsigned char>(value[end]) & 0xc0) == 0x80) end--;
  }
  std::string s;
  for (std::size_t i = 0; i < end; i++) {
    auto c = static_cast<unsigned char>(value[i]);
    auto next = i + 1 < end ? static_cast<unsigned char>(value[i + 1]) : 0;
    if (c == 0xc2 && next >= 0x80 && next <= 0x9f) {  // U+0080 to U+009F: controls too
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\u%04x", next);
      s += hex;
      i++;
    } else {
      s += escaped(c);
    }
  }
  if (end < value.size()) s += "... (" + std::to_string(value.size()) + " bytes)";
  return s;
}

}  // namespace kavlab
