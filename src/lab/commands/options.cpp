// Shared options and the checks of option values.
#include "commands/options.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "KavrinConst.h"
#include "results/csv.h"

namespace kavlab {

namespace {

/// The longest piece of a refused value a message shows.
constexpr std::size_t kShownValue = 40;

/// The most worker processes -j takes.
constexpr int kMostWorkers = 1024;

/// `value` as a message shows it: control characters as \xNN, quoted when empty or holding a
/// space or a quote, cut when long.
std::string shown(const std::string& value) {
  std::string s;
  bool quote = value.empty();
  for (std::size_t i = 0; i < value.size() && i < kShownValue; i++) {
    unsigned char ch = static_cast<unsigned char>(value[i]);
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02x", ch);
    s += ch < 0x20 || ch == 0x7f ? std::string(hex) : std::string(1, value[i]);
    quote = quote || ch == ' ' || ch == '\'' || ch == '"';
  }
  if (value.size() > kShownValue)
    return "'" + s + "...' (" + std::to_string(value.size()) + " characters)";
  return quote ? "'" + s + "'" : s;
}

/// Puts `text` in decimal form when it is a whole number in decimal digits (a leading zero does
/// not make it octal) within `low` and `high`; false for anything else.
bool whole_number_in(std::string& text, int low, int high) {
  if (text.empty() || text.size() > 18 ||
      text.find_first_not_of("+-0123456789") != std::string::npos)
    return false;
  char* end = nullptr;
  long long value = std::strtoll(text.c_str(), &end, 10);
  if (*end != '\0') return false;
  std::string decimal = std::to_string(value);
  if (!CLI::Range(low, high)(decimal).empty()) return false;
  text = decimal;
  return true;
}

}  // namespace

std::string alternatives(const std::vector<std::string>& names) {
  std::string s;
  for (std::size_t i = 0; i < names.size(); i++)
    s += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
  return s;
}

CLI::Validator reworded(const CLI::Validator& inner, const std::string& what) {
  return CLI::Validator(
      [inner, what](std::string& text) {
        std::string value = text;
        std::string why = inner(text);
        return why.empty() ? why : shown(value) + " is not " + what;
      },
      "");
}

CLI::Validator whole_number(int low, int high, const std::string& what) {
  return CLI::Validator(
      [low, high, what](std::string& text) {
        return whole_number_in(text, low, high) ? std::string() : shown(text) + " is not " + what;
      },
      "");
}

CLI::Validator circuit_number() {
  return whole_number(
      0, KAVRIN_CIRCUIT_COUNT - 1,
      "a circuit of the chip (0 to " + std::to_string(KAVRIN_CIRCUIT_COUNT - 1) + ")");
}

CLI::Validator circuit_or_all() {
  CLI::Validator number = circuit_number();
  return CLI::Validator(
      [number](std::string& text) {
        if (text == "all") return std::string();
        std::string why = number(text);
        return why.empty() ? why : why.substr(0, why.size() - 1) + ", or all)";
      },
      "");
}

CLI::Validator one_of(const std::vector<std::string>& names) {
  return reworded(CLI::IsMember(names), alternatives(names));
}

CLI::Validator not_empty() {
  return CLI::Validator(
      [](std::string& text) { return text.empty() ? std::string("an empty value") : ""; }, "");
}

CLI::Validator not_standard_output() {
  return CLI::Validator(
      [](std::string& text) {
        return text == "-" ? std::string("- is not a file here: standard output is the report's")
                           : std::string();
      },
      "");
}

CLI::Validator existing_file() {
  return CLI::Validator(
      [](std::string& text) {
        std::error_code ec;
        std::filesystem::file_status st = std::filesystem::status(text, ec);
        if (std::filesystem::is_directory(st)) return shown(text) + " is a directory, not a file";
        if (!std::filesystem::exists(st)) return shown(text) + ": no such file";
        return std::string();
      },
      "");
}

CLI::Validator comma_list(const CLI::Validator& item) {
  return CLI::Validator(
      [item](std::string& text) {
        if (text.empty()) return std::string("an empty value");
        std::vector<std::string> items = split_commas(text);
        for (std::string& one : items) {
          if (one.empty()) return shown(text) + " holds an empty value";
          std::string why = item(one);
          if (!why.empty()) return items.size() == 1 ? why : shown(text) + ": " + why;
        }
        return std::string();
      },
      "");
}

void add_cells_option(CLI::App& command, std::string& text) {
  CLI::Validator word(
      [](std::string& item) {
        std::string number = item;
        if (item == "all" || item == "saf" || whole_number_in(number, 1, INT_MAX))
          return std::string();
        return shown(item) + " is not all, saf or a cell number";
      },
      "");
  CLI::Validator alone(
      [](std::string& list) {
        std::vector<std::string> items = split_commas(list);
        for (const std::string& w : items)
          if (items.size() > 1 && (w == "all" || w == "saf"))
            return w + " stands alone, not in a list of cells";
        return std::string();
      },
      "");
  text = "all";
  command.add_option("--cells", text, "all (default), saf (shorts to a rail) or I,J,...")
      ->check(comma_list(word))
      ->check(alone)
      ->type_name("all|saf|I,J,...");
}

CellChoice cell_choice_of(const std::string& text) {
  CellChoice choice;
  if (text == "saf") choice.kind = CellChoice::Kind::Saf;
  if (text == "all" || text == "saf") return choice;
  choice.kind = CellChoice::Kind::Listed;
  for (const std::string& w : split_commas(text))
    choice.listed.push_back(static_cast<int>(std::strtol(w.c_str(), nullptr, 10)));
  return choice;
}

void add_fit_option(CLI::App& command, bool& fit) {
  command.add_flag("--fit", fit,
                   "Take a test file of more input columns (or internal-signal ones) than the "
                   "circuit's, fitted as kavtest fits it: its last input columns");
}

void add_jobs_option(CLI::App& command, unsigned& workers, const std::string& what) {
  workers = 0;
  command.add_option("-j,--jobs", workers, what + " (default: one per core)")
      ->transform(whole_number(1, kMostWorkers,
                               "a number of workers from 1 to " + std::to_string(kMostWorkers)))
      ->type_name("N");
}

void add_variation_options(CLI::App& command, EngineOptions& o) {
  command.add_flag("--variation", o.variation,
                   "Analog engine: each chip differs as a die does, drawn from its seed");
  command
      .add_option("--vt-sigma", o.vt_sigma,
                  "With --variation: the spread of every transistor's threshold, in volts "
                  "(default 0.03)")
      ->check(not_empty())
      ->type_name("V");
  command
      .add_option("--bridge-sigma", o.bridge_sigma,
                  "With --variation: the spread of every short's resistance, in decades "
                  "(default 1)")
      ->check(not_empty())
      ->type_name("DECADES");
  command
      .add_option("--seed", o.seed,
                  "With --variation: the first chip's seed, 0 to 2147483647 (default 0); "
                  "box i's chip is seed + i")
      ->check(not_empty())
      ->type_name("N");
}

void add_output_options(CLI::App& command, std::string& device, std::string& output, bool& force,
                        const std::string& default_output) {
  command.add_option("--device", device, "The box to use (default: the first one)");
  command.add_option("-o,--output", output, "Results file (default: " + default_output + ")");
  command.add_flag("--force", force, "Replace an existing results file");
}

void add_vector_source(CLI::App& command, bool& exhaustive, std::vector<std::string>& tests,
                       const std::string& exhaustive_help, const std::string& name,
                       const std::string& tests_help) {
  CLI::Option* every = command.add_flag("--exhaustive", exhaustive, exhaustive_help);
  command.add_option(name, tests, tests_help)->check(existing_file())->excludes(every);
}

}  // namespace kavlab
