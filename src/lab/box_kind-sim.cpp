// kavlab-sim: the emulated box of the sim backend, its switch-level chip and the model's
// constants, and a fresh power-up before every pass.
#include "box_kind.h"
#include "chip.h"
#include "platform-sim.h"
#include "solver.h"

void describe_box(Provenance& p) {
  p.program = "kavlab-sim";
  p.emulated = "yes";
  p.engine = "switch";
  p.engine_parameters = {{"G_N", G_N},         {"G_P", G_P},     {"G_DRV", G_DRV},
                         {"G_SHORT", G_SHORT}, {"VT", VT},       {"V_FLOAT", V_FLOAT},
                         {"C_OUT", C_OUT},     {"C_INT", C_INT}, {"I_TH", I_TH}};
}

void before_pass() {
  for (Box* box : sim_attached_boxes()) chip_reset(box->chip);
}
