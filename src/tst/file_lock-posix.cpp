// Advisory locks with flock(2) on the file's own descriptor.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "file_lock.h"

namespace {

/// How many times a file replaced between its opening and its locking is opened anew.
constexpr int kAttempts = 8;

bool same_node(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

LockOutcome lock_file(FileLock& lock, const char* path, bool exclusive) {
  unlock_file(lock);
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return LockOutcome::NotNeeded;  // missing or unreadable: nothing to guard
    struct stat held, named;
    if (fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
      close(fd);
      return LockOutcome::NotNeeded;
    }
    if (flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
      int code = errno;
      close(fd);
      if (code == EWOULDBLOCK) return LockOutcome::Busy;
      return LockOutcome::NotNeeded;  // ENOLCK, EOPNOTSUPP: a file system without locks
    }
    if (stat(path, &named) == 0 && same_node(held, named)) {
      lock.handle = fd;
      return LockOutcome::Held;
    }
    close(fd);  // replaced or removed after it was opened: take the file the path names now
  }
  return LockOutcome::NotNeeded;
}

void unlock_file(FileLock& lock) {
  if (lock.handle < 0) return;
  close(static_cast<int>(lock.handle));  // closing the descriptor releases the lock
  lock.handle = -1;
}

bool same_file(const char* a, const char* b) {
  struct stat sa, sb;
  return stat(a, &sa) == 0 && stat(b, &sb) == 0 && same_node(sa, sb);
}
