// kavlab's command line: the subcommands, their options and their help.
#ifndef KAVLAB_CLI_H
#define KAVLAB_CLI_H

/// Parses the command line and runs the subcommand; the exit status.
int lab_main(int argc, char** argv);

#endif
