// The process's one ngspice, through its shared library: a deck in, one transient run, the
// wanted vectors out, the circuit removed. ngspice's own printing is kept here for messages and
// never reaches the program's output.
#ifndef KAVTEST_SPICE_SESSION_H
#define KAVTEST_SPICE_SESSION_H

#include <string>
#include <vector>

/// Starts ngspice if it is not running; false with `*error` set when it cannot be started or
/// has ended (after an error ngspice calls fatal).
bool spice_start(std::string* error);

/// Loads `deck` (title first, ".end" last), runs its transient, which must reach `stop`
/// seconds, and copies vectors `names` ("time", a node's name, "vvdd#branch") into `*values`,
/// in that order. The circuit and its results are removed afterwards, whatever happened.
/// False with `*error` set (with ngspice's last lines) when anything fails.
bool spice_transient(const std::vector<std::string>& deck, double stop,
                     const std::vector<std::string>& names,
                     std::vector<std::vector<double>>* values, std::string* error);

#endif
