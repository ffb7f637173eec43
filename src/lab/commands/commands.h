// The subcommands of kavlab, each on its parsed command line.
#ifndef KAVLAB_COMMANDS_H
#define KAVLAB_COMMANDS_H

#include <string>
#include <vector>

#include "run/run_engine.h"

namespace kavlab {

/// Exit statuses of kavlab.
constexpr int LAB_OK = 0;
constexpr int LAB_BAD_INPUT = 1;      ///< a file could not be read, checked or written
constexpr int LAB_USAGE = 2;          ///< the command line is wrong
constexpr int LAB_INTERRUPTED = 130;  ///< Ctrl-C: what was measured is saved, marked partial
constexpr int LAB_BOX_FAILURE = 255;  ///< no box, or the box failed (as kavtest's -1)

struct RunArgs {
  std::vector<std::string> circuits;  ///< numbers, or "all"
  std::string cells = "all";
  PassPlan plan = PassPlan::Both;
  std::string device;  ///< empty: the first box
  std::string output;  ///< empty: named after the first test file
  bool force = false;
  std::string resume;  ///< a partial results file to continue; empty: none
  bool exhaustive = false;
  std::vector<std::string> tests;
  std::vector<std::string> command_line;
  std::string engine, bridge_ohms, monitor_ua;  ///< kavlab-sim's engine; empty: not given
};
int run_command(const RunArgs& a);

/// kavlab-sim sweep: one circuit on the analog engine, a pass per bridge resistance.
struct SweepArgs {
  int circuit = -1;
  std::string cells = "all";
  std::string bridge_ohms = "10,100,1k,10k";  ///< the resistances, comma-separated, in order
  std::string monitor_ua;                     ///< empty: the engine's default
  std::string device;
  std::string output;  ///< empty: named after the test file, or kavlab-sweep.json
  bool force = false;
  bool exhaustive = false;
  std::vector<std::string> tests;  ///< one test file, or none with --exhaustive
  std::vector<std::string> command_line;
};
int sweep_command(const SweepArgs& a);

/// kavlab-sim gen: tests generated from the emulated chip's switch-level model.
struct GenArgs {
  std::string circuit;        ///< a number, or "all"
  std::string by = "either";  ///< logic, monitor or either
  std::string engine;         ///< empty or "switch"; "analog": verified on the analog engine
  int need = 1;               ///< --n-detect
  std::string output;         ///< the TST file; with "all", a directory
  bool force = false;
};
int gen_command(const GenArgs& a);

/// kavlab-sim compact: a shorter sequence from a test file's vectors.
struct CompactArgs {
  int circuit = -1;
  std::string test;
  std::string by = "either";
  std::string output;
  bool force = false;
};
int compact_command(const CompactArgs& a);

struct ImportArgs {
  std::string test;
  int circuit = -1;
  std::string cells = "all";
  bool monitor = false;
  std::string output;
  bool force = false;
  std::vector<std::string> command_line;
};
int import_command(const ImportArgs& a);

struct SummaryArgs {
  std::vector<std::string> files;
  bool json = false, csv = false;
};
int summary_command(const SummaryArgs& a);

struct ExportArgs {
  std::string results;
  std::string csv, tst;  ///< empty: not written
  int circuit = -1;
  bool monitor = false;
};
int export_command(const ExportArgs& a);

struct ReportArgs {
  std::vector<std::string> files;
  std::string output;  ///< "-": standard output
};
int report_command(const ReportArgs& a);

/// Exit statuses of kavlab compare, as those of diff.
constexpr int LAB_SAME = 0;
constexpr int LAB_DIFFERENT = 1;
/// Unreadable files, or results of other circuits, cells or vectors.
constexpr int LAB_TROUBLE = 2;

struct CompareArgs {
  std::vector<std::string> files;  ///< two, or one with `logic_vs_monitor`
  bool logic = false, monitor = false, logic_vs_monitor = false;
  bool json = false, csv = false;
};
int compare_command(const CompareArgs& a);

/// The catalogue: every circuit, or the cells of `circuit`.
int list_command(int circuit, bool json);
/// The attached boxes.
int devices_command(bool json);

/// Prints "kavlab: <message>" on standard error; returns `status`.
int command_failed(int status, const std::string& message);

/// The default results file of a run or an import: "<stem>.results.json" in the current
/// directory for the test file `test`, "kavlab-results.json" without one.
std::string default_output(const std::string& test);

}  // namespace kavlab

#endif
