// kavlab report: one HTML page of results files, a circuit's results side by side.
#include <CLI/CLI.hpp>

#include "commands/commands.h"
#include "commands/common.h"
#include "report/model.h"
#include "report/page.h"
#include "results/output_file.h"
#include "run/box_kind.h"

namespace kavlab {

namespace {

struct ReportOptions {
  std::vector<std::string> files;
  std::string output;  ///< "-": standard output
};
ReportOptions options;

}  // namespace

void add_report_options(CLI::App& command, bool) {
  options = ReportOptions{};
  command.add_option("results", options.files, "Results files; a circuit's results side by side")
      ->required();
  command.add_option("-o,--output", options.output, "The HTML file ('-': standard output)")
      ->required();
}

ExitStatus report_action(const Invocation&) {
  std::vector<Results> all;
  std::string error;
  Output output;
  if (!output.claim(options.output, options.files, &error) ||
      !load_all(options.files, &all, &error))
    return command_failed(ExitStatus::FileTrouble, error);
  Provenance who;
  describe_box(who);
  std::string page = report_html(report_sources(options.files, std::move(all)),
                                 who.program + " " + KAVLAB_VERSION);
  if (!write_text(options.output, page, &error))
    return command_failed(ExitStatus::FileTrouble, error);
  return ExitStatus::Done;
}

}  // namespace kavlab
