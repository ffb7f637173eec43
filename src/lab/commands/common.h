// What every subcommand shares: how a failure is reported, and where its output goes.
#ifndef KAVLAB_COMMON_H
#define KAVLAB_COMMON_H

#include <string>
#include <vector>

#include "exit_status.h"
#include "output_claim.h"
#include "results/results.h"

namespace kavlab {

/// Prints "kavlab: <message>" on standard error; returns `status`.
ExitStatus command_failed(ExitStatus status, const std::string& message);

/// The default results file of a run or an import: "<stem>.results.json" in the current
/// directory for the test file `test`, "kavlab-results.json" without one.
std::string default_output(const std::string& test);
/// A file a command writes, claimed from the command's start to its end (a lock file beside
/// it: a second command on the same output is refused at once); released when destroyed.
class Output {
 public:
  Output() = default;
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;
  ~Output();
  /// Claims `path`, standard output ("-") aside; false with `*error` set when it is one of
  /// `inputs` (the same file by device and inode, whatever its name), another command holds
  /// it, or it cannot be written.
  bool claim(const std::string& path, const std::vector<std::string>& inputs, std::string* error);
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  OutputClaim claim_;
};

/// Claims the output of a run, an import or a generator (`given`, or the default for `test`)
/// into `out`: also refused when it exists and `force` is not given. False with `*error` set.
bool claim_new_output(const std::string& given, const std::string& test, bool force,
                      const std::vector<std::string>& inputs, Output* out, std::string* error);

/// Says on standard error what a command wrote where: "kavlab: <what> written to <path>".
void tell_written(const std::string& path, const std::string& what);
/// What a results file holds, for tell_written: "the results of 2 circuits" (", partial").
std::string results_words(const Results& r);

/// Reads the results files `files` into `all`; false with `*error` set at the first that fails.
bool load_all(const std::vector<std::string>& files, std::vector<Results>* all, std::string* error);
/// Writes `text` to standard output; false when it cannot.
bool print(const std::string& text);

}  // namespace kavlab

#endif
