// The rules between the lab's folders, read off the includes of every source: results/ includes
// nothing else of the lab and no device library, emulator or CLI11; report/ only results/ of
// the lab, no JSON library and no box kind; run/ never commands/; only gen/ and the emulated box
// kind include the emulator; only cli.cpp and commands/ include CLI11; only results_json.cpp
// includes the JSON library. Tests (*_test.cpp) may include what they check with.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace kavlab {

namespace {

namespace fs = std::filesystem;

/// Where an included header lives.
enum class Home {
  Results,
  Report,
  Run,
  Gen,
  Commands,
  LabRoot,  // the lab's folders
  Support,
  Catalogue,
  Tst,
  Model,
  Tool,
  DeviceLibrary,
  Emulator,  // the project's libraries
  Json,
  Cli,
  Z3,
  System,
  Unknown
};

/// The project's libraries by their folder under src/.
const std::pair<const char*, Home> kLibraryFolders[] = {
    {"support", Home::Support},  {"catalogue", Home::Catalogue}, {"tst", Home::Tst},
    {"model", Home::Model},      {"tool", Home::Tool},           {"user", Home::DeviceLibrary},
    {"emulator", Home::Emulator}};

/// The lab's folders by the prefix their headers are included with.
const std::pair<const char*, Home> kLabFolders[] = {{"results/", Home::Results},
                                                    {"report/", Home::Report},
                                                    {"run/", Home::Run},
                                                    {"gen/", Home::Gen},
                                                    {"commands/", Home::Commands}};

/// The project's headers outside the lab, by file name.
using HeaderHomes = std::map<std::string, Home>;

HeaderHomes project_headers(const fs::path& src) {
  HeaderHomes homes;
  for (const auto& [folder, home] : kLibraryFolders)
    for (const auto& e : fs::recursive_directory_iterator(src / folder))
      if (e.path().extension() == ".h") homes[e.path().filename().string()] = home;
  return homes;
}

Home home_of(const std::string& name, bool angled, const HeaderHomes& homes) {
  if (angled) {
    if (name.rfind("CLI/", 0) == 0) return Home::Cli;
    if (name.rfind("nlohmann/", 0) == 0) return Home::Json;
    return name == "z3++.h" ? Home::Z3 : Home::System;
  }
  for (const auto& [prefix, home] : kLabFolders)
    if (name.rfind(prefix, 0) == 0) return home;
  if (name == "cli.h" || name == "exit_status.h") return Home::LabRoot;
  auto found = homes.find(name);
  return found == homes.end() ? Home::Unknown : found->second;
}

/// The folder of a lab source given relative to src/lab ("results/summary.cpp").
Home folder_of(const std::string& file) {
  for (const auto& [prefix, home] : kLabFolders)
    if (file.rfind(prefix, 0) == 0) return home;
  return Home::LabRoot;
}

/// Why `file` (relative to src/lab) may not include a header of `home`; empty when it may.
std::string refusal(const std::string& file, Home home) {
  Home folder = folder_of(file);
  bool lab = home == Home::Results || home == Home::Report || home == Home::Run ||
             home == Home::Gen || home == Home::Commands || home == Home::LabRoot;
  if (home == Home::Unknown) return "includes a header that is nowhere in the project";
  if (home == Home::Json && file != "results/results_json.cpp")
    return "only results/results_json.cpp includes the JSON library";
  if (home == Home::Cli && folder != Home::Commands && file != "cli.cpp")
    return "only cli.cpp and commands/ include CLI11";
  if (home == Home::Z3 && file != "gen/cover-z3.cpp") return "only gen/cover-z3.cpp includes Z3";
  if (home == Home::Emulator && folder != Home::Gen && file != "run/box_kind-sim.cpp")
    return "only gen/ and the emulated box kind include the emulator";
  if (folder == Home::Results &&
      ((lab && home != Home::Results) || home == Home::Tool || home == Home::DeviceLibrary))
    return "results/ includes nothing else of the lab and no device library";
  if (folder == Home::Report && ((lab && home != Home::Report && home != Home::Results) ||
                                 home == Home::Tool || home == Home::DeviceLibrary))
    return "report/ includes, of the lab, only results/, and no box kind";
  if (folder == Home::Run && (home == Home::Commands || home == Home::Gen ||
                              (home == Home::LabRoot && file.find("cli") != std::string::npos)))
    return "run/ never includes commands/ or gen/";
  return "";
}

/// Every broken rule of the source `file` (relative to src/lab) whose text is `text`, as
/// "file:line: #include "name": why".
std::vector<std::string> broken_rules(const std::string& file, const std::string& text,
                                      const HeaderHomes& homes) {
  std::vector<std::string> broken;
  if (file.size() > 9 && file.compare(file.size() - 9, 9, "_test.cpp") == 0) return broken;
  static const std::regex include(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
  std::istringstream in(text);
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    number++;
    std::smatch m;
    if (!std::regex_search(line, m, include)) continue;
    std::string why = refusal(file, home_of(m[2], m[1] == "<", homes));
    if (!why.empty())
      broken.push_back(file + ":" + std::to_string(number) + ": " + line + ": " + why);
  }
  return broken;
}

const HeaderHomes& homes() {
  static const HeaderHomes h = project_headers(KAVTEST_SOURCE_DIR);
  return h;
}

}  // namespace

TEST(IncludeRules, EachRuleRefusesWhatItForbids) {
  const std::pair<const char*, const char*> refused[] = {
      {"results/summary.cpp", "#include \"run/run_engine.h\""},
      {"results/summary.cpp", "#include \"device_list.h\""},
      {"results/summary.cpp", "#include \"Kavrin.h\""},
      {"results/summary.cpp", "#include <CLI/CLI.hpp>"},
      {"results/summary.cpp", "#include <nlohmann/json.hpp>"},
      {"report/map.cpp", "#include <nlohmann/json.hpp>"},
      {"report/map.cpp", "#include \"run/box_kind.h\""},
      {"report/map.cpp", "#include \"commands/common.h\""},
      {"run/run_steps.cpp", "#include \"commands/common.h\""},
      {"run/run_steps.cpp", "#include \"chip.h\""},
      {"commands/run.cpp", "  #  include \"engine.h\""},
      {"results/sweep.cpp", "#include \"no_such_header.h\""},
  };
  for (const auto& [file, line] : refused) {
    std::vector<std::string> broken =
        broken_rules(file, "// a source\n" + std::string(line), homes());
    ASSERT_EQ(broken.size(), 1u) << file << ": " << line;
    EXPECT_EQ(broken[0].rfind(std::string(file) + ":2: " + line + ": ", 0), 0u) << broken[0];
  }
  const std::pair<const char*, const char*> allowed[] = {
      {"results/results_json.cpp", "#include <nlohmann/json.hpp>"},
      {"results/summary.cpp", "#include \"TSTData.h\""},
      {"report/map.cpp", "#include \"results/summary.h\""},
      {"report/sweep_plot.cpp", "#include \"units.h\""},
      {"run/box_kind-sim.cpp", "#include \"chip.h\""},
      {"gen/states.cpp", "#include \"solver.h\""},
      {"commands/run.cpp", "#include <CLI/CLI.hpp>"},
      {"cli.cpp", "#include <CLI/CLI.hpp>"},
      {"results/summary_test.cpp", "#include \"run/run_engine.h\""},
  };
  for (const auto& [file, line] : allowed)
    EXPECT_EQ(broken_rules(file, line, homes()).size(), 0u) << file << ": " << line;
}

TEST(IncludeRules, TheLabKeepsThem) {
  std::vector<std::string> broken;
  int sources = 0;
  const fs::path lab = KAVLAB_SOURCE_DIR;
  for (const auto& e : fs::recursive_directory_iterator(lab)) {
    std::string ext = e.path().extension().string();
    if (ext != ".cpp" && ext != ".h") continue;
    std::ifstream in(e.path(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::vector<std::string> b =
        broken_rules(fs::relative(e.path(), lab).generic_string(), text.str(), homes());
    broken.insert(broken.end(), b.begin(), b.end());
    sources++;
  }
  EXPECT_GT(sources, 80);
  for (const std::string& b : broken) ADD_FAILURE() << b;
}

}  // namespace kavlab
