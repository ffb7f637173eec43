// kavlab-sim's own subcommands: they need the emulated chip, its engines or its model.
#include "commands/commands.h"

namespace kavlab {

const std::vector<Subcommand>& emulated_subcommands() {
  static const std::vector<Subcommand> rows = {
      {"sweep",
       "Measure a circuit on the analog engine once per bridge resistance, and save and show "
       "the coverage of each",
       add_sweep_options, sweep_action},
      {"gen",
       "Generate a short test from the chip's switch-level model that detects every defect it "
       "can whatever state the cells were left in, and sort the defects into three kinds",
       add_gen_options, gen_action},
      {"compact",
       "The shortest test found from a TST file's vectors that keeps what the file detects",
       add_compact_options, compact_action},
  };
  return rows;
}

}  // namespace kavlab
