// kavlab: runs that never touch the test set, summaries, exports and imports of results.
#include "cli.h"

int main(int argc, char** argv) { return kavlab::lab_main(argc, argv); }
