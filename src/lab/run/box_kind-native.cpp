// kavlab on real boxes: nothing is emulated, and a pass starts where the last one left the cells.
#include "run/box_kind.h"

namespace kavlab {

void describe_box(Provenance& p) {
  p.program = "kavlab";
  p.emulated = Emulated::No;
}

void before_pass() {}

bool workers_have_own_box() { return false; }

bool use_engine(const std::string& engine, const std::string& bridge_ohms,
                const std::string& monitor_ua, std::string* error) {
  if (engine.empty() && bridge_ohms.empty() && monitor_ua.empty()) return true;
  *error =
      "the engine and its parameters are the emulated box's (kavlab-sim); kavlab measures "
      "real boxes";
  return false;
}

}  // namespace kavlab
