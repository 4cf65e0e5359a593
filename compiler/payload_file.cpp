#include "payload_file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zefr {

PayloadFileWriter::PayloadFileWriter(WriteFn write) : write_(write ? write : ::write) {}

PayloadFileWriter::~PayloadFileWriter() { Discard(); }

void PayloadFileWriter::Discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
}

bool PayloadFileWriter::Open(const std::string& path, int& error) {
  Discard();
  target_ = path;
  // Replace what a link points at, not the link itself.
  struct stat st {};
  const bool link = ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
  if (link) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved)) target_ = resolved;
  }
  const bool exists = ::stat(target_.c_str(), &st) == 0;
  direct_ = (exists && !S_ISREG(st.st_mode)) || (link && !exists) || (!path.empty() && path.back() == '/');
  if (direct_) {
    // Devices, pipes, directories and dangling links: open in place, as a
    // plain open for writing would.
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) {
      error = errno;
      return false;
    }
    return true;
  }
  if (exists) {
    // The old file must be writable, as it would be for an in-place write.
    int probe = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
    if (probe < 0) {
      error = errno;
      return false;
    }
    ::close(probe);
  }
  std::string pattern = target_ + ".XXXXXX";
  fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd_ < 0) {
    error = errno;
    return false;
  }
  temp_ = pattern;
  mode_t mode;
  if (exists) {
    mode = st.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(fd_, mode);
  return true;
}

bool PayloadFileWriter::Write(const PayloadImage& image, int& error) {
  const std::uint8_t* data = image.bytes.data();
  size_t left = image.bytes.size();
  while (left > 0) {
    ssize_t n = write_(fd_, data, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? errno : ENOSPC;
      Discard();
      return false;
    }
    data += n;
    left -= static_cast<size_t>(n);
  }
  if (!direct_ && ::fsync(fd_) != 0) {
    error = errno;
    Discard();
    return false;
  }
  int rc = ::close(fd_);
  fd_ = -1;
  if (rc != 0) {
    error = errno;
    Discard();
    return false;
  }
  if (!direct_) {
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
      error = errno;
      Discard();
      return false;
    }
    temp_.clear();
  }
  return true;
}

}  // namespace zefr
