// kavlab devices: the names of the attached boxes.
#include <CLI/CLI.hpp>
#include <cstdio>

#include "commands/commands.h"
#include "commands/common.h"
#include "device_list.h"
#include "results/results_json.h"

namespace kavlab {

namespace {

bool json = false;

}  // namespace

void add_devices_options(CLI::App& command, bool) {
  json = false;
  command.add_flag("--json", json, "As JSON");
}

ExitStatus devices_action(const Invocation&) {
  DeviceList* list = getDeviceList();
  std::vector<std::string> names;
  for (DeviceList* node = list; node != nullptr; node = node->next)
    if (node->dch != nullptr) names.push_back(node->dch->DeviceName);
  freeDeviceList(list);
  if (json) return print(devices_json(names)) ? ExitStatus::Done : ExitStatus::FileTrouble;
  if (names.empty()) std::fprintf(stderr, "kavlab: no Kavrin box found\n");
  for (const std::string& n : names) std::printf("%s\n", n.c_str());
  return ExitStatus::Done;
}

}  // namespace kavlab
