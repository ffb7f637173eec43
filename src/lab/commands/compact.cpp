// kavlab-sim compact: the shortest sequence found from a test file's vectors that keeps what the
// file detects, from every state and from power-up, re-simulated and written.
#include "KavrinConst.h"
#include "commands/commands.h"
#include "gen/circuit.h"
#include "gen/print.h"
#include "gen/tst.h"
#include "run/run_steps.h"

namespace kavlab {

int compact_command(const CompactArgs& a) {
  std::string error;
  if (a.circuit < 0 || a.circuit >= KAVRIN_CIRCUIT_COUNT)
    return command_failed(LAB_USAGE, "-c " + std::to_string(a.circuit) +
                                         ": not a circuit of the chip (0 to " +
                                         std::to_string(KAVRIN_CIRCUIT_COUNT - 1) + ")");
  Criterion by = Criterion::Either;
  for (Criterion c : {Criterion::Logic, Criterion::Monitor, Criterion::Either})
    if (a.by == criterion_name(c)) by = c;
  if (a.by != criterion_name(by))
    return command_failed(LAB_USAGE, "--by " + a.by + ": logic, monitor or either");
  if (a.output == "-")
    return command_failed(LAB_USAGE,
                          "-o -: compact writes its tests to a file, its report to "
                          "standard output");
  std::string out = output_path(a.output, "", a.force, &error);
  if (out.empty()) return command_failed(LAB_BAD_INPUT, error);
  std::vector<int> given;
  if (!read_test_vectors(a.test, a.circuit, &given, &error))
    return command_failed(LAB_BAD_INPUT, error);
  CircuitModel m;
  CircuitTests before, after;
  if (!model_circuit(a.circuit, &m, &error) ||
      !compact_tests(m, by, given, &after, &before, &error))
    return command_failed(LAB_BAD_INPUT, error);
  if (!write_test_file(out, a.circuit, after.sequence, after.reference, &error))
    return command_failed(LAB_BAD_INPUT, error);
  print_compaction(stdout, before, after, out);
  return LAB_OK;
}

}  // namespace kavlab
