// kavlab-sim: the emulated box of the sim backend, the engine of its chip and that engine's
// parameters, and a fresh power-up before every pass; a worker process measures on its own copy.
#include "chip.h"
#include "platform-sim.h"
#include "run/box_kind.h"

namespace kavlab {

void describe_box(Provenance& p) {
  EngineChoice engine = sim_engine();
  p.program = "kavlab-sim";
  p.emulated = Emulated::Yes;
  p.engine = engine_name(engine.kind);
  p.engine_parameters = engine_parameters(engine);
}

bool use_engine(const std::string& engine, const std::string& bridge_ohms,
                const std::string& monitor_ua, std::string* error) {
  const EngineSettingNames names{"--engine ", "--bridge-ohms ", "--monitor-ua "};
  auto given = [](const std::string& text) { return text.empty() ? nullptr : text.c_str(); };
  EngineChoice choice;
  if (!choose_engine(given(engine), given(bridge_ohms), given(monitor_ua), names, &choice, error))
    return false;
  if (!bridge_ohms.empty() &&
      !check_bridge_ohms(choice.bridge_ohms, names.bridge_ohms + bridge_ohms, error))
    return false;
  std::string why;
  if (!sim_use_engine(choice, &why)) {
    *error = std::string(names.engine) + engine_name(choice.kind) + ": " + why;
    return false;
  }
  return true;
}

void before_pass() {
  for (Box* box : sim_attached_boxes()) chip_reset(box->chip);
}

bool workers_have_own_box() { return true; }

}  // namespace kavlab
