// kavlab on real boxes offers no subcommand of the emulated chip's: sweep, gen and compact are
// kavlab-sim's (their code is not linked here).
#include "commands/commands.h"

namespace kavlab {

const std::vector<Subcommand>& emulated_subcommands() {
  static const std::vector<Subcommand> none;
  return none;
}

}  // namespace kavlab
