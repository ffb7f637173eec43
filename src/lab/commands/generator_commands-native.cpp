// kavlab on real boxes generates no tests: gen and compact work on the emulated chip's model,
// and only kavlab-sim offers them (its command line never reaches these).
#include "commands/commands.h"

namespace kavlab {

int gen_command(const GenArgs&) {
  return command_failed(LAB_USAGE, "gen: only kavlab-sim generates tests");
}

int compact_command(const CompactArgs&) {
  return command_failed(LAB_USAGE, "compact: only kavlab-sim compacts tests");
}

}  // namespace kavlab
