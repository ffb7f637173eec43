// kavtest-sim: the engine of its emulated box from KAVTEST_SIM_ENGINE, KAVTEST_SIM_BRIDGE_OHMS
// and KAVTEST_SIM_MONITOR_UA.
#include <cstdlib>
#include <string>

#include "engine_environment.h"
#include "platform-sim.h"

bool engine_from_environment(std::string* message) {
  const char* engine = std::getenv("KAVTEST_SIM_ENGINE");
  const char* bridge_ohms = std::getenv("KAVTEST_SIM_BRIDGE_OHMS");
  const char* monitor_ua = std::getenv("KAVTEST_SIM_MONITOR_UA");
  if (engine == nullptr && bridge_ohms == nullptr && monitor_ua == nullptr) return true;
  const EngineSettingNames names{"KAVTEST_SIM_ENGINE=", "KAVTEST_SIM_BRIDGE_OHMS=",
                                 "KAVTEST_SIM_MONITOR_UA="};
  EngineChoice choice;
  if (!choose_engine(engine, bridge_ohms, monitor_ua, names, &choice, message)) return false;
  if (bridge_ohms != nullptr &&
      !check_bridge_ohms(choice.bridge_ohms, names.bridge_ohms + std::string(bridge_ohms), message))
    return false;
  std::string error;
  if (!sim_use_engine(choice, &error)) {
    *message = std::string(names.engine) + engine_name(choice.kind) + ": " + error;
    return false;
  }
  return true;
}
