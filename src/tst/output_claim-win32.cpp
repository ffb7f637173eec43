// Output claims on Windows: a lock file opened sharing nothing, deleted when its handle closes.
#include <windows.h>

#include "output_claim.h"

ClaimOutcome claim_output(OutputClaim& claim, const std::string& path) {
  release_output(claim);
  std::string lock = path + ".lock";
  HANDLE h = CreateFileA(lock.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return GetLastError() == ERROR_SHARING_VIOLATION ? ClaimOutcome::Busy : ClaimOutcome::Failed;
  claim.handle = reinterpret_cast<long long>(h);
  claim.lock_path = lock;
  return ClaimOutcome::Claimed;
}

void release_output(OutputClaim& claim) {
  if (claim.handle < 0) return;
  CloseHandle(reinterpret_cast<HANDLE>(claim.handle));  // deletes the lock file
  claim.handle = -1;
  claim.lock_path.clear();
}
