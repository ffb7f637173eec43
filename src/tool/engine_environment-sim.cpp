// kavtest-sim: its emulated boxes from the environment: how many (KAVTEST_SIM_BOXES), the
// engine of their chips (KAVTEST_SIM_ENGINE, KAVTEST_SIM_BRIDGE_OHMS, KAVTEST_SIM_MONITOR_UA)
// and whether the chips differ as dies do (KAVTEST_SIM_VARIATION, KAVTEST_SIM_VT_SIGMA,
// KAVTEST_SIM_BRIDGE_SIGMA, KAVTEST_SIM_SEED).
#include <cstdlib>
#include <string>

#include "engine_environment.h"
#include "platform-sim.h"
#include "variation.h"

bool engine_from_environment(std::string* message) {
  unsigned boxes = 0;
  if (!sim_boxes_from_environment(&boxes, message)) return false;
  const char* engine = std::getenv("KAVTEST_SIM_ENGINE");
  const char* bridge_ohms = std::getenv("KAVTEST_SIM_BRIDGE_OHMS");
  const char* monitor_ua = std::getenv("KAVTEST_SIM_MONITOR_UA");
  const char* variation = std::getenv("KAVTEST_SIM_VARIATION");
  const char* vt_sigma = std::getenv("KAVTEST_SIM_VT_SIGMA");
  const char* bridge_sigma = std::getenv("KAVTEST_SIM_BRIDGE_SIGMA");
  const char* seed = std::getenv("KAVTEST_SIM_SEED");
  if (engine == nullptr && bridge_ohms == nullptr && monitor_ua == nullptr &&
      variation == nullptr && vt_sigma == nullptr && bridge_sigma == nullptr && seed == nullptr)
    return true;
  const EngineSettingNames names{
      "KAVTEST_SIM_ENGINE=", "KAVTEST_SIM_BRIDGE_OHMS=", "KAVTEST_SIM_MONITOR_UA="};
  const kavtest::VariationSettingNames varied{
      "KAVTEST_SIM_VARIATION=",    "KAVTEST_SIM_VARIATION=1", "KAVTEST_SIM_VT_SIGMA=",
      "KAVTEST_SIM_BRIDGE_SIGMA=", "KAVTEST_SIM_SEED=",       "KAVTEST_SIM_ENGINE=analog"};
  EngineChoice choice;
  if (!choose_engine(engine, bridge_ohms, monitor_ua, names, &choice, message)) return false;
  if (bridge_ohms != nullptr &&
      !check_bridge_ohms(choice.bridge_ohms, names.bridge_ohms + std::string(bridge_ohms), message))
    return false;
  if (!kavtest::choose_variation(variation, vt_sigma, bridge_sigma, seed, varied, choice.kind,
                                 &choice.variation, message))
    return false;
  std::string error;
  if (!sim_use_engine(choice, &error)) {
    *message = std::string(names.engine) + engine_name(choice.kind) + ": " + error;
    return false;
  }
  return true;
}
