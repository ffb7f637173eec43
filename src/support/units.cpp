// Quantities as the tools print them.
#include "units.h"

#include <cstdio>

std::string ohms_text(double ohms) {
  char buffer[32];
  if (ohms >= 1e6)
    std::snprintf(buffer, sizeof buffer, "%.6gM", ohms / 1e6);
  else if (ohms >= 1e3)
    std::snprintf(buffer, sizeof buffer, "%.6gk", ohms / 1e3);
  else
    std::snprintf(buffer, sizeof buffer, "%.6g", ohms);
  return buffer;
}
