// Output claims with flock(2) on a lock file beside the output.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "output_claim.h"

namespace {

/// How many times a lock file removed between its opening and its locking is made anew.
constexpr int kAttempts = 8;

}  // namespace

ClaimOutcome claim_output(OutputClaim& claim, const std::string& path) {
  release_output(claim);
  std::string lock = path + ".lock";
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    int fd = open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0644);
    if (fd < 0) return ClaimOutcome::Failed;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      int code = errno;
      close(fd);
      if (code == EWOULDBLOCK) return ClaimOutcome::Busy;
      unlink(lock.c_str());  // ENOLCK, EOPNOTSUPP: no locks here, and no file left behind
      return ClaimOutcome::Claimed;
    }
    struct stat held, named;
    if (fstat(fd, &held) == 0 && stat(lock.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
        held.st_ino == named.st_ino) {
      claim.handle = fd;
      claim.lock_path = lock;
      return ClaimOutcome::Claimed;
    }
    close(fd);  // its last holder removed it after it was opened: claim the file there now
  }
  return ClaimOutcome::Busy;
}

void release_output(OutputClaim& claim) {
  if (claim.handle < 0) return;
  // Removed while still locked, so that a claim that opened it meanwhile finds it gone.
  unlink(claim.lock_path.c_str());
  close(static_cast<int>(claim.handle));
  claim.handle = -1;
  claim.lock_path.clear();
}
