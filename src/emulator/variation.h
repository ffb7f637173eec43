// The draws that make a chip of the analog engine differ as a die does: per cell, a factor on
// its defect's bridge resistance and a threshold shift for each transistor, from the chip's
// seed; the settings that ask for them, and the seed of each emulated box. The draws are the
// same bits on every platform: a generator of our own (SplitMix64, integer arithmetic alone)
// and a normal transform, logarithm and power of ten of basic IEEE arithmetic (no library's log,
// exp or normal distribution, whose last bits or whose algorithm differ between C++ libraries).
#ifndef KAVTEST_VARIATION_H
#define KAVTEST_VARIATION_H

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine.h"
#include "netlist.h"

namespace kavtest {

/// Uniform and standard normal draws, one stream per (seed, stream) pair.
class DieRandom {
 public:
  /// The stream `stream` under `seed`: SplitMix64 started from the 64-bit mix of both.
  DieRandom(std::uint32_t seed, std::uint32_t stream);
  /// The generator's next 64 bits.
  std::uint64_t next();
  /// A uniform draw strictly between 0 and 1: the top 52 bits of next(), centred in their
  /// interval (k + 1/2) / 2^52, exact as a double.
  double uniform();
  /// A draw of the standard normal distribution (Marsaglia's polar method), in pairs.
  double standard_normal();

 private:
  std::uint64_t state_;
  double spare_ = 0.0;
  bool has_spare_ = false;
};

/// ln x for a positive finite x, within a few units in the last place, by basic arithmetic
/// alone: the same bits on every platform that rounds IEEE doubles to nearest.
double portable_log(double x);
/// 10^x for |x| up to 300, likewise, within about 1e-16 (1 + |x|) relatively (ln 10 is
/// rounded).
double portable_pow10(double x);

/// How one cell of a chip differs from the nominal cell.
struct CellVariation {
  double bridge_decades = 0.0;     ///< its bridges are the chosen resistance times 10^this
  std::vector<double> vt_shift_v;  ///< per transistor of its netlist: |VT| is nominal + this
};

/// The variation of cell `cell` (its index in the chip) of `net` under `variation`: from the
/// stream `cell` of the variation's seed, first the bridge's normal draw, then one per
/// transistor in the netlist's order, each times its spread. A cell's draws do not depend on
/// the other cells, nor on the bridge resistance chosen.
CellVariation draw_cell_variation(const Netlist& net, const Variation& variation, std::size_t cell);

/// The resistance of a bridge whose chosen resistance is `ohms`, `decades` away from it, kept
/// within MIN_BRIDGE_OHMS and MAX_BRIDGE_OHMS (below, ngspice fails on hard shorts; above, a
/// bridge conducts less than a node's leak).
double varied_bridge_ohms(double ohms, double decades);

/// How the user gives the settings of variation, for messages: `variation` and the others are
/// followed by the value given ("KAVTEST_SIM_SEED=" or "--seed "); `variation_on` is the setting
/// that asks for variation ("KAVTEST_SIM_VARIATION=1", "--variation"), `engine_analog` the one
/// that chooses the analog engine ("KAVTEST_SIM_ENGINE=analog", "--engine analog").
struct VariationSettingNames {
  const char* variation;
  const char* variation_on;
  const char* vt_sigma;
  const char* bridge_sigma;
  const char* seed;
  const char* engine_analog;
};

/// The variation that the given settings make on an engine of `kind` (null: not given; without
/// `variation`, or with "0", none). `variation` is "0" or "1"; the spreads are numbers from 0 to
/// MAX_VT_SIGMA_V volts and MAX_BRIDGE_SIGMA_DECADES decades; the seed an integer from 0 to
/// MAX_SEED (0 when not given). False with `*error` set, beginning with the setting as the user
/// gave it, when a value is not one of its kind, when a spread or a seed is given without
/// variation, or when variation is asked of the switch-level engine.
bool choose_variation(const char* variation, const char* vt_sigma, const char* bridge_sigma,
                      const char* seed, const VariationSettingNames& names, EngineKind kind,
                      Variation* out, std::string* error);

/// The variation of emulated box `box`'s chip (0 for the first): `variation` with the box's
/// index added to its seed, modulo MAX_SEED + 1, so that the chip of box i is the chip that
/// seed + i gives a single box.
Variation variation_for_box(const Variation& variation, unsigned box);
/// `choice` with its variation for box `box`.
EngineChoice engine_for_box(const EngineChoice& choice, unsigned box);

/// The variation that engine_parameters() recorded in `parameters` (as a results file gives
/// them back): disabled without "seed"; else the spreads and the seed, which must be an integer
/// from 0 to MAX_SEED and the spreads within their ranges. False with `*error` set naming the
/// parameter otherwise.
bool variation_from_parameters(const std::map<std::string, double>& parameters,
                               Variation* variation, std::string* error);

}  // namespace kavtest

#endif
