// kavlab on real boxes: nothing is emulated, and a pass starts where the last one left the cells.
#include "box_kind.h"

void describe_box(Provenance& p) {
  p.program = "kavlab";
  p.emulated = "no";
}

void before_pass() {}
