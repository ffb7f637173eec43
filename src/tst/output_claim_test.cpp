// Claims on outputs: one holder at a time, for an output that does not exist yet and across a
// rename over it; a lock file left by a killed command is taken over; none is left behind.
#include "output_claim.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "test_support.h"

namespace {

namespace fs = std::filesystem;

TEST(OutputClaim, OneHolderAtATimeAndNothingLeftBehind) {
  test_support::ScratchDir dir;
  const std::string out = dir.at("r.json");  // does not exist yet
  OutputClaim first, second;
  ASSERT_EQ(claim_output(first, out), ClaimOutcome::Claimed);
  EXPECT_TRUE(fs::exists(out + ".lock"));
  EXPECT_EQ(claim_output(second, out), ClaimOutcome::Busy);
  EXPECT_EQ(second.handle, -1);
  // The output written meanwhile, by a rename over it as every output is: still claimed.
  dir.write("r.json.tmp", "{}\n");
  ASSERT_EQ(std::rename((out + ".tmp").c_str(), out.c_str()), 0);
  EXPECT_EQ(claim_output(second, out), ClaimOutcome::Busy);
  release_output(first);
  EXPECT_FALSE(fs::exists(out + ".lock"));
  EXPECT_EQ(claim_output(second, out), ClaimOutcome::Claimed);
  release_output(second);
  EXPECT_EQ(dir.listing(), "r.json\n");
}

TEST(OutputClaim, ALockFileThatNobodyHoldsIsTakenOver) {
  test_support::ScratchDir dir;
  const std::string out = dir.at("r.json");
  dir.write("r.json.lock", "");  // left by a command that was killed
  OutputClaim claim;
  EXPECT_EQ(claim_output(claim, out), ClaimOutcome::Claimed);
  release_output(claim);
  EXPECT_FALSE(fs::exists(out + ".lock"));
}

TEST(OutputClaim, ADirectoryThatCannotHoldTheLockFileFails) {
  test_support::ScratchDir dir;
  OutputClaim claim;
  EXPECT_EQ(claim_output(claim, dir.at("no-such-folder/r.json")), ClaimOutcome::Failed);
  EXPECT_EQ(claim.handle, -1);
}

}  // namespace
