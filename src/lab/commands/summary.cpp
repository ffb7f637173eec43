// kavlab summary: per circuit of each results file, what logic and the monitor detect, the
// escapes and the essential vectors; a sweep's table per value.
#include "results/summary.h"

#include <CLI/CLI.hpp>
#include <cstdio>

#include "commands/commands.h"
#include "commands/common.h"
#include "results/results_json.h"
#include "results/summary_print.h"
#include "results/sweep.h"

namespace kavlab {

namespace {

struct SummaryOptions {
  std::vector<std::string> files;
  bool json = false, csv = false;
};
SummaryOptions options;

/// The text or CSV of every set, in order.
void print_sets(const std::vector<SummarySet>& sets) {
  for (std::size_t i = 0; i < sets.size(); i++) {
    const Results& r = *sets[i].results;
    if (options.csv)
      print_summary_csv(stdout, sets[i].source, r, sets[i].circuits, i == 0);
    else if (!r.sweep.empty())
      print_sweep(stdout, sets[i].source, r);
    else
      print_summary(stdout, sets[i].source, r, sets[i].circuits);
    if (!options.csv && i + 1 < sets.size()) std::fputc('\n', stdout);
  }
}

}  // namespace

void add_summary_options(CLI::App& command, bool) {
  options = SummaryOptions{};
  command.add_option("results", options.files, "Results files")->required();
  command.add_flag("--json", options.json, "As JSON")
      ->excludes(command.add_flag("--csv", options.csv, "As CSV"));
}

ExitStatus summary_action(const Invocation&) {
  std::vector<Results> all;
  std::string error;
  if (!load_all(options.files, &all, &error)) return command_failed(ExitStatus::FileTrouble, error);
  std::vector<SummarySet> sets;
  for (std::size_t i = 0; i < options.files.size(); i++) {
    if (options.csv && !all[i].sweep.empty())
      return command_failed(
          ExitStatus::CommandLine,
          options.files[i] + " is a sweep: its summary is a table or JSON, not CSV");
    sets.push_back({options.files[i], &all[i], summarize(all[i])});
  }
  bool written = true;
  if (options.json)
    written = print(summaries_json(sets));
  else
    print_sets(sets);
  if (!written || std::fflush(stdout) != 0 || std::ferror(stdout))
    return command_failed(ExitStatus::FileTrouble, "cannot write the summary");
  return ExitStatus::Done;
}

}  // namespace kavlab
