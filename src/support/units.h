// Quantities as the tools print them.
#ifndef KAVTEST_UNITS_H
#define KAVTEST_UNITS_H

#include <string>

/// The short text of a resistance in ohms, with k (kilo) or M (mega) where it reaches them:
/// 10 -> "10", 4700 -> "4.7k", 1e6 -> "1M"; six significant digits at most.
std::string ohms_text(double ohms);

#endif
