// Fuzz target of kavlab's TST import: the input is a TST file, as kavtest's defect-table run
// writes one. It is imported for every circuit whose input count its first pattern row has (by
// logic, or by the monitor; every cell, or the shorts to a rail), its reference marked when it
// is not the circuit's function; what is imported is written as a results file that the results
// reader must read back.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "KavrinConst.h"
#include "fatal_exit.h"
#include "fuzz_files.h"
#include "messages.h"
#include "results/results_json.h"
#include "run/cell_choice.h"
#include "run/import_tst.h"
#include "tst_inputs.h"

namespace {

/// The count of input bits ('0' and '1') that begin the first pattern row; -1 when none.
int first_row_inputs(const std::string& text) {
  std::size_t at = text.find(".PATTERNS");
  if (at == std::string::npos) return -1;
  at = text.find_first_not_of(" \t\r\n", text.find('\n', at));
  if (at == std::string::npos) return -1;
  std::size_t end = text.find_first_not_of("01", at);
  return static_cast<int>((end == std::string::npos ? text.size() : end) - at);
}

/// Imports `path` for `circuit`; an imported result must survive the results file.
void import_once(const std::string& path, int circuit, bool monitor,
                 kavlab::CellChoice::Kind cells) {
  std::vector<int> chosen;
  std::string error;
  if (!kavlab::choose_cells(circuit, {cells, {}}, &chosen, &error)) return;
  kavlab::Results r;
  r.circuits.push_back(kavlab::circuit_skeleton(circuit, chosen));
  try {
    if (!kavlab::import_tst(path, monitor, kavlab::ReferenceCheck::Mark, r.circuits[0], &error))
      return;
  } catch (const FatalExit&) {
    return;  // a file the TST reader refuses ends the tool; here the next input follows
  }
  kavlab::Results back;
  if (!kavlab::parse_results(kavlab::results_text(r), "imported.json", &back, &error)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  silence_stdout();
  verbose_mode = 1;
  // The input is read as "in.tst" in the scratch directory, whose name holds the process's
  // number: messages that name the file are then as long in every run, and so is their cost
  // (the coverage of a string's growth), which keeps a run of fixed inputs reproducible.
  if (chdir(scratch_dir().c_str()) != 0) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!affordable(data, size)) return -1;
  write_scratch("in.tst", data, size);
  const std::string path = "in.tst";
  std::string text(reinterpret_cast<const char*>(data), size);
  int inputs = first_row_inputs(text);
  bool monitor = size % 2 == 1;
  auto cells = size % 4 >= 2 ? kavlab::CellChoice::Kind::Saf : kavlab::CellChoice::Kind::All;
  bool any = false;
  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; c++)
    if (elements[c].in == inputs) {
      import_once(path, c, monitor, cells);
      any = true;
    }
  if (!any) import_once(path, static_cast<int>(size % KAVRIN_CIRCUIT_COUNT), monitor, cells);
  check_no_open_files();
  return 0;
}
