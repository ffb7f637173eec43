// kavlab's front door: the command line checked against the table of subcommands, and the
// chosen one run.
#ifndef KAVLAB_CLI_H
#define KAVLAB_CLI_H

#include <string>
#include <vector>

#include "commands/commands.h"

namespace kavlab {

/// A command line after its check: what to print, and either the status to end with or the
/// action to run.
struct ParsedLine {
  ExitStatus status = ExitStatus::Done;
  std::string out, err;     ///< help and version (out), refusals (err), to be printed first
  Action action = nullptr;  ///< the chosen subcommand's; null when the line ends here
};

/// Checks `words` (the program's name first) against this binary's subcommands and their
/// options; the options are left in the subcommand's file for its action.
ParsedLine parse_command_line(const std::vector<std::string>& words);

/// Parses the command line and runs the subcommand; the exit code.
int lab_main(int argc, char** argv);

}  // namespace kavlab

#endif
