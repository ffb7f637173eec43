// A chip that differs as a die does: the generator, the portable normal transform and
// functions, each cell's draws, and the settings that ask for them.
#include "variation.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace kavtest {

namespace {

/// SplitMix64's finalizer: a bijective mix of 64 bits.
std::uint64_t mix64(std::uint64_t z) {
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

constexpr double kLn2 = 0.6931471805599453;  // ln 2, nearest double
constexpr double kLn10 = 2.302585092994046;  // ln 10, nearest double
constexpr double kTwoTo52 = 4503599627370496.0;

/// Decades beyond which a bridge is clamped anyway: keeps 10^x finite for any draw.
constexpr double kMostDecades = 30.0;

}  // namespace

DieRandom::DieRandom(std::uint32_t seed, std::uint32_t stream)
    : state_(mix64((static_cast<std::uint64_t>(seed) << 32) | stream)) {}

std::uint64_t DieRandom::next() {
  state_ += 0x9e3779b97f4a7c15ULL;
  return mix64(state_);
}

double DieRandom::uniform() {
  // k + 1/2 needs 53 bits for k below 2^52: exact, and never 0 or 1.
  return (static_cast<double>(next() >> 12) + 0.5) / kTwoTo52;
}

double DieRandom::standard_normal() {
  if (has_spare_) {
    has_spare_ = false;
    return spare_;
  }
  double u, v, s;
  do {
    u = 2.0 * uniform() - 1.0;  // exact: an odd multiple of 2^-52
    v = 2.0 * uniform() - 1.0;
    s = u * u + v * v;
  } while (s >= 1.0 || s == 0.0);
  // sqrt is correctly rounded under IEEE 754 on every platform; the logarithm is our own.
  double factor = std::sqrt(-2.0 * portable_log(s) / s);
  spare_ = v * factor;
  has_spare_ = true;
  return u * factor;
}

double portable_log(double x) {
  int exponent = 0;
  double m = std::frexp(x, &exponent);  // exact: x = m 2^exponent, m in [0.5, 1)
  if (m < 0.7071067811865476) {
    m *= 2.0;
    --exponent;
  }
  // ln m = 2 atanh(t), t = (m - 1) / (m + 1), |t| < 0.172: the series to t^29 is below the
  // last place.
  double t = (m - 1.0) / (m + 1.0), t2 = t * t, sum = 0.0;
  for (int k = 29; k >= 1; k -= 2) sum = sum * t2 + 1.0 / k;
  return static_cast<double>(exponent) * kLn2 + 2.0 * t * sum;
}

double portable_pow10(double x) {
  // 10^x = 2^n e^r, with n the nearest integer to x log2(10) and |r| <= ln2 / 2.
  double y = x * kLn10;
  double n = std::floor(y / kLn2 + 0.5);
  double r = y - n * kLn2;
  double term = 1.0, sum = 1.0;
  for (int k = 1; k <= 22; ++k) {
    term = term * r / k;
    sum += term;
  }
  return std::ldexp(sum, static_cast<int>(n));
}

CellVariation draw_cell_variation(const Netlist& net, const Variation& variation,
                                  std::size_t cell) {
  DieRandom random(variation.seed, static_cast<std::uint32_t>(cell));
  CellVariation v;
  v.bridge_decades = variation.bridge_sigma_decades * random.standard_normal();
  v.vt_shift_v.reserve(net.transistors.size());
  for (std::size_t i = 0; i < net.transistors.size(); ++i)
    v.vt_shift_v.push_back(variation.vt_sigma_v * random.standard_normal());
  return v;
}

double varied_bridge_ohms(double ohms, double decades) {
  double d = std::min(std::max(decades, -kMostDecades), kMostDecades);
  return std::min(std::max(ohms * portable_pow10(d), MIN_BRIDGE_OHMS), MAX_BRIDGE_OHMS);
}

namespace {

/// A decimal number from 0 to `most` and nothing after it ("0", "0.03", "1e-2"): digits, a
/// point and an exponent; no sign, no hexadecimal, no "inf" or "nan".
bool number_up_to(const char* text, double most, double* value) {
  std::string s = text;
  if (s.empty() || !(std::isdigit(static_cast<unsigned char>(s[0])) || s[0] == '.') ||
      s.find_first_not_of("0123456789.eE+-") != std::string::npos)
    return false;
  char* end = nullptr;
  double v = std::strtod(text, &end);
  if (end == text || *end != '\0' || !std::isfinite(v) || v < 0.0 || v > most) return false;
  *value = v;
  return true;
}

/// A seed: decimal digits alone, from 0 to MAX_SEED.
bool parse_seed(const char* text, std::uint32_t* seed) {
  std::string digits = text;
  if (digits.empty() || digits.size() > 10 ||
      digits.find_first_not_of("0123456789") != std::string::npos)
    return false;
  unsigned long long v = std::strtoull(text, nullptr, 10);
  if (v > MAX_SEED) return false;
  *seed = static_cast<std::uint32_t>(v);
  return true;
}

/// The setting `name` with `value`, as the user gave it.
std::string given(const char* name, const char* value) { return std::string(name) + value; }

/// Parses the settings of variation that are given; false with `*error` set for the first
/// that is not of its kind.
bool parse_variation(const char* variation, const char* vt_sigma, const char* bridge_sigma,
                     const char* seed, const VariationSettingNames& names, Variation* v,
                     std::string* error) {
  if (variation != nullptr && std::string(variation) != "0" && std::string(variation) != "1") {
    *error =
        given(names.variation, variation) + ": not 0 or 1 (1: each chip differs as a die does)";
    return false;
  }
  v->enabled = variation != nullptr && std::string(variation) == "1";
  if (vt_sigma != nullptr && !number_up_to(vt_sigma, MAX_VT_SIGMA_V, &v->vt_sigma_v)) {
    *error = given(names.vt_sigma, vt_sigma) +
             ": not a threshold spread (a number of volts from 0 to 0.2: 0.03, 0.01)";
    return false;
  }
  if (bridge_sigma != nullptr &&
      !number_up_to(bridge_sigma, MAX_BRIDGE_SIGMA_DECADES, &v->bridge_sigma_decades)) {
    *error = given(names.bridge_sigma, bridge_sigma) +
             ": not a bridge spread (a number of decades from 0 to 3: 1, 0.5)";
    return false;
  }
  if (seed != nullptr && !parse_seed(seed, &v->seed)) {
    *error = given(names.seed, seed) + ": not a seed (an integer from 0 to 2147483647)";
    return false;
  }
  return true;
}

}  // namespace

bool choose_variation(const char* variation, const char* vt_sigma, const char* bridge_sigma,
                      const char* seed, const VariationSettingNames& names, EngineKind kind,
                      Variation* out, std::string* error) {
  Variation v;
  if (!parse_variation(variation, vt_sigma, bridge_sigma, seed, names, &v, error)) return false;
  if (!v.enabled) {
    struct Alone {
      const char *name, *value, *what;
    };
    for (Alone a : {Alone{names.vt_sigma, vt_sigma, "threshold spread"},
                    Alone{names.bridge_sigma, bridge_sigma, "bridge spread"},
                    Alone{names.seed, seed, "seed"}})
      if (a.value != nullptr) {
        *error = given(a.name, a.value) + ": the " + a.what + " is a setting of variation alone (" +
                 names.variation_on + ")";
        return false;
      }
  } else if (kind == EngineKind::Switch) {
    *error = std::string(names.variation_on) +
             ": variation is a setting of the analog engine alone (" + names.engine_analog + ")";
    return false;
  }
  *out = v;
  return true;
}

Variation variation_for_box(const Variation& variation, unsigned box) {
  Variation v = variation;
  std::uint64_t seed = static_cast<std::uint64_t>(variation.seed) + box;
  v.seed = static_cast<std::uint32_t>(seed % (static_cast<std::uint64_t>(MAX_SEED) + 1));
  return v;
}

EngineChoice engine_for_box(const EngineChoice& choice, unsigned box) {
  EngineChoice c = choice;
  c.variation = variation_for_box(choice.variation, box);
  return c;
}

bool variation_from_parameters(const std::map<std::string, double>& parameters,
                               Variation* variation, std::string* error) {
  Variation v;
  auto seed = parameters.find("seed");
  if (seed != parameters.end()) {
    double s = seed->second;
    if (!(s >= 0.0 && s <= MAX_SEED && std::floor(s) == s)) {
      *error = "seed: not an integer from 0 to 2147483647";
      return false;
    }
    v.enabled = true;
    v.seed = static_cast<std::uint32_t>(s);
    struct Spread {
      const char* name;
      double most;
      double* value;
    };
    for (Spread p :
         {Spread{"vt_sigma_v", MAX_VT_SIGMA_V, &v.vt_sigma_v},
          Spread{"bridge_sigma_decades", MAX_BRIDGE_SIGMA_DECADES, &v.bridge_sigma_decades}}) {
      auto found = parameters.find(p.name);
      if (found == parameters.end() || !(found->second >= 0.0 && found->second <= p.most)) {
        *error = std::string(p.name) +
                 (found == parameters.end() ? ": missing beside the seed" : ": outside its range");
        return false;
      }
      *p.value = found->second;
    }
  }
  *variation = v;
  return true;
}

}  // namespace kavtest
