// kavlab's command line: the subcommands, their options and their help.
#ifndef KAVLAB_CLI_H
#define KAVLAB_CLI_H

namespace kavlab {

/// Parses the command line and runs the subcommand; the exit status.
int lab_main(int argc, char** argv);

}  // namespace kavlab

#endif
