// The engines that compute a chip's cells: the switch-level model (solver.h) and the analog
// engine (circuit simulation with ngspice, analog_cell.h). A chip holds one engine for all its
// cells; the engine keeps every cell's state from one call to the next until a power-up.
#ifndef KAVTEST_ENGINE_H
#define KAVTEST_ENGINE_H

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "netlist.h"

enum class EngineKind { Switch, Analog };

/// Resistance of every short, and the current monitor's threshold, of the analog engine.
constexpr double DEFAULT_BRIDGE_OHMS = 10.0;
constexpr double DEFAULT_MONITOR_UA = 10.0;

/// The bridge resistances, in ohms, over which the analog engine was run and checked
/// (docs/chip-model.md, "The bridge resistance's range"). Below, ngspice's transient stops short
/// of its end, or runs without end, on hard shorts of some circuit (from 5e-4 Ohm on C17 with
/// shorts); above, a bridge conducts less than the 1 TOhm leak of every node.
constexpr double MIN_BRIDGE_OHMS = 0.1;
constexpr double MAX_BRIDGE_OHMS = 1e12;

/// True when `ohms` lies from MIN_BRIDGE_OHMS to MAX_BRIDGE_OHMS; else false with `*error` set,
/// beginning with `setting` (the setting as the user gave it: "KAVTEST_SIM_BRIDGE_OHMS=1m",
/// "--bridge-ohms 1m"). Meant for every reader of a bridge resistance; kavtest-sim's
/// environment is checked with it.
bool check_bridge_ohms(double ohms, const std::string& setting, std::string* error);

namespace kavtest {

/// The spreads of a chip that differs as a die does (docs/chip-model.md, "Chips that differ"):
/// each transistor's threshold voltage, normal around the process's, in volts; each defect's
/// bridge resistance, log-normal around the chosen one, in decades.
constexpr double DEFAULT_VT_SIGMA_V = 0.03;
constexpr double MAX_VT_SIGMA_V = 0.2;
constexpr double DEFAULT_BRIDGE_SIGMA_DECADES = 1.0;
constexpr double MAX_BRIDGE_SIGMA_DECADES = 3.0;
/// Seeds are integers from 0 to MAX_SEED: every one is exact as a double, so a results file's
/// JSON number gives it back.
constexpr std::uint32_t MAX_SEED = 2147483647u;

/// Whether, and how, a chip of the analog engine differs from the nominal one. Disabled, the
/// chip is the nominal one, and the other fields mean nothing.
struct Variation {
  bool enabled = false;
  double vt_sigma_v = DEFAULT_VT_SIGMA_V;
  double bridge_sigma_decades = DEFAULT_BRIDGE_SIGMA_DECADES;
  std::uint32_t seed = 0;  ///< the chip's draws; box i of the emulated boxes uses seed + i
};

}  // namespace kavtest

/// Which engine computes the cells, and the analog engine's parameters (unused by the
/// switch-level engine, whose constants are fixed).
struct EngineChoice {
  EngineKind kind = EngineKind::Switch;
  double bridge_ohms = DEFAULT_BRIDGE_OHMS;
  double monitor_ua = DEFAULT_MONITOR_UA;
  kavtest::Variation variation{};  ///< the analog engine's alone
};

/// One vector's answer of a cell.
struct CellAnswer {
  unsigned outputs = 0;  ///< bit i: output Yi reads 1
  bool monitor_pass = true;
};

/// What an engine keeps of a cell from one call to the next.
struct CellState {
  std::vector<double> voltage;  ///< per node, volts, rails included
  unsigned input = 0;           ///< the input vector last driven (the analog engine's)
};

/// The cells of a chip and their state.
class CellEngine {
 public:
  virtual ~CellEngine() = default;
  /// Adds a freshly powered cell of `net`; cells are numbered from 0 in the order added.
  virtual void add_cell(const Netlist& net) = 0;
  /// Applies `count` input vectors in order to cell `cell` (bit 0 of a vector drives the first
  /// input) and writes one answer per vector. False with `*error` set when the engine failed;
  /// the cell then keeps the state it had before the call.
  virtual bool apply(std::size_t cell, const unsigned char* inputs, std::size_t count,
                     CellAnswer* answers, std::string* error) = 0;
  /// Powers every cell down and up again.
  virtual void power_up_all() = 0;
  /// The state of cell `cell`: what apply() carries from one call to the next.
  virtual CellState save_state(std::size_t cell) const = 0;
  /// Puts back a state that save_state() gave for the same cell (a chunk computed ahead and
  /// not wanted after all).
  virtual void restore_state(std::size_t cell, const CellState& state) = 0;
};

/// The switch-level engine.
std::unique_ptr<CellEngine> make_switch_engine();
/// The analog engine with the parameters of `choice`; null with `*error` set when this build
/// has no analog engine or ngspice cannot be started.
std::unique_ptr<CellEngine> make_analog_engine(const EngineChoice& choice, std::string* error);
/// True when this build holds the analog engine (ngspice was found at build time).
bool analog_engine_built();
/// The engine `choice` names; null with `*error` set as make_analog_engine says, or when
/// variation is asked of the switch-level engine.
std::unique_ptr<CellEngine> make_engine(const EngineChoice& choice, std::string* error);

/// "switch" or "analog".
const char* engine_name(EngineKind kind);
/// The engine named `name` ("switch", "analog"); false for any other text.
bool parse_engine_kind(const std::string& name, EngineKind* kind);
/// A resistance in ohms: a positive number, optionally followed by k (kilo) or M (mega):
/// "10", "4.7k", "1M". False for anything else.
bool parse_ohms(const std::string& text, double* ohms);
/// A current in microamperes: a positive number. False for anything else.
bool parse_microamps(const std::string& text, double* microamps);

/// How the user gives the three settings of a choice, for messages: "KAVTEST_SIM_ENGINE=" or
/// "--engine ", and so on; a setting's message starts with its name and the value given.
struct EngineSettingNames {
  const char* engine;
  const char* bridge_ohms;
  const char* monitor_ua;
};

/// The choice that the given settings make (null: not given; without an engine, the
/// switch-level one). False with `*error` set when a value is not one of its kind, or when a
/// parameter of the analog engine is given to the switch-level one.
bool choose_engine(const char* engine, const char* bridge_ohms, const char* monitor_ua,
                   const EngineSettingNames& names, EngineChoice* choice, std::string* error);

/// The settings a results file records for `choice`: for the switch-level engine its model's
/// constants, for the analog engine its parameters and reference conditions, and with
/// variation "vt_sigma_v", "bridge_sigma_decades" and "seed" (none of the three without it).
std::map<std::string, double> engine_parameters(const EngineChoice& choice);

#endif
