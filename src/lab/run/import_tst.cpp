// The TST import: the patterns through the TST reader, the fault table from the file's text.
#include "run/import_tst.h"

#include <sstream>

#include "KavrinConst.h"
#include "circuit_logic.h"
#include "results/limits.h"
#include "run/vector_source.h"
#include "sha256.h"

namespace kavlab {

std::vector<std::string> table_rows(const std::string& text) {
  std::vector<std::string> rows;
  std::istringstream in(text);
  bool inside = false;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind(".TABLE", 0) == 0) {
      inside = true;
    } else if (inside && !line.empty() && line[0] == '.') {
      break;
    } else if (inside && !line.empty()) {
      rows.push_back(line);
    }
  }
  return rows;
}

namespace {

/// Checks the table's shape and turns its columns into the cells' marks.
bool read_marks(const std::vector<std::string>& rows, CircuitResult& c, Pass& p,
                std::string* error) {
  std::size_t n = c.vectors.size(), cells = c.cells.size();
  if (rows.size() != n) {
    *error = "its .TABLE has " + std::to_string(rows.size()) + " rows for " + std::to_string(n) +
             " vectors (not a file written by a defect-table run?)";
    return false;
  }
  for (std::size_t v = 0; v < n; v++)
    if (rows[v].size() != cells || rows[v].find_first_not_of("1X0&") != std::string::npos) {
      *error = ".TABLE row " + std::to_string(v + 1) + " is not " + std::to_string(cells) +
               " marks, one per chosen cell (other cells chosen in that run?)";
      return false;
    }
  p.cells.assign(cells, Response());
  for (std::size_t k = 0; k < cells; k++)
    for (std::size_t v = 0; v < n; v++) p.cells[k].marks += rows[v][k] == 'X' ? 'X' : '1';
  return true;
}

/// The output bits of circuit `circuit`'s logic function for `vector` (its characters '0' and
/// '1', the last one driving input A), highest output first as in a response.
std::string logic_outputs(int circuit, const std::string& vector) {
  unsigned number = 0;
  for (char bit : vector) number = (number << 1) | (bit == '1' ? 1u : 0u);
  unsigned bits = catalogue::circuit_outputs(circuit, number);
  std::string outputs;
  for (int y = elements[circuit].out - 1; y >= 0; y--) outputs += (bits >> y) & 1 ? '1' : '0';
  return outputs;
}

/// The vectors of `c` where `reference` answers otherwise than the logic function of `circuit`
/// (of the same input and output counts).
std::vector<std::size_t> differences(const CircuitResult& c, const Response& reference,
                                     int circuit) {
  std::vector<std::size_t> at;
  for (std::size_t v = 0; v < c.vectors.size(); v++)
    if (reference.outputs[v] != logic_outputs(circuit, c.vectors[v])) at.push_back(v);
  return at;
}

/// Whether circuit `circuit` has `cells` cells of every class, or of shorts to a rail: as many
/// as a defect-table run of it chooses with -all_defects or -saf_defects.
bool has_cells(int circuit, std::size_t cells) {
  for (int mask : {MASK_ALL_DEFECTS, MASK_SAF_DEFECTS}) {
    std::size_t chosen = 0;
    for (int k = 0; k < elements[circuit].count; k++)
      chosen += cell_selected(mask, elements[circuit].idx[k].type) ? 1 : 0;
    if (chosen == cells) return true;
  }
  return false;
}

/// The circuits of the chip, other than `c`'s, of its inputs, outputs and cells whose logic
/// function gives every reference answer: "circuit 11 (NA2)"; empty when none does.
std::string circuits_answering(const CircuitResult& c, const Response& reference) {
  std::string list;
  for (int i = 0; i < KAVRIN_CIRCUIT_COUNT; i++)
    if (i != c.index && elements[i].in == c.inputs && elements[i].out == c.outputs &&
        has_cells(i, c.cells.size()) && differences(c, reference, i).empty())
      list += (list.empty() ? "" : ", ") + std::string("circuit ") + std::to_string(i) + " (" +
              elements[i].name + ")";
  return list;
}

/// Why the reference's outputs are not the logic function of `c`'s circuit, with both readings
/// of it; empty when they are.
std::string reference_refusal(const CircuitResult& c, const Response& reference) {
  std::vector<std::size_t> at = differences(c, reference, c.index);
  if (at.empty()) return "";
  std::size_t v = at.front();
  std::string circuit = "circuit " + std::to_string(c.index) + " (" + elements[c.index].name +
                        ", " + elements[c.index].desc + ")";
  std::string fits = circuits_answering(c, reference);
  return "the reference answered " + reference.outputs[v] + " to inputs " + c.vectors[v] +
         ", where " + circuit + " gives " + logic_outputs(c.index, c.vectors[v]) + " (" +
         std::to_string(at.size()) + " of " + std::to_string(c.vectors.size()) +
         " vectors differ). Either -c " + std::to_string(c.index) +
         " is not the circuit of the run that wrote it (" +
         (fits.empty() ? std::string("no circuit of the chip answers so")
                       : "its answers are those of " + fits) +
         "), or the reference cell of that die is broken: --reference-differs imports it as it "
         "is, marked as such";
}

/// A shared lock on the file read, released on every way out (a fatal path of the reader that
/// throws, as in the fuzz build, too).
struct HeldLock {
  FileLock lock;
  HeldLock() = default;
  HeldLock(const HeldLock&) = delete;
  HeldLock& operator=(const HeldLock&) = delete;
  ~HeldLock() { unlock_file(lock); }
};

}  // namespace

bool import_tst(const std::string& path, bool monitor, ReferenceCheck check, CircuitResult& c,
                std::string* error) {
  HeldLock held;
  std::string bytes;
  BIST* dat = read_test_file(path, held.lock, &bytes, error);
  unlock_file(held.lock);
  if (dat == nullptr) return false;
  bool fits = dat->inps == c.inputs && dat->outs == c.outputs && dat->vects != nullptr;
  if (!fits) {
    *error = path + ": " + std::to_string(dat->inps) + " input and " + std::to_string(dat->outs) +
             " output columns; circuit " + std::to_string(c.index) + " has " +
             std::to_string(c.inputs) + " and " + std::to_string(c.outputs);
    FreeTST(dat);
    return false;
  }
  c.test = {SourceKind::Import, path, sha256_hex(bytes), record_registers(dat)};
  c.vectors = record_vectors(dat, c.inputs);
  Pass p;
  p.name = monitor ? "monitor" : "logic";
  p.monitor_on = p.gives_monitor = monitor;
  p.gives_logic = !monitor;
  p.reference_measured = true;
  for (int v = 0; v < dat->vcount; v++) {
    std::string outputs(dat->vects[v] + c.inputs, static_cast<std::size_t>(c.outputs));
    if (outputs.find_first_not_of("01") != std::string::npos) {
      // The reader, loose as kavtest's, keeps a row whose outputs are not H and L.
      *error = path + ": the reference outputs of vector " + std::to_string(v + 1) + " (inputs " +
               c.vectors[static_cast<std::size_t>(v)] + ") are " + shown_value(outputs) +
               ", not H or L";
      FreeTST(dat);
      return false;
    }
    if (monitor)
      p.reference.monitor += outputs.back() == '1' ? 'P' : 'F';
    else
      p.reference.outputs.push_back(outputs);
  }
  FreeTST(dat);
  if (!read_marks(table_rows(bytes), c, p, error)) {
    *error = path + ": " + *error;
    return false;
  }
  // A -bicm table's reference column holds the monitor's verdicts, not the outputs.
  std::string refusal = monitor ? "" : reference_refusal(c, p.reference);
  if (!refusal.empty() && check == ReferenceCheck::Refuse) {
    *error = path + ": " + refusal;
    return false;
  }
  c.reference_differs = !refusal.empty();
  c.passes = {p};
  return true;
}

}  // namespace kavlab
