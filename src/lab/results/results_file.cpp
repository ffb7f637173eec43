// Results files read from and written to disk, through their JSON form.
#include "results/results_file.h"

#include <fstream>
#include <sstream>

#include "results/output_file.h"
#include "results/results_json.h"

namespace kavlab {

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
