// kavlab summary: per circuit of each results file, what logic and the monitor detect, the
// escapes and the essential vectors; a sweep's table per value.
#include "results/summary.h"

#include <CLI/CLI.hpp>
#include <cstdio>

#include "commands/commands.h"
#include "commands/common.h"
#include "commands/options.h"
#include "results/coverage_gate.h"
#include "results/csv.h"
#include "results/results_json.h"
#include "results/summary_print.h"
#include "results/sweep.h"
#include "results/terminal_text.h"

namespace kavlab {

namespace {

struct SummaryOptions {
  std::vector<std::string> files;
  bool json = false, csv = false;
  double fail_under = -1;  ///< the gate's least percent; negative: no gate
  Judgement by = Judgement::Either;
  std::string classes;  ///< comma-separated; empty: every class
  bool total = false;
};
SummaryOptions options;

/// The classes --class names.
std::vector<DefectClass> classes_of(const std::string& words) {
  std::vector<DefectClass> classes;
  for (const std::string& w : split_commas(words))
    for (DefectClass c : kEveryClass)
      if (w == class_option(c)) classes.push_back(c);
  return classes;
}

/// Checks every result against the gate of --fail-under; Done when all pass, else each failure
/// said on standard error and BelowThreshold.
ExitStatus apply_gate(const std::vector<SummarySet>& sets) {
  CoverageGate gate{options.fail_under, options.by, classes_of(options.classes), options.total};
  bool failed = false;
  std::fflush(stdout);  // the summary first, when both streams go to one file
  for (const SummarySet& set : sets)
    for (const GateFailure& f : gate_failures(set.circuits, gate)) {
      std::fprintf(stderr, "kavlab: %s: %s\n", terminal_text(set.source).c_str(),
                   terminal_text(gate_failure_text(f, gate)).c_str());
      failed = true;
    }
  return failed ? ExitStatus::BelowThreshold : ExitStatus::Done;
}

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
  CLI::Option* gate =
      command
          .add_option("--fail-under", options.fail_under,
                      "End with status 3 when a circuit detects less than PCT percent of its "
                      "measured defects (a circuit not measured fails too)")
          ->type_name("PCT")
          ->check(reworded(CLI::Range(0.0, 100.0), "a percent from 0 to 100"));
  command.add_option("--by", options.by, "The gate's way of judging (default either)")
      ->transform(enum_choice<Judgement>({{"logic", Judgement::Logic},
                                          {"monitor", Judgement::Monitor},
                                          {"either", Judgement::Either}}))
      ->type_name("logic|monitor|either")
      ->needs(gate);
  command.add_option("--class", options.classes, "The gate counts these classes only")
      ->check(comma_list(one_of({"rail-short", "bridge", "open"})))
      ->type_name("rail-short|bridge|open,...")
      ->needs(gate);
  command.add_flag("--total", options.total, "The gate judges all circuits together")->needs(gate);
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
    if (options.fail_under >= 0 && !all[i].sweep.empty())
      return command_failed(ExitStatus::CommandLine,
                            options.files[i] + " is a sweep: --fail-under gates runs");
    sets.push_back({options.files[i], &all[i], summarize(all[i])});
  }
  bool written = true;
  if (options.json)
    written = print(summaries_json(sets));
  else
    print_sets(sets);
  if (!written || std::fflush(stdout) != 0 || std::ferror(stdout))
    return command_failed(ExitStatus::FileTrouble, "cannot write the summary");
  return options.fail_under < 0 ? ExitStatus::Done : apply_gate(sets);
}

}  // namespace kavlab
