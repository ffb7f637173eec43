// kavlab compare: where two results detect differently, or one result's logic and monitor; it
// ends as diff does.
#include "results/compare.h"

#include <CLI/CLI.hpp>

#include "commands/commands.h"
#include "commands/common.h"
#include "results/compare_print.h"
#include "results/output_file.h"
#include "results/results_file.h"
#include "results/results_json.h"

namespace kavlab {

namespace {

struct CompareOptions {
  std::vector<std::string> files;  ///< two, or one with `logic_vs_monitor`
  bool logic = false, monitor = false, logic_vs_monitor = false;
  bool json = false, csv = false;
  bool common = false;  ///< only the circuits and cells both results hold
};
CompareOptions options;

/// The comparison the command line asks for; false with `*trouble` set.
bool compare_files(std::vector<Results>& all, Comparison* out, std::string* trouble) {
  const CompareOptions& a = options;
  std::size_t wanted = a.logic_vs_monitor ? 1 : 2;
  if (a.files.size() != wanted) {
    *trouble = a.logic_vs_monitor ? "--logic-vs-monitor takes one results file"
                                  : "compare takes two results files (or one with "
                                    "--logic-vs-monitor)";
    return false;
  }
  all.resize(wanted);
  for (std::size_t i = 0; i < wanted; i++)
    if (!load_results(a.files[i], &all[i], trouble)) return false;
  if (a.logic_vs_monitor) return compare_logic_monitor(all[0], a.files[0], out, trouble);
  std::vector<Measure> measures;
  if (a.logic) measures.push_back(Measure::Logic);
  if (a.monitor) measures.push_back(Measure::Monitor);
  if (a.common) {
    Results left, right;
    if (!common_parts(all[0], a.files[0], all[1], a.files[1], &left, &right, trouble)) return false;
    all = {std::move(left), std::move(right)};
  }
  return compare_results(all[0], a.files[0], all[1], a.files[1], measures, out, trouble);
}

}  // namespace

void add_compare_options(CLI::App& command, bool) {
  options = CompareOptions{};
  command
      .add_option("results", options.files,
                  "Two results files, A and B (one with --logic-vs-monitor)")
      ->required();
  CLI::Option* logic =
      command.add_flag("--logic", options.logic, "Compare the judgements by logic only");
  CLI::Option* monitor =
      command.add_flag("--monitor", options.monitor, "Compare the judgements by the monitor only");
  command
      .add_flag("--logic-vs-monitor", options.logic_vs_monitor,
                "Logic against the monitor within one result")
      ->excludes(logic)
      ->excludes(monitor);
  logic->excludes(monitor);
  command.add_flag("--json", options.json, "As JSON")
      ->excludes(command.add_flag("--csv", options.csv, "As CSV"));
  command
      .add_flag("--common", options.common,
                "Compare only the circuits and cells both results hold (their vectors must be "
                "the same)")
      ->excludes("--logic-vs-monitor");
}

ExitStatus compare_action(const Invocation&) {
  std::vector<Results> all;
  Comparison c;
  std::string error;
  if (!compare_files(all, &c, &error)) return command_failed(ExitStatus::Trouble, error);
  if (options.json) {
    if (!write_text("-", comparison_json(c), &error))
      return command_failed(ExitStatus::Trouble, error);
  } else {
    if (options.csv)
      print_comparison_csv(stdout, c);
    else
      print_comparison(stdout, c);
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
      return command_failed(ExitStatus::Trouble, "cannot write the comparison");
  }
  return total_differences(c) == 0 ? ExitStatus::Same : ExitStatus::Different;
}

}  // namespace kavlab
