// File replacement on POSIX systems: a temporary file beside the target, fsync, rename; or, where
// a rename would change what the file is, a rewrite in place. On Linux the temporary file is
// unnamed (O_TMPFILE) until it is committed, so that a process killed meanwhile leaves nothing;
// elsewhere, and where the file system refuses that, it is made by mkstemp.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "new_file.h"
#include "pending_temp.h"
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

/// The system's directory for temporary files.
std::string temp_directory() {
  const char* dir = std::getenv("TMPDIR");
  return dir != nullptr && *dir != '\0' ? dir : "/tmp";
}

/// Removes the temporary file, if any, and forgets it; an unnamed one goes with its stream.
void drop_temp(FileReplacement& r) {
  if (!r.temp.empty()) unlink(r.temp.c_str());
  r.temp.clear();
  r.unnamed = false;
  release_temp();
}

/// A new temporary file in `dir` with `mode`: unnamed where the system allows it, else from
/// `pattern` (ending in XXXXXX). Its stream in `r`, or false with nothing left behind.
bool open_temp(FileReplacement& r, const std::string& dir, std::string pattern, mode_t mode) {
  int fd = open_unnamed(dir, mode);
  r.unnamed = fd >= 0;
  if (r.unnamed) {
    hold_temp(nullptr);
  } else {
    fd = mkstemp(&pattern[0]);
    if (fd < 0) return false;
    r.temp = pattern;
    hold_temp(r.temp.c_str());
  }
  r.fp = fchmod(fd, mode) == 0 ? fdopen(fd, "w") : nullptr;
  if (!r.fp) {
    close(fd);
    drop_temp(r);
    return false;
  }
  return true;
}

/// A temporary file beside the existing `st` that keeps its owner, group and mode; false, with
/// nothing left behind, where the directory or the ownership does not allow it.
bool open_keeping_identity(FileReplacement& r, const struct stat& st) {
  if (st.st_nlink != 1) return false;  // a rename would split the file from its other names
  if (!open_temp(r, directory_of(r.target), r.target + ".XXXXXX", st.st_mode & 07777)) return false;
  struct stat made;
  int fd = fileno(r.fp);
  bool owner_kept = fchown(fd, st.st_uid, st.st_gid) == 0 ||
                    (fstat(fd, &made) == 0 && made.st_uid == st.st_uid && made.st_gid == st.st_gid);
  bool kept =
      owner_kept && fchmod(fd, st.st_mode & 07777) == 0;  // after chown, which may clear bits
  if (kept) return true;
  std::fclose(r.fp);
  r.fp = nullptr;
  drop_temp(r);
  return false;
}

/// Gives the unnamed file `fd` a free temporary name beside `target` and renames it over the
/// target; false with no name left behind.
bool link_over(int fd, const std::string& target) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = target + "." + std::to_string(getpid()) + "-" + std::to_string(attempt);
    if (!name_unnamed(fd, name)) {
      if (errno == EEXIST) continue;
      return false;
    }
    if (std::rename(name.c_str(), target.c_str()) == 0) return true;
    unlink(name.c_str());
    return false;
  }
  return false;
}

/// Commits an unnamed temporary file: its bytes on the disk, then named and renamed over the
/// target, or copied over the target's bytes. Its stream stays open until then, for the file
/// lives only as long as it is open.
bool commit_unnamed(FileReplacement& r) {
  const int fd = fileno(r.fp);
  bool ok = std::fflush(r.fp) == 0 && !std::ferror(r.fp) && fsync(fd) == 0;
  hold_signals(true);
  if (ok && r.kind == ReplacementKind::Rename)
    ok = link_over(fd, r.target);
  else if (ok)
    ok = rewrite_in_place(r.target, reopen_path(fd));
  std::fclose(r.fp);  // flushed and on the disk already: closing loses nothing
  r.fp = nullptr;
  drop_temp(r);
  hold_signals(false);
  return ok;
}

/// Finishes the stream: every byte written and on the disk.
bool close_stream(FileReplacement& r, bool sync) {
  bool ok = std::fflush(r.fp) == 0 && !std::ferror(r.fp) && (!sync || fsync(fileno(r.fp)) == 0);
  ok = std::fclose(r.fp) == 0 && ok;
  r.fp = nullptr;
  return ok;
}

}  // namespace

bool begin_replacement(FileReplacement& r, const char* path) {
  r.temp.clear();
  r.unnamed = false;
  struct stat st;
  const bool exists = stat(path, &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) {  // a device, a pipe: nothing to rename over
    r.target = path;
    r.kind = ReplacementKind::Direct;
    r.fp = std::fopen(path, "w");
    return r.fp != nullptr;
  }
  if (exists && access(path, W_OK) != 0) return false;  // write-protected: leave it alone
  r.target = exists ? resolved(path) : std::string(path);
  r.kind = ReplacementKind::Rename;
  if (!exists) return open_temp(r, directory_of(r.target), r.target + ".XXXXXX", default_mode());
  if (open_keeping_identity(r, st)) return true;
  // Rewritten in place: the file must open for writing now, not only once the run is over.
  int fd = open(r.target.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  close(fd);
  r.kind = ReplacementKind::InPlace;
  return open_temp(r, temp_directory(), temp_directory() + "/kavtest-XXXXXX", 0600);
}

bool finish_replacement(FileReplacement& r) {
  if (r.kind == ReplacementKind::Direct) return close_stream(r, false);
  if (r.unnamed) return commit_unnamed(r);
  bool ok = close_stream(r, true);
  hold_signals(true);
  if (ok && r.kind == ReplacementKind::Rename)
    ok = std::rename(r.temp.c_str(), r.target.c_str()) == 0;
  else if (ok)
    ok = rewrite_in_place(r.target, r.temp);
  if (ok && r.kind == ReplacementKind::Rename) r.temp.clear();  // it is the target now
  drop_temp(r);
  hold_signals(false);
  return ok;
}

void abandon_replacement(FileReplacement& r) {
  if (r.fp) std::fclose(r.fp);
  r.fp = nullptr;
  drop_temp(r);
}
