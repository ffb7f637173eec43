// Results files read from and written to disk, through their JSON form: a file is read only
// when it is a regular file within the size limit, so that a device or a huge file costs
// nothing.
#include "results/results_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "results/limits.h"
#include "results/output_file.h"
#include "results/results_json.h"

namespace kavlab {

namespace fs = std::filesystem;

namespace {

/// The bytes a read asks for at a time.
constexpr std::size_t kChunk = std::size_t{1} << 20;

/// Why `path` cannot be read as a file: empty when it names a regular file.
std::string not_a_file(const std::string& path) {
  std::error_code ec;
  fs::file_status st = fs::status(path, ec);
  if (st.type() == fs::file_type::not_found) return "no such file";
  if (ec) return "cannot be read (" + ec.message() + ")";
  if (st.type() == fs::file_type::directory) return "a directory, not a file";
  if (st.type() != fs::file_type::regular)
    return "not a regular file (a device, a pipe or a socket)";
  return "";
}

std::string too_big(std::uint64_t max_bytes) {
  return "more than " + std::to_string(max_bytes) + " bytes, the most a results file may have";
}

}  // namespace

bool save_results(const Results& r, const std::string& path, std::string* error) {
  return write_text(path, results_text(r), error);
}

bool read_limited(const std::string& path, std::uint64_t max_bytes, std::string* bytes,
                  std::string* error) {
  std::string why = not_a_file(path);
  if (!why.empty()) {
    *error = path + ": " + why;
    return false;
  }
  std::error_code ec;
  std::uintmax_t size = fs::file_size(path, ec);
  if (!ec && size > max_bytes) {
    *error = path + ": " + too_big(max_bytes);
    return false;
  }
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    *error = path + ": cannot be read (" + std::strerror(errno) + ")";
    return false;
  }
  bytes->clear();
  if (!ec) bytes->reserve(static_cast<std::size_t>(size));
  std::string chunk(kChunk, '\0');
  std::size_t got = 0;
  // The size limit holds for a file that grows while it is read, too.
  while ((got = std::fread(&chunk[0], 1, chunk.size(), f)) > 0 && bytes->size() <= max_bytes)
    bytes->append(chunk, 0, got);
  bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) *error = path + ": cannot be read (an input error)";
  if (!failed && bytes->size() > max_bytes) *error = path + ": " + too_big(max_bytes);
  return !failed && bytes->size() <= max_bytes;
}

bool load_results(const std::string& path, Results* r, std::string* error) {
  if (path.size() > kMaxNameBytes) {
    *error = shown_value(path) + ": a path of " + std::to_string(path.size()) +
             " bytes, over the " + std::to_string(kMaxNameBytes) + " a path may have";
    return false;
  }
  std::string text;
  return read_limited(path, kMaxResultsBytes, &text, error) && parse_results(text, path, r, error);
}

}  // namespace kavlab
