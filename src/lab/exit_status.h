// How a kavlab command ends: the one list of its exit statuses, as the manual's table gives it.
#ifndef KAVLAB_EXIT_STATUS_H
#define KAVLAB_EXIT_STATUS_H

namespace kavlab {

/// The exit statuses of kavlab. `compare` ends as diff does (Same, Different, Trouble); every
/// other command with the others. A status that a later feature needs is added here and to the
/// manual's table, and nowhere else.
enum class ExitStatus : int {
  Done = 0,         ///< the command was done
  FileTrouble = 1,  ///< a file could not be read, checked or written
  CommandLine = 2,  ///< the command line is wrong
  /// summary --fail-under: some circuit (or the total) detects less than the least asked for,
  /// or was not measured; the message names each.
  BelowThreshold = 3,
  /// A test file holds an error: the shared TST reader prints the line and ends the process
  /// with this status itself (the value of FATAL_ERROR_STATUS, which kavtest's output pins).
  BadTestFile = 14,
  /// The output could not be written where asked: what was measured is kept at a fallback
  /// path, which the message names.
  KeptElsewhere = 4,
  /// What was measured could be written nowhere: it is lost, and the message says why.
  NotSaved = 5,
  /// run on several boxes: some box failed, or its result was kept elsewhere or lost; the
  /// others finished, and the message names which did and which did not.
  SomeBoxesFailed = 6,
  HungUp = 129,       ///< the terminal closed (SIGHUP): what was measured is saved, marked partial
  Interrupted = 130,  ///< Ctrl-C (SIGINT): what was measured is saved, marked partial
  Terminated = 143,   ///< SIGTERM: what was measured is saved, marked partial
  BoxFailed = 255,    ///< no box, or the box failed (kavtest's -1); what was measured is saved

  Same = 0,       ///< compare: the results detect alike
  Different = 1,  ///< compare: they differ somewhere
  Trouble = 2,    ///< compare: unreadable files, other circuits, cells or vectors, a bad line
};

/// The status as the process's exit code.
constexpr int exit_code(ExitStatus s) { return static_cast<int>(s); }

}  // namespace kavlab

#endif
