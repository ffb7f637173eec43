// The TST import: the patterns through the TST reader, the fault table from the file's text.
#include "run/import_tst.h"

#include <sstream>

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

}  // namespace

bool import_tst(const std::string& path, bool monitor, CircuitResult& c, std::string* error) {
  FileLock lock;
  std::string bytes;
  BIST* dat = read_test_file(path, lock, &bytes, error);
  unlock_file(lock);
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
  c.passes = {p};
  return true;
}

}  // namespace kavlab
