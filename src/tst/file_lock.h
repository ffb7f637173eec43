// Advisory locks on TST files, so that two runs never write the same file at once: a run holds
// an exclusive lock on the file it will write and a shared one on a file it only reads. Other
// programs can honour them: flock(2) on POSIX systems, LockFileEx on one byte past any file's
// end on Windows (reads through other handles go on).
#ifndef KAVTEST_FILE_LOCK_H
#define KAVTEST_FILE_LOCK_H

/// A lock held on one file; release it with unlock_file. `handle` is the descriptor (or the
/// Windows handle) that holds it, -1 when none is held.
struct FileLock {
  long long handle = -1;
};

enum class LockOutcome {
  Held,       ///< the lock is held
  NotNeeded,  ///< the path names no regular file (missing, a device, a pipe), or the file
              ///< system has no locks: go on without one
  Busy,       ///< another holder has a conflicting lock
};

/// Locks the regular file `path`, exclusive or shared, without waiting. Once held, the path is
/// checked to still name the locked file (a file replaced meanwhile is locked anew), so that
/// what is read afterwards is the locked file.
LockOutcome lock_file(FileLock& lock, const char* path, bool exclusive);
/// Releases the lock, if one is held.
void unlock_file(FileLock& lock);
/// True when both paths name the same existing file (same device and file number).
bool same_file(const char* a, const char* b);

#endif
