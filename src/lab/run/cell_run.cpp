// One cell run on the box, the start of a pass, and the words for what goes wrong.
#include "run/cell_run.h"

#include <cstdlib>

#include "KavrinConst.h"
#include "apply_vectors.h"
#include "bit_text.h"
#include "run/box_kind.h"

namespace kavlab {

std::vector<unsigned char> input_bytes(const CircuitResult& c) {
  std::vector<unsigned char> in;
  for (const std::string& v : c.vectors) in.push_back(convertToByte(v.c_str(), 0, c.inputs));
  return in;
}

Response response_of(const unsigned char* raw, std::size_t n, int outputs, bool monitor_on) {
  Response r;
  unsigned char mask = static_cast<unsigned char>((1u << outputs) - 1);
  for (std::size_t v = 0; v < n; v++) {
    r.outputs.push_back(numBits(static_cast<unsigned char>((raw[v] >> 1) & mask), outputs));
    if (monitor_on) r.monitor += (raw[v] & 1) ? 'P' : 'F';
  }
  return r;
}

bool run_cell(DeviceList* dev, const CircuitResult& c, int cell_index,
              std::vector<unsigned char>& in, std::string* raw) {
  unsigned char* reply =
      runTest(dev, c.index, cell_index, in.data(), static_cast<int>(in.size()), false);
  if (reply == nullptr) return false;
  raw->assign(reinterpret_cast<const char*>(reply), in.size());
  std::free(reply);
  return true;
}

bool start_of_pass(DeviceList* dev, const Results& r, std::size_t circuit, std::size_t pass,
                   const MeasureHow& how, std::string* error) {
  if (how.ready) {
    if (!how.ready(circuit, pass, error)) return false;
  } else {
    before_pass();
  }
  const CircuitResult& c = r.circuits[circuit];
  const Pass& p = c.passes[pass];
  if (kavSetBicmState(dev->devHandle, elements[c.index].lib, p.monitor_on ? 1 : 0) !=
      KAVRIN_SUCCESS) {
    *error = box_failure(c, p, getReferenceCell(c.index), "kavSetBicmState");
    return false;
  }
  return true;
}

std::string box_failure(const CircuitResult& c, const Pass& p, int cell_index,
                        const std::string& what) {
  return "the box failed (" + what + ") in the " + p.name + " pass of circuit " +
         std::to_string(c.index) + " (" + c.name + "), cell " + std::to_string(cell_index);
}

std::string reference_differs(const CircuitResult& c, const Pass& p) {
  return "the reference cell of circuit " + std::to_string(c.index) + " (" + c.name +
         ") answers otherwise than in the " + p.name +
         " pass being resumed: the box is not in the state it was";
}

bool same_answers(const Response& a, const Response& b) {
  return a.outputs == b.outputs && a.monitor == b.monitor;
}

bool pass_complete(const CircuitResult& c, const Pass& p) {
  return p.reference_measured && p.cells.size() == c.cells.size();
}

bool lacks_cells(const Results& r) {
  for (const CircuitResult& c : r.circuits)
    for (const Pass& p : c.passes)
      if (!pass_complete(c, p)) return true;
  return false;
}

}  // namespace kavlab
