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
    int error;  // 0: reads
  } cases[] = {
      {s / "a.ini", 0},
      {s / "fifo.ini", EINVAL},
      {s / "dir.ini", EISDIR},
      {s / "missing.ini", ENOENT},
      {"/dev/zero", EINVAL},
      {"/dev/null", EINVAL},
  };
  for (const Case& c : cases) {
    std::string content;
    int error = 0;
    EXPECT_EQ(ReadRegularFile(c.path, 1024, content, error), c.error == 0) << c.path;
    EXPECT_EQ(error, c.error) << c.path;
    EXPECT_EQ(OpensForReading(c.path, true, error), c.error == 0) << c.path;
  }
  std::string content;
  int error = 0;
  ASSERT_TRUE(ReadRegularFile(s / "a.ini", 1024, content, error));
  EXPECT_EQ(content, "[X]\nK=1\n");
  EXPECT_TRUE(OpensForReading(s / "fifo.ini", false, error)) << "an existing FIFO opens, without blocking";
  EXPECT_FALSE(OpensForReading(s / "dir.ini", false, error));
}

TEST(ReadRegularFile, StopsJustPastTheLimit) {
  Scratch s;
  WriteText(s / "big", std::string(5000, 'x'));
  std::string content;
  int error = 0;
  EXPECT_TRUE(ReadRegularFile(s / "big", 5000, content, error));
  EXPECT_EQ(content.size(), 5000u);
  EXPECT_FALSE(ReadRegularFile(s / "big", 4999, content, error));
  EXPECT_EQ(error, EFBIG);
  EXPECT_EQ(content.size(), 5000u);
  EXPECT_FALSE(ReadRegularFile(s / "big", 100, content, error));
  EXPECT_EQ(error, EFBIG);
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
    int rewrites;   // how many reads meet a writer
    char expected;  // 0: fails
  } cases[] = {
      {"steady", 0, 'a'},
      {"rewritten once", 1, 'b'},
      {"rewritten three times", 3, 'b'},
      {"never steady", 1000, 0},
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
    EXPECT_EQ(ReadRegularFile(path, 1 << 20, content, error, rewrite), c.expected != 0) << c.name;
    if (c.expected)
      EXPECT_EQ(content, std::string(100000, c.expected)) << c.name;
    else
      EXPECT_EQ(error, EAGAIN) << c.name;
  }
}

}  // namespace
}  // namespace zefr::files
