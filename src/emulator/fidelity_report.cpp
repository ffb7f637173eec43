// The switch-level engine against the analog engine: every cell of the chip over every input
// vector in counting order from power-up, at the reference conditions (10 Ohm bridges, 10 uA
// monitor threshold). Per circuit and in all: how many output readings and monitor verdicts
// agree per (cell, vector), how many defects' verdicts by logic and by the monitor agree, and
// how many vectors the analog cell had not settled; then, per circuit, every disagreement with
// both answers and every unsettled vector. Prints the section of docs/chip-model.md, or checks
// or writes it there; --circuit N computes and checks one circuit's row and list alone. The
// cells run on every core (-j N): one job of the worker pool per cell, each in a process of its
// own as ngspice needs; the report is the same for every N.
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "KavrinConst.h"
#include "analog_cell.h"
#include "exhaustive.h"
#include "generated_section.h"
#include "worker_pool.h"

namespace {

const char kProgram[] = "fidelity_report";

/// The box's largest chunk of vectors: an analog cell runs its vectors in chunks this long.
constexpr std::size_t kChunk = 32;

struct Counts {
  int cells = 0, readings = 0, outputs_agree = 0, monitor_agree = 0;
  int defects = 0, logic_agree = 0, monitor_verdict_agree = 0, unsettled = 0;
};

void add(Counts* total, const Counts& c) {
  total->cells += c.cells;
  total->readings += c.readings;
  total->outputs_agree += c.outputs_agree;
  total->monitor_agree += c.monitor_agree;
  total->defects += c.defects;
  total->logic_agree += c.logic_agree;
  total->monitor_verdict_agree += c.monitor_verdict_agree;
  total->unsettled += c.unsettled;
}

/// The analog engine's answers and readings of a freshly powered cell of `net` to its vectors.
/// Throws when ngspice fails.
void analog_exhaustive(const Netlist& net, std::vector<CellAnswer>* answers,
                       std::vector<AnalogVector>* readings) {
  std::vector<unsigned char> vectors = counting_vectors(net);
  AnalogCell cell = analog_power_up(net);
  for (std::size_t start = 0; start < vectors.size(); start += kChunk) {
    std::size_t count = vectors.size() - start < kChunk ? vectors.size() - start : kChunk;
    std::vector<AnalogVector> chunk;
    std::string error;
    if (!analog_apply(&cell, &vectors[start], count, DEFAULT_BRIDGE_OHMS, &chunk, &error))
      throw std::runtime_error(error);
    readings->insert(readings->end(), chunk.begin(), chunk.end());
  }
  for (const AnalogVector& r : *readings)
    answers->push_back({r.outputs, r.iddq <= DEFAULT_MONITOR_UA * 1e-6});
}

/// Both engines' answers of one cell, and whether its analog cell had settled, per vector.
struct CellRun {
  std::vector<CellAnswer> sw, an;
  std::vector<bool> settled;
};

CellRun run_cell(int c, int k) {
  Netlist net = cell_netlist(c, k);
  CellRun run;
  run.sw = switch_exhaustive(net);
  std::vector<AnalogVector> readings;
  analog_exhaustive(net, &run.an, &readings);
  for (const AnalogVector& r : readings) run.settled.push_back(r.settled);
  return run;
}

/// A cell's run as a worker hands it back: three bytes a vector, the switch-level outputs, the
/// analog outputs, and the monitor verdicts and settling as bits.
std::string encode(const CellRun& run) {
  std::string bytes;
  for (std::size_t v = 0; v < run.sw.size(); ++v) {
    bytes += static_cast<char>(run.sw[v].outputs);
    bytes += static_cast<char>(run.an[v].outputs);
    bytes += static_cast<char>((run.sw[v].monitor_pass ? 1 : 0) | (run.an[v].monitor_pass ? 2 : 0) |
                               (run.settled[v] ? 4 : 0));
  }
  return bytes;
}

/// The run of `vectors` vectors that encode() wrote; false when `bytes` is not one.
bool decode(const std::string& bytes, std::size_t vectors, CellRun* run) {
  if (bytes.size() != 3 * vectors) return false;
  for (std::size_t v = 0; v < vectors; ++v) {
    unsigned flags = static_cast<unsigned char>(bytes[3 * v + 2]);
    run->sw.push_back({static_cast<unsigned char>(bytes[3 * v]), (flags & 1) != 0});
    run->an.push_back({static_cast<unsigned char>(bytes[3 * v + 1]), (flags & 2) != 0});
    run->settled.push_back((flags & 4) != 0);
  }
  return true;
}

/// Every cell of `circuits` run on both engines by `workers` worker processes: per circuit, its
/// cells' runs in cell order. Ends the program with a message when a cell fails.
std::vector<std::vector<CellRun>> run_cells(const std::vector<int>& circuits, unsigned workers) {
  std::vector<std::pair<int, int>> cells;
  for (int c : circuits)
    for (int k = 0; k < elements[c].count; ++k) cells.push_back({c, k});
  worker_pool::PoolOptions options;
  options.workers = workers;
  std::vector<worker_pool::JobResult> results = worker_pool::run_jobs(
      cells.size(),
      [&cells](std::size_t i) { return encode(run_cell(cells[i].first, cells[i].second)); },
      options);
  std::vector<std::vector<CellRun>> runs(KAVRIN_CIRCUIT_COUNT);
  for (std::size_t i = 0; i < cells.size(); ++i) {
    int c = cells[i].first, k = cells[i].second;
    CellRun run;
    if (results[i].status != worker_pool::JobStatus::kDone ||
        !decode(results[i].bytes, std::size_t(1) << elements[c].in, &run)) {
      std::fprintf(stderr, "%s: cell %d of circuit %d: %s\n", kProgram, k, c,
                   results[i].status == worker_pool::JobStatus::kDone
                       ? "its worker's answer is not one of a run"
                       : results[i].bytes.c_str());
      std::exit(1);
    }
    runs[c].push_back(std::move(run));
  }
  return runs;
}

/// "n (p %)": p rounded to one decimal from the integers, with no floating point.
std::string share(int part, int whole) {
  if (whole == 0) return std::to_string(part);
  long tenths = (1000L * part + whole / 2) / whole;
  return std::to_string(part) + " (" + std::to_string(tenths / 10) + "." +
         std::to_string(tenths % 10) + " %)";
}

/// A vector's input bits, the last one driving input A.
std::string vector_text(unsigned v, int inputs) {
  std::string bits;
  for (int i = inputs - 1; i >= 0; --i) bits += ((v >> i) & 1u) ? '1' : '0';
  return bits;
}

/// An answer: the output bits, highest output first, then P or F for the monitor.
std::string answer_text(const CellAnswer& a, int outputs) {
  return vector_text(a.outputs, outputs) + (a.monitor_pass ? "P" : "F");
}

const char* yes_no(bool b) { return b ? "yes" : "no"; }

/// One circuit's counts, and its list of disagreements and unsettled vectors.
struct CircuitFidelity {
  Counts counts;
  std::string list;
};

/// Circuit `c`'s fidelity from its cells' runs, in cell order.
CircuitFidelity compare(int c, const std::vector<CellRun>& runs) {
  const KAVRIN_ELEMENT_LIST& circuit = elements[c];
  CircuitFidelity f;
  std::vector<CellAnswer> switch_reference, analog_reference;
  for (int k = 0; k < circuit.count; ++k) {
    const std::vector<CellAnswer>& sw = runs[k].sw;
    const std::vector<CellAnswer>& an = runs[k].an;
    std::string differences, unsettled;
    for (std::size_t v = 0; v < sw.size(); ++v) {
      bool outputs = sw[v].outputs == an[v].outputs;
      bool monitor = sw[v].monitor_pass == an[v].monitor_pass;
      f.counts.outputs_agree += outputs;
      f.counts.monitor_agree += monitor;
      if (!outputs || !monitor)
        differences += std::string(differences.empty() ? "" : ", ") +
                       vector_text(static_cast<unsigned>(v), circuit.in) + " " +
                       answer_text(sw[v], circuit.out) + "/" + answer_text(an[v], circuit.out);
      if (!runs[k].settled[v]) {
        ++f.counts.unsettled;
        unsettled += std::string(unsettled.empty() ? "" : ", ") +
                     vector_text(static_cast<unsigned>(v), circuit.in);
      }
    }
    f.counts.readings += static_cast<int>(sw.size());
    ++f.counts.cells;
    std::string verdicts;
    if (k == 0) {
      switch_reference = sw;
      analog_reference = an;
    } else {
      Verdict s = judge(switch_reference, sw), a = judge(analog_reference, an);
      ++f.counts.defects;
      f.counts.logic_agree += s.logic == a.logic;
      f.counts.monitor_verdict_agree += s.monitor == a.monitor;
      if (s.logic != a.logic)
        verdicts += std::string("; by logic ") + yes_no(s.logic) + "/" + yes_no(a.logic);
      if (s.monitor != a.monitor)
        verdicts += std::string("; by the monitor ") + yes_no(s.monitor) + "/" + yes_no(a.monitor);
    }
    if (differences.empty() && verdicts.empty() && unsettled.empty()) continue;
    std::string name = circuit.idx[k].defect != nullptr
                           ? "\"" + std::string(circuit.idx[k].defect) + "\""
                           : std::string("reference");
    f.list += "- cell " + std::to_string(k) + " " + name + ":";
    if (!differences.empty()) f.list += " " + differences;
    f.list += verdicts;
    if (!unsettled.empty()) f.list += "; unsettled " + unsettled;
    f.list += "\n";
  }
  return f;
}

std::string row(const std::string& index, const std::string& name, const Counts& c) {
  return "| " + index + " | " + name + " | " + std::to_string(c.cells) + " | " +
         std::to_string(c.readings) + " | " + share(c.outputs_agree, c.readings) + " | " +
         share(c.monitor_agree, c.readings) + " | " + std::to_string(c.defects) + " | " +
         share(c.logic_agree, c.defects) + " | " + share(c.monitor_verdict_agree, c.defects) +
         " | " + std::to_string(c.unsettled) + " |\n";
}

std::string circuit_row(int c, const Counts& counts) {
  return row(std::to_string(c), elements[c].name, counts);
}

std::string circuit_list(int c, const CircuitFidelity& f) {
  return "#### " + std::to_string(c) + " " + elements[c].name + ": " + elements[c].desc + "\n\n" +
         (f.list.empty() ? std::string("- none\n") : f.list) + "\n";
}

const char kTableHead[] =
    "| idx | circuit | cells | readings | outputs agree | monitor agrees | defects | "
    "by logic agrees | by monitor agrees | unsettled |\n"
    "|---|---|---|---|---|---|---|---|---|---|\n";

const char kListHead[] =
    "Per circuit, the cells where the engines differ: each vector that differs (its input "
    "bits, the last one driving A) with both answers, switch-level/analog (the output bits, "
    "highest output first, then P or F for the monitor); the verdicts that differ "
    "(switch-level/analog); the vectors the analog cell had not settled.\n\n";

std::string whole_chip(unsigned workers) {
  std::vector<int> circuits;
  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; ++c) circuits.push_back(c);
  std::vector<std::vector<CellRun>> runs = run_cells(circuits, workers);
  std::string table = kTableHead, lists = kListHead;
  Counts total;
  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; ++c) {
    CircuitFidelity f = compare(c, runs[c]);
    table += circuit_row(c, f.counts);
    lists += circuit_list(c, f);
    add(&total, f.counts);
  }
  table += row("", "all", total);
  return table + "\n" + lists;
}

/// One circuit's fidelity, its cells run by `workers` worker processes.
CircuitFidelity circuit_fidelity(int c, unsigned workers) {
  return compare(c, run_cells({c}, workers)[c]);
}

/// --check of one circuit: its row and its list must stand in the section as computed now.
int check_circuit(int c, const std::string& path, unsigned workers) {
  std::string document, section;
  if (!read_document(path, &document)) {
    std::fprintf(stderr, "%s: cannot read %s\n", kProgram, path.c_str());
    return 1;
  }
  if (!section_of(document, kProgram, &section)) {
    std::fprintf(stderr, "%s: %s has no section generated by %s\n", kProgram, path.c_str(),
                 kProgram);
    return 1;
  }
  CircuitFidelity f = circuit_fidelity(c, workers);
  for (const std::string& part : {circuit_row(c, f.counts), circuit_list(c, f)})
    if (section.find(part) == std::string::npos) {
      std::fprintf(stderr,
                   "%s: circuit %d in %s differs from the engines; run %s --write %s\n"
                   "now:\n%s",
                   kProgram, c, path.c_str(), kProgram, path.c_str(), part.c_str());
      return 1;
    }
  return 0;
}

int usage() {
  std::fprintf(stderr,
               "usage: %s [-j N] [--check FILE | --write FILE]\n"
               "       %s [-j N] --circuit N [--check FILE]\n"
               "  -j N, --jobs N: worker processes (default: the cores there are, %u)\n",
               kProgram, kProgram, worker_pool::default_workers());
  return 2;
}

/// A whole decimal number from `low` to `high`; false for anything else.
bool number_in(const std::string& text, long low, long high, long* n) {
  char* end = nullptr;
  *n = std::strtol(text.c_str(), &end, 10);
  return !text.empty() && *end == '\0' && *n >= low && *n <= high;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  int circuit = -1;
  unsigned workers = worker_pool::default_workers();
  std::string mode, path;
  for (std::size_t i = 0; i < args.size(); i += 2) {
    if (i + 1 >= args.size()) return usage();
    const std::string& option = args[i];
    long n = 0;
    if (option == "--circuit" && circuit < 0) {
      if (!number_in(args[i + 1], 0, KAVRIN_CIRCUIT_COUNT - 1, &n)) return usage();
      circuit = static_cast<int>(n);
    } else if (option == "-j" || option == "--jobs") {
      if (!number_in(args[i + 1], 1, 1024, &n)) return usage();
      workers = static_cast<unsigned>(n);
    } else if ((option == "--check" || option == "--write") && mode.empty()) {
      mode = option;
      path = args[i + 1];
    } else {
      return usage();
    }
  }
  if (circuit >= 0) {
    if (mode == "--write") return usage();
    if (!mode.empty()) return check_circuit(circuit, path, workers);
    CircuitFidelity f = circuit_fidelity(circuit, workers);
    std::fputs((circuit_row(circuit, f.counts) + "\n" + circuit_list(circuit, f)).c_str(), stdout);
    return 0;
  }
  std::string generated = whole_chip(workers);
  if (mode.empty()) {
    std::fputs(generated.c_str(), stdout);
    return 0;
  }
  return check_or_write_section(kProgram, mode, path, generated);
}
