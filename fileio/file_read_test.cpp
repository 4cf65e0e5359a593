#include "file_read.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <fcntl.h>

#include "test_scratch.h"

namespace zefr::files {
namespace {

using testing::Scratch;
using testing::WriteText;

TEST(ReadRegularFile, ReadsOnlyRegularFilesAndNeverBlocks) {
  Scratch s;
  WriteText(s / "a.ini", "[X]\nK=1\n");
  ASSERT_EQ(::mkfifo((s / "fifo.ini").c_str(), 0600), 0);
  ::mkdir((s / "dir.ini").c_str(), 0700);
  struct Case {
    std::string path;
    ReadResult result;
    int error;
  } cases[] = {
      {s / "a.ini", ReadResult::kOk, 0},
      {s / "fifo.ini", ReadResult::kFailed, EINVAL},
      {s / "dir.ini", ReadResult::kFailed, EISDIR},
      {s / "missing.ini", ReadResult::kFailed, ENOENT},
      {"/dev/zero", ReadResult::kFailed, EINVAL},
      {"/dev/null", ReadResult::kFailed, EINVAL},
  };
  for (const Case& c : cases) {
    std::string content;
    int error = 0;
    EXPECT_EQ(ReadRegularFile(c.path, 1024, content, error), c.result) << c.path;
    EXPECT_EQ(error, c.error) << c.path;
    EXPECT_EQ(OpensForReading(c.path, true, error), c.result == ReadResult::kOk) << c.path;
  }
  std::string content;
  int error = 0;
  ASSERT_EQ(ReadRegularFile(s / "a.ini", 1024, content, error), ReadResult::kOk);
  EXPECT_EQ(content, "[X]\nK=1\n");
  EXPECT_TRUE(OpensForReading(s / "fifo.ini", false, error)) << "an existing FIFO opens, without blocking";
  EXPECT_FALSE(OpensForReading(s / "dir.ini", false, error));
}

TEST(ReadRegularFile, StopsJustPastTheLimit) {
  Scratch s;
  WriteText(s / "big", std::string(5000, 'x'));
  std::string content;
  int error = 0;
  EXPECT_EQ(ReadRegularFile(s / "big", 5000, content, error), ReadResult::kOk);
  EXPECT_EQ(content.size(), 5000u);
  EXPECT_EQ(ReadRegularFile(s / "big", 4999, content, error), ReadResult::kTooLarge);
  EXPECT_EQ(content.size(), 5000u);
  EXPECT_EQ(ReadRegularFile(s / "big", 100, content, error), ReadResult::kTooLarge);
  EXPECT_EQ(content.size(), 101u);
}

// A file rewritten while it is read is read again, and never returned as a
// mix of two versions; one that never holds still fails.
TEST(ReadRegularFile, ReadsAFileThatChangedAgain) {
  Scratch s;
  const std::string path = s / "torn.ini";
  WriteText(path, std::string(100000, 'a'));
  struct Case {
    const char* name;
    int rewrites;  // how many reads meet a writer
    ReadResult result;
    char expected;
  } cases[] = {
      {"steady", 0, ReadResult::kOk, 'a'},
      {"rewritten once", 1, ReadResult::kOk, 'b'},
      {"rewritten three times", 3, ReadResult::kOk, 'b'},
      {"never steady", 1000, ReadResult::kFailed, 0},
  };
  for (const Case& c : cases) {
    WriteText(path, std::string(100000, 'a'));
    int calls = 0;
    auto rewrite = [&] {
      if (calls++ >= c.rewrites) return;
      // In place, same size: only the bytes tell.
      int fd = ::open(path.c_str(), O_WRONLY);
      std::string half(50000, calls % 2 ? 'b' : 'a');
      ASSERT_EQ(::pwrite(fd, half.data(), half.size(), 0), 50000);
      ASSERT_EQ(::pwrite(fd, half.data(), half.size(), 50000), 50000);
      ::close(fd);
    };
    std::string content;
    int error = 0;
    EXPECT_EQ(ReadRegularFile(path, 1 << 20, content, error, rewrite), c.result) << c.name;
    if (c.result == ReadResult::kOk)
      EXPECT_EQ(content, std::string(100000, c.expected)) << c.name;
    else
      EXPECT_EQ(error, EAGAIN) << c.name;
  }
}

}  // namespace
}  // namespace zefr::files
