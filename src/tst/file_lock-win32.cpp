// Advisory locks with LockFileEx on one byte far past the end of any file, so that the file's
// own bytes stay readable through other handles. The handle shares reading, writing and
// deletion, so that the file can still be replaced while the lock is held.
#include <windows.h>

#include "file_lock.h"

namespace {

/// The locked byte: at 2^63 - 1, past the end of any file.
constexpr DWORD kLockOffsetLow = 0xFFFFFFFEu;
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFFu;

HANDLE open_shared(const char* path) {
  return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool file_id(HANDLE h, BY_HANDLE_FILE_INFORMATION* info) {
  return GetFileInformationByHandle(h, info) != 0;
}

bool same_id(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

}  // namespace

LockOutcome lock_file(FileLock& lock, const char* path, bool exclusive) {
  unlock_file(lock);
  HANDLE h = open_shared(path);
  if (h == INVALID_HANDLE_VALUE) return LockOutcome::NotNeeded;
  if (GetFileType(h) != FILE_TYPE_DISK) {
    CloseHandle(h);
    return LockOutcome::NotNeeded;
  }
  OVERLAPPED at = {};
  at.Offset = kLockOffsetLow;
  at.OffsetHigh = kLockOffsetHigh;
  DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
  if (!LockFileEx(h, flags, 0, 1, 0, &at)) {
    DWORD code = GetLastError();
    CloseHandle(h);
    if (code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING) return LockOutcome::Busy;
    return LockOutcome::NotNeeded;  // a file system without locks
  }
  lock.handle = reinterpret_cast<long long>(h);
  return LockOutcome::Held;
}

void unlock_file(FileLock& lock) {
  if (lock.handle < 0) return;
  CloseHandle(reinterpret_cast<HANDLE>(lock.handle));  // closing the handle releases the lock
  lock.handle = -1;
}

bool same_file(const char* a, const char* b) {
  HANDLE ha = open_shared(a);
  if (ha == INVALID_HANDLE_VALUE) return false;
  HANDLE hb = open_shared(b);
  BY_HANDLE_FILE_INFORMATION ia, ib;
  bool same = hb != INVALID_HANDLE_VALUE && file_id(ha, &ia) && file_id(hb, &ib) && same_id(ia, ib);
  if (hb != INVALID_HANDLE_VALUE) CloseHandle(hb);
  CloseHandle(ha);
  return same;
}
