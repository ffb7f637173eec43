// Failure reporting, output paths and results files read for a command.
#include "commands/common.h"

#include <cstdio>
#include <filesystem>

#include "results/output_file.h"
#include "results/results_file.h"

namespace kavlab {

ExitStatus command_failed(ExitStatus status, const std::string& message) {
  std::fflush(stdout);  // after what the command printed, when both streams go to one file
  std::fprintf(stderr, "kavlab: %s\n", message.c_str());
  return status;
}

std::string default_output(const std::string& test) {
  if (test.empty()) return "kavlab-results.json";
  return std::filesystem::path(test).stem().string() + ".results.json";
}

Output::~Output() { release_output(claim_); }

bool Output::claim(const std::string& path, const std::vector<std::string>& inputs,
                   std::string* error) {
  path_ = path;
  if (path == "-") return true;
  for (const std::string& input : inputs) {
    std::error_code ec;
    if (std::filesystem::equivalent(path, input, ec)) {
      *error = path + " is " + (path == input ? "" : "the same file as ") +
               (path == input ? "an input of this command" : input + ", an input of this command") +
               ": no command writes over its input, --force or not (write elsewhere)";
      return false;
    }
  }
  switch (claim_output(claim_, path)) {
    case ClaimOutcome::Busy:
      *error = path + " is being written by another kavlab (" + path +
               ".lock is held): wait until it is done, or write elsewhere";
      return false;
    case ClaimOutcome::Failed:
      *error = path + ": cannot write here (no lock file can be made beside it)";
      return false;
    case ClaimOutcome::Claimed:
      break;
  }
  return can_write(path, error);
}

bool claim_new_output(const std::string& given, const std::string& test, bool force,
                      const std::vector<std::string>& inputs, Output* out, std::string* error) {
  std::string path = given.empty() ? default_output(test) : given;
  if (!out->claim(path, inputs, error)) return false;
  std::error_code ec;
  if (!force && std::filesystem::exists(path, ec)) {
    *error = path + " exists; give --force to replace it (or -o another file)";
    return false;
  }
  return true;
}

void tell_written(const std::string& path, const std::string& what) {
  std::fflush(stdout);  // after what the command printed, when both streams go to one file
  std::fprintf(stderr, "kavlab: %s written to %s\n", what.c_str(), path.c_str());
}

std::string results_words(const Results& r) {
  std::size_t n = r.circuits.size();
  return "the results of " + std::to_string(n) + (n == 1 ? " circuit" : " circuits") +
         (r.partial ? ", partial," : "");
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
