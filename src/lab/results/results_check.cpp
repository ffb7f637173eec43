// The checks of a results file's records against the catalogue and against themselves.
#include "results/results_check.h"

#include "KavrinConst.h"
#include "results/limits.h"

namespace kavlab {

namespace {

std::string circuit_named(int index) {
  return "circuit " + std::to_string(index) + " (" + elements[index].name + ")";
}

std::string quoted(const std::string& s) { return "\"" + shown_value(s) + "\""; }

/// Sets `*error` to `message`; false.
bool refuse(const std::string& message, std::string* error) {
  *error = message;
  return false;
}

}  // namespace

bool check_circuit_facts(const CircuitResult& c, const std::string& where, std::string* error) {
  const KAVRIN_ELEMENT_LIST& e = elements[c.index];
  std::string chip = ", but " + circuit_named(c.index) + " of the chip ";
  if (c.name != e.name)
    return refuse(where + ".name is " + quoted(c.name) + chip + "is " + quoted(e.name), error);
  if (c.description != e.desc)
    return refuse(
        where + ".description is " + quoted(c.description) + chip + "is " + quoted(e.desc), error);
  if (c.inputs != e.in)
    return refuse(
        where + ".inputs is " + std::to_string(c.inputs) + chip + "has " + std::to_string(e.in),
        error);
  if (c.outputs != e.out)
    return refuse(
        where + ".outputs is " + std::to_string(c.outputs) + chip + "has " + std::to_string(e.out),
        error);
  return true;
}

bool check_cell_count(int circuit, std::size_t cells, const std::string& where,
                      std::string* error) {
  std::size_t defective = static_cast<std::size_t>(elements[circuit].count - 1);
  if (cells <= defective) return true;
  return refuse(where + ".cells holds " + std::to_string(cells) + " cells, but " +
                    circuit_named(circuit) + " of the chip has " + std::to_string(defective),
                error);
}

bool check_cell(const CircuitResult& c, std::size_t k, const std::string& where,
                std::string* error) {
  const KAVRIN_ELEMENT_LIST& e = elements[c.index];
  const TestedCell& cell = c.cells[k];
  if (cell.index < 1 || cell.index >= e.count)
    return refuse(where + ".index is " + std::to_string(cell.index) + ", but " +
                      circuit_named(c.index) + " has cells 1 to " + std::to_string(e.count - 1),
                  error);
  for (std::size_t j = 0; j < k; j++)
    if (c.cells[j].index == cell.index)
      return refuse(where + ".index is " + std::to_string(cell.index) + ", as in cells[" +
                        std::to_string(j) + "]: a cell is measured once",
                    error);
  const KAVRIN_ELEMENT& chip = e.idx[cell.index];
  std::string named = "cell " + std::to_string(cell.index) + " of " + circuit_named(c.index);
  if (cell.defect != chip.defect)
    return refuse(where + ".defect is " + quoted(cell.defect) + ", but " + named + " is " +
                      quoted(chip.defect),
                  error);
  if (cell.type != chip.type)
    return refuse(where + ".class is " + quoted(defect_class(cell.type)) + ", but " + named + ", " +
                      chip.defect + ", is a " + defect_class(chip.type),
                  error);
  return true;
}

namespace {

/// Whether pass `k` of circuit `i` fits `r.partial`; false with `*error` set.
bool check_pass(const Results& r, std::size_t i, std::size_t k, std::string* error) {
  const CircuitResult& c = r.circuits[i];
  const Pass& p = c.passes[k];
  std::string where = "circuits[" + std::to_string(i) + "].passes[" + std::to_string(k) + "]";
  if (!p.reference_measured && !p.cells.empty())
    return refuse(where + ".reference is null, yet the pass holds the answers of " +
                      std::to_string(p.cells.size()) +
                      " cell(s): a pass measures the reference before the cells",
                  error);
  if (r.partial) return true;
  if (!p.reference_measured)
    return refuse("\"partial\" is false, but " + where + ".reference is null", error);
  if (p.cells.size() < c.cells.size())
    return refuse("\"partial\" is false, but " + where + " holds the answers of " +
                      std::to_string(p.cells.size()) + " of the " + std::to_string(c.cells.size()) +
                      " cells",
                  error);
  return true;
}

}  // namespace

bool check_new_circuit(const Results& r, const CircuitResult& c, const std::string& where,
                       std::string* error) {
  for (std::size_t j = 0; j < r.circuits.size(); j++)
    if (r.circuits[j].index == c.index)
      return refuse(where + " is " + circuit_named(c.index) + ", as circuits[" + std::to_string(j) +
                        "] is: a circuit appears once in a results file",
                    error);
  return true;
}

bool check_passes(const Results& r, std::string* error) {
  for (std::size_t i = 0; i < r.circuits.size(); i++)
    for (std::size_t k = 0; k < r.circuits[i].passes.size(); k++)
      if (!check_pass(r, i, k, error)) return false;
  return true;
}

}  // namespace kavlab
