#include "file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <chrono>
#include <thread>

namespace zefr::files {

namespace {

// Opens without blocking (a FIFO without writer would wait for one) and
// checks what was opened; -1 with error set when it is not a regular file.
int OpenChecked(const std::string& path, bool regularOnly, struct stat& st, int& error) {
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    error = errno;
    return -1;
  }
  if (::fstat(fd, &st) != 0) {
    error = errno;
  } else if (S_ISDIR(st.st_mode)) {
    error = EISDIR;
  } else if (regularOnly && !S_ISREG(st.st_mode)) {
    error = EINVAL;
  } else {
    return fd;
  }
  ::close(fd);
  return -1;
}

bool SameVersion(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
         a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
         a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

// Reads from offset 0 until end of file or limit + 1 bytes; false with error.
bool ReadUpTo(int fd, std::size_t limit, std::string& out, int& error) {
  out.clear();
  char buffer[65536];
  off_t at = 0;
  while (out.size() <= limit) {
    std::size_t want = std::min(sizeof buffer, limit + 1 - out.size());
    ssize_t n = ::pread(fd, buffer, want, at);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = errno;
      return false;
    }
    if (n == 0) break;
    out.append(buffer, static_cast<std::size_t>(n));
    at += n;
  }
  return true;
}

// A read counts as whole when the file's identity, size and times did not
// move while it was read, and a second read gives the same bytes (times can
// be too coarse to show a rewrite within one clock tick).
constexpr int kReadTries = 20;

}  // namespace

bool ReadRegularFile(const std::string& path, std::size_t limit, std::string& content, int& error,
                     const std::function<void()>& midRead) {
  content.clear();
  std::string again;
  for (int attempt = 0; attempt < kReadTries; ++attempt) {
    struct stat before {};
    int fd = OpenChecked(path, true, before, error);
    if (fd < 0) return false;
    bool ok = ReadUpTo(fd, limit, content, error);
    if (ok && content.size() > limit) {
      ::close(fd);
      error = EFBIG;
      return false;
    }
    if (midRead) midRead();
    struct stat after {};
    bool steady = ok && ::fstat(fd, &after) == 0 && SameVersion(before, after) &&
                  ReadUpTo(fd, limit, again, error) && again == content;
    ::close(fd);
    if (!ok || steady) return ok;
    // A writer is at work: give it a moment to finish.
    std::this_thread::sleep_for(std::chrono::milliseconds(attempt < 5 ? 1 : 10));
  }
  content.clear();
  error = EAGAIN;
  return false;
}

bool OpensForReading(const std::string& path, bool regularOnly, int& error) {
  struct stat st {};
  int fd = OpenChecked(path, regularOnly, st, error);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

}  // namespace zefr::files
