// File replacement on POSIX systems: mkstemp beside the target, fsync, rename.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "replace_file.h"

namespace {

/// The permission bits that a file newly made by fopen would get.
mode_t default_mode() {
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

/// The file a path names, symbolic links followed, so that a link keeps pointing at it.
std::string resolved(const char* path) {
  char* real = realpath(path, nullptr);
  if (!real) return path;
  std::string name(real);
  std::free(real);
  return name;
}

}  // namespace

bool begin_replacement(FileReplacement& r, const char* path) {
  struct stat st;
  const bool exists = stat(path, &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) {  // a device, a pipe: nothing to rename over
    r.target = path;
    r.temp.clear();
    r.fp = std::fopen(path, "w");
    return r.fp != nullptr;
  }
  if (exists && access(path, W_OK) != 0) return false;  // write-protected: leave it alone

  r.target = exists ? resolved(path) : std::string(path);
  std::string name = r.target + ".XXXXXX";
  int fd = mkstemp(&name[0]);
  if (fd < 0) return false;
  r.temp = name;
  if (exists && fchown(fd, st.st_uid, st.st_gid) != 0) {
    // Only a privileged user may give the file away; the replacement is then ours.
  }
  const mode_t mode = exists ? (st.st_mode & 07777) : default_mode();
  r.fp = fchmod(fd, mode) == 0 ? fdopen(fd, "w") : nullptr;
  if (!r.fp) {
    close(fd);
    unlink(r.temp.c_str());
    r.temp.clear();
    return false;
  }
  return true;
}

bool finish_replacement(FileReplacement& r) {
  if (r.temp.empty()) {
    bool ok = std::fflush(r.fp) == 0 && !std::ferror(r.fp);
    ok = std::fclose(r.fp) == 0 && ok;
    r.fp = nullptr;
    return ok;
  }
  bool ok = std::fflush(r.fp) == 0 && !std::ferror(r.fp) && fsync(fileno(r.fp)) == 0;
  ok = std::fclose(r.fp) == 0 && ok;
  r.fp = nullptr;
  ok = ok && std::rename(r.temp.c_str(), r.target.c_str()) == 0;
  if (!ok) unlink(r.temp.c_str());
  r.temp.clear();
  return ok;
}

void abandon_replacement(FileReplacement& r) {
  if (r.fp) std::fclose(r.fp);
  r.fp = nullptr;
  if (!r.temp.empty()) unlink(r.temp.c_str());
  r.temp.clear();
}
