// Fuzz target of the TST reader: the input is a TST file. It is read as the tool reads it (a
// record made by the caller, loose and strict row checks), written back, fitted to a circuit as
// a test run fits it, written back again and released. Every input is taken: the pattern table
// is bounded by the file's size, whatever its count says.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "KavrinConst.h"
#include "TSTData.h"
#include "fatal_exit.h"
#include "fit_vectors.h"
#include "fuzz_files.h"
#include "messages.h"
#include "tst_inputs.h"

namespace {

/// A record as runTestFile makes it for `circuit`.
BIST* new_record(int circuit) {
  BIST* dat = static_cast<BIST*>(std::calloc(1, sizeof(BIST)));
  if (dat == nullptr) std::abort();
  dat->cons = 0;
  dat->inps = elements[circuit].in;
  dat->vars = -1;
  dat->outs = elements[circuit].out;
  return dat;
}

/// The write-back of a test run: the circuit's columns, then the whole file.
void write_back(BIST* dat, int circuit, const std::string& out) {
  const KAVRIN_ELEMENT_LIST& c = elements[circuit];
  dat->inps = c.in;
  dat->cons = 0;
  dat->outs = c.out;
  dat->vars = c.in + c.out;
  WriteTST(dat, nullptr, out.c_str());
}

void read_once(const std::string& in, int circuit, bool strict) {
  static const std::string out = scratch_path("out.tst");
  BIST* dat = new_record(circuit);
  try {
    if (ReadTST(dat, in.c_str(), 0, strict) != nullptr) {
      WriteTST(dat, nullptr, out.c_str());
      adjustTST(dat, circuit);
      write_back(dat, circuit, out);
    }
  } catch (const FatalExit&) {
    // A file the reader refuses ends the tool; here the next input follows.
  }
  FreeTST(dat);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  silence_stdout();
  verbose_mode = 1;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string in_name = "in.tst";
  std::string in = write_scratch(in_name, data, size);
  int circuit = static_cast<int>(size % KAVRIN_CIRCUIT_COUNT);
  read_once(in, circuit, false);
  read_once(in, circuit, true);
  check_no_open_files();
  return 0;
}
