// Failure reporting, output paths and results files read for a command.
#include "commands/common.h"

#include <cstdio>
#include <filesystem>

#include "results/output_file.h"
#include "results/results_file.h"

namespace kavlab {

ExitStatus command_failed(ExitStatus status, const std::string& message) {
  std::fprintf(stderr, "kavlab: %s\n", message.c_str());
  return status;
}

std::string default_output(const std::string& test) {
  if (test.empty()) return "kavlab-results.json";
  return std::filesystem::path(test).stem().string() + ".results.json";
}

std::string output_path(const std::string& given, const std::string& test, bool force,
                        std::string* error) {
  std::string path = given.empty() ? default_output(test) : given;
  std::error_code ec;
  if (!force && std::filesystem::exists(path, ec)) {
    *error = path + " exists; give --force to replace it (or -o another file)";
    return "";
  }
  return can_write(path, error) ? path : "";
}

bool load_all(const std::vector<std::string>& files, std::vector<Results>* all,
              std::string* error) {
  all->resize(files.size());
  for (std::size_t i = 0; i < files.size(); i++)
    if (!load_results(files[i], &(*all)[i], error)) return false;
  return true;
}

bool print(const std::string& text) {
  return std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
}

}  // namespace kavlab
