// kavlab's subcommands: the row each has in the table of cli.cpp, and the two functions that
// each defines in a file of its own in this folder (its options, and its action).
#ifndef KAVLAB_COMMANDS_H
#define KAVLAB_COMMANDS_H

#include <string>
#include <vector>

#include "exit_status.h"

namespace CLI {
class App;
}

namespace kavlab {

/// What an action is given beside its options: the command line as typed, which results files
/// record.
struct Invocation {
  std::vector<std::string> words;
};

/// Registers a subcommand's options and arguments on `command`; `emulated` for kavlab-sim.
/// Every call starts from the options' defaults.
using AddOptions = void (*)(CLI::App& command, bool emulated);
/// Runs a subcommand on the options that the parse filled in.
using Action = ExitStatus (*)(const Invocation& how);

/// One row of the table of subcommands.
struct Subcommand {
  const char* name;
  const char* help;  ///< one line
  AddOptions add_options;
  Action action;
};

/// The subcommands that only kavlab-sim offers (sweep, gen and compact, which need the emulated
/// chip), in the order of its help; a binary links one of emulated_commands-sim.cpp and
/// emulated_commands-native.cpp (none).
const std::vector<Subcommand>& emulated_subcommands();

void add_run_options(CLI::App& command, bool emulated);
ExitStatus run_action(const Invocation& how);
void add_sweep_options(CLI::App& command, bool emulated);
ExitStatus sweep_action(const Invocation& how);
void add_gen_options(CLI::App& command, bool emulated);
ExitStatus gen_action(const Invocation& how);
void add_compact_options(CLI::App& command, bool emulated);
ExitStatus compact_action(const Invocation& how);
void add_import_options(CLI::App& command, bool emulated);
ExitStatus import_action(const Invocation& how);
void add_summary_options(CLI::App& command, bool emulated);
ExitStatus summary_action(const Invocation& how);
void add_export_options(CLI::App& command, bool emulated);
ExitStatus export_action(const Invocation& how);
void add_list_options(CLI::App& command, bool emulated);
ExitStatus list_action(const Invocation& how);
void add_devices_options(CLI::App& command, bool emulated);
ExitStatus devices_action(const Invocation& how);
void add_report_options(CLI::App& command, bool emulated);
ExitStatus report_action(const Invocation& how);
void add_compare_options(CLI::App& command, bool emulated);
ExitStatus compare_action(const Invocation& how);
void add_lot_options(CLI::App& command, bool emulated);
ExitStatus lot_action(const Invocation& how);

}  // namespace kavlab

#endif
