#include "memory_file_system.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>

namespace zefr::files {
namespace {

using Step = MemoryFileSystem::Step;

// The stand-ins other tests rely on: a directory, a FIFO, a file too large.
TEST(MemoryFileSystem, ReadsAsTheDiskWould) {
  MemoryFileSystem files;
  files.Add("a.ini", "[X]\nK=1\n");
  files.Fail(Step::kRead, "dir", EISDIR);
  files.Fail(Step::kRead, "fifo", EINVAL);
  struct Case {
    const char* path;
    std::size_t limit;
    int error;  // 0: reads
    const char* content;
    bool opens;  // for reading, regular files not required
  } cases[] = {
      {"a.ini", 8, 0, "[X]\nK=1\n", true},
      {"a.ini", 3, EFBIG, "[X]\n", true},
      {"missing", 8, ENOENT, "", false},
      {"dir", 8, EISDIR, "", false},
      {"fifo", 8, EINVAL, "", true},
  };
  for (const Case& c : cases) {
    std::string content = "stale";
    int error = 0;
    EXPECT_EQ(files.Read(c.path, c.limit, content, error), c.error == 0) << c.path;
    EXPECT_EQ(error, c.error) << c.path;
    EXPECT_EQ(content, c.content) << c.path;
    EXPECT_EQ(files.OpensForReading(c.path, false, error), c.opens) << c.path;
    EXPECT_EQ(files.OpensForReading(c.path, true, error), c.error == 0 || c.error == EFBIG) << c.path;
  }
  EXPECT_EQ(files.Reads("a.ini"), 2);
  EXPECT_EQ(files.Reads("missing"), 1);
}

TEST(MemoryFileSystem, AFailedReplaceKeepsTheOldFile) {
  struct Case {
    const char* name;
    std::optional<Step> failing;  // with ENOSPC
    bool old;                     // whether a file was there
    const char* after;            // null: no file
  } cases[] = {
      {"replaced", std::nullopt, true, "new"},
      {"created", std::nullopt, false, "new"},
      {"open fails", Step::kStartReplace, true, "old"},
      {"commit fails", Step::kCommit, true, "old"},
      {"nothing created", Step::kCommit, false, nullptr},
  };
  for (const Case& c : cases) {
    MemoryFileSystem files;
    if (c.old) files.Add("p.bin", "old");
    if (c.failing) files.Fail(*c.failing, "p.bin", ENOSPC);
    int error = 0;
    EXPECT_EQ(files.Replace("p.bin", "new", error), !c.failing) << c.name;
    EXPECT_EQ(error, c.failing ? ENOSPC : 0) << c.name;
    const std::string* after = files.Find("p.bin");
    EXPECT_EQ(after ? after->c_str() : "<none>", std::string(c.after ? c.after : "<none>")) << c.name;
  }
}

}  // namespace
}  // namespace zefr::files
