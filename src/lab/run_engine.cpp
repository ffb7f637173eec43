// The measurement loop: per circuit and pass, the reference cell then every chosen cell.
#include "run_engine.h"

#include <csignal>
#include <cstdlib>

#include "KavrinConst.h"
#include "apply_vectors.h"
#include "bit_text.h"
#include "box_kind.h"

namespace {

volatile std::sig_atomic_t stop_flag = 0;

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

/// One pass: the reference, then the cells; stops early as the run asks.
RunOutcome measure_pass(DeviceList* dev, const CircuitResult& c, Pass& p,
                        std::vector<unsigned char>& in, int& done, int total,
                        const ProgressFn& progress) {
  if (stop_flag) return {RunEnd::Stopped, ""};
  before_pass();
  int ref = getReferenceCell(c.index);
  BYTE block = elements[c.index].lib;
  if (kavSetBicmState(dev->devHandle, block, p.monitor_on ? 1 : 0) != KAVRIN_SUCCESS)
    return {RunEnd::BoxFailed, failure(c, p, ref, "kavSetBicmState")};
  if (!measure_cell(dev, c, ref, in, p.monitor_on, &p.reference))
    return {RunEnd::BoxFailed, failure(c, p, ref, "no reply")};
  p.reference_measured = true;
  progress(++done, total);
  for (const TestedCell& cell : c.cells) {
    if (stop_flag) return {RunEnd::Stopped, ""};
    Response r;
    if (!measure_cell(dev, c, cell.index, in, p.monitor_on, &r))
      return {RunEnd::BoxFailed, failure(c, p, cell.index, "no reply")};
    p.cells.push_back(r);
    progress(++done, total);
  }
  return {};
}

}  // namespace

std::vector<Pass> plan_passes(PassPlan plan) {
  Pass logic, monitor, one;
  logic.name = "logic";
  logic.gives_logic = true;
  monitor.name = "monitor";
  monitor.monitor_on = monitor.gives_monitor = true;
  one.name = "one-pass";
  one.monitor_on = one.gives_logic = one.gives_monitor = true;
  switch (plan) {
    case PassPlan::Logic:
      return {logic};
    case PassPlan::Monitor:
      return {monitor};
    case PassPlan::Both:
      return {logic, monitor};
    case PassPlan::OnePass:
      return {one};
  }
  return {};
}

void request_stop() { stop_flag = 1; }

RunOutcome measure(DeviceList* dev, Results& r, const ProgressFn& progress) {
  stop_flag = 0;
  int total = 0, done = 0;
  for (const CircuitResult& c : r.circuits)
    total += static_cast<int>(c.passes.size() * (c.cells.size() + 1));
  RunOutcome outcome;
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
