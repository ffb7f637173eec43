// A build without ngspice's shared library: the analog engine is absent and says so.
#include "engine.h"

bool analog_engine_built() { return false; }

std::unique_ptr<CellEngine> make_analog_engine(const EngineChoice&, std::string* error) {
  *error =
      "the analog engine is not in this build: it needs ngspice's shared library at build time "
      "(Debian: libngspice0-dev)";
  return nullptr;
}
