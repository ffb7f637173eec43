// kavlab-sim gen: per circuit, the model's reachable states, the kinds of its defects, a short
// test detecting every defect that can be detected whatever ran before, checked and written.
#include <filesystem>
#include <memory>

#include "KavrinConst.h"
#include "commands/commands.h"
#include "gen/circuit.h"
#include "gen/print.h"
#include "gen/tst.h"
#include "gen/verify.h"
#include "run/run_steps.h"

namespace kavlab {

namespace {

bool parse_criterion(const std::string& text, Criterion* by) {
  for (Criterion c : {Criterion::Logic, Criterion::Monitor, Criterion::Either})
    if (text == criterion_name(c)) {
      *by = c;
      return true;
    }
  return false;
}

/// The circuits of -c: one number, or every circuit for "all".
bool parse_circuit(const std::string& text, std::vector<int>* circuits, std::string* error) {
  if (text == "all") {
    for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; c++) circuits->push_back(c);
    return true;
  }
  char* end = nullptr;
  long n = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || n < 0 || n >= KAVRIN_CIRCUIT_COUNT) {
    *error = "-c " + text + ": not a circuit of the chip (0 to " +
             std::to_string(KAVRIN_CIRCUIT_COUNT - 1) + ", or all)";
    return false;
  }
  circuits->push_back(static_cast<int>(n));
  return true;
}

/// The file of each circuit: -o itself for one circuit, NN-NAME.tst in the directory -o for
/// all; each refused when it exists without --force. False with `*error` set.
bool output_files(const GenArgs& a, const std::vector<int>& circuits,
                  std::vector<std::string>* files, std::string* error) {
  if (a.circuit != "all") {
    std::string path = output_path(a.output, "", a.force, error);
    files->push_back(path);
    return !path.empty();
  }
  std::error_code ec;
  std::filesystem::create_directories(a.output, ec);
  if (!std::filesystem::is_directory(a.output, ec)) {
    *error = a.output + ": not a directory that can be made";
    return false;
  }
  for (int c : circuits) {
    std::string path = output_path((std::filesystem::path(a.output) / test_file_name(c)).string(),
                                   "", a.force, error);
    if (path.empty()) return false;
    files->push_back(path);
  }
  return true;
}

/// The sequence from power-up on the analog engine: what it detects there, by logic and by the
/// monitor, beside what the switch-level model says from power-up.
bool print_on_analog(const CircuitModel& m, const CircuitTests& t, std::string* error) {
  std::unique_ptr<CellEngine> engine = make_engine({EngineKind::Analog}, error);
  std::vector<EngineVerdict> verdicts;
  if (engine == nullptr ||
      !verdicts_on_engine(engine.get(), m.reference_net, m.nets, t.sequence, &verdicts, error))
    return false;
  int logic = 0, monitor = 0, chosen = 0;
  for (const EngineVerdict& v : verdicts) {
    logic += v.logic ? 1 : 0;
    monitor += v.monitor ? 1 : 0;
    bool by = t.by == Criterion::Logic     ? v.logic
              : t.by == Criterion::Monitor ? v.monitor
                                           : v.logic || v.monitor;
    chosen += by ? 1 : 0;
  }
  std::printf(
      "  on the analog engine from power-up (no proofs): %d of %zu detected by %s (by "
      "logic %d, by the monitor %d); the switch-level model: %d\n",
      chosen, verdicts.size(), criterion_name(t.by), logic, monitor, detected_from_power_up(t));
  return true;
}

}  // namespace

int gen_command(const GenArgs& a) {
  std::string error;
  Criterion by = Criterion::Either;
  std::vector<int> circuits;
  if (!parse_circuit(a.circuit, &circuits, &error)) return command_failed(LAB_USAGE, error);
  if (!parse_criterion(a.by, &by))
    return command_failed(LAB_USAGE, "--by " + a.by + ": logic, monitor or either");
  if (a.need < 1)
    return command_failed(LAB_USAGE, "--n-detect " + std::to_string(a.need) + ": at least 1");
  EngineKind engine = EngineKind::Switch;
  if (!a.engine.empty() && !parse_engine_kind(a.engine, &engine))
    return command_failed(LAB_USAGE, "--engine " + a.engine + ": switch or analog");
  if (engine == EngineKind::Analog && make_engine({EngineKind::Analog}, &error) == nullptr)
    return command_failed(LAB_USAGE, "--engine analog: " + error);
  if (a.output == "-")
    return command_failed(LAB_USAGE,
                          "-o -: gen writes its tests to a file, its report to "
                          "standard output");
  std::vector<std::string> files;
  if (!output_files(a, circuits, &files, &error)) return command_failed(LAB_BAD_INPUT, error);

  std::vector<CircuitTests> all;
  for (std::size_t k = 0; k < circuits.size(); k++) {
    CircuitModel m;
    CircuitTests t;
    if (!model_circuit(circuits[k], &m, &error) || !generate_tests(m, by, a.need, &t, &error))
      return command_failed(LAB_BAD_INPUT, error);
    std::string unconfirmed = unconfirmed_claims(t);
    if (!unconfirmed.empty())
      return command_failed(LAB_BAD_INPUT, "circuit " + std::to_string(circuits[k]) +
                                               ": the exact check refutes the search:\n" +
                                               unconfirmed);
    if (!write_test_file(files[k], circuits[k], t.sequence, t.reference, &error))
      return command_failed(LAB_BAD_INPUT, error);
    if (a.circuit != "all") print_circuit_tests(stdout, t, files[k]);
    if (engine == EngineKind::Analog) {
      if (a.circuit == "all")
        std::printf("circuit %d %s:\n", circuits[k], elements[circuits[k]].name);
      if (!print_on_analog(m, t, &error))
        return command_failed(LAB_BOX_FAILURE, "the analog engine: " + error);
    }
    all.push_back(std::move(t));
  }
  if (a.circuit == "all") {
    print_chip_table(stdout, all);
    std::printf("written to %s: one file per circuit, NN-NAME.tst\n", a.output.c_str());
  }
  return LAB_OK;
}

}  // namespace kavlab
