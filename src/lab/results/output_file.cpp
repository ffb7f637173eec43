// Writing outputs atomically, and reading results files.
#include "results/output_file.h"

#include <fstream>
#include <sstream>

#include "results/results_json.h"
#include "replace_file.h"

namespace kavlab {

bool write_output(const std::string& path, const std::function<bool(FILE*)>& body,
                  std::string* error) {
  if (path == "-") {
    if (body(stdout) && std::fflush(stdout) == 0) return true;
    *error = "cannot write to standard output";
    return false;
  }
  FileReplacement out;
  if (!begin_replacement(out, path.c_str())) {
    *error = path + ": cannot write here";
    return false;
  }
  if (!body(out.fp)) {
    abandon_replacement(out);
    *error = path + ": writing failed";
    return false;
  }
  if (!finish_replacement(out)) {
    *error = path + ": writing failed; the file is as it was";
    return false;
  }
  return true;
}

bool can_write(const std::string& path, std::string* error) {
  FileReplacement probe;
  if (path != "-" && !begin_replacement(probe, path.c_str())) {
    *error = path + ": cannot write here";
    return false;
  }
  if (path != "-") abandon_replacement(probe);
  return true;
}

bool write_text(const std::string& path, const std::string& text, std::string* error) {
  return write_output(
      path, [&](FILE* fp) { return std::fwrite(text.data(), 1, text.size(), fp) == text.size(); },
      error);
}

bool save_results(const Results& r, const std::string& path, std::string* error) {
  return write_text(path, results_text(r), error);
}

bool load_results(const std::string& path, Results* r, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  if (in) text << in.rdbuf();  // an empty file leaves the stream failed
  if (!in.is_open() || in.bad()) {
    *error = path + ": cannot read this results file";
    return false;
  }
  return parse_results(text.str(), path, r, error);
}

}  // namespace kavlab
