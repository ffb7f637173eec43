// kavtest measures real boxes: the emulated box's variables mean nothing to it.
#include "engine_environment.h"

bool engine_from_environment(std::string*) { return true; }
