// The TST export: a record built as kavtest's defect table builds it, written by WriteTST.
#include "run/export_tst.h"

#include <cstdlib>
#include <cstring>

#include "KavrinConst.h"
#include "TSTData.h"
#include "apply_vectors.h"
#include "defect_table.h"
#include "misc.h"

namespace kavlab {

namespace {

/// The masked response byte kavtest compares: the outputs' value, or the monitor bit.
std::vector<unsigned char> masked(const Response& r, Measure m, std::size_t n, int outputs) {
  std::vector<unsigned char> bytes(n, 0);
  for (std::size_t v = 0; v < n; v++)
    bytes[v] = m == Measure::Logic ? convertToByte(r.outputs[v].c_str(), 0, outputs)
                                   : (r.monitor[v] == 'P' ? 1 : 0);
  return bytes;
}

/// A heap copy that FreeTST releases; null for an empty string.
char* copy_or_null(const std::string& s) {
  if (s.empty()) return nullptr;
  char* copy = static_cast<char*>(std::malloc(s.size() + 1));
  if (copy != nullptr) std::memcpy(copy, s.c_str(), s.size() + 1);
  return copy;
}

/// The record of the file: vectors, registers, fault table, reference outputs.
BIST* build_record(const CircuitResult& c, const Pass& p, Measure m,
                   const std::vector<std::string>& marks) {
  auto* dat = static_cast<BIST*>(std::calloc(1, sizeof(BIST)));
  if (dat == nullptr) return nullptr;
  std::size_t n = c.vectors.size();
  dat->vcount = static_cast<int>(n);
  dat->inps = c.inputs;
  dat->outs = c.outputs;
  dat->vars = c.inputs + c.outputs;
  dat->vects = AllocCharTable(dat->vcount, dat->vars, 0);
  for (std::size_t v = 0; v < n; v++) std::memcpy(dat->vects[v], c.vectors[v].data(), c.inputs);
  const Registers& g = c.test.registers;
  dat->g_init = copy_or_null(g.generator_initial);
  dat->g_poly = copy_or_null(g.generator_polynomial);
  dat->a_init = copy_or_null(g.analyzer_initial);
  dat->a_poly = copy_or_null(g.analyzer_polynomial);
  dat->signature = copy_or_null(g.signature);
  std::vector<unsigned char> ref = masked(p.reference, m, n, c.outputs);
  startFaultTable(dat, static_cast<int>(marks.size()));
  for (std::size_t k = 0; k < marks.size(); k++) {
    // A cell differs where its mark says so: a byte unlike the reference's there.
    std::vector<unsigned char> test(ref);
    for (std::size_t v = 0; v < n; v++)
      if (marks[k][v] == '1') test[v] = static_cast<unsigned char>(ref[v] ^ 1);
    markFaultColumn(dat, static_cast<int>(k), ref.data(), test.data());
  }
  writeReferenceOutputs(dat, c.index, ref.data());
  return dat;
}

/// Whether `c` has its circuit's input and output counts, and its vectors and pass `p`'s
/// reference answers are one per vector and as wide as the circuit: the record's rows are as
/// wide as the chip's circuit, whatever the result says. False with `*error` set.
bool fits_chip(const CircuitResult& c, const Pass& p, Measure m, std::string* error) {
  std::string circuit = "circuit " + std::to_string(c.index);
  if (c.index < 0 || c.index >= KAVRIN_CIRCUIT_COUNT) {
    *error = circuit + " is not on the chip";
    return false;
  }
  const KAVRIN_ELEMENT_LIST& e = elements[c.index];
  if (c.inputs != e.in || c.outputs != e.out) {
    *error = circuit + " has " + std::to_string(e.in) + " inputs and " + std::to_string(e.out) +
             " outputs, not " + std::to_string(c.inputs) + " and " + std::to_string(c.outputs);
    return false;
  }
  std::size_t n = c.vectors.size();
  bool whole =
      m == Measure::Logic ? p.reference.outputs.size() == n : p.reference.monitor.size() == n;
  for (const std::string& v : c.vectors) whole = whole && v.size() == e.in;
  for (const std::string& o : p.reference.outputs) whole = whole && o.size() == e.out;
  if (!whole)
    *error = circuit + ": the vectors or the reference's answers are not one per vector, each " +
             "as wide as the circuit";
  return whole;
}

}  // namespace

bool export_tst(const CircuitResult& c, Measure m, const std::string& path, std::string* error) {
  const char* how = m == Measure::Logic ? "logic" : "the monitor";
  const Pass* p = pass_for(c, m);
  std::string circuit = "circuit " + std::to_string(c.index) + " (" + c.name + ")";
  if (p == nullptr) {
    *error = circuit + " was not judged by " + std::string(how) + " in this result";
    return false;
  }
  std::vector<std::string> marks = detection_marks(c, m);
  bool known = p->reference_measured && marks.size() == c.cells.size();
  known = known &&
          (m == Measure::Logic ? !p->reference.outputs.empty() : !p->reference.monitor.empty());
  for (const std::string& row : marks) known = known && row.find('?') == std::string::npos;
  if (!known) {
    *error = circuit + ": the " + p->name + " pass is not complete (a partial result?)";
    return false;
  }
  if (!fits_chip(c, *p, m, error)) return false;
  BIST* dat = build_record(c, *p, m, marks);
  if (dat == nullptr) {
    *error = "not enough memory";
    return false;
  }
  int status = path == "-" ? WriteTST(dat, stdout, nullptr) : WriteTST(dat, nullptr, path.c_str());
  FreeTST(dat);
  if (status != 0) *error = path + ": cannot write the TST file";
  return status == 0;
}

}  // namespace kavlab
