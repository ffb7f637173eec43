// Writing outputs atomically.
#include "results/output_file.h"

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

}  // namespace kavlab
