// New files on POSIX systems: unnamed (O_TMPFILE) and linked under their name through
// /proc/self/fd where Linux allows it, else made under their name with O_EXCL.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "new_file.h"
#include "pending_temp.h"

namespace {

bool unnamed_allowed = true;

/// Writes all `n` bytes of `data` to `fd`.
bool write_all(int fd, const char* data, std::size_t n) {
  while (n > 0) {
    ssize_t written = write(fd, data, n);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    n -= static_cast<std::size_t>(written);
  }
  return true;
}

/// Copies what is left of `in` to `out`.
bool copy_bytes(int in, int out) {
  char chunk[65536];
  for (;;) {
    ssize_t n = read(in, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (!write_all(out, chunk, static_cast<std::size_t>(n))) return false;
  }
}

/// The copy's bytes and permission bits, on the disk.
bool fill_copy(int in, const struct stat& st, int out) {
  if (!copy_bytes(in, out)) return false;
  // The original's owner where the system lets this process give it; else the user's own.
  bool owner_kept = fchown(out, st.st_uid, st.st_gid) == 0;
  (void)owner_kept;
  return fchmod(out, st.st_mode & 0777) == 0 && fsync(out) == 0;
}

std::string system_words() { return std::strerror(errno); }

/// The copy made unnamed and then named; false with `*unnamed` false where no unnamed file
/// could be made (the named way is then to be taken).
bool copy_unnamed(int in, const struct stat& st, const std::string& to, bool* unnamed, bool* taken,
                  std::string* error) {
  int out = open_unnamed(directory_of(to), 0600);
  *unnamed = out >= 0;
  if (out < 0) return false;
  bool ok = fill_copy(in, st, out);
  if (!ok) *error = system_words();
  if (ok && !name_unnamed(out, to)) {
    ok = false;
    *taken = errno == EEXIST;
    *error = system_words();
  }
  close(out);
  return ok;
}

/// The copy made under its name, the signals that end a run held back meanwhile so that it is
/// never left half made by them; removed again if it cannot be completed.
bool copy_named(int in, const struct stat& st, const std::string& to, bool* taken,
                std::string* error) {
  hold_signals(true);
  int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  bool ok = out >= 0 && fill_copy(in, st, out);
  if (!ok) {
    *taken = out < 0 && errno == EEXIST;
    *error = system_words();
  }
  if (out >= 0) ok = close(out) == 0 && ok;
  if (!ok && out >= 0) unlink(to.c_str());
  hold_signals(false);
  return ok;
}

}  // namespace

void allow_unnamed_files(bool allowed) { unnamed_allowed = allowed; }

std::string directory_of(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string reopen_path(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

int open_unnamed(const std::string& dir, mode_t mode) {
#ifdef O_TMPFILE
  if (!unnamed_allowed) return -1;
  int fd = open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
  if (fd < 0) return -1;
  // Without /proc the file could never get its name.
  if (access(reopen_path(fd).c_str(), F_OK) != 0) {
    close(fd);
    return -1;
  }
  return fd;
#else
  (void)dir;
  (void)mode;
  return -1;
#endif
}

bool name_unnamed(int fd, const std::string& path) {
  return linkat(AT_FDCWD, reopen_path(fd).c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

bool copy_to_new_file(const std::string& from, const std::string& to, bool* taken,
                      std::string* error) {
  *taken = false;
  int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    *error = system_words();
    return false;
  }
  struct stat st;
  if (fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    *error = "not a regular file";
    close(in);
    return false;
  }
  bool unnamed = false;
  bool ok = copy_unnamed(in, st, to, &unnamed, taken, error);
  if (!unnamed) ok = copy_named(in, st, to, taken, error);
  close(in);
  return ok;
}
