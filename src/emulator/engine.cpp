// The choice of a chip's engine: names, parameter texts, the settings a results file records,
// and the engine a choice makes.
#include "engine.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "analog_deck.h"
#include "solver.h"

namespace {

/// A positive finite decimal number at the start of `text`; `*rest` gets what follows it.
bool positive_number(const std::string& text, double* value, std::string* rest) {
  if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '.'))
    return false;
  char* end = nullptr;
  double v = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || !std::isfinite(v) || v <= 0.0) return false;
  // Decimal digits, point and exponent only: no hexadecimal, no "inf" or "nan".
  std::string digits = text.substr(0, static_cast<std::size_t>(end - text.c_str()));
  if (digits.find_first_not_of("0123456789.eE+-") != std::string::npos) return false;
  *value = v;
  *rest = end;
  return true;
}

}  // namespace

const char* engine_name(EngineKind kind) {
  return kind == EngineKind::Analog ? "analog" : "switch";
}

bool parse_engine_kind(const std::string& name, EngineKind* kind) {
  if (name == "switch") {
    *kind = EngineKind::Switch;
  } else if (name == "analog") {
    *kind = EngineKind::Analog;
  } else {
    return false;
  }
  return true;
}

bool parse_ohms(const std::string& text, double* ohms) {
  double v;
  std::string suffix;
  if (!positive_number(text, &v, &suffix)) return false;
  if (suffix == "k" || suffix == "K") {
    v *= 1e3;
  } else if (suffix == "M") {
    v *= 1e6;
  } else if (!suffix.empty()) {
    return false;
  }
  if (!std::isfinite(v)) return false;
  *ohms = v;
  return true;
}

bool parse_microamps(const std::string& text, double* microamps) {
  double v;
  std::string suffix;
  if (!positive_number(text, &v, &suffix) || !suffix.empty()) return false;
  *microamps = v;
  return true;
}

bool check_bridge_ohms(double ohms, const std::string& setting, std::string* error) {
  if (ohms >= MIN_BRIDGE_OHMS && ohms <= MAX_BRIDGE_OHMS) return true;
  *error = setting +
           ": outside the range over which the analog engine is checked, 0.1 to 1e12 ohms (100 "
           "mOhm to 1 TOhm)";
  return false;
}

bool choose_engine(const char* engine, const char* bridge_ohms, const char* monitor_ua,
                   const EngineSettingNames& names, EngineChoice* choice, std::string* error) {
  EngineChoice c;
  if (engine != nullptr && !parse_engine_kind(engine, &c.kind)) {
    *error = std::string(names.engine) + engine + ": no such engine (switch or analog)";
    return false;
  }
  if (bridge_ohms != nullptr && !parse_ohms(bridge_ohms, &c.bridge_ohms)) {
    *error = std::string(names.bridge_ohms) + bridge_ohms +
             ": not a resistance (a positive number of ohms, with k or M if wanted: 10, 4.7k, "
             "1M)";
    return false;
  }
  if (monitor_ua != nullptr && !parse_microamps(monitor_ua, &c.monitor_ua)) {
    *error = std::string(names.monitor_ua) + monitor_ua +
             ": not a current (a positive number of microamperes: 10, 0.5)";
    return false;
  }
  if (c.kind == EngineKind::Switch && (bridge_ohms != nullptr || monitor_ua != nullptr)) {
    bool bridge = bridge_ohms != nullptr;
    *error = std::string(bridge ? names.bridge_ohms : names.monitor_ua) +
             (bridge ? bridge_ohms : monitor_ua) + ": the " +
             (bridge ? "bridge resistance" : "monitor threshold") +
             " is a parameter of the analog engine alone (" + names.engine + "analog)";
    return false;
  }
  *choice = c;
  return true;
}

std::map<std::string, double> engine_parameters(const EngineChoice& choice) {
  if (choice.kind == EngineKind::Switch)
    return {{"G_N", G_N},
            {"G_P", G_P},
            {"G_DRV", G_DRV},
            {"G_SHORT", G_SHORT},
            {"VT_N", VT_N},
            {"VT_P", VT_P},
            {"DRIVE_LEVELS", DRIVE_LEVELS},
            {"V_FLOAT", V_FLOAT},
            {"V_FLOAT_PIN", V_FLOAT_PIN},
            {"RACE_SHARE", RACE_SHARE},
            {"C_OUT", C_OUT},
            {"C_INT", C_INT},
            {"I_TH", I_TH}};
  std::map<std::string, double> p{{"bridge_ohms", choice.bridge_ohms},
                                  {"monitor_ua", choice.monitor_ua},
                                  {"vdd_v", ANALOG_VDD},
                                  {"vector_ns", static_cast<double>(ANALOG_VECTOR_PS) / 1000.0},
                                  {"c_out_ff", ANALOG_C_OUT_FF},
                                  {"c_int_ff", ANALOG_C_INT_FF}};
  const kavtest::Variation& v = choice.variation;
  if (v.enabled) {
    p["vt_sigma_v"] = v.vt_sigma_v;
    p["bridge_sigma_decades"] = v.bridge_sigma_decades;
    p["seed"] = static_cast<double>(v.seed);  // below 2^31: exact in a double
  }
  return p;
}

std::unique_ptr<CellEngine> make_engine(const EngineChoice& choice, std::string* error) {
  if (choice.kind == EngineKind::Switch) {
    if (choice.variation.enabled) {
      *error =
          "variation is a setting of the analog engine alone; the switch-level engine's chips are "
          "all the same";
      return nullptr;
    }
    return make_switch_engine();
  }
  return make_analog_engine(choice, error);
}
