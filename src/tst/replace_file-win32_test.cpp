// Rewriting a TST file in place of the user's copy on Windows: all or nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TSTData.h"
#include "replace_file.h"
#include "test_support.h"

namespace {

using test_support::ScratchDir;
using test_support::file_bytes;
using test_support::file_text;

/// A record whose file is `rows` lines of 40 characters after the count line.
BIST* big_record(int rows) {
  std::vector<std::string> lines;
  for (int k = 0; k < rows; ++k) lines.emplace_back(40, k % 2 ? '1' : '0');
  return test_support::test_record(38, 2, lines);
}

/// Holds `path` open the way an editor that locks it does: others may read it, but neither
/// write, delete nor rename it.
struct Lock {
  explicit Lock(const std::string& path)
      : handle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~Lock() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
  HANDLE handle;
};

class Replacement : public testing::Test {
 protected:
  void TearDown() override { FreeTST(record_); }
  ScratchDir dir_;
  BIST* record_ = big_record(2000);
};

TEST_F(Replacement, WrittenFileReplacesTheOriginalWholly) {
  const std::string path = dir_.write("user.tst", std::string(200000, 'x') + "\r\n");
  ASSERT_EQ(WriteTST(record_, nullptr, path.c_str()), 0);
  const std::string text = file_text(path);
  EXPECT_EQ(text.substr(0, 16), ".VECTORS 2000\n\n.");
  EXPECT_EQ(text.size(), 14u + 12u + 2000u * 41u);  // nothing of the longer original is left
  EXPECT_EQ(file_bytes(path).substr(0, 16), ".VECTORS 2000\r\n\r");  // a text file of this system
  EXPECT_EQ(dir_.listing(), "user.tst\n");
  // And once more over the file it wrote.
  ASSERT_EQ(WriteTST(record_, nullptr, path.c_str()), 0);
  EXPECT_EQ(file_text(path), text);
  EXPECT_EQ(dir_.listing(), "user.tst\n");
}

TEST_F(Replacement, NewFileIsCreated) {
  const std::string path = dir_.at("new.tst");
  ASSERT_EQ(WriteTST(record_, nullptr, path.c_str()), 0);
  EXPECT_EQ(file_text(path).substr(0, 14), ".VECTORS 2000\n");
  EXPECT_EQ(dir_.listing(), "new.tst\n");
}

TEST_F(Replacement, HiddenMarkSurvives) {
  const std::string path = dir_.write("user.tst", "old\n");
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  ASSERT_EQ(WriteTST(record_, nullptr, path.c_str()), 0);
  EXPECT_NE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(file_text(path).substr(0, 14), ".VECTORS 2000\n");
  EXPECT_EQ(dir_.listing(), "user.tst\n");
}

TEST_F(Replacement, ReadOnlyFileIsLeftAlone) {
  const std::string path = dir_.write("locked.tst", "keep\n");
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(WriteTST(record_, nullptr, path.c_str()), -1);
  EXPECT_EQ(file_bytes(path), "keep\n");
  EXPECT_EQ(dir_.listing(), "locked.tst\n");
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // so that the directory can go
}

TEST_F(Replacement, FileHeldByAnotherProgramIsLeftIntact) {
  const std::string original = ".VECTORS 1\r\n\r\n.PATTERNS\r\n\r\n0H\r\n";
  const std::string path = dir_.write("user.tst", original);
  {
    Lock lock(path);
    ASSERT_NE(lock.handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(WriteTST(record_, nullptr, path.c_str()), -1);
    EXPECT_EQ(dir_.listing(), "user.tst\n");  // the new text went with its temporary file
  }
  EXPECT_EQ(file_bytes(path), original);
}

TEST_F(Replacement, AbandonedReplacementLeavesTheOriginalAndNoTemporaryFile) {
  const std::string path = dir_.write("user.tst", "old\n");
  FileReplacement r;
  ASSERT_TRUE(begin_replacement(r, path.c_str()));
  EXPECT_FALSE(r.temp.empty());
  EXPECT_GE(std::fputs("half of a new text\n", r.fp), 0);
  abandon_replacement(r);
  EXPECT_EQ(file_bytes(path), "old\n");
  EXPECT_EQ(dir_.listing(), "user.tst\n");
}

TEST_F(Replacement, MissingDirectoryCreatesNothing) {
  EXPECT_EQ(WriteTST(record_, nullptr, dir_.at("no/such/dir/out.tst").c_str()), -1);
  EXPECT_EQ(dir_.listing(), "");
}

TEST_F(Replacement, DirectoryIsNotReplaced) {
  const std::string sub = dir_.at("sub");
  ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
  EXPECT_EQ(WriteTST(record_, nullptr, sub.c_str()), -1);
  EXPECT_EQ(dir_.listing(), "sub\n");
}

TEST_F(Replacement, NullDeviceIsWrittenInPlace) {
  FileReplacement r;
  ASSERT_TRUE(begin_replacement(r, "NUL"));
  EXPECT_TRUE(r.temp.empty());
  abandon_replacement(r);
  EXPECT_EQ(WriteTST(record_, nullptr, "NUL"), 0);
}

}  // namespace
