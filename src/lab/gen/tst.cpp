// A record built from the generated vectors and written by WriteTST; a test file read back as
// kavlab run reads it.
#include "gen/tst.h"

#include <cstdio>
#include <cstdlib>

#include "KavrinConst.h"
#include "TSTData.h"
#include "apply_vectors.h"
#include "defect_table.h"
#include "misc.h"
#include "results/output_file.h"
#include "run/cell_choice.h"
#include "run/vector_source.h"

namespace kavlab {

bool write_test_file(const std::string& path, int circuit, const std::vector<int>& sequence,
                     const std::vector<CellAnswer>& reference, std::string* error) {
  const KAVRIN_ELEMENT_LIST& c = elements[circuit];
  auto* dat = static_cast<BIST*>(std::calloc(1, sizeof(BIST)));
  if (dat == nullptr) {
    *error = "not enough memory";
    return false;
  }
  dat->vcount = static_cast<int>(sequence.size());
  dat->inps = c.in;
  dat->outs = c.out;
  dat->vars = c.in + c.out;
  dat->vects = AllocCharTable(dat->vcount, dat->vars, 0);
  if (dat->vects == nullptr) {
    FreeTST(dat);
    *error = "not enough memory";
    return false;
  }
  std::vector<unsigned char> outputs;
  for (std::size_t k = 0; k < sequence.size(); k++) {
    for (int b = 0; b < c.in; b++)
      dat->vects[k][b] = (sequence[k] >> (c.in - 1 - b)) & 1 ? '1' : '0';
    outputs.push_back(static_cast<unsigned char>(reference[sequence[k]].outputs));
  }
  writeReferenceOutputs(dat, circuit, outputs.data());
  bool ok = write_output(
      path, [dat](FILE* fp) { return WriteTST(dat, fp, nullptr) == 0; }, error);
  FreeTST(dat);
  return ok;
}

bool read_test_vectors(const std::string& path, int circuit, bool fit, std::vector<int>* vectors,
                       std::string* error) {
  CircuitResult c = circuit_skeleton(circuit, {});
  FileLock lock;
  bool ok = load_test_file(path, fit, c, lock, error);
  unlock_file(lock);
  vectors->clear();
  for (const std::string& bits : c.vectors)
    vectors->push_back(convertToByte(bits.c_str(), 0, c.inputs));
  return ok;
}

std::string test_file_name(int circuit) {
  char prefix[8];
  std::snprintf(prefix, sizeof prefix, "%02d-", circuit);
  return prefix + std::string(elements[circuit].name) + ".tst";
}

}  // namespace kavlab
