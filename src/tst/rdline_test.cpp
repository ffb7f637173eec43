#include "rdline.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <string>
#include <vector>

#include "test_support.h"

namespace {

using test_support::ScratchDir;

/// Every line that GetLine hands out until the reader is at its end.
std::vector<std::string> all_lines(const std::string& path) {
  Read in(path.c_str());
  std::vector<std::string> lines;
  while (!in.AtEnd()) {
    char* line = in.GetLine();
    if (!line) break;
    lines.emplace_back(line, static_cast<std::size_t>(in.GetLen()));
  }
  return lines;
}

using Lines = std::vector<std::string>;

TEST(LineReader, EachKindOfLineEndEndsOneLine) {
  ScratchDir dir;
  EXPECT_EQ(all_lines(dir.write("lf", "a\nb\n")), (Lines{"a", "b", ""}));
  EXPECT_EQ(all_lines(dir.write("crlf", "a\r\nb\r\n")), (Lines{"a", "b", ""}));
  EXPECT_EQ(all_lines(dir.write("cr", "a\rb\r")), (Lines{"a", "b"}));
  EXPECT_EQ(all_lines(dir.write("mixed", "a\r\r\nb\n\rc")), (Lines{"a", "", "b", "", "c"}));
  EXPECT_EQ(all_lines(dir.write("lfcr", "a\n\r\nb")), (Lines{"a", "", "b"}));
}

TEST(LineReader, LastLineNeedsNoLineEnd) {
  ScratchDir dir;
  EXPECT_EQ(all_lines(dir.write("f", "a\nlast")), (Lines{"a", "last"}));
  EXPECT_EQ(all_lines(dir.write("g", "only\r")), (Lines{"only"}));
  EXPECT_EQ(all_lines(dir.write("empty", "")), (Lines{""}));
}

TEST(LineReader, NoLineAfterTheEnd) {
  ScratchDir dir;
  Read in(dir.write("f", "x").c_str());
  EXPECT_STREQ(in.GetLine(), "x");
  EXPECT_EQ(in.AtEnd(), 1);
  EXPECT_EQ(in.GetLine(), nullptr);
  EXPECT_EQ(in.GetLen(), 0);
}

TEST(LineReader, LongLinesAreReadWhole) {
  ScratchDir dir;
  for (std::size_t n : {63u, 64u, 65u, 127u, 128u, 129u, 20000u}) {
    std::string text(n, 'a');
    text[n - 1] = 'z';
    EXPECT_EQ(all_lines(dir.write("long", text + "\nnext\n")), (Lines{text, "next", ""})) << n;
  }
}

TEST(LineReader, ZeroBytesAreKeptAndCounted) {
  ScratchDir dir;
  EXPECT_EQ(all_lines(dir.write("f", std::string("a\0b\n", 4))), (Lines{std::string("a\0b", 3), ""}));
}

TEST(LineReader, OffsetCountsEveryByteOfEachLineEnd) {
  ScratchDir dir;
  Read in(dir.write("f", "a\r\nbb\rc\n\nd").c_str());
  EXPECT_EQ(in.Size(), 10);
  std::vector<long long> offsets;
  while (in.GetLine() != nullptr) offsets.push_back(in.Offset());
  EXPECT_EQ(offsets, (std::vector<long long>{3, 6, 8, 9, 10}));
#ifndef _WIN32
  Read device("/dev/null");  // no size to tell before its end
  EXPECT_EQ(device.Size(), -1);
#endif
}

TEST(LineReaderDeath, MissingFileEndsTheProcess) {
  ScratchDir dir;
  const std::string out = dir.at("stdout");
  const std::string missing = dir.at("missing.tst");
  EXPECT_EXIT(
      {
        if (!std::freopen(out.c_str(), "w", stdout)) std::abort();
        Read in(missing.c_str());
      },
      test_support::ExitedWithStatus(-1), "");
  EXPECT_EQ(test_support::file_text(out), "Can't open file : " + missing + "\n");
}

#ifndef _WIN32
TEST(LineReaderDeath, BufferThatCannotGrowEndsTheProcess) {
  if (test_support::kAddressSanitizer) GTEST_SKIP() << "the address space cannot be limited under AddressSanitizer";
  ScratchDir dir;
  const std::string out = dir.at("stdout");
  EXPECT_EXIT(
      {
        if (!std::freopen(out.c_str(), "w", stdout)) std::abort();
        struct rlimit limit;
        limit.rlim_cur = limit.rlim_max = 256u << 20;
        if (setrlimit(RLIMIT_AS, &limit) != 0) std::abort();
        Read in("/dev/zero");  // one endless line
        in.GetLine();
      },
      test_support::ExitedWithStatus(-1), "");
  EXPECT_EQ(test_support::file_text(out), "realloc failed!\n");
}
#endif

}  // namespace
