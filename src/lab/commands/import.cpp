// kavlab import: a TST file that kavtest's defect-table run wrote, turned into a results file.
#include <CLI/CLI.hpp>

#include "commands/commands.h"
#include "commands/common.h"
#include "commands/options.h"
#include "results/results_file.h"
#include "run/cell_choice.h"
#include "run/import_tst.h"
#include "run/run_steps.h"

namespace kavlab {

namespace {

struct ImportOptions {
  std::string test;
  int circuit = -1;
  CellChoice::Kind cells = CellChoice::Kind::All;
  bool monitor = false;
  bool reference_differs = false;
  std::string output;
  bool force = false;
};
ImportOptions options;

}  // namespace

void add_import_options(CLI::App& command, bool) {
  options = ImportOptions{};
  command.add_option("test", options.test, "The TST file")->required()->check(existing_file());
  command.add_option("-c,--circuit", options.circuit, "The circuit of that run")
      ->required()
      ->transform(circuit_number());
  command
      .add_option("--cells", options.cells,
                  "The cells of that run: all (-all_defects) or saf (-saf_defects)")
      ->transform(enum_choice<CellChoice::Kind>(
          {{"all", CellChoice::Kind::All}, {"saf", CellChoice::Kind::Saf}}))
      ->type_name("all|saf");
  command.add_flag("--monitor", options.monitor, "That run judged by the current monitor (-bicm)");
  command.add_flag("--reference-differs", options.reference_differs,
                   "Import a table whose reference outputs are not the circuit's logic function "
                   "(a broken reference cell), marked as such");
  command.add_option("-o,--output", options.output, "Results file (default: <stem>.results.json)");
  command.add_flag("--force", options.force, "Replace an existing results file");
}

ExitStatus import_action(const Invocation& how) {
  std::string error;
  Output output;
  if (!claim_new_output(options.output, options.test, options.force, {options.test}, &output,
                        &error))
    return command_failed(ExitStatus::FileTrouble, error);
  const std::string& out = output.path();
  std::vector<int> cells;
  if (!choose_cells(options.circuit, {options.cells, {}}, &cells, &error))
    return command_failed(ExitStatus::CommandLine, error);
  Results r;
  r.provenance = provenance_of(how.words);
  r.provenance.emulated = Emulated::Unknown;
  r.provenance.engine.clear();
  r.provenance.engine_parameters.clear();
  r.circuits.push_back(circuit_skeleton(options.circuit, cells));
  ReferenceCheck check = options.reference_differs ? ReferenceCheck::Mark : ReferenceCheck::Refuse;
  if (!import_tst(options.test, options.monitor, check, r.circuits[0], &error) ||
      !save_results(r, out, &error))
    return command_failed(ExitStatus::FileTrouble, error);
  tell_written(out, results_words(r));
  return ExitStatus::Done;
}

}  // namespace kavlab
