// The switch-level engine against the analog engine: every cell of the chip over every input
// vector in counting order from power-up, at the reference conditions (10 Ohm bridges, 10 uA
// monitor threshold). Per circuit and in all: how many output readings and monitor verdicts
// agree per (cell, vector), how many defects' verdicts by logic and by the monitor agree, and
// how many vectors the analog cell had not settled; then, per circuit, every disagreement with
// both answers and every unsettled vector. Prints the section of docs/chip-model.md, or checks
// or writes it there; --circuit N computes and checks one circuit's row and list alone.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "KavrinConst.h"
#include "analog_cell.h"
#include "exhaustive.h"
#include "generated_section.h"

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
void analog_exhaustive(const Netlist& net, std::vector<CellAnswer>* answers,
                       std::vector<AnalogVector>* readings) {
  std::vector<unsigned char> vectors = counting_vectors(net);
  AnalogCell cell = analog_power_up(net);
  for (std::size_t start = 0; start < vectors.size(); start += kChunk) {
    std::size_t count = vectors.size() - start < kChunk ? vectors.size() - start : kChunk;
    std::vector<AnalogVector> chunk;
    std::string error;
    if (!analog_apply(&cell, &vectors[start], count, DEFAULT_BRIDGE_OHMS, &chunk, &error)) {
      std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
      std::exit(1);
    }
    readings->insert(readings->end(), chunk.begin(), chunk.end());
  }
  for (const AnalogVector& r : *readings)
    answers->push_back({r.outputs, r.iddq <= DEFAULT_MONITOR_UA * 1e-6});
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

CircuitFidelity compare(int c) {
  const KAVRIN_ELEMENT_LIST& circuit = elements[c];
  CircuitFidelity f;
  std::vector<CellAnswer> switch_reference, analog_reference;
  for (int k = 0; k < circuit.count; ++k) {
    Netlist net = cell_netlist(c, k);
    std::vector<CellAnswer> sw = switch_exhaustive(net), an;
    std::vector<AnalogVector> readings;
    analog_exhaustive(net, &an, &readings);
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
      if (!readings[v].settled) {
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

std::string whole_chip() {
  std::string table = kTableHead, lists = kListHead;
  Counts total;
  for (int c = 0; c < KAVRIN_CIRCUIT_COUNT; ++c) {
    CircuitFidelity f = compare(c);
    table += circuit_row(c, f.counts);
    lists += circuit_list(c, f);
    add(&total, f.counts);
  }
  table += row("", "all", total);
  return table + "\n" + lists;
}

/// --check of one circuit: its row and its list must stand in the section as computed now.
int check_circuit(int c, const std::string& path) {
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
  CircuitFidelity f = compare(c);
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
               "usage: %s [--check FILE | --write FILE]\n"
               "       %s --circuit N [--check FILE]\n",
               kProgram, kProgram);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  int circuit = -1;
  if (args.size() >= 2 && args[0] == "--circuit") {
    char* end = nullptr;
    long n = std::strtol(args[1].c_str(), &end, 10);
    if (*end != '\0' || args[1].empty() || n < 0 || n >= KAVRIN_CIRCUIT_COUNT) return usage();
    circuit = static_cast<int>(n);
    args.erase(args.begin(), args.begin() + 2);
  }
  if (!(args.empty() || (args.size() == 2 && (args[0] == "--check" || args[0] == "--write"))))
    return usage();
  if (circuit >= 0) {
    if (!args.empty() && args[0] == "--write") return usage();
    if (!args.empty()) return check_circuit(circuit, args[1]);
    CircuitFidelity f = compare(circuit);
    std::fputs((circuit_row(circuit, f.counts) + "\n" + circuit_list(circuit, f)).c_str(), stdout);
    return 0;
  }
  std::string generated = whole_chip();
  if (args.empty()) {
    std::fputs(generated.c_str(), stdout);
    return 0;
  }
  return check_or_write_section(kProgram, args[0], args[1], generated);
}
