// kavlab lot: several results of the same plan, one per chip, read as one lot: per defect on
// how many chips each way of judging detects it, the marginal defects, and the spread of the
// chips' coverage.
#include "results/lot.h"

#include <CLI/CLI.hpp>
#include <cstdio>

#include "commands/commands.h"
#include "commands/common.h"
#include "results/lot_print.h"
#include "results/results_json.h"

namespace kavlab {

namespace {

struct LotOptions {
  std::vector<std::string> files;
  bool json = false, csv = false;
};
LotOptions options;

}  // namespace

void add_lot_options(CLI::App& command, bool) {
  options = LotOptions{};
  command.add_option("results", options.files, "Results files of one plan, one per chip")
      ->required();
  command.add_flag("--json", options.json, "As JSON")
      ->excludes(command.add_flag("--csv", options.csv, "As CSV, a row per defect"));
}

ExitStatus lot_action(const Invocation&) {
  if (options.files.size() < 2)
    return command_failed(ExitStatus::CommandLine,
                          "a lot takes two results files or more, one per chip");
  std::vector<Results> all;
  std::string error;
  if (!load_all(options.files, &all, &error)) return command_failed(ExitStatus::FileTrouble, error);
  std::vector<const Results*> results;
  for (const Results& r : all) results.push_back(&r);
  std::string why = lot_refusal(results, options.files);
  if (!why.empty()) return command_failed(ExitStatus::FileTrouble, why);
  Lot lot = make_lot(results, options.files);
  bool written = true;
  if (options.json)
    written = print(lot_json(lot));
  else if (options.csv)
    print_lot_csv(stdout, lot);
  else
    print_lot(stdout, lot);
  if (!written || std::fflush(stdout) != 0 || std::ferror(stdout))
    return command_failed(ExitStatus::FileTrouble, "cannot write the lot");
  return ExitStatus::Done;
}

}  // namespace kavlab
