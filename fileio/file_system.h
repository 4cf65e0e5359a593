#pragma once
// The one way the programs read and replace whole files: the platform's disk
// (file_system_posix.cpp, file_system_win32.cpp) or files held in memory
// (memory_file_system.h), so that most tests never touch the disk.
// Errors are errno values.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace zefr::files {

// A file chosen and opened for replacing, its new bytes not yet written.
// Dropped uncommitted, it leaves the file as it was and nothing beside it.
class Replacement {
 public:
  virtual ~Replacement() = default;
  // Writes bytes and puts them in place whole; on failure the old file is as
  // it was, except where it had to be written in place.
  virtual bool Commit(std::string_view bytes, int& error) = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Reads the file at path whole into content. A file longer than limit
  // fails with EFBIG, content then holding its first limit + 1 bytes. POSIX
  // reads regular files only (EISDIR for a directory, EINVAL for the rest,
  // as a FIFO or a device would block or never end) and reads a file that
  // changed meanwhile again (EAGAIN when it never held still). Windows reads
  // any file its open takes, which refuses a directory (EACCES).
  virtual bool Read(const std::string& path, std::size_t limit, std::string& content, int& error) = 0;

  // Whether path opens for reading, without reading and without blocking on
  // a FIFO or a device. With regularOnly only a regular file passes;
  // otherwise anything but a directory does.
  virtual bool OpensForReading(const std::string& path, bool regularOnly, int& error) = 0;

  // Opens what a write to path would reach, to be replaced whole; null with
  // an errno value when it cannot be (a directory: EISDIR, on Windows
  // EACCES). Devices are written in place. POSIX keeps the file's owner,
  // mode and links (file_replace.h); Windows refuses a read-only file.
  virtual std::unique_ptr<Replacement> StartReplace(const std::string& path, int& error) = 0;

  // StartReplace and Commit in one call.
  bool Replace(const std::string& path, std::string_view bytes, int& error);
};

// The platform's own files.
FileSystem& Disk();

}  // namespace zefr::files
