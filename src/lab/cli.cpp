// The table of kavlab's subcommands, and the command line through CLI11.
#include "cli.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <iostream>
#include <sstream>

#include "messages.h"
#include "results/limits.h"
#include "results/results.h"
#include "run/box_kind.h"

namespace kavlab {

namespace {

/// The subcommands of every kavlab binary; kavlab-sim adds its own after `run`.
const Subcommand kSubcommands[] = {
    {"run",
     "Measure the reference and the chosen cells of circuits on the box, and save the results",
     add_run_options, run_action},
    {"import", "Turn a TST file written by kavtest's defect-table run into a results file",
     add_import_options, import_action},
    {"summary", "Per circuit: detections by logic and by the monitor, escapes, essential vectors",
     add_summary_options, summary_action},
    {"export", "Write a result as CSV, or as the TST file kavtest would have written",
     add_export_options, export_action},
    {"list", "The circuits of the chip, or the cells of one", add_list_options, list_action},
    {"devices", "The attached boxes", add_devices_options, devices_action},
    {"report", "One HTML page of results: summary, detection maps, coverage curves, escapes",
     add_report_options, report_action},
    {"compare",
     "Where two results detect differently, or one result's logic and monitor (exit status 0 "
     "same, 1 different, 2 trouble)",
     add_compare_options, compare_action},
    {"lot",
     "Results of one plan on several chips read as one lot: what every chip detects, what only "
     "some do, the spread of the coverage",
     add_lot_options, lot_action},
};

/// The longest message about the command line: a refused value is never echoed whole.
constexpr std::size_t kLongestMessage = 300;

/// This binary's subcommands in the order of its help.
std::vector<Subcommand> subcommands() {
  std::vector<Subcommand> all(std::begin(kSubcommands), std::end(kSubcommands));
  const std::vector<Subcommand>& own = emulated_subcommands();
  all.insert(all.begin() + 1, own.begin(), own.end());
  return all;
}

/// The edits (insertions, deletions, replacements) that turn `a` into `b`.
std::size_t edit_distance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); j++) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); i++) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); j++) {
      std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1] ? 1 : 0)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

/// Why `word` is not a subcommand, naming the nearest one; empty when it is one.
std::string unknown_command(const std::string& word, const std::vector<Subcommand>& all) {
  const Subcommand* nearest = nullptr;
  std::size_t best = 3;  // more edits than 2 suggest nothing
  std::string names;
  for (const Subcommand& s : all) {
    if (word == s.name) return "";
    std::size_t d = edit_distance(word, s.name);
    if (d < best) best = d, nearest = &s;
    names += (names.empty() ? "" : ", ") + std::string(s.name);
  }
  std::string shown = word.size() > 40 ? word.substr(0, 40) + "..." : word;
  if (nearest != nullptr)
    return "no command '" + shown + "'; did you mean '" + nearest->name + "'?";
  return "no command '" + shown + "' (the commands: " + names + ")";
}

/// CLI11's refusals in kavlab's form: "kavlab: <message>", cut when long.
std::string failure_message(const CLI::App*, const CLI::Error& e) {
  std::string message = e.what();
  if (message.size() > kLongestMessage) message = message.substr(0, kLongestMessage) + "...";
  return "kavlab: " + message + "\n";
}

}  // namespace

ParsedLine parse_command_line(const std::vector<std::string>& words) {
  Provenance who;
  describe_box(who);
  bool emulated = who.emulated == Emulated::Yes;
  std::vector<Subcommand> all = subcommands();
  ParsedLine line;
  if (words.size() < 2)
    return {ExitStatus::CommandLine, "", "kavlab: no command given (--help lists them)\n", nullptr};
  if (!words[1].empty() && words[1][0] != '-') {
    std::string why = unknown_command(words[1], all);
    if (!why.empty()) return {ExitStatus::CommandLine, "", "kavlab: " + why + "\n", nullptr};
  }
  // A run's results file keeps the command line: no word is longer than a reader takes.
  for (const std::string& w : words)
    if (w.size() > kMaxNameBytes)
      return {ExitStatus::CommandLine, "",
              "kavlab: a word of the command line is " + std::to_string(w.size()) +
                  " bytes long, over the " + std::to_string(kMaxNameBytes) +
                  " a word may have: " + shown_value(w) + "\n",
              nullptr};
  CLI::App app{"Runs, summaries, reports and exports of defect tests on a Kavrin box" +
                   std::string(emulated ? " (here: the emulated box)" : ""),
               who.program};
  app.set_version_flag("--version", who.program + " " + KAVLAB_VERSION);
  app.require_subcommand(1);
  app.failure_message(failure_message);
  for (const Subcommand& s : all) s.add_options(*app.add_subcommand(s.name, s.help), emulated);
  std::vector<std::string> reversed(words.rbegin(), words.rend() - 1);  // CLI11 reads from back
  std::ostringstream out, err;
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    int code = app.exit(e, out, err);
    return {code == 0 ? ExitStatus::Done : ExitStatus::CommandLine, out.str(), err.str(), nullptr};
  }
  std::string chosen = app.get_subcommands().front()->get_name();
  for (const Subcommand& s : all)
    if (chosen == s.name) line.action = s.action;
  return line;
}

int lab_main(int argc, char** argv) {
  verbose_mode = 1;  // the tool's pieces print their trace lines only at level 0
  std::string refused;
  if (!box_settings_taken(&refused)) {
    std::cerr << "kavlab: " << refused << std::endl;
    return exit_code(ExitStatus::CommandLine);
  }
  std::vector<std::string> words(argv, argv + argc);
  ParsedLine line = parse_command_line(words);
  std::cout << line.out << std::flush;
  std::cerr << line.err << std::flush;
  if (line.action == nullptr) return exit_code(line.status);
  return exit_code(line.action(Invocation{words}));
}

}  // namespace kavlab
