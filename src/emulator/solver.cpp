// Switch-level evaluation of one cell for one input vector, round by round.
#include "solver.h"

#include <cmath>
#include <utility>

namespace {

/// Working storage of one round, reused across rounds and calls.
struct Scratch {
  std::vector<int> parent;
  std::vector<char> reaches;   ///< per node, then per root: touches a rail or a driver
  std::vector<int> component;  ///< per node: its component
  std::vector<int> local;      ///< per node: its row in its component's system
  std::vector<int> first;      ///< per component: offset of its members in `members`
  std::vector<int> size;       ///< per component: number of members
  std::vector<int> members;    ///< nodes grouped by component
  std::vector<int> matrix_at;  ///< per component: offset of its system in `matrix`
  std::vector<double> matrix;
  std::vector<double> rhs;  ///< per node, indexed through `first` + `local`
};

int find_root(std::vector<int>& parent, int x) {
  while (parent[x] != x) {
    parent[x] = parent[parent[x]];
    x = parent[x];
  }
  return x;
}

bool is_rail(int node) { return node == NODE_GND || node == NODE_VDD; }

bool conducts(const Element& e, const DriveLevels& on) {
  return e.transistor < 0 || on[e.transistor] > 0;
}

/// The share of a channel's full conductance at each drive level: the square of the level's
/// fraction of full drive, as the saturation current grows with the overdrive.
struct DriveShares {
  double share[DRIVE_LEVELS + 1];
  DriveShares() {
    for (int level = 0; level <= DRIVE_LEVELS; ++level)
      share[level] = static_cast<double>(level * level) / (DRIVE_LEVELS * DRIVE_LEVELS);
  }
};
const DriveShares kShares;

/// The conductance of a conducting element.
double conductance(const Element& e, const DriveLevels& on) {
  return e.transistor < 0 ? e.g : e.g * kShares.share[on[e.transistor]];
}

/// The drive levels of the transistors at voltages `v`.
DriveLevels drive_levels(const Netlist& net, const std::vector<double>& v) {
  DriveLevels on{};
  for (size_t i = 0; i < net.transistors.size(); ++i) {
    const Transistor& t = net.transistors[i];
    on[i] = static_cast<unsigned char>(drive_level(t.pmos, v[t.gate]));
  }
  return on;
}

/// Solves a * x = b in place (x returned in b) by Gaussian elimination with partial pivoting;
/// `a` is m x m, row-major.
void gauss(double* a, double* b, int m) {
  for (int col = 0; col < m; ++col) {
    int pivot = col;
    for (int r = col + 1; r < m; ++r)
      if (std::fabs(a[r * m + col]) > std::fabs(a[pivot * m + col])) pivot = r;
    if (pivot != col) {
      for (int c = col; c < m; ++c) std::swap(a[col * m + c], a[pivot * m + c]);
      std::swap(b[col], b[pivot]);
    }
    double diagonal = a[col * m + col];
    for (int r = col + 1; r < m; ++r) {
      double factor = a[r * m + col] / diagonal;
      if (factor == 0.0) continue;
      for (int c = col; c < m; ++c) a[r * m + c] -= factor * a[col * m + c];
      b[r] -= factor * b[col];
    }
  }
  for (int r = m - 1; r >= 0; --r) {
    double sum = b[r];
    for (int c = r + 1; c < m; ++c) sum -= a[r * m + c] * b[c];
    b[r] = sum / a[r * m + r];
  }
}

/// Groups the non-rail nodes into components joined by the conducting elements and marks the
/// components that reach a rail or a driver. Returns the number of components.
int group_components(const Cell& cell, const DriveLevels& on, Scratch& s) {
  int n = static_cast<int>(cell.net.nodes.size());
  s.parent.resize(n);
  s.reaches.assign(n, 0);
  for (int i = 0; i < n; ++i) {
    s.parent[i] = i;
    s.reaches[i] = cell.input_of[i] >= 0;
  }
  for (const Element& e : cell.elements) {
    if (!conducts(e, on)) continue;
    if (!is_rail(e.a) && !is_rail(e.b)) {
      s.parent[find_root(s.parent, e.a)] = find_root(s.parent, e.b);
    } else if (!is_rail(e.a)) {
      s.reaches[e.a] = 1;
    } else if (!is_rail(e.b)) {
      s.reaches[e.b] = 1;
    }
  }
  s.component.assign(n, -1);
  s.size.clear();
  for (int i = 2; i < n; ++i) {
    int root = find_root(s.parent, i);
    if (s.component[root] < 0) {
      s.component[root] = static_cast<int>(s.size.size());
      s.size.push_back(0);
    }
    s.component[i] = s.component[root];
    if (s.reaches[i]) s.reaches[root] = 1;
  }
  int count = static_cast<int>(s.size.size());
  for (int i = 2; i < n; ++i) s.local[i] = s.size[s.component[i]]++;
  s.first.assign(count + 1, 0);
  for (int c = 0; c < count; ++c) s.first[c + 1] = s.first[c] + s.size[c];
  s.members.resize(n);
  for (int i = 2; i < n; ++i) s.members[s.first[s.component[i]] + s.local[i]] = i;
  return count;
}

/// One round: the node voltages that drive levels `on` give for input vector `input`; floating
/// components share the charge of their voltages `held`.
void solve_round(const Cell& cell, const DriveLevels& on, const std::vector<double>& held,
                 unsigned input, std::vector<double>* v, Scratch& s) {
  int n = static_cast<int>(cell.net.nodes.size());
  s.local.resize(n);
  int count = group_components(cell, on, s);
  v->assign(n, 0.0);
  (*v)[NODE_VDD] = 1.0;

  // A system per driven component; floating components share their charge.
  s.matrix_at.assign(count, -1);
  int total = 0;
  for (int c = 0; c < count; ++c) {
    int root = find_root(s.parent, s.members[s.first[c]]);
    if (s.reaches[root]) {
      s.matrix_at[c] = total;
      total += s.size[c] * s.size[c];
    } else {
      double charge = 0.0, capacitance = 0.0;
      for (int k = s.first[c]; k < s.first[c + 1]; ++k) {
        charge += cell.capacitance[s.members[k]] * held[s.members[k]];
        capacitance += cell.capacitance[s.members[k]];
      }
      for (int k = s.first[c]; k < s.first[c + 1]; ++k) (*v)[s.members[k]] = charge / capacitance;
    }
  }
  s.matrix.assign(total, 0.0);
  s.rhs.assign(n, 0.0);

  // Kirchhoff's current law at each node: conductances to the rails and to the drivers'
  // values go to the right-hand side.
  auto stamp_to_fixed = [&](int node, double g, double value) {
    int c = s.component[node];
    int m = s.size[c];
    int i = s.local[node];
    s.matrix[s.matrix_at[c] + i * m + i] += g;
    s.rhs[s.first[c] + i] += g * value;
  };
  for (int i = 2; i < n; ++i)
    if (cell.input_of[i] >= 0 && s.matrix_at[s.component[i]] >= 0)
      stamp_to_fixed(i, G_DRV, static_cast<double>((input >> cell.input_of[i]) & 1u));
  for (const Element& e : cell.elements) {
    if (!conducts(e, on)) continue;
    if (is_rail(e.a) && is_rail(e.b)) continue;
    double g = conductance(e, on);
    if (is_rail(e.a)) {
      stamp_to_fixed(e.b, g, e.a == NODE_VDD ? 1.0 : 0.0);
    } else if (is_rail(e.b)) {
      stamp_to_fixed(e.a, g, e.b == NODE_VDD ? 1.0 : 0.0);
    } else {
      int c = s.component[e.a];
      if (s.matrix_at[c] < 0) continue;  // inside a floating component
      int m = s.size[c];
      double* a = &s.matrix[s.matrix_at[c]];
      int i = s.local[e.a], j = s.local[e.b];
      a[i * m + i] += g;
      a[j * m + j] += g;
      a[i * m + j] -= g;
      a[j * m + i] -= g;
    }
  }
  for (int c = 0; c < count; ++c) {
    if (s.matrix_at[c] < 0) continue;
    double* b = &s.rhs[s.first[c]];
    gauss(&s.matrix[s.matrix_at[c]], b, s.size[c]);
    for (int k = 0; k < s.size[c]; ++k) (*v)[s.members[s.first[c] + k]] = b[k];
  }
}

/// After a round: every node of a driven component keeps RACE_SHARE of its swing from `vold`
/// in `held`, the charge it takes along if a later round cuts it off.
void hold_driven(const Cell& cell, const std::vector<double>& vold, const std::vector<double>& v,
                 std::vector<double>* held, Scratch& s) {
  int n = static_cast<int>(cell.net.nodes.size());
  for (int i = 2; i < n; ++i)
    if (s.reaches[find_root(s.parent, i)]) (*held)[i] = vold[i] + RACE_SHARE * (v[i] - vold[i]);
}

/// The larger of the current leaving vdd and the current entering gnd.
double quiescent_current(const Cell& cell, const DriveLevels& on, const std::vector<double>& v) {
  double leaving_vdd = 0.0, entering_gnd = 0.0;
  for (const Element& e : cell.elements) {
    if (!conducts(e, on)) continue;
    double g = conductance(e, on);
    if (e.a == NODE_VDD) leaving_vdd += g * (1.0 - v[e.b]);
    if (e.b == NODE_VDD) leaving_vdd += g * (1.0 - v[e.a]);
    if (e.a == NODE_GND) entering_gnd += g * v[e.b];
    if (e.b == NODE_GND) entering_gnd += g * v[e.a];
  }
  return leaving_vdd > entering_gnd ? leaving_vdd : entering_gnd;
}

}  // namespace

int drive_level(bool pmos, double gate) {
  double fraction = pmos ? (1.0 - gate - VT_P) / (1.0 - VT_P) : (gate - VT_N) / (1.0 - VT_N);
  int level = 0;
  while (level < DRIVE_LEVELS && fraction > (level + 0.5) / DRIVE_LEVELS + EPS) ++level;
  return level;
}

bool is_floating_gate_segment(const Netlist& net, int node) {
  if (is_rail(node)) return false;
  for (int input : net.inputs)
    if (input == node) return false;
  for (const Transistor& t : net.transistors)
    if (t.drain == node || t.source == node) return false;
  for (const Short& sh : net.shorts)
    if (sh.first == node || sh.other == node) return false;
  return true;
}

Cell cell_power_up(const Netlist& net) {
  Cell cell;
  cell.net = net;
  int n = static_cast<int>(net.nodes.size());
  for (size_t i = 0; i < net.transistors.size(); ++i) {
    const Transistor& t = net.transistors[i];
    cell.elements.push_back({t.drain, t.source, t.pmos ? G_P : G_N, static_cast<int>(i)});
  }
  for (const Short& sh : net.shorts) cell.elements.push_back({sh.first, sh.other, G_SHORT, -1});
  cell.capacitance.assign(n, C_INT);
  for (int i = 0; i < n; ++i)
    if (net.nodes[i].gate_output) cell.capacitance[i] = C_OUT;
  for (const OutputPin& pin : net.outputs) cell.capacitance[pin.node] = C_OUT;
  cell.input_of.assign(n, -1);
  for (size_t k = 0; k < net.inputs.size(); ++k) cell.input_of[net.inputs[k]] = static_cast<int>(k);
  cell.voltage.assign(n, 0.0);
  cell.voltage[NODE_VDD] = 1.0;
  for (int i = 0; i < n; ++i) {
    if (!is_floating_gate_segment(net, i)) continue;
    bool reaches_gate = false;
    for (const Transistor& t : net.transistors) reaches_gate = reaches_gate || t.gate == i;
    cell.voltage[i] = reaches_gate ? V_FLOAT : V_FLOAT_PIN;
  }
  return cell;
}

VectorResult cell_apply(Cell* cell, unsigned input) {
  static thread_local Scratch scratch;
  static thread_local std::vector<std::vector<double>> solutions;
  static thread_local DriveLevels sets[MAX_ROUNDS];
  static thread_local std::vector<double> held;
  const std::vector<double>& vold = cell->voltage;
  if (solutions.size() < static_cast<size_t>(MAX_ROUNDS)) solutions.resize(MAX_ROUNDS);
  held = vold;

  // Rounds until a set of drive levels repeats: `rounds` sets solved, the repeat (if any) at
  // `repeat`.
  int rounds = 0, repeat = -1;
  const std::vector<double>* last = &vold;
  while (rounds < MAX_ROUNDS) {
    DriveLevels on = drive_levels(cell->net, *last);
    for (int j = 0; j < rounds && repeat < 0; ++j)
      if (sets[j] == on) repeat = j;
    if (repeat >= 0) break;
    sets[rounds] = on;
    solve_round(*cell, on, held, input, &solutions[rounds], scratch);
    hold_driven(*cell, vold, solutions[rounds], &held, scratch);
    last = &solutions[rounds];
    ++rounds;
  }
  VectorResult result{};
  result.rounds = repeat >= 0 ? rounds + 1 : rounds;
  result.settled = repeat == rounds - 1;
  int cycle_start = repeat >= 0 ? repeat : rounds - 2;

  // An output reads 1 only if it reads 1 in every solution of the cycle.
  for (size_t k = 0; k < cell->net.outputs.size(); ++k) {
    bool one = true;
    for (int r = cycle_start; r < rounds; ++r)
      one = one && reads_one(solutions[r][cell->net.outputs[k].node]);
    if (one) result.outputs |= 1u << k;
  }
  const std::vector<double>& kept = solutions[rounds - 1];
  result.iddq = quiescent_current(*cell, sets[rounds - 1], kept);
  result.monitor_pass = result.settled && result.iddq <= I_TH;
  cell->voltage = kept;
  return result;
}
