// end_process() of the fuzz targets. It is compiled into each target as an object file, so the
// linker never takes exit.cpp's member out of the support library (a second definition would
// be a link error, not a silent choice).
#include "exit.h"
#include "fatal_exit.h"

void end_process(int status) { throw FatalExit{status}; }
