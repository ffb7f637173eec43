// kavlab on real boxes: nothing is emulated, and a pass starts where the last one left the cells.
#include "run/box_kind.h"

namespace kavlab {

bool box_settings_taken(std::string*) { return true; }

void describe_box(Provenance& p) {
  p.program = "kavlab";
  p.emulated = Emulated::No;
}

void before_pass() {}

bool workers_have_own_box() { return false; }

bool use_engine(const EngineOptions& o, std::string* error) {
  if (o.engine.empty() && o.bridge_ohms.empty() && o.monitor_ua.empty() && !o.variation &&
      o.vt_sigma.empty() && o.bridge_sigma.empty() && o.seed.empty())
    return true;
  *error =
      "the engine and its parameters are the emulated box's (kavlab-sim); kavlab measures "
      "real boxes";
  return false;
}

void describe_chip(Provenance&, std::size_t) {}

}  // namespace kavlab
