#include "file_replace.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>

#include "file_system.h"
#include "test_scratch.h"

namespace zefr::files {
namespace {

using testing::AsNobody;
using testing::ReadText;
using testing::Scratch;
using testing::WriteText;

// Through the seam, as the programs replace files.
bool ReplaceFile(const std::string& path, std::string_view bytes, int& error) {
  return Disk().Replace(path, bytes, error);
}

struct stat StatOf(const std::string& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return st;
}

TEST(ReplaceFile, KeepsWhatTheFileWasButItsBytes) {
  struct Case {
    const char* name;
    mode_t mode;      // of the old file; 0: none
    mode_t expected;  // of the new one
    bool hardLink;
    FileReplacer::Method method;
  } cases[] = {
      {"new file", 0, 0666 & ~0022, false, FileReplacer::Method::kReplace},
      {"plain file", 0640, 0640, false, FileReplacer::Method::kReplace},
      {"set-id bits are never kept", 06755, 0755, false, FileReplacer::Method::kReplace},
      {"hard links stay joined", 0644, 0644, true, FileReplacer::Method::kInPlace},
  };
  const mode_t mask = ::umask(0022);
  for (const Case& c : cases) {
    Scratch s;
    const std::string path = s / "p.bin";
    if (c.mode) {
      WriteText(path, "old old old old");
      ::chmod(path.c_str(), c.mode);
      if (c.hardLink) ::link(path.c_str(), (s / "other").c_str());
    }
    FileReplacer r;
    int error = 0;
    ASSERT_TRUE(r.Open(path, error)) << c.name << ": " << error;
    EXPECT_EQ(r.method(), c.method) << c.name;
    ASSERT_TRUE(r.Commit("new", error)) << c.name << ": " << error;
    EXPECT_EQ(ReadText(path), "new") << c.name;
    EXPECT_EQ(StatOf(path).st_mode & 07777, c.expected) << c.name;
    if (c.hardLink) {
      EXPECT_EQ(ReadText(s / "other"), "new") << c.name;
    }
    EXPECT_EQ(s.Listing(), c.hardLink ? "other p.bin " : "p.bin ") << c.name;
  }
  ::umask(mask);
}

// A replacement opened and dropped changes nothing and leaves nothing.
TEST(ReplaceFile, AnUncommittedReplacementLeavesNoTrace) {
  Scratch s;
  WriteText(s / "p.bin", "old");
  for (const char* name : {"p.bin", "new.bin"}) {
    int error = 0;
    ASSERT_NE(Disk().StartReplace(s / name, error), nullptr) << name << ": " << error;
  }
  EXPECT_EQ(ReadText(s / "p.bin"), "old");
  EXPECT_EQ(s.Listing(), "p.bin ");
}

TEST(ReplaceFile, LinksAreFollowedNotReplaced) {
  Scratch s;
  WriteText(s / "real.bin", "old");
  ::symlink("real.bin", (s / "link.bin").c_str());
  ::symlink("created.bin", (s / "dangling.bin").c_str());
  int error = 0;
  ASSERT_TRUE(ReplaceFile(s / "link.bin", "new", error)) << error;
  ASSERT_TRUE(ReplaceFile(s / "dangling.bin", "made", error)) << error;
  EXPECT_TRUE(S_ISLNK(StatOf(s / "link.bin").st_mode));
  EXPECT_EQ(ReadText(s / "real.bin"), "new");
  EXPECT_EQ(ReadText(s / "created.bin"), "made");
  EXPECT_EQ(s.Listing(), "created.bin dangling.bin link.bin real.bin ");
}

TEST(ReplaceFile, RefusesWhatIsNotAFileAndWritesDevices) {
  Scratch s;
  ::mkfifo((s / "fifo").c_str(), 0600);
  ::mkdir((s / "dir").c_str(), 0700);
  struct Case {
    std::string path;
    int error;  // 0: writes
  } cases[] = {
      {s / "fifo", EINVAL},
      {s / "dir", EISDIR},
      {s / "dir/", EISDIR},
      {s / "missing/p.bin", ENOENT},
      {"/dev/null", 0},
  };
  for (const Case& c : cases) {
    int error = 0;
    EXPECT_EQ(ReplaceFile(c.path, "bytes", error), c.error == 0) << c.path;
    EXPECT_EQ(error, c.error) << c.path;
  }
  // A FIFO with a reader waiting is refused too, and nobody blocks.
  int reader = ::open((s / "fifo").c_str(), O_RDONLY | O_NONBLOCK);
  int error = 0;
  EXPECT_FALSE(ReplaceFile(s / "fifo", "bytes", error));
  EXPECT_EQ(error, EINVAL);
  ::close(reader);
}

ssize_t FailingWrite(int, const void*, size_t) {
  errno = ENOSPC;
  return -1;
}

ssize_t DribblingWrite(int fd, const void* data, size_t size) { return ::write(fd, data, std::min<size_t>(size, 7)); }

ssize_t NothingWritten(int, const void*, size_t) { return 0; }

ssize_t KillingWrite(int, const void*, size_t) {
  ::raise(SIGKILL);
  return -1;
}

// Short writes go on until every byte is written; a write that takes nothing
// is a full disk.
TEST(ReplaceFile, ShortWritesAreCompletedAndAStalledOneFails) {
  Scratch s;
  const std::string path = s / "p.bin";
  const std::string payload(1984, 'p');
  WriteText(path, "old");
  FileReplacer dribbling(DribblingWrite);
  int error = 0;
  ASSERT_TRUE(dribbling.Open(path, error));
  ASSERT_TRUE(dribbling.Commit(payload, error)) << error;
  EXPECT_EQ(ReadText(path), payload);
  FileReplacer stalled(NothingWritten);
  ASSERT_TRUE(stalled.Open(path, error));
  EXPECT_FALSE(stalled.Commit("new", error));
  EXPECT_EQ(error, ENOSPC);
  EXPECT_EQ(ReadText(path), payload);
  EXPECT_EQ(s.Listing(), "p.bin ");
}

TEST(ReplaceFile, AFailedOrKilledWriteLeavesTheOldFileAndNothingElse) {
  Scratch s;
  const std::string path = s / "p.bin";
  WriteText(path, "old");
  FileReplacer failing(FailingWrite);
  int error = 0;
  ASSERT_TRUE(failing.Open(path, error));
  EXPECT_FALSE(failing.Commit("new", error));
  EXPECT_EQ(error, ENOSPC);
  EXPECT_EQ(ReadText(path), "old");
  EXPECT_EQ(s.Listing(), "p.bin ");

  for (const std::string& target : {path, s / "new.bin"}) {
    pid_t pid = ::fork();
    if (pid == 0) {
      FileReplacer killed(KillingWrite);
      int e = 0;
      if (killed.Open(target, e)) killed.Commit("new", e);
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
  }
  EXPECT_EQ(ReadText(path), "old");
  EXPECT_EQ(s.Listing(), "p.bin ");
}

TEST(ReplaceFile, AFileSizeLimitIsAnErrorNotADeath) {
  Scratch s;
  for (const std::string name : {"p.bin", "new.bin"}) {
    const std::string path = s / name;
    if (name == "p.bin") WriteText(path, "old");
    pid_t pid = ::fork();
    if (pid == 0) {
      rlimit limit{100, 100};
      ::setrlimit(RLIMIT_FSIZE, &limit);
      int error = 0;
      bool ok = ReplaceFile(path, std::string(1984, 'x'), error);
      ::_exit(!ok && error == EFBIG ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << name << " status " << status;
  }
  EXPECT_EQ(ReadText(s / "p.bin"), "old");
  EXPECT_EQ(s.Listing(), "p.bin ");
}

// Root replacing another user's file: the file stays theirs.
TEST(ReplaceFile, KeepsTheOwner) {
  uid_t uid;
  gid_t gid;
  if (::geteuid() != 0 || !testing::Nobody(uid, gid)) GTEST_SKIP() << "needs root";
  Scratch s;
  const std::string path = s / "p.bin";
  WriteText(path, "old");
  ::chown(path.c_str(), uid, gid);
  ::chmod(path.c_str(), 0600);
  int error = 0;
  ASSERT_TRUE(ReplaceFile(path, "new", error)) << error;
  struct stat st = StatOf(path);
  EXPECT_EQ(st.st_uid, uid);
  EXPECT_EQ(st.st_gid, gid);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_EQ(ReadText(path), "new");
}

// An ordinary user who may write the file but not replace it writes it in
// place: a file of another user in a sticky folder, or in a folder it cannot
// write. A file it may not write is refused.
TEST(ReplaceFile, WritesInPlaceWhereOnlyTheFileIsWritable) {
  Scratch s;
  ::chmod(s.dir().c_str(), 01777);
  WriteText(s / "shared.bin", "old");
  ::chmod((s / "shared.bin").c_str(), 0666);
  WriteText(s / "readonly.bin", "old");
  ::chmod((s / "readonly.bin").c_str(), 0644);
  ::mkdir((s / "closed").c_str(), 0755);
  WriteText(s / "closed/open.bin", "old");
  ::chmod((s / "closed/open.bin").c_str(), 0666);
  int status = AsNobody([&] {
    int error = 0;
    FileReplacer r;
    if (!r.Open(s / "shared.bin", error) || r.method() != FileReplacer::Method::kInPlace ||
        !r.Commit("new", error))
      return 1;
    if (!ReplaceFile(s / "closed/open.bin", "new", error)) return 2;
    if (ReplaceFile(s / "readonly.bin", "new", error) || error != EACCES) return 3;
    return 0;
  });
  if (status == -1) GTEST_SKIP() << "needs root to act as another user";
  EXPECT_EQ(status, 0);
  EXPECT_EQ(ReadText(s / "shared.bin"), "new");
  EXPECT_EQ(ReadText(s / "closed/open.bin"), "new");
  EXPECT_EQ(ReadText(s / "readonly.bin"), "old");
  EXPECT_EQ(StatOf(s / "shared.bin").st_uid, 0u);
  EXPECT_EQ(s.Listing(), "closed readonly.bin shared.bin ");
}

// With the kernel's protection on, a link another user planted in a sticky
// folder is not followed by root, just as a shell redirect is not.
TEST(ReplaceFile, TheKernelDecidesWhetherALinkIsFollowed) {
  uid_t uid;
  gid_t gid;
  const char* knob = "/proc/sys/fs/protected_symlinks";
  if (::geteuid() != 0 || !testing::Nobody(uid, gid)) GTEST_SKIP() << "needs root";
  const std::string was = ReadText(knob);
  if (was.empty()) GTEST_SKIP() << "no protected_symlinks here";
  WriteText(knob, "1");
  if (ReadText(knob) != "1\n") GTEST_SKIP() << "cannot turn protected_symlinks on";
  Scratch s;
  ::chmod(s.dir().c_str(), 01777);
  WriteText(s / "victim", "precious");
  ::symlink("victim", (s / "p.bin").c_str());
  ::lchown((s / "p.bin").c_str(), uid, gid);
  int error = 0;
  const bool written = ReplaceFile(s / "p.bin", "payload", error);
  WriteText(knob, was);
  EXPECT_FALSE(written);
  EXPECT_EQ(error, EACCES);
  EXPECT_EQ(ReadText(s / "victim"), "precious");
  EXPECT_TRUE(S_ISLNK(StatOf(s / "p.bin").st_mode));
}

}  // namespace
}  // namespace zefr::files
