// The options that several subcommands share, and the checks of option values, through CLI11's
// validators with kavlab's own words: a refusal names the value ("--n-detect: 0 is not 1 or
// more"), and CLI11 adds the option's name before it.
#ifndef KAVLAB_OPTIONS_H
#define KAVLAB_OPTIONS_H

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "run/box_kind.h"
#include "run/cell_choice.h"

namespace kavlab {

/// A whole number from `low` to `high`; refused as "<value> is not <what>" (`what` as
/// "1 or more" or "a circuit of the chip (0 to 17)").
CLI::Validator whole_number(int low, int high, const std::string& what);
/// A circuit number of the chip.
CLI::Validator circuit_number();
/// A circuit number of the chip, or "all".
CLI::Validator circuit_or_all();
/// One of `names`; refused as "'<value>' is not a, b or c".
CLI::Validator one_of(const std::vector<std::string>& names);
/// A file that exists and is not a directory; refused as "'<value>': no such file" or "... is a
/// directory, not a file".
CLI::Validator existing_file();
/// Not empty; refused as "an empty value" (an empty item of a comma list too).
CLI::Validator not_empty();

/// `inner` with its refusal in kavlab's words: "<value> is not <what>".
CLI::Validator reworded(const CLI::Validator& inner, const std::string& what);
/// "a", "a or b", "a, b or c".
std::string alternatives(const std::vector<std::string>& names);

/// A one-of choice stored as an enum: `names` maps each word to its value.
template <typename Enum>
CLI::Validator enum_choice(const std::vector<std::pair<std::string, Enum>>& names) {
  std::vector<std::string> words;
  for (const auto& name : names) words.push_back(name.first);
  return reworded(CLI::CheckedTransformer(names), alternatives(words));
}

/// A choice among `values` stored as an enum, each named by `name`.
template <typename Enum>
CLI::Validator named_choice(const std::vector<Enum>& values, const char* (*name)(Enum)) {
  std::vector<std::pair<std::string, Enum>> names;
  for (Enum v : values) names.emplace_back(name(v), v);
  return enum_choice(names);
}

/// A file that a command writes beside its report on standard output: "-" is refused.
CLI::Validator not_standard_output();

/// A comma-separated list whose every item `item` accepts; an empty item is refused (CLI11's own
/// split would drop it), and the refusal names the item.
CLI::Validator comma_list(const CLI::Validator& item);

/// --cells: all (the default), saf, or cell numbers separated by commas, into `text`.
void add_cells_option(CLI::App& command, std::string& text);
/// The choice that --cells made, as its checks let it through.
CellChoice cell_choice_of(const std::string& text);

/// --fit: a test file of other columns fitted as kavtest fits it, rather than refused.
void add_fit_option(CLI::App& command, bool& fit);

/// -j/--jobs N: the worker processes that compute at once, `what` saying what they do, into
/// `workers` (left 0 when not given: one per core).
void add_jobs_option(CLI::App& command, unsigned& workers, const std::string& what);

/// kavlab-sim's chips that differ as dies do: --variation, --vt-sigma, --bridge-sigma and
/// --seed, into `o` (their values checked when the engine is chosen).
void add_variation_options(CLI::App& command, EngineOptions& o);

/// The box, the results file and whether it may be replaced: --device, -o and --force.
void add_output_options(CLI::App& command, std::string& device, std::string& output, bool& force,
                        const std::string& default_output);
/// Where the vectors come from: --exhaustive, or test files (`name`), one excluding the other.
void add_vector_source(CLI::App& command, bool& exhaustive, std::vector<std::string>& tests,
                       const std::string& exhaustive_help, const std::string& name,
                       const std::string& tests_help);

}  // namespace kavlab

#endif
