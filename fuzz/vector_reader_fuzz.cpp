// Fuzz target of the pattern file reader: the input is a pattern file for a fixed model in the
// store. It is read (with and without the fault table), its fault summary is read again with
// read_faults, the tables are written back in one of the writer's variants and released.
//
// Two models take turns: the tool's -agm export of C17 (inputs and outputs only) and a small
// model with constants, so that rows also take the constants' values from the store.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "count.h"
#include "fatal_exit.h"
#include "fuzz_files.h"
#include "messages.h"
#include "mudel.h"
#include "table_alloc.h"
#include "vector.h"

#if !defined(KAVTEST_FUZZ_MODEL) || !defined(KAVTEST_FUZZ_MODEL_WITH_CONSTANTS)
#error "KAVTEST_FUZZ_MODEL and KAVTEST_FUZZ_MODEL_WITH_CONSTANTS name the models the patterns are read against"
#endif

namespace {

/// One model read into the store, kept aside; the pattern reader only reads the store.
struct Model {
  node_t* nods;
  char** nod_names;
  varb_t* vars;
  char** var_names;
  grap_t* grps;
  std::uint32_t nod_count, var_count, grp_count, inp_count, con_count, out_count;
  int type;
};

Model load(const std::string& path) {
  read_ag(path.c_str());  // a fatal error here ends the target: the model is part of the build
  Model m{Nods, NodNames, Vars, VarNames, Grps, NodCount, VarCount,
          GrpCount, InpCount, ConCount, OutCount, ModelType};
  Nods = nullptr;
  NodNames = nullptr;
  Vars = nullptr;
  VarNames = nullptr;
  Grps = nullptr;
  return m;
}

void select(const Model& m) {
  Nods = m.nods;
  NodNames = m.nod_names;
  Vars = m.vars;
  VarNames = m.var_names;
  Grps = m.grps;
  NodCount = m.nod_count;
  VarCount = m.var_count;
  GrpCount = m.grp_count;
  InpCount = m.inp_count;
  ConCount = m.con_count;
  OutCount = m.out_count;
  ModelType = m.type;
}

Model models[2];

/// Vector counts above this are skipped when the reader would make their tables: such a file
/// only costs time and memory (the reader's limit on the tables has its own unit test).
constexpr int kMaxFuzzedVectors = 10000;

/// False when a ".VECTORS" line of the input, read as the reader reads it (at most
/// kKeywordLineLimit characters, up to its line end, the count by read_count), asks for a
/// big, yet allowed, pattern table.
bool affordable(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  const std::uint64_t row_cost = std::uint64_t{VarCount} + sizeof(char*);
  for (std::size_t at = text.find(".VECTORS"); at != std::string::npos;
       at = text.find(".VECTORS", at + 1)) {
    std::string line = text.substr(at, kKeywordLineLimit);
    line = line.substr(0, line.find('\n'));
    int count = 0;
    if (read_count(line.c_str() + 8, &count) == CountText::kFits && count > kMaxFuzzedVectors &&
        fits_in_tables(static_cast<std::uint64_t>(count), row_cost))
      return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  silence_stdout();
  verbose_mode = 1;
  models[0] = load(KAVTEST_FUZZ_MODEL);
  models[1] = load(KAVTEST_FUZZ_MODEL_WITH_CONSTANTS);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string out = scratch_path("out.vec");
  // The choices come from the length, so that every byte of the input stays file text.
  select(models[size % 2]);
  if (!affordable(data, size)) return -1;
  std::string in = write_scratch("in.vec", data, size);
  READ_FAULT_TABLE = (size / 2) % 2 == 0 ? 1 : 0;
  int variant = static_cast<int>((size / 4) % 10);  // 0 and 9: the full file
  try {
    read_vec(in.c_str());
    read_faults(in.c_str());
    write_vec(out.c_str(), variant);
  } catch (const FatalExit&) {
    // A file the reader refuses ends the tool; here the next input follows.
  }
  free_vec();
  check_no_open_files();
  return 0;
}
