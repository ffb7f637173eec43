// Fuzz target of kavlab's results reader: the input is a results file's text. It is read as
// every command reads it; a refusal is one short line; what reads is summarized, exported as
// the TST file of each circuit, written back, and that text reads again to itself.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fatal_exit.h"
#include "fuzz_files.h"
#include "results/results_json.h"
#include "results/summary.h"
#include "run/export_tst.h"

namespace {

/// The longest refusal: the reader cuts what it echoes.
constexpr std::size_t kLongestRefusal = 600;

/// Whatever the reader lets through fits the chip: the summaries and the TST export of each
/// circuit by either measure run within bounds (an export may refuse a partial pass).
void use(const kavlab::Results& r) {
  static const std::string out = "out.tst";
  kavlab::summarize(r);
  for (const kavlab::CircuitResult& c : r.circuits)
    for (kavlab::Measure m : {kavlab::Measure::Logic, kavlab::Measure::Monitor}) {
      std::string error;
      try {
        kavlab::export_tst(c, m, out, &error);
      } catch (const FatalExit&) {
        // The TST writer's fatal paths (a full disk) end the tool; here the next input follows.
      }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  silence_stdout();
  // The export goes to "out.tst" in the scratch directory, whose name holds the process's
  // number: paths are then as long in every run, and so is their cost (the coverage of a
  // string's growth), which keeps a run of fixed inputs reproducible.
  if (chdir(scratch_dir().c_str()) != 0) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size), error;
  kavlab::Results r;
  if (!kavlab::parse_results(text, "in.json", &r, &error)) {
    if (error.empty() || error.size() > kLongestRefusal || error.find('\n') != std::string::npos)
      std::abort();
    return 0;
  }
  use(r);
  std::string written = kavlab::results_text(r);
  kavlab::Results again;
  if (!kavlab::parse_results(written, "written.json", &again, &error) ||
      kavlab::results_text(again) != written)
    std::abort();
  check_no_open_files();
  return 0;
}
