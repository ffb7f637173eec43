// Chips that differ as dies do: the generator's first values (the same on every platform), the
// portable functions against the C library's, each cell's draws by seed, the box's seed, the
// settings and their messages, and the parameters a results file records.
#include "variation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <string>
#include <vector>

#include "defects.h"

namespace kavtest {
namespace {

TEST(DieRandom, FirstValuesArePinned) {
  // Seed 0, stream 0 starts SplitMix64 from state 0: its published first outputs.
  DieRandom zero(0, 0);
  EXPECT_EQ(zero.next(), 0xe220a8397b1dcdafULL);
  EXPECT_EQ(zero.next(), 0x6e789e6aa1b965f4ULL);
  EXPECT_EQ(zero.next(), 0x06c45d188009454fULL);
  // The uniform and normal draws of another stream, bit for bit (computed apart from this code,
  // by the same steps in another language's IEEE doubles): a platform whose arithmetic or whose
  // transform differs fails here.
  DieRandom r(12345, 7);
  struct Pinned {
    double value;
    double expected;
  };
  std::vector<Pinned> pinned;
  pinned.push_back({r.uniform(), 0x1.303a1e217e73bp-1});
  pinned.push_back({r.standard_normal(), -0x1.b5e0f5fc05097p-1});
  pinned.push_back({r.standard_normal(), 0x1.03600720d0d17p-2});
  pinned.push_back({r.standard_normal(), 0x1.7920616bfcc06p-1});
  for (std::size_t i = 0; i < pinned.size(); ++i)
    EXPECT_EQ(pinned[i].value, pinned[i].expected)
        << "draw " << i << ": " << std::hexfloat << pinned[i].value;
}

TEST(DieRandom, NormalDrawsHaveMeanZeroAndDeviationOne) {
  DieRandom r(2024, 0);
  const int n = 20000;
  double sum = 0, squares = 0, beyond_two = 0;
  for (int i = 0; i < n; ++i) {
    double z = r.standard_normal();
    sum += z;
    squares += z * z;
    if (std::fabs(z) > 2.0) ++beyond_two;
  }
  double mean = sum / n, variance = squares / n - mean * mean;
  EXPECT_NEAR(mean, 0.0, 0.03);
  EXPECT_NEAR(variance, 1.0, 0.04);
  EXPECT_NEAR(beyond_two / n, 0.0455, 0.006);  // the normal's tails, not a uniform's
}

TEST(DieRandom, UniformDrawsStayStrictlyInsideTheUnitInterval) {
  DieRandom r(1, 1);
  double least = 1, most = 0;
  for (int i = 0; i < 10000; ++i) {
    double u = r.uniform();
    least = std::fmin(least, u);
    most = std::fmax(most, u);
  }
  EXPECT_GT(least, 0.0);
  EXPECT_LT(least, 0.001);
  EXPECT_LT(most, 1.0);
  EXPECT_GT(most, 0.999);
}

TEST(PortableFunctions, AgreeWithTheLibraryToTheLastPlaces) {
  for (double x : {1e-300, 1e-20, 2.2e-16, 0.001, 0.1, 0.5, 0.70710678, 0.99999, 1.0, 1.00001, 1.5,
                   2.0, 10.0, 12345.678, 1e100, 1e300})
    EXPECT_NEAR(portable_log(x), std::log(x), 4e-16 * std::fmax(1.0, std::fabs(std::log(x)))) << x;
  // Whole powers against their decimal literals (MinGW-w64's pow is off by 1e-13 at 10^-300);
  // the others against the library.
  for (int n : {-300, -3, -1, 0, 1, 6, 100, 300})
    EXPECT_NEAR(portable_pow10(n) / std::strtod(("1e" + std::to_string(n)).c_str(), nullptr), 1.0,
                4e-16 * (1 + std::abs(n)))
        << n;
  for (double x : {-12.5, -0.3, 0.25, 2.7})
    EXPECT_NEAR(portable_pow10(x) / std::pow(10.0, x), 1.0, 4e-16 * (1 + std::fabs(x))) << x;
  EXPECT_EQ(portable_pow10(0.0), 1.0);
  EXPECT_EQ(portable_log(1.0), 0.0);
}

Netlist c17_cell() {
  Netlist net;
  std::string error;
  EXPECT_TRUE(apply_defect(circuit_netlist(16), "n1/n2", &net, &error)) << error;
  return net;
}

Variation spread(std::uint32_t seed, double vt = 0.03, double bridge = 1.0) {
  Variation v;
  v.enabled = true;
  v.seed = seed;
  v.vt_sigma_v = vt;
  v.bridge_sigma_decades = bridge;
  return v;
}

TEST(CellDraws, TheSameSeedGivesTheSameCellAndAnotherSeedAnother) {
  Netlist net = c17_cell();
  ASSERT_GT(net.transistors.size(), 10u);
  CellVariation a = draw_cell_variation(net, spread(7), 40);
  CellVariation again = draw_cell_variation(net, spread(7), 40);
  CellVariation other_seed = draw_cell_variation(net, spread(8), 40);
  CellVariation other_cell = draw_cell_variation(net, spread(7), 41);
  ASSERT_EQ(a.vt_shift_v.size(), net.transistors.size());
  EXPECT_EQ(a.bridge_decades, again.bridge_decades);
  EXPECT_EQ(a.vt_shift_v, again.vt_shift_v);
  for (const CellVariation* other : {&other_seed, &other_cell}) {
    EXPECT_NE(a.bridge_decades, other->bridge_decades);
    std::size_t same = 0;
    for (std::size_t i = 0; i < a.vt_shift_v.size(); ++i)
      same += a.vt_shift_v[i] == other->vt_shift_v[i] ? 1 : 0;
    EXPECT_EQ(same, 0u);
  }
}

TEST(CellDraws, EachSpreadScalesItsOwnDraws) {
  Netlist net = c17_cell();
  CellVariation base = draw_cell_variation(net, spread(3, 0.03, 1.0), 5);
  CellVariation wide = draw_cell_variation(net, spread(3, 0.06, 0.5), 5);
  CellVariation none = draw_cell_variation(net, spread(3, 0.0, 0.0), 5);
  EXPECT_DOUBLE_EQ(wide.bridge_decades, base.bridge_decades * 0.5);
  for (std::size_t i = 0; i < base.vt_shift_v.size(); ++i) {
    EXPECT_DOUBLE_EQ(wide.vt_shift_v[i], base.vt_shift_v[i] * 2.0) << i;
    EXPECT_EQ(none.vt_shift_v[i], 0.0) << i;
  }
  EXPECT_EQ(none.bridge_decades, 0.0);
  // Over many cells the threshold shifts spread as asked.
  double squares = 0;
  std::size_t n = 0;
  for (std::size_t cell = 0; cell < 200; ++cell)
    for (double s : draw_cell_variation(net, spread(11, 0.03), cell).vt_shift_v) {
      squares += s * s;
      ++n;
    }
  EXPECT_NEAR(std::sqrt(squares / n), 0.03, 0.002);
}

TEST(CellDraws, BridgesMoveByDecadesWithinTheCheckedRange) {
  struct Case {
    double ohms, decades, expected;
  };
  for (Case c : std::vector<Case>{{10, 0, 10},
                                  {10, 1, 100},
                                  {10, -1, 1},
                                  {1000, 2.5, 1000 * std::pow(10.0, 2.5)},
                                  {10, -5, MIN_BRIDGE_OHMS},
                                  {1e9, 4, MAX_BRIDGE_OHMS},
                                  {10, 1e6, MAX_BRIDGE_OHMS},
                                  {10, -1e6, MIN_BRIDGE_OHMS}})
    EXPECT_NEAR(varied_bridge_ohms(c.ohms, c.decades), c.expected, c.expected * 1e-13)
        << c.ohms << " Ohm, " << c.decades << " decades";
  EXPECT_EQ(varied_bridge_ohms(4700, 0), 4700);  // nothing drawn, nothing changed
}

TEST(BoxSeeds, EachBoxAddsItsIndexAndTheLastSeedWrapsToZero) {
  struct Case {
    std::uint32_t seed;
    unsigned box;
    std::uint32_t expected;
  };
  for (Case c : std::vector<Case>{
           {0, 0, 0}, {5, 3, 8}, {MAX_SEED, 0, MAX_SEED}, {MAX_SEED, 1, 0}, {MAX_SEED - 1, 4, 2}}) {
    EngineChoice choice;
    choice.kind = EngineKind::Analog;
    choice.variation = spread(c.seed, 0.05, 2.0);
    EngineChoice boxed = engine_for_box(choice, c.box);
    EXPECT_EQ(boxed.variation.seed, c.expected) << c.seed << " + " << c.box;
    EXPECT_EQ(boxed.variation.vt_sigma_v, 0.05);
    EXPECT_EQ(boxed.variation.bridge_sigma_decades, 2.0);
    EXPECT_TRUE(boxed.variation.enabled);
    EXPECT_EQ(boxed.bridge_ohms, choice.bridge_ohms);
  }
}

const VariationSettingNames kNames{"V=", "V=1", "VT=", "BS=", "SEED=", "ENGINE=analog"};

TEST(VariationSettings, ValuesAreTakenOrRefusedByName) {
  struct Case {
    const char *variation, *vt, *bridge, *seed;
    EngineKind kind;
    std::string message;  // empty: taken
  };
  const EngineKind A = EngineKind::Analog, S = EngineKind::Switch;
  auto vt = [](const std::string& value) {
    return "VT=" + value + ": not a threshold spread (a number of volts from 0 to 0.2: 0.03, 0.01)";
  };
  auto bridge = [](const std::string& value) {
    return "BS=" + value + ": not a bridge spread (a number of decades from 0 to 3: 1, 0.5)";
  };
  auto seed = [](const std::string& value) {
    return "SEED=" + value + ": not a seed (an integer from 0 to 2147483647)";
  };
  std::vector<Case> cases = {
      {nullptr, nullptr, nullptr, nullptr, S, ""},
      {"0", nullptr, nullptr, nullptr, S, ""},
      {"1", "0.05", "2", "2147483647", A, ""},
      {"1", "0", "0", "0", A, ""},
      {"yes", nullptr, nullptr, nullptr, A,
       "V=yes: not 0 or 1 (1: each chip differs as a die does)"},
      {"", nullptr, nullptr, nullptr, A, "V=: not 0 or 1 (1: each chip differs as a die does)"},
      {"1", nullptr, nullptr, nullptr, S,
       "V=1: variation is a setting of the analog engine alone (ENGINE=analog)"},
      {"1", "-0.01", nullptr, nullptr, A, vt("-0.01")},
      {"1", "0.21", nullptr, nullptr, A, vt("0.21")},
      {"1", "30mV", nullptr, nullptr, A, vt("30mV")},
      {"1", "nan", nullptr, nullptr, A, vt("nan")},
      {"1", nullptr, "3.5", nullptr, A, bridge("3.5")},
      {"1", nullptr, "0x1", nullptr, A, bridge("0x1")},
      {"1", nullptr, nullptr, "2147483648", A, seed("2147483648")},
      {"1", nullptr, nullptr, "-1", A, seed("-1")},
      {"1", nullptr, nullptr, "1.0", A, seed("1.0")},
      {"1", nullptr, nullptr, "99999999999", A, seed("99999999999")},
      {"1", nullptr, nullptr, "", A, seed("")},
      {nullptr, "0.03", nullptr, nullptr, A,
       "VT=0.03: the threshold spread is a setting of variation alone (V=1)"},
      {"0", nullptr, "1", nullptr, A,
       "BS=1: the bridge spread is a setting of variation alone (V=1)"},
      {nullptr, nullptr, nullptr, "4", A, "SEED=4: the seed is a setting of variation alone (V=1)"},
  };
  for (const Case& c : cases) {
    Variation v;
    v.seed = 99;  // untouched on a refusal
    std::string error;
    bool ok = choose_variation(c.variation, c.vt, c.bridge, c.seed, kNames, c.kind, &v, &error);
    const std::string& message = c.message;
    EXPECT_EQ(ok, message.empty()) << message;
    EXPECT_EQ(error, message);
    if (!ok) {
      EXPECT_EQ(v.seed, 99u) << message;
    }
  }
  Variation v;
  std::string error;
  ASSERT_TRUE(choose_variation("1", "0.05", "2", "2147483647", kNames, A, &v, &error)) << error;
  EXPECT_TRUE(v.enabled);
  EXPECT_EQ(v.vt_sigma_v, 0.05);
  EXPECT_EQ(v.bridge_sigma_decades, 2.0);
  EXPECT_EQ(v.seed, MAX_SEED);
  ASSERT_TRUE(choose_variation("1", nullptr, nullptr, nullptr, kNames, A, &v, &error)) << error;
  EXPECT_EQ(v.vt_sigma_v, DEFAULT_VT_SIGMA_V);
  EXPECT_EQ(v.bridge_sigma_decades, DEFAULT_BRIDGE_SIGMA_DECADES);
  EXPECT_EQ(v.seed, 0u);
  ASSERT_TRUE(choose_variation("0", nullptr, nullptr, nullptr, kNames, A, &v, &error));
  EXPECT_FALSE(v.enabled);
}

TEST(VariationParameters, TheResultsFileGivesTheVariationBack) {
  EngineChoice choice;
  choice.kind = EngineKind::Analog;
  EXPECT_EQ(engine_parameters(choice).count("seed"), 0u);
  choice.variation = spread(MAX_SEED, 0.045, 1.5);
  std::map<std::string, double> p = engine_parameters(choice);
  Variation back;
  std::string error;
  ASSERT_TRUE(variation_from_parameters(p, &back, &error)) << error;
  EXPECT_TRUE(back.enabled);
  EXPECT_EQ(back.seed, MAX_SEED);
  EXPECT_EQ(back.vt_sigma_v, 0.045);
  EXPECT_EQ(back.bridge_sigma_decades, 1.5);
  p.erase("seed");
  ASSERT_TRUE(variation_from_parameters(p, &back, &error));
  EXPECT_FALSE(back.enabled);

  struct Case {
    const char* name;
    double value;  // NAN: the parameter is left out
    const char* message;
  };
  for (Case c :
       std::vector<Case>{{"seed", 1.5, "seed: not an integer from 0 to 2147483647"},
                         {"seed", -1, "seed: not an integer from 0 to 2147483647"},
                         {"seed", 2147483648.0, "seed: not an integer from 0 to 2147483647"},
                         {"vt_sigma_v", 0.3, "vt_sigma_v: outside its range"},
                         {"bridge_sigma_decades", NAN,
                          "bridge_sigma_decades: missing "
                          "beside the seed"}}) {
    std::map<std::string, double> bad = engine_parameters(choice);
    if (std::isnan(c.value)) {
      bad.erase(c.name);
    } else {
      bad[c.name] = c.value;
    }
    EXPECT_FALSE(variation_from_parameters(bad, &back, &error)) << c.name;
    EXPECT_EQ(error, c.message);
  }
}

}  // namespace
}  // namespace kavtest
