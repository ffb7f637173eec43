// The command line through CLI11: the only source that includes it.
#include "cli.h"

#include <CLI/CLI.hpp>

#include "run/box_kind.h"
#include "commands/commands.h"
#include "messages.h"

namespace kavlab {

namespace {

/// The measurement choice of a run: one flag of --logic, --monitor, --both, and --one-pass.
struct PassFlags {
  bool logic = false, monitor = false, both = false, one_pass = false;
};

/// The box, the results file and whether it may be replaced: --device, -o and --force.
void add_output_options(CLI::App* command, std::string& device, std::string& output,
                        bool& force, const std::string& default_output) {
  command->add_option("--device", device, "The box to use (default: the first one)");
  command->add_option("-o,--output", output, "Results file (default: " + default_output + ")");
  command->add_flag("--force", force, "Replace an existing results file");
}

/// Where the vectors come from: --exhaustive, or test files (`name`), one excluding the other.
void add_vector_source(CLI::App* command, bool& exhaustive, std::vector<std::string>& tests,
                       const std::string& exhaustive_help, const std::string& name,
                       const std::string& tests_help) {
  CLI::Option* every = command->add_flag("--exhaustive", exhaustive, exhaustive_help);
  command->add_option(name, tests, tests_help)->check(CLI::ExistingFile)->excludes(every);
}

/// kavlab-sim's choice of the emulated box's engine.
void add_engine_options(CLI::App* command, RunArgs& a) {
  command->add_option("--engine", a.engine, "The emulated chip's engine (default: switch)")
      ->check(CLI::IsMember({"switch", "analog"}));
  command->add_option("--bridge-ohms", a.bridge_ohms,
                      "Analog engine: the resistance of every short (default 10)")
      ->type_name("R");
  command->add_option("--monitor-ua", a.monitor_ua,
                      "Analog engine: the current monitor's threshold in uA (default 10)")
      ->type_name("I");
}

void add_run(CLI::App& app, RunArgs& a, PassFlags& f, bool emulated) {
  CLI::App* run = app.add_subcommand("run",
                                     "Measure the reference and the chosen cells of "
                                     "circuits on the box, and save the results");
  run->add_option("-c,--circuit", a.circuits, "Circuit number; repeat for several, or 'all'")
      ->required()
      ->allow_extra_args(false)
      ->type_name("N|all");
  run->add_option("--cells", a.cells, "all (default), saf (shorts to a rail) or I,J,...")
      ->type_name("all|saf|I,J,...");
  CLI::Option* logic = run->add_flag("--logic", f.logic, "Judge by the outputs only (monitor off)");
  CLI::Option* monitor = run->add_flag("--monitor", f.monitor, "Judge by the current monitor only");
  CLI::Option* both =
      run->add_flag("--both", f.both, "A logic pass, then a monitor pass (the default)");
  logic->excludes(monitor)->excludes(both);
  monitor->excludes(both);
  run->add_flag("--one-pass", f.one_pass,
                "Both judgements from one pass with the monitor on (half the time)")
      ->excludes(logic)
      ->excludes(monitor);
  add_output_options(run, a.device, a.output, a.force,
                     "<test file stem>.results.json, or kavlab-results.json with --exhaustive");
  add_vector_source(run, a.exhaustive, a.tests,
                    "Every input vector of each circuit, in counting order", "tests",
                    "One TST file per circuit, in the order of -c");
  if (emulated) add_engine_options(run, a);
}

/// kavlab-sim sweep.
void add_sweep(CLI::App& app, SweepArgs& a) {
  CLI::App* sweep = app.add_subcommand("sweep",
                                       "Measure a circuit on the analog engine once per bridge "
                                       "resistance, and save and show the coverage of each");
  sweep->add_option("-c,--circuit", a.circuit, "Circuit number")->required();
  sweep->add_option("--cells", a.cells, "all (default), saf (shorts to a rail) or I,J,...")
      ->type_name("all|saf|I,J,...");
  sweep->add_option("--bridge-ohms", a.bridge_ohms,
                    "The resistances of the shorts, in order (default 10,100,1k,10k)")
      ->type_name("R,R,...");
  sweep->add_option("--monitor-ua", a.monitor_ua,
                    "The current monitor's threshold in uA (default 10)")
      ->type_name("I");
  add_output_options(sweep, a.device, a.output, a.force,
                     "<test file stem>.sweep.json, or kavlab-sweep.json with --exhaustive");
  add_vector_source(sweep, a.exhaustive, a.tests, "Every input vector in counting order", "test",
                    "The circuit's TST file");
}

/// kavlab-sim gen and compact.
void add_generator(CLI::App& app, GenArgs& g, CompactArgs& c) {
  CLI::App* gen = app.add_subcommand(
      "gen",
      "Generate a short test from the chip's switch-level model that detects every defect "
      "it can whatever state the cells were left in, and sort the defects into three kinds");
  gen->add_option("-c,--circuit", g.circuit, "Circuit number, or 'all'")
      ->required()
      ->type_name("N|all");
  gen->add_option("--by", g.by, "Detected by logic, the monitor, or either (default)")
      ->check(CLI::IsMember({"logic", "monitor", "either"}));
  gen->add_option("--engine", g.engine,
                  "switch (default), or analog: generated at switch level, then verified on "
                  "the analog engine")
      ->check(CLI::IsMember({"switch", "analog"}));
  gen->add_option("--n-detect", g.need, "Detect each defect at least K times (default 1)")
      ->type_name("K")
      ->check(CLI::PositiveNumber);
  gen->add_option("-o,--output", g.output, "The TST file; with -c all, a directory")->required();
  gen->add_flag("--force", g.force, "Replace existing files");
  CLI::App* compact = app.add_subcommand(
      "compact",
      "The shortest test found from a TST file's vectors that keeps what the file detects");
  compact->add_option("-c,--circuit", c.circuit, "Circuit number")->required();
  compact->add_option("test", c.test, "The TST file")->required()->check(CLI::ExistingFile);
  compact->add_option("--by", c.by, "Detected by logic, the monitor, or either (default)")
      ->check(CLI::IsMember({"logic", "monitor", "either"}));
  compact->add_option("-o,--output", c.output, "The shorter TST file")->required();
  compact->add_flag("--force", c.force, "Replace an existing file");
}

void add_import(CLI::App& app, ImportArgs& a) {
  CLI::App* imp = app.add_subcommand(
      "import", "Turn a TST file written by kavtest's defect-table run into a results file");
  imp->add_option("test", a.test, "The TST file")->required()->check(CLI::ExistingFile);
  imp->add_option("-c,--circuit", a.circuit, "The circuit of that run")->required();
  imp->add_option("--cells", a.cells,
                  "The cells of that run: all (-all_defects) or saf "
                  "(-saf_defects)")
      ->check(CLI::IsMember({"all", "saf"}));
  imp->add_flag("--monitor", a.monitor, "That run judged by the current monitor (-bicm)");
  imp->add_option("-o,--output", a.output, "Results file (default: <stem>.results.json)");
  imp->add_flag("--force", a.force, "Replace an existing results file");
}

void add_report(CLI::App& app, ReportArgs& a) {
  CLI::App* report = app.add_subcommand(
      "report", "One HTML page of results: summary, detection maps, coverage curves, escapes");
  report->add_option("results", a.files, "Results files; a circuit's results side by side")
      ->required();
  report->add_option("-o,--output", a.output, "The HTML file ('-': standard output)")->required();
}

void add_reports(CLI::App& app, SummaryArgs& s, ExportArgs& e, int& circuit, bool& json) {
  CLI::App* sum = app.add_subcommand("summary",
                                     "Per circuit: detections by logic and by the "
                                     "monitor, escapes, essential vectors");
  sum->add_option("results", s.files, "Results files")->required();
  sum->add_flag("--json", s.json, "As JSON")->excludes(sum->add_flag("--csv", s.csv, "As CSV"));
  CLI::App* ex = app.add_subcommand("export",
                                    "Write a result as CSV, or as the TST file kavtest "
                                    "would have written");
  ex->add_option("results", e.results, "Results file")->required();
  ex->add_option("--csv", e.csv, "One row per circuit, cell and vector ('-': standard output)");
  ex->add_option("--tst", e.tst, "The TST file of circuit -c ('-': standard output)");
  ex->add_option("-c,--circuit", e.circuit, "The circuit of --tst");
  ex->add_flag("--monitor", e.monitor, "The TST file of the monitor's judgement (as -bicm)");
  CLI::App* list = app.add_subcommand("list", "The circuits of the chip, or the cells of one");
  list->add_option("-c,--circuit", circuit, "List this circuit's cells");
  list->add_flag("--json", json, "As JSON");
  CLI::App* dev = app.add_subcommand("devices", "The attached boxes");
  dev->add_flag("--json", json, "As JSON");
}

void add_compare(CLI::App& app, CompareArgs& a) {
  CLI::App* cmp = app.add_subcommand(
      "compare",
      "Where two results detect differently, or one result's logic and monitor (exit "
      "status 0 same, 1 different, 2 trouble)");
  cmp->add_option("results", a.files, "Two results files, A and B (one with --logic-vs-monitor)")
      ->required();
  CLI::Option* logic = cmp->add_flag("--logic", a.logic, "Compare the judgements by logic only");
  CLI::Option* monitor =
      cmp->add_flag("--monitor", a.monitor, "Compare the judgements by the monitor only");
  cmp->add_flag("--logic-vs-monitor", a.logic_vs_monitor,
                "Logic against the monitor within one result")
      ->excludes(logic)
      ->excludes(monitor);
  logic->excludes(monitor);
  cmp->add_flag("--json", a.json, "As JSON")->excludes(cmp->add_flag("--csv", a.csv, "As CSV"));
}

/// kavlab run --resume.
void add_resume(CLI::App* run, std::string& resume) {
  run->add_option("--resume", resume,
                  "Continue this partial result (saved after Ctrl-C or a failing box) with "
                  "the same options; written back to it unless -o says otherwise")
      ->check(CLI::ExistingFile);
}

PassPlan plan_of(const PassFlags& f) {
  if (f.logic) return PassPlan::Logic;
  if (f.monitor) return PassPlan::Monitor;
  return f.one_pass ? PassPlan::OnePass : PassPlan::Both;
}

}  // namespace

int lab_main(int argc, char** argv) {
  verbose_mode = 1;  // the tool's pieces print their trace lines only at level 0
  Provenance who;
  describe_box(who);
  CLI::App app{"Runs, summaries, reports and exports of defect tests on a Kavrin box" +
                   std::string(who.emulated == Emulated::Yes ? " (here: the emulated box)" : ""),
               who.program};
  app.set_version_flag("--version", who.program + " " + KAVLAB_VERSION);
  app.require_subcommand(1);
  RunArgs run;
  SweepArgs sweep;
  PassFlags flags;
  ImportArgs imp;
  SummaryArgs sum;
  ExportArgs ex;
  ReportArgs report;
  int list_circuit = -1;
  bool json = false;
  add_run(app, run, flags, who.emulated == Emulated::Yes);
  GenArgs gen;
  CompactArgs compact_args;
  if (who.emulated == Emulated::Yes) {
    add_sweep(app, sweep);
    add_generator(app, gen, compact_args);
  }
  add_import(app, imp);
  add_reports(app, sum, ex, list_circuit, json);
  add_report(app, report);
  CompareArgs compare;
  add_compare(app, compare);
  add_resume(app.get_subcommand("run"), run.resume);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? LAB_OK : LAB_USAGE;
  }
  std::vector<std::string> words(argv, argv + argc);
  run.command_line = imp.command_line = sweep.command_line = words;
  run.plan = plan_of(flags);
  std::string chosen = app.get_subcommands().front()->get_name();
  if (chosen == "run") return run_command(run);
  if (chosen == "sweep") return sweep_command(sweep);
  if (chosen == "gen") return gen_command(gen);
  if (chosen == "compact") return compact_command(compact_args);
  if (chosen == "import") return import_command(imp);
  if (chosen == "summary") return summary_command(sum);
  if (chosen == "report") return report_command(report);
  if (chosen == "export") return export_command(ex);
  if (chosen == "compare") return compare_command(compare);
  if (chosen == "list") return list_command(list_circuit, json);
  return devices_command(json);
}

}  // namespace kavlab
