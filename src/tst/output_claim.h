// A claim on an output a command is about to write, held from its start to its end: a lock file
// beside the output ("<output>.lock"), locked exclusively, so that a second command on the same
// output is refused at once. The lock file guards an output that does not exist yet and holds
// across the rename that replaces the output (a lock on the output itself would do neither). A
// command that ends normally removes it; one that is killed leaves an unlocked lock file, which
// the next claim takes over.
#ifndef KAVTEST_OUTPUT_CLAIM_H
#define KAVTEST_OUTPUT_CLAIM_H

#include <string>

/// A claim held on one output; release it with release_output. `handle` is the descriptor (or
/// the Windows handle) of the locked lock file, -1 when none is held.
struct OutputClaim {
  long long handle = -1;
  std::string lock_path;
};

enum class ClaimOutcome {
  Claimed,  ///< the claim is held
  Busy,     ///< another command holds it
  Failed,   ///< the lock file cannot be made beside the output (an unwritable directory)
};

/// Claims the output `path` without waiting: creates or opens "<path>.lock" and locks it
/// (flock on POSIX systems; on Windows a handle that shares nothing and deletes the file when
/// closed). A file system without locks gives a claim that guards nothing, and says Claimed.
ClaimOutcome claim_output(OutputClaim& claim, const std::string& path);
/// Removes the lock file and releases the claim, if one is held.
void release_output(OutputClaim& claim);

#endif
