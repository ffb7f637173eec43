// Numbered backups: the next free number among the names of the file's directory, and a copy
// made under it that never replaces an existing file.
#include "numbered_backup.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "new_file.h"

namespace fs = std::filesystem;

namespace {

/// How many numbers are tried when others take them meanwhile.
constexpr int kAttempts = 100;

/// The names in the directory of `path` (the working directory for a bare name); none when it
/// cannot be listed.
std::vector<std::string> names_beside(const fs::path& path) {
  std::vector<std::string> names;
  std::error_code ec;
  fs::path dir = path.has_parent_path() ? path.parent_path() : fs::path(".");
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
    names.push_back(it->path().filename().string());
  return names;
}

/// The file whose backup is made: the one a symbolic link points to, or `path` itself as given.
std::string backed_up_file(const std::string& path) {
  std::error_code ec;
  if (!fs::is_symlink(path, ec)) return path;
  fs::path real = fs::canonical(path, ec);
  return ec ? path : real.string();
}

}  // namespace

long backup_number(const std::string& name, const std::string& base) {
  const std::string open = base + ".~";
  if (name.size() < open.size() + 2 || name.compare(0, open.size(), open) != 0 ||
      name.back() != '~')
    return 0;
  const std::string digits = name.substr(open.size(), name.size() - open.size() - 1);
  for (char c : digits)
    if (!std::isdigit(static_cast<unsigned char>(c))) return 0;
  if (digits.size() > 9) return LONG_MAX / 2;  // taken, however high: the next is higher still
  return std::strtol(digits.c_str(), nullptr, 10);
}

std::string next_backup_name(const std::string& base, const std::vector<std::string>& names) {
  long highest = 0;
  for (const std::string& name : names) {
    long n = backup_number(name, base);
    if (n > highest) highest = n;
  }
  return base + ".~" + std::to_string(highest + 1) + "~";
}

bool keep_numbered_backup(const std::string& path, std::string* backup, std::string* error) {
  const std::string file = backed_up_file(path);
  const fs::path as_path(file);
  const std::string base = as_path.filename().string();
  std::vector<std::string> names = names_beside(as_path);
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    std::string name = next_backup_name(base, names);
    std::string candidate = file + name.substr(base.size());
    bool taken = false;
    if (copy_to_new_file(file, candidate, &taken, error)) {
      *backup = candidate;
      return true;
    }
    if (!taken) {
      *backup = candidate;
      return false;
    }
    names.push_back(name);  // made meanwhile by someone else: the next number
  }
  *error = "every backup name tried is taken";
  return false;
}
