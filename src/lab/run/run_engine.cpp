// The measurement loop: per circuit and pass, the reference cell then every chosen cell.
#include "run/run_engine.h"

#include <cstdlib>

#include "KavrinConst.h"
#include "apply_vectors.h"
#include "bit_text.h"
#include "run/box_kind.h"
#include "run/stop_signals.h"

namespace kavlab {

namespace {

/// One cell's reply bytes as a response: the outputs above bit 0, the monitor verdict in bit 0
/// when the monitor was on.
Response response_of(const unsigned char* raw, std::size_t n, int outputs, bool monitor_on) {
  Response r;
  unsigned char mask = static_cast<unsigned char>((1u << outputs) - 1);
  for (std::size_t v = 0; v < n; v++) {
    r.outputs.push_back(numBits(static_cast<unsigned char>((raw[v] >> 1) & mask), outputs));
    if (monitor_on) r.monitor += (raw[v] & 1) ? 'P' : 'F';
  }
  return r;
}

/// Measures cell `cell_index`; false when the box failed.
bool measure_cell(DeviceList* dev, const CircuitResult& c, int cell_index,
                  std::vector<unsigned char>& in, bool monitor_on, Response* out) {
  unsigned char* raw =
      runTest(dev, c.index, cell_index, in.data(), static_cast<int>(in.size()), false);
  if (raw == nullptr) return false;
  *out = response_of(raw, in.size(), c.outputs, monitor_on);
  std::free(raw);
  return true;
}

std::string failure(const CircuitResult& c, const Pass& p, int cell_index, const char* what) {
  return std::string("the box failed (") + what + ") in the " + p.name + " pass of circuit " +
         std::to_string(c.index) + " (" + c.name + "), cell " + std::to_string(cell_index);
}

/// Whether `p` holds the reference's and every cell's answers.
bool pass_complete(const CircuitResult& c, const Pass& p) {
  return p.reference_measured && p.cells.size() == c.cells.size();
}

/// The cell runs that `p` still needs: none when complete, else the reference (measured
/// again when the pass resumes) and every cell it lacks.
int runs_left(const CircuitResult& c, const Pass& p) {
  if (pass_complete(c, p)) return 0;
  std::size_t held = p.reference_measured ? p.cells.size() : 0;
  return static_cast<int>(1 + c.cells.size() - held);
}

bool same_answers(const Response& a, const Response& b) {
  return a.outputs == b.outputs && a.monitor == b.monitor;
}

/// The start of a pass: the chip powered afresh on the emulated box, the monitor set, the
/// reference measured; a resumed pass's reference must answer as it did before.
RunOutcome start_pass(DeviceList* dev, const CircuitResult& c, Pass& p,
                      std::vector<unsigned char>& in) {
  before_pass();
  int ref = getReferenceCell(c.index);
  BYTE block = elements[c.index].lib;
  if (kavSetBicmState(dev->devHandle, block, p.monitor_on ? 1 : 0) != KAVRIN_SUCCESS)
    return {RunEnd::BoxFailed, failure(c, p, ref, "kavSetBicmState")};
  Response reference;
  if (!measure_cell(dev, c, ref, in, p.monitor_on, &reference))
    return {RunEnd::BoxFailed, failure(c, p, ref, "no reply")};
  if (p.reference_measured && !same_answers(reference, p.reference))
    return {RunEnd::BoxFailed, "the reference cell of circuit " + std::to_string(c.index) + " (" +
                                   c.name + ") answers otherwise than in the " + p.name +
                                   " pass being resumed: the box is not in the state it was"};
  p.reference = reference;
  p.reference_measured = true;
  return {};
}

/// One pass: the reference, then the cells it lacks; stops early as the run asks. A pass that
/// resumes starts as a whole one does.
RunOutcome measure_pass(DeviceList* dev, const CircuitResult& c, Pass& p,
                        std::vector<unsigned char>& in, int& done, int total,
                        const ProgressFn& progress) {
  if (pass_complete(c, p)) return {};
  if (stop_requested()) return {RunEnd::Stopped, ""};
  if (!p.reference_measured) p.cells.clear();
  RunOutcome started = start_pass(dev, c, p, in);
  if (started.end != RunEnd::Complete) return started;
  progress(++done, total);
  for (std::size_t k = p.cells.size(); k < c.cells.size(); k++) {
    if (stop_requested()) return {RunEnd::Stopped, ""};
    Response r;
    if (!measure_cell(dev, c, c.cells[k].index, in, p.monitor_on, &r))
      return {RunEnd::BoxFailed, failure(c, p, c.cells[k].index, "no reply")};
    p.cells.push_back(r);
    progress(++done, total);
  }
  return {};
}

}  // namespace


RunOutcome measure(DeviceList* dev, Results& r, const ProgressFn& progress) {
  int total = 0, done = 0;
  for (const CircuitResult& c : r.circuits)
    for (const Pass& p : c.passes) total += runs_left(c, p);
  RunOutcome outcome;
  r.partial = false;
  for (CircuitResult& c : r.circuits) {
    std::vector<unsigned char> in;
    for (const std::string& v : c.vectors) in.push_back(convertToByte(v.c_str(), 0, c.inputs));
    for (Pass& p : c.passes) {
      if (outcome.end == RunEnd::Complete)
        outcome = measure_pass(dev, c, p, in, done, total, progress);
      r.partial = r.partial || p.cells.size() < c.cells.size() || !p.reference_measured;
    }
  }
  return outcome;
}

}  // namespace kavlab
