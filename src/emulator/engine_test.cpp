// The engine's choice and parameters, and the analog engine's cells through the chip: their
// function, their state kept across exchanges, the bridge resistance's effect and a varied
// chip's bridges.
#include "engine.h"

#include <gtest/gtest.h>

#include "KavrinConst.h"
#include "chip.h"
#include "defects.h"
#include "solver.h"
#include "units.h"
#include "variation.h"

namespace {

TEST(EngineChoice, NamesAreSwitchAndAnalogOnly) {
  EngineKind kind = EngineKind::Switch;
  EXPECT_TRUE(parse_engine_kind("analog", &kind));
  EXPECT_EQ(kind, EngineKind::Analog);
  EXPECT_TRUE(parse_engine_kind("switch", &kind));
  EXPECT_EQ(kind, EngineKind::Switch);
  for (const char* other : {"", "Analog", "spice", "switch ", "analogue"})
    EXPECT_FALSE(parse_engine_kind(other, &kind)) << other;
  EXPECT_STREQ(engine_name(EngineKind::Analog), "analog");
  EXPECT_STREQ(engine_name(EngineKind::Switch), "switch");
}

TEST(EngineChoice, ResistancesTakeKiloAndMegaAndNothingElse) {
  double ohms = 0;
  struct Case {
    const char* text;
    double ohms;
  };
  for (Case c : {Case{"10", 10}, Case{"4.7k", 4700}, Case{"10K", 10000}, Case{"1M", 1e6},
                 Case{"0.5", 0.5}, Case{".5k", 500}}) {
    EXPECT_TRUE(parse_ohms(c.text, &ohms)) << c.text;
    EXPECT_DOUBLE_EQ(ohms, c.ohms) << c.text;
  }
  for (const char* bad :
       {"", "0", "-10", "k", "10 ", "10m", "10ohm", "nan", "inf", "0x10", "1e400", "+5", "1e309k"})
    EXPECT_FALSE(parse_ohms(bad, &ohms)) << bad;
  for (double r : {10.0, 100.0, 1000.0, 4700.0, 10000.0, 2.2e6})
    EXPECT_TRUE(parse_ohms(ohms_text(r), &ohms) && ohms == r) << r;
}

TEST(EngineChoice, BridgeResistanceIsTakenOnlyWhereTheAnalogEngineWasChecked) {
  struct Case {
    const char* text;
    bool taken;
  };
  for (Case c : {Case{"0.1", true}, Case{"10", true}, Case{"4.7k", true}, Case{"1M", true},
                 Case{"1e12", true}, Case{"1000000M", true}, Case{"0.0999", false},
                 Case{"1e-3", false}, Case{"1e-9", false}, Case{"1e-300", false},
                 Case{"1.001e12", false}, Case{"1e300", false}}) {
    double ohms = 0;
    ASSERT_TRUE(parse_ohms(c.text, &ohms)) << c.text;
    std::string error;
    EXPECT_EQ(check_bridge_ohms(ohms, std::string("R=") + c.text, &error), c.taken) << c.text;
    EXPECT_EQ(error, c.taken ? ""
                             : std::string("R=") + c.text +
                                   ": outside the range over which the analog engine is checked, "
                                   "0.1 to 1e12 ohms (100 mOhm to 1 TOhm)");
  }
  EXPECT_TRUE(check_bridge_ohms(DEFAULT_BRIDGE_OHMS, "", nullptr));
}

TEST(EngineChoice, MonitorThresholdIsAPositiveNumberOfMicroamps) {
  double ua = 0;
  EXPECT_TRUE(parse_microamps("10", &ua));
  EXPECT_EQ(ua, 10.0);
  EXPECT_TRUE(parse_microamps("0.25", &ua));
  EXPECT_EQ(ua, 0.25);
  for (const char* bad : {"", "0", "-1", "10u", "10uA", "x", "inf"})
    EXPECT_FALSE(parse_microamps(bad, &ua)) << bad;
}

TEST(EngineChoice, SettingsAreCheckedAndNamedAsTheUserGaveThem) {
  const EngineSettingNames env{"E=", "R=", "I="}, options{"--engine ", "--ohms ", "--ua "};
  EngineChoice c;
  std::string error;
  EXPECT_TRUE(choose_engine(nullptr, nullptr, nullptr, env, &c, &error));
  EXPECT_EQ(c.kind, EngineKind::Switch);
  EXPECT_TRUE(choose_engine("analog", "1k", "2.5", env, &c, &error));
  EXPECT_EQ(c.kind, EngineKind::Analog);
  EXPECT_EQ(c.bridge_ohms, 1000.0);
  EXPECT_EQ(c.monitor_ua, 2.5);
  EXPECT_TRUE(choose_engine("analog", nullptr, nullptr, env, &c, &error));
  EXPECT_EQ(c.bridge_ohms, DEFAULT_BRIDGE_OHMS);
  EXPECT_EQ(c.monitor_ua, DEFAULT_MONITOR_UA);
  struct Refused {
    const char *engine, *ohms, *ua, *message;
  };
  for (Refused r : {
           Refused{"spice", nullptr, nullptr, "E=spice: no such engine (switch or analog)"},
           Refused{"analog", "ten", nullptr, "R=ten: not a resistance"},
           Refused{"analog", nullptr, "0", "I=0: not a current"},
           Refused{
               nullptr, nullptr, "5",
               "I=5: the monitor threshold is a parameter of the analog engine alone (E=analog)"},
           Refused{"switch", "10", nullptr,
                   "R=10: the bridge resistance is a parameter of the analog engine alone"},
       }) {
    EXPECT_FALSE(choose_engine(r.engine, r.ohms, r.ua, env, &c, &error));
    EXPECT_EQ(error.compare(0, std::string(r.message).size(), r.message), 0) << error;
  }
  EXPECT_FALSE(choose_engine(nullptr, nullptr, "5", options, &c, &error));
  EXPECT_EQ(error.compare(0, 9, "--ua 5: t"), 0) << error;
}

TEST(EngineChoice, ParametersRecordTheEngineSettings) {
  EngineChoice analog{EngineKind::Analog, 1000.0, 2.5};
  std::map<std::string, double> p = engine_parameters(analog);
  EXPECT_EQ(p.at("bridge_ohms"), 1000.0);
  EXPECT_EQ(p.at("monitor_ua"), 2.5);
  EXPECT_EQ(p.at("vdd_v"), 5.0);
  EXPECT_EQ(p.count("VT_N"), 0u);
  std::map<std::string, double> s = engine_parameters(EngineChoice{});
  EXPECT_EQ(s.at("VT_N"), VT_N);
  EXPECT_EQ(s.at("DRIVE_LEVELS"), DRIVE_LEVELS);
  EXPECT_EQ(s.count("bridge_ohms"), 0u);
}

TEST(EngineChoice, AnalogEngineIsMadeOrSaysWhyNot) {
  std::string error;
  std::unique_ptr<CellEngine> engine = make_engine({EngineKind::Analog, 10.0, 10.0}, &error);
  if (analog_engine_built()) {
    EXPECT_NE(engine, nullptr) << error;
  } else {
    EXPECT_EQ(engine, nullptr);
    EXPECT_NE(error.find("ngspice"), std::string::npos) << error;
  }
  EXPECT_NE(make_engine(EngineChoice{}, &error), nullptr);
}

TEST(EngineChoice, VariationIsMadeOnTheAnalogEngineAloneAndRecorded) {
  EngineChoice varied;
  varied.variation.enabled = true;
  varied.variation.seed = 42;
  std::string error;
  EXPECT_EQ(make_engine(varied, &error), nullptr);
  EXPECT_EQ(error,
            "variation is a setting of the analog engine alone; the switch-level engine's chips "
            "are all the same");
  EXPECT_EQ(engine_parameters(varied).count("seed"), 0u);  // the switch level's constants
  varied.kind = EngineKind::Analog;
  std::map<std::string, double> p = engine_parameters(varied);
  EXPECT_EQ(p.at("seed"), 42.0);
  EXPECT_EQ(p.at("vt_sigma_v"), kavtest::DEFAULT_VT_SIGMA_V);
  EXPECT_EQ(p.at("bridge_sigma_decades"), kavtest::DEFAULT_BRIDGE_SIGMA_DECADES);
  if (analog_engine_built()) {
    EXPECT_NE(make_engine(varied, &error), nullptr) << error;
  }
}

/// A chip on the analog engine; its tests skip where the build has none.
struct AnalogChip : ::testing::Test {
  Chip* chip = nullptr;
  void power_up(double ohms = DEFAULT_BRIDGE_OHMS, kavtest::Variation variation = {}) {
    if (chip != nullptr) chip_power_down(chip);
    std::string error;
    chip = chip_power_up_with({EngineKind::Analog, ohms, DEFAULT_MONITOR_UA, variation}, &error);
    ASSERT_NE(chip, nullptr) << error;
  }
  void SetUp() override {
    if (!analog_engine_built()) GTEST_SKIP() << "no analog engine in this build";
    power_up();
  }
  void TearDown() override {
    if (chip != nullptr) chip_power_down(chip);
  }
  /// One exchange: `inputs` to the cell, monitor on; the reply bytes.
  std::vector<unsigned char> run(int circuit, int cell, std::vector<unsigned char> inputs) {
    const KAVRIN_ELEMENT& e = elements[circuit].idx[cell];
    std::vector<unsigned char> replies(inputs.size(), 0xee);
    std::string error;
    EXPECT_TRUE(chip_apply(chip, elements[circuit].lib, e.col, e.row, inputs.data(), inputs.size(),
                           true, replies.data(), &error))
        << error;
    return replies;
  }
};

using Bytes = std::vector<unsigned char>;

TEST_F(AnalogChip, DefectFreeCellsComputeTheirFunctionQuietly) {
  EXPECT_EQ(run(11, 0, {0, 1, 2, 3}), (Bytes{0x03, 0x03, 0x03, 0x01}));  // NA2
  EXPECT_EQ(run(16, 0, {0x00, 0x1f, 0x03}), (Bytes{0x01, 0x03, 0x07}));  // C17
  EXPECT_EQ(chip_engine(chip).kind, EngineKind::Analog);
}

TEST_F(AnalogChip, StuckOpenAnswersByItsHistoryAcrossExchanges) {
  const int na2_07 = 7;  // circuit 12: "NA2_07", the drain of the A pMOS cut off
  // On 10 (A low, B high) nothing drives Q: it keeps what the exchange before left.
  run(12, na2_07, {3});
  run(12, 0, {0, 3});  // another cell in between
  EXPECT_EQ(run(12, na2_07, {2}), Bytes{0x01});
  run(12, na2_07, {0});
  EXPECT_EQ(run(12, na2_07, {2}), Bytes{0x03});
  chip_reset(chip);
  EXPECT_EQ(run(12, na2_07, {3, 2}), (Bytes{0x01, 0x01}));
  EXPECT_EQ(run(12, na2_07, {1, 2}), (Bytes{0x03, 0x03}));
}

TEST_F(AnalogChip, RailShortDrawsCurrentWhenDrivenAgainst) {
  // IN1 "A/gnd": A held low whatever its driver does; current when A is driven high.
  EXPECT_EQ(run(14, 1, {0, 1}), (Bytes{0x03, 0x02}));
}

TEST_F(AnalogChip, DriverWinsAgainstAWeakBridge) {
  power_up(10e3);
  // Through 10 kOhm the driver holds A high: the output is right, the current still flows.
  EXPECT_EQ(run(14, 1, {0, 1}), (Bytes{0x03, 0x00}));
}

/// The index in the chip of cell `cell` of circuit `circuit`: the chip adds the cells in
/// catalogue order.
std::size_t chip_cell_index(int circuit, int cell) {
  std::size_t index = 0;
  for (int c = 0; c < circuit; ++c) index += static_cast<std::size_t>(elements[c].count);
  return index + static_cast<std::size_t>(cell);
}

TEST_F(AnalogChip, AVariedChipDrawsEachBridgeFromItsSeed) {
  // IN1 "A/gnd" against its driver: held low through a hard bridge, driven high through one
  // of tens of kilohms (as DriverWinsAgainstAWeakBridge). Seeds are sought whose draw for this
  // cell makes the 10 Ohm bridge harder, and three decades and a half weaker.
  const std::size_t a_gnd = chip_cell_index(14, 1);
  Netlist net;
  std::string error;
  ASSERT_TRUE(apply_defect(circuit_netlist(14), elements[14].idx[1].defect, &net, &error));
  kavtest::Variation v;
  v.enabled = true;
  v.bridge_sigma_decades = 3.0;
  std::uint32_t hard = 0, weak = 0;
  bool found_hard = false, found_weak = false;
  for (std::uint32_t seed = 0; seed < 200 && !(found_hard && found_weak); ++seed) {
    v.seed = seed;
    double decades = kavtest::draw_cell_variation(net, v, a_gnd).bridge_decades;
    if (!found_hard && decades < 0) hard = seed, found_hard = true;
    if (!found_weak && decades > 3.5) weak = seed, found_weak = true;
  }
  ASSERT_TRUE(found_hard && found_weak);
  v.seed = hard;
  power_up(DEFAULT_BRIDGE_OHMS, v);
  EXPECT_EQ(run(14, 1, {0, 1}), (Bytes{0x03, 0x02})) << "seed " << hard;
  v.seed = weak;
  power_up(DEFAULT_BRIDGE_OHMS, v);
  EXPECT_EQ(run(14, 1, {0, 1}), (Bytes{0x03, 0x00})) << "seed " << weak;
  EXPECT_EQ(chip_engine(chip).variation.seed, weak);
  // The defect-free cells keep their function on a varied die.
  EXPECT_EQ(run(11, 0, {0, 1, 2, 3}), (Bytes{0x03, 0x03, 0x03, 0x01}));
}

}  // namespace
