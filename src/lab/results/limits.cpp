// Values cut and escaped for messages.
#include "results/limits.h"

#include <cstdio>

namespace kavlab {

namespace {

/// A byte as a message shows it alone: printable ASCII as it is, any other byte escaped.
std::string escaped(unsigned char c) {
  if (c == '\n') return "\\n";
  if (c == '\t') return "\\t";
  if (c == '\r') return "\\r";
  if (c >= 0x20 && c < 0x7f) return std::string(1, static_cast<char>(c));
  char hex[8];
  std::snprintf(hex, sizeof hex, "\\x%02x", c);
  return hex;
}

/// The length of the well-formed UTF-8 character of `n` bytes that begins `s`, at least 2;
/// 0 when a character of two or more bytes does not begin there.
std::size_t utf8_length(const unsigned char* s, std::size_t n) {
  std::size_t length = s[0] >= 0xc2 && s[0] <= 0xdf   ? 2
                       : s[0] >= 0xe0 && s[0] <= 0xef ? 3
                       : s[0] >= 0xf0 && s[0] <= 0xf4 ? 4
                                                      : 0;
  if (length == 0 || length > n) return 0;
  for (std::size_t i = 1; i < length; i++)
    if ((s[i] & 0xc0) != 0x80) return 0;
  return length;
}

}  // namespace

std::string shown_value(const std::string& value) {
  std::size_t end = value.size();
  if (end > kShownBytes) {
    end = kShownBytes;
    // Back to the first byte of a UTF-8 character (its continuation bytes are 10xxxxxx).
    while (end > 0 && (static_cast<unsigned char>(value[end]) & 0xc0) == 0x80) end--;
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(value.data());
  std::string s;
  for (std::size_t i = 0; i < end;) {
    std::size_t length = bytes[i] < 0x80 ? 1 : utf8_length(bytes + i, end - i);
    char hex[8];
    if (length == 2 && bytes[i] == 0xc2 && bytes[i + 1] <= 0x9f) {
      std::snprintf(hex, sizeof hex, "\\u%04x", bytes[i + 1]);  // U+0080 to U+009F: controls
      s += hex;
    } else if (length > 1) {
      s.append(value, i, length);
    } else {
      s += escaped(bytes[i]);  // ASCII, or a byte of no UTF-8 character
    }
    i += length == 0 ? 1 : length;
  }
  if (end < value.size()) s += "... (" + std::to_string(value.size()) + " bytes)";
  return s;
}

}  // namespace kavlab
