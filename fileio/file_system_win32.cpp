// The file seam on Windows. Descriptors are binary: a text-mode write would
// turn every 0x0A into two bytes, a text-mode read would change what it reads.
// A replacement is written beside the old file and moved over it with
// MoveFileExA once complete.
#include "file_system.h"

#include <windows.h>

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <algorithm>

namespace zefr::files {

namespace {

// errno for what MoveFileExA left in the last error.
int ErrnoFromLastError() {
  switch (::GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return ENOMEM;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_NOT_SAME_DEVICE: return EXDEV;
    default: return EACCES;
  }
}

// NUL, CON, COM1 and the like: _stat does not see them, an open does.
bool IsDevice(const std::string& path) {
  HANDLE h = ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool device = ::GetFileType(h) != FILE_TYPE_DISK;
  ::CloseHandle(h);
  return device;
}

bool IsDirectory(int fd) {
  struct _stat64 st {};
  return ::_fstat64(fd, &st) == 0 && (st.st_mode & _S_IFMT) == _S_IFDIR;
}

int OpenForReading(const std::string& path) { return ::_open(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT); }

class Win32Replacement : public Replacement {
 public:
  ~Win32Replacement() override { Discard(); }
  bool Open(const std::string& path, int& error);
  bool Commit(std::string_view bytes, int& error) override;

 private:
  void Discard();

  int fd_ = -1;
  bool direct_ = false;  // devices and other non-regular files are written in place
  std::string target_;
  std::string temp_;
};

void Win32Replacement::Discard() {
  if (fd_ >= 0) ::_close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::_unlink(temp_.c_str());
  temp_.clear();
}

bool Win32Replacement::Open(const std::string& path, int& error) {
  target_ = path;
  struct _stat64 st {};
  const bool exists = ::_stat64(path.c_str(), &st) == 0;
  const char last = path.empty() ? '\0' : path.back();
  direct_ = (exists && (st.st_mode & _S_IFMT) != _S_IFREG) || last == '/' || last == '\\' || IsDevice(path);
  if (direct_) {
    // Devices (NUL, CON) and directories: open in place, as a plain open
    // for writing would.
    fd_ = ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (fd_ < 0) {
      error = errno;
      return false;
    }
    return true;
  }
  if (exists) {
    // A read-only old file must fail here, as an in-place write would; the
    // attribute is asked for too, as an administrator's open may ignore it.
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
      error = EACCES;
      return false;
    }
    int probe = ::_open(path.c_str(), _O_WRONLY | _O_BINARY | _O_NOINHERIT);
    if (probe < 0) {
      error = errno;
      return false;
    }
    ::_close(probe);
  }
  // Unique names beside the target, created exclusively.
  for (int n = 0; n < 1000; ++n) {
    std::string name = target_ + "." + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(n);
    fd_ = ::_open(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (fd_ >= 0) {
      temp_ = name;
      return true;
    }
    if (errno != EEXIST) break;
  }
  error = errno;
  return false;
}

bool Win32Replacement::Commit(std::string_view bytes, int& error) {
  if (fd_ < 0) {
    error = EBADF;
    return false;
  }
  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    int n = ::_write(fd_, data, static_cast<unsigned>(std::min<std::size_t>(left, 1u << 30)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? errno : ENOSPC;
      Discard();
      return false;
    }
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  if (!direct_ && ::_commit(fd_) != 0) {
    error = errno;
    Discard();
    return false;
  }
  int rc = ::_close(fd_);
  fd_ = -1;
  if (rc != 0) {
    error = errno;
    Discard();
    return false;
  }
  if (!direct_) {
    if (!::MoveFileExA(temp_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      error = ErrnoFromLastError();
      Discard();
      return false;
    }
    temp_.clear();
  }
  return true;
}

class Win32FileSystem : public FileSystem {
 public:
  bool Read(const std::string& path, std::size_t limit, std::string& content, int& error) override;
  bool OpensForReading(const std::string& path, bool regularOnly, int& error) override;
  std::unique_ptr<Replacement> StartReplace(const std::string& path, int& error) override {
    auto replacement = std::make_unique<Win32Replacement>();
    if (!replacement->Open(path, error)) return nullptr;
    return replacement;
  }
};

bool Win32FileSystem::Read(const std::string& path, std::size_t limit, std::string& content, int& error) {
  content.clear();
  int fd = OpenForReading(path);
  if (fd < 0) {
    error = errno;
    return false;
  }
  if (IsDirectory(fd)) {
    ::_close(fd);
    error = EISDIR;
    return false;
  }
  char buffer[32768];
  bool ok = true;
  while (content.size() <= limit) {
    const std::size_t want = std::min(sizeof buffer, limit + 1 - content.size());
    int n = ::_read(fd, buffer, static_cast<unsigned>(want));
    if (n < 0) {
      ok = false;
      error = EIO;
      break;
    }
    if (n == 0) break;
    content.append(buffer, static_cast<std::size_t>(n));
  }
  ::_close(fd);
  if (ok && content.size() > limit) {
    error = EFBIG;
    return false;
  }
  return ok;
}

bool Win32FileSystem::OpensForReading(const std::string& path, bool regularOnly, int& error) {
  int fd = OpenForReading(path);
  if (fd < 0) {
    error = errno;
    return false;
  }
  bool ok = true;
  if (IsDirectory(fd)) {
    ok = false;
    error = EISDIR;
  } else if (regularOnly && ::GetFileType(reinterpret_cast<HANDLE>(::_get_osfhandle(fd))) != FILE_TYPE_DISK) {
    ok = false;
    error = EINVAL;
  }
  ::_close(fd);
  return ok;
}

}  // namespace

FileSystem& Disk() {
  static Win32FileSystem disk;
  return disk;
}

}  // namespace zefr::files
