// Control characters escaped for a terminal.
#include "results/terminal_text.h"

#include <cstdio>

namespace kavlab {

std::string terminal_text(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    unsigned char u = static_cast<unsigned char>(ch);
    if (u < 0x20 || u == 0x7f) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", u);
      out += hex;
    } else {
      out += ch == '\\' ? std::string("\\\\") : std::string(1, ch);
    }
  }
  return out;
}

}  // namespace kavlab
