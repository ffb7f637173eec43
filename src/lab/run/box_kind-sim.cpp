// kavlab-sim: the emulated box of the sim backend, the engine of its chip and that engine's
// parameters, and a fresh power-up before every pass; a worker process measures on its own copy.
#include "chip.h"
#include "platform-sim.h"
#include "run/box_kind.h"
#include "variation.h"

namespace kavlab {

bool box_settings_taken(std::string* error) {
  unsigned count = 0;
  return sim_boxes_from_environment(&count, error);
}

void describe_box(Provenance& p) {
  EngineChoice engine = sim_engine();
  p.program = "kavlab-sim";
  p.emulated = Emulated::Yes;
  p.engine = engine_name(engine.kind);
  p.engine_parameters = engine_parameters(engine);
  // The seed makes the chip, not the plan: an integer of its own (box 0's until the box is known).
  p.engine_parameters.erase("seed");
  describe_chip(p, 0);
}

void describe_chip(Provenance& p, std::size_t box_index) {
  kavtest::Variation v =
      kavtest::variation_for_box(sim_engine().variation, static_cast<unsigned>(box_index));
  p.seed = v.enabled ? static_cast<long>(v.seed) : -1;
}

bool use_engine(const EngineOptions& o, std::string* error) {
  const EngineSettingNames names{"--engine ", "--bridge-ohms ", "--monitor-ua "};
  const kavtest::VariationSettingNames varied{"--variation ",    "--variation", "--vt-sigma ",
                                              "--bridge-sigma ", "--seed ",     "--engine analog"};
  auto given = [](const std::string& text) { return text.empty() ? nullptr : text.c_str(); };
  EngineChoice choice;
  if (!choose_engine(given(o.engine), given(o.bridge_ohms), given(o.monitor_ua), names, &choice,
                     error))
    return false;
  if (!o.bridge_ohms.empty() &&
      !check_bridge_ohms(choice.bridge_ohms, names.bridge_ohms + o.bridge_ohms, error))
    return false;
  if (!kavtest::choose_variation(o.variation ? "1" : nullptr, given(o.vt_sigma),
                                 given(o.bridge_sigma), given(o.seed), varied, choice.kind,
                                 &choice.variation, error))
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
