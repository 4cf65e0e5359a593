// Windows variant of payload_file.cpp: the same write-beside-then-replace,
// with binary-mode descriptors (a text-mode write would turn every 0x0A of
// the image into two bytes) and MoveFileExA to put the file in place.
#include "payload_file.h"

#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace zefr {

namespace {

ssize_t WriteDescriptor(int fd, const void* data, size_t size) {
  return ::_write(fd, data, static_cast<unsigned>(size));
}

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

}  // namespace

PayloadFileWriter::PayloadFileWriter(WriteFn write) : write_(write ? write : WriteDescriptor) {}

PayloadFileWriter::~PayloadFileWriter() { Discard(); }

void PayloadFileWriter::Discard() {
  if (fd_ >= 0) ::_close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::_unlink(temp_.c_str());
  temp_.clear();
}

bool PayloadFileWriter::Open(const std::string& path, int& error) {
  Discard();
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

}  // namespace zefr
