#include "file_replace.h"

#include <fcntl.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace zefr::files {

namespace {

// A file-size limit would kill the process with SIGXFSZ in the middle of a
// write; ignored, the write fails with EFBIG and is reported like any other.
class FileSizeSignalIgnored {
 public:
  FileSizeSignalIgnored() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    saved_ = ::sigaction(SIGXFSZ, &ignore, &old_) == 0;
  }
  ~FileSizeSignalIgnored() {
    if (saved_) ::sigaction(SIGXFSZ, &old_, nullptr);
  }

 private:
  struct sigaction old_ {};
  bool saved_ = false;
};

void SplitPath(const std::string& path, std::string& dir, std::string& name) {
  std::size_t slash = path.rfind('/');
  dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  name = slash == std::string::npos ? path : path.substr(slash + 1);
}

mode_t CreationMode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

std::string ProcFdPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

// A name no one is likely to hold, recognisable as ours.
std::string TempName(const std::string& dir, const std::string& name) {
  static unsigned counter = 0;
  timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  char suffix[64];
  std::snprintf(suffix, sizeof suffix, ".zefr-%ld-%u-%ld", static_cast<long>(::getpid()), ++counter,
                static_cast<long>(now.tv_nsec));
  return dir + "/." + name + suffix;
}

// Gives a fresh name beside dir/name to `make`, which fails with EEXIST while
// the name is taken; the name it took, or false with error.
template <typename Make>
bool ClaimName(const std::string& dir, const std::string& name, Make make, std::string& claimed, int& error) {
  for (int tries = 0; tries < 100; ++tries) {
    std::string temp = TempName(dir, name);
    if (make(temp)) {
      claimed = temp;
      return true;
    }
    if (errno != EEXIST) break;
  }
  error = errno;
  return false;
}

bool IsLink(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

void SyncDirectory(const std::string& path) {
  std::string dir, name;
  SplitPath(path, dir, name);
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

FileReplacer::FileReplacer(WriteFn write) : write_(write ? write : ::write) {}

FileReplacer::~FileReplacer() { Discard(); }

void FileReplacer::Discard() {
  if (targetFd_ >= 0) ::close(targetFd_);
  if (tempFd_ >= 0) ::close(tempFd_);
  if (!tempName_.empty()) ::unlink(tempName_.c_str());
  targetFd_ = tempFd_ = -1;
  tempName_.clear();
  unnamed_ = fresh_ = false;
  method_ = Method::kNone;
}

bool FileReplacer::Open(const std::string& path, int& error) {
  Discard();
  if (path.empty()) {
    error = ENOENT;
    return false;
  }
  if (path.back() == '/') {  // as an open for writing with O_CREAT reports it
    error = EISDIR;
    return false;
  }
  // The kernel follows a link here under its own rules, and a FIFO without a
  // reader fails at once instead of blocking.
  int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    error = errno;
    struct stat st {};
    if (error == ENOENT) return OpenNew(path, error);
    if (error == ENXIO && ::stat(path.c_str(), &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)))
      error = EINVAL;
    return false;
  }
  struct stat old {};
  if (::fstat(fd, &old) != 0) {
    error = errno;
    ::close(fd);
    return false;
  }
  if (S_ISCHR(old.st_mode) || S_ISBLK(old.st_mode)) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    targetFd_ = fd;
    method_ = Method::kDevice;
    return true;
  }
  if (!S_ISREG(old.st_mode)) {
    ::close(fd);
    error = EINVAL;
    return false;
  }
  targetFd_ = fd;
  return OpenReplacement(path, old, error);
}

bool FileReplacer::OpenNew(const std::string& path, int& error) {
  if (IsLink(path)) {
    // A dangling link: create what it names, as a plain open would, and only
    // where the kernel lets this link be followed.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) {
      error = errno;
      return false;
    }
    targetFd_ = fd;
    UseInPlace();
    return true;
  }
  std::string dir, name;
  SplitPath(path, dir, name);
  target_ = path;
  fresh_ = true;
  if (!MakeTemp(dir, name, CreationMode(), error)) return false;
  method_ = Method::kReplace;
  return true;
}

bool FileReplacer::OpenReplacement(const std::string& path, const struct stat& old, int& error) {
  // Where the file really lives; the kernel chose it, so the link must still
  // lead to what was opened.
  target_ = path;
  if (IsLink(path)) {
    char resolved[PATH_MAX];
    struct stat there {};
    if (!::realpath(path.c_str(), resolved) || ::lstat(resolved, &there) != 0 || there.st_dev != old.st_dev ||
        there.st_ino != old.st_ino) {
      UseInPlace();
      return true;
    }
    target_ = resolved;
  }
  // A replace would split hard links.
  if (old.st_nlink > 1) {
    UseInPlace();
    return true;
  }
  std::string dir, name;
  SplitPath(target_, dir, name);
  if (!MakeTemp(dir, name, old.st_mode & 0777, error)) {
    if (error == EACCES || error == EPERM || error == EROFS) {
      UseInPlace();
      return true;
    }
    return false;
  }
  struct stat made {};
  if (::fstat(tempFd_, &made) != 0 ||
      ((made.st_uid != old.st_uid || made.st_gid != old.st_gid) && ::fchown(tempFd_, old.st_uid, old.st_gid) != 0)) {
    // Only the owner's rights could keep the owner: leave the file where it is.
    UseInPlace();
    return true;
  }
  // After a change of owner, which clears set-id bits, the mode once more.
  ::fchmod(tempFd_, old.st_mode & 0777);
  method_ = Method::kReplace;
  return true;
}

bool FileReplacer::MakeTemp(const std::string& dir, const std::string& name, mode_t mode, int& error) {
  if (::access("/proc/self/fd", X_OK) == 0) {
    int fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::fchmod(fd, mode);
      tempFd_ = fd;
      unnamed_ = true;
      return true;
    }
    // Unsupported here: fall back to a named file. Anything else is real.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
      error = errno;
      return false;
    }
  }
  auto create = [&](const std::string& temp) {
    tempFd_ = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    return tempFd_ >= 0;
  };
  if (!ClaimName(dir, name, create, tempName_, error)) return false;
  ::fchmod(tempFd_, mode);
  return true;
}

void FileReplacer::UseInPlace() {
  if (tempFd_ >= 0) ::close(tempFd_);
  tempFd_ = -1;
  if (!tempName_.empty()) ::unlink(tempName_.c_str());
  tempName_.clear();
  unnamed_ = fresh_ = false;
  ::fcntl(targetFd_, F_SETFL, ::fcntl(targetFd_, F_GETFL) & ~O_NONBLOCK);
  method_ = Method::kInPlace;
}

bool FileReplacer::WriteAll(int fd, std::string_view bytes, int& error) {
  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = write_(fd, data, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? errno : ENOSPC;
      return false;
    }
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

// Links the finished unnamed file in under a name of its own (or directly
// under a target that did not exist).
bool FileReplacer::LinkTemp(int& error) {
  const std::string from = ProcFdPath(tempFd_);
  if (fresh_ && ::linkat(AT_FDCWD, from.c_str(), AT_FDCWD, target_.c_str(), AT_SYMLINK_FOLLOW) == 0) {
    unnamed_ = false;
    return true;
  }
  std::string dir, name;
  SplitPath(target_, dir, name);
  auto link = [&](const std::string& temp) {
    return ::linkat(AT_FDCWD, from.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0;
  };
  return ClaimName(dir, name, link, tempName_, error);
}

bool FileReplacer::CommitInPlace(std::string_view bytes, int& error) {
  bool ok = ::lseek(targetFd_, 0, SEEK_SET) == 0 || (error = errno, false);
  ok = ok && WriteAll(targetFd_, bytes, error);
  if (ok && ::ftruncate(targetFd_, static_cast<off_t>(bytes.size())) != 0) ok = (error = errno, false);
  if (ok && ::fsync(targetFd_) != 0) ok = (error = errno, false);
  int rc = ::close(targetFd_);
  targetFd_ = -1;
  if (ok && rc != 0) ok = (error = errno, false);
  return ok;
}

bool FileReplacer::Commit(std::string_view bytes, int& error) {
  FileSizeSignalIgnored guard;
  bool ok = false;
  switch (method_) {
    case Method::kNone:
      error = EBADF;
      return false;
    case Method::kDevice: {
      ok = WriteAll(targetFd_, bytes, error);
      int rc = ::close(targetFd_);
      targetFd_ = -1;
      if (ok && rc != 0) ok = (error = errno, false);
      break;
    }
    case Method::kInPlace:
      ok = CommitInPlace(bytes, error);
      break;
    case Method::kReplace: {
      ok = WriteAll(tempFd_, bytes, error);
      if (ok && ::fsync(tempFd_) != 0) ok = (error = errno, false);
      if (ok && unnamed_) ok = LinkTemp(error);
      if (ok && !tempName_.empty()) {
        if (::rename(tempName_.c_str(), target_.c_str()) == 0) {
          tempName_.clear();
        } else if ((errno == EPERM || errno == EACCES) && targetFd_ >= 0) {
          // The folder will not let us replace the file (a sticky folder, say).
          UseInPlace();
          ok = CommitInPlace(bytes, error);
          break;
        } else {
          ok = (error = errno, false);
        }
      }
      int rc = ::close(tempFd_);
      tempFd_ = -1;
      if (ok && rc != 0) ok = (error = errno, false);
      if (ok) SyncDirectory(target_);
      break;
    }
  }
  Discard();
  return ok;
}

}  // namespace zefr::files
