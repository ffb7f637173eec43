// kavlab list: the circuits of the chip, or the cells of one, from the catalogue.
#include <CLI/CLI.hpp>
#include <cstdio>

#include "KavrinConst.h"
#include "commands/commands.h"
#include "commands/common.h"
#include "commands/options.h"
#include "results/results_json.h"

namespace kavlab {

namespace {

struct ListOptions {
  int circuit = -1;  ///< -1: every circuit
  bool json = false;
};
ListOptions options;

void print_circuits() {
  std::printf("%3s  %-5s %6s %7s %7s  %s\n", "idx", "name", "inputs", "outputs", "defects",
              "function");
  for (int i = 0; i < KAVRIN_CIRCUIT_COUNT; i++) {
    const KAVRIN_ELEMENT_LIST& c = elements[i];
    std::printf("%3d  %-5s %6d %7d %7d  %s\n", i, c.name, c.in, c.out, c.count - 1, c.desc);
  }
}

void print_cells(int circuit) {
  const KAVRIN_ELEMENT_LIST& c = elements[circuit];
  std::printf("%4s  %-16s %s\n", "cell", "defect", "class");
  for (int k = 1; k < c.count; k++)
    std::printf("%4d  %-16s %s\n", k, c.idx[k].defect, defect_class(c.idx[k].type));
}

}  // namespace

void add_list_options(CLI::App& command, bool) {
  options = ListOptions{};
  command.add_option("-c,--circuit", options.circuit, "List this circuit's cells")
      ->transform(circuit_number());
  command.add_flag("--json", options.json, "As JSON");
}

ExitStatus list_action(const Invocation&) {
  if (options.json)
    return print(catalogue_json(options.circuit)) ? ExitStatus::Done : ExitStatus::FileTrouble;
  if (options.circuit < 0)
    print_circuits();
  else
    print_cells(options.circuit);
  return std::fflush(stdout) == 0 ? ExitStatus::Done : ExitStatus::FileTrouble;
}

}  // namespace kavlab
