// Rewriting a file in place, its original bytes kept in memory until the new ones are safe.
#include <cstdio>
#include <string>

#include "replace_file.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

bool read_all(const std::string& path, std::string* bytes) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  char chunk[65536];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes->append(chunk, n);
  bool ok = !std::ferror(f);
  return std::fclose(f) == 0 && ok;
}

/// Writes `bytes` from the start of `f`, cuts it to their length and takes it to the disk.
bool overwrite(std::FILE* f, const std::string& bytes) {
  if (std::fseek(f, 0, SEEK_SET) != 0) return false;
  if (std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) return false;
  if (std::fflush(f) != 0) return false;
#ifdef _WIN32
  return _chsize_s(_fileno(f), static_cast<long long>(bytes.size())) == 0 &&
         _commit(_fileno(f)) == 0;
#else
  return ftruncate(fileno(f), static_cast<off_t>(bytes.size())) == 0 && fsync(fileno(f)) == 0;
#endif
}

}  // namespace

bool rewrite_in_place(const std::string& target, const std::string& from) {
  std::string original, fresh;
  if (!read_all(target, &original) || !read_all(from, &fresh)) return false;
  std::FILE* f = std::fopen(target.c_str(), "r+b");
  if (!f) return false;
  bool ok = overwrite(f, fresh);
  if (!ok) {
    std::clearerr(f);
    overwrite(f, original);  // the original fitted before: it fits again
  }
  return std::fclose(f) == 0 && ok;
}
