// kavlab summary, report, export, list and devices: what is read from results files and the
// catalogue.
#include <cstdio>

#include "KavrinConst.h"
#include "run/box_kind.h"
#include "commands/commands.h"
#include "device_list.h"
#include "results/export_csv.h"
#include "run/export_tst.h"
#include "results/results_json.h"
#include "results/output_file.h"
#include "results/results_file.h"
#include "report/report.h"
#include "results/summary.h"
#include "results/summary_print.h"
#include "results/sweep.h"

namespace kavlab {

namespace {

bool print(const std::string& text) {
  return std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
}

/// Reads the results files `files` into `all`; false with `*error` set at the first that fails.
bool load_all(const std::vector<std::string>& files, std::vector<Results>* all,
              std::string* error) {
  all->resize(files.size());
  for (std::size_t i = 0; i < files.size(); i++)
    if (!load_results(files[i], &(*all)[i], error)) return false;
  return true;
}

}  // namespace

int command_failed(int status, const std::string& message) {
  std::fprintf(stderr, "kavlab: %s\n", message.c_str());
  return status;
}

int summary_command(const SummaryArgs& a) {
  std::vector<Results> all;
  std::string error;
  if (!load_all(a.files, &all, &error)) return command_failed(LAB_BAD_INPUT, error);
  std::vector<SummarySet> sets;
  for (std::size_t i = 0; i < a.files.size(); i++)
    sets.push_back({a.files[i], &all[i], summarize(all[i])});
  for (std::size_t i = 0; i < sets.size() && a.csv; i++)
    if (!all[i].sweep.empty())
      return command_failed(LAB_USAGE, a.files[i] + " is a sweep: its summary is a table or "
                                                    "JSON, not CSV");
  for (std::size_t i = 0; i < sets.size() && !a.json; i++) {
    if (a.csv)
      print_summary_csv(stdout, sets[i].source, all[i], sets[i].circuits, i == 0);
    else if (!all[i].sweep.empty())
      print_sweep(stdout, sets[i].source, all[i]);
    else
      print_summary(stdout, sets[i].source, all[i], sets[i].circuits);
    if (!a.csv && i + 1 < sets.size()) std::fputc('\n', stdout);
  }
  if (a.json && !print(summaries_json(sets)))
    return command_failed(LAB_BAD_INPUT, "cannot write the summary");
  return std::fflush(stdout) == 0 ? LAB_OK
                                  : command_failed(LAB_BAD_INPUT, "cannot write the summary");
}

int report_command(const ReportArgs& a) {
  std::vector<Results> all;
  std::string error;
  if (!load_all(a.files, &all, &error)) return command_failed(LAB_BAD_INPUT, error);
  Provenance who;
  describe_box(who);
  std::string page =
      report_html(report_sources(a.files, std::move(all)), who.program + " " + KAVLAB_VERSION);
  if (!write_text(a.output, page, &error)) return command_failed(LAB_BAD_INPUT, error);
  return LAB_OK;
}

int export_command(const ExportArgs& a) {
  if (a.csv.empty() && a.tst.empty())
    return command_failed(LAB_USAGE, "export needs --csv FILE or --tst FILE");
  if (!a.tst.empty() && a.circuit < 0)
    return command_failed(LAB_USAGE, "--tst needs -c N, the circuit");
  Results r;
  std::string error;
  if (!load_results(a.results, &r, &error)) return command_failed(LAB_BAD_INPUT, error);
  if (!r.sweep.empty())
    return command_failed(LAB_USAGE, a.results + " is a sweep, a pass per value of " + r.sweep +
                                         "; export takes the results of a run");
  if (!a.csv.empty() && !write_output(
                            a.csv, [&](FILE* fp) { return export_csv(r, fp); }, &error))
    return command_failed(LAB_BAD_INPUT, error);
  if (a.tst.empty()) return LAB_OK;
  const CircuitResult* c = find_circuit(r, a.circuit);
  if (c == nullptr) {
    std::string held;
    for (const CircuitResult& k : r.circuits)
      held += (held.empty() ? "" : ", ") + std::to_string(k.index);
    return command_failed(LAB_BAD_INPUT, a.results + " holds no circuit " +
                                             std::to_string(a.circuit) + " (it holds " +
                                             (held.empty() ? "none" : held) + ")");
  }
  if (!export_tst(*c, a.monitor ? Measure::Monitor : Measure::Logic, a.tst, &error))
    return command_failed(LAB_BAD_INPUT, error);
  return LAB_OK;
}

int list_command(int circuit, bool json) {
  if (circuit >= KAVRIN_CIRCUIT_COUNT)
    return command_failed(LAB_USAGE,
                          "-c " + std::to_string(circuit) + ": not a circuit of the chip");
  if (json) return print(catalogue_json(circuit)) ? LAB_OK : LAB_BAD_INPUT;
  if (circuit < 0) {
    std::printf("%3s  %-5s %6s %7s %7s  %s\n", "idx", "name", "inputs", "outputs", "defects",
                "function");
    for (int i = 0; i < KAVRIN_CIRCUIT_COUNT; i++) {
      const KAVRIN_ELEMENT_LIST& c = elements[i];
      std::printf("%3d  %-5s %6d %7d %7d  %s\n", i, c.name, c.in, c.out, c.count - 1, c.desc);
    }
  } else {
    const KAVRIN_ELEMENT_LIST& c = elements[circuit];
    std::printf("%4s  %-16s %s\n", "cell", "defect", "class");
    for (int k = 1; k < c.count; k++)
      std::printf("%4d  %-16s %s\n", k, c.idx[k].defect, defect_class(c.idx[k].type));
  }
  return std::fflush(stdout) == 0 ? LAB_OK : LAB_BAD_INPUT;
}

int devices_command(bool json) {
  DeviceList* list = getDeviceList();
  std::vector<std::string> names;
  for (DeviceList* node = list; node != nullptr; node = node->next)
    if (node->dch != nullptr) names.push_back(node->dch->DeviceName);
  freeDeviceList(list);
  if (json) return print(devices_json(names)) ? LAB_OK : LAB_BAD_INPUT;
  if (names.empty()) std::fprintf(stderr, "kavlab: no Kavrin box found\n");
  for (const std::string& n : names) std::printf("%s\n", n.c_str());
  return LAB_OK;
}

}  // namespace kavlab
