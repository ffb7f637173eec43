// The emulated boxes and their engine, chosen by kavtest-sim from its environment: the tool's
// command line is fixed, so KAVTEST_SIM_BOXES (how many boxes), KAVTEST_SIM_ENGINE (switch or
// analog), KAVTEST_SIM_BRIDGE_OHMS, KAVTEST_SIM_MONITOR_UA and the variation of the chips
// (KAVTEST_SIM_VARIATION, KAVTEST_SIM_VT_SIGMA, KAVTEST_SIM_BRIDGE_SIGMA, KAVTEST_SIM_SEED)
// choose them. kavtest links engine_environment-native.cpp, which reads nothing; kavtest-sim
// links engine_environment-sim.cpp.
#ifndef KAVTEST_ENGINE_ENVIRONMENT_H
#define KAVTEST_ENGINE_ENVIRONMENT_H

#include <string>

/// Checks the number of boxes and sets the engine the environment chooses; without any of the
/// variables nothing changes. False with `*message` set when a value is refused or the engine
/// cannot be made.
bool engine_from_environment(std::string* message);

#endif
