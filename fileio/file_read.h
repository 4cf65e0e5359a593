#pragma once
// Reading a whole file safely: only regular files are read (a FIFO or a
// device would block or never end), the read is bounded, and a file that
// changes while it is read is read again rather than returned torn.
// Errors are errno values: EISDIR for a directory, EINVAL for anything else
// that is not a regular file, EAGAIN for a file that kept changing.

#include <cstddef>
#include <functional>
#include <string>

namespace zefr::files {

enum class ReadResult {
  kOk,        // content holds the whole file
  kTooLarge,  // the file is longer than the limit; content holds its first limit + 1 bytes
  kFailed,    // error holds why
};

// midRead, for tests, runs after each first pass over the file.
ReadResult ReadRegularFile(const std::string& path, std::size_t limit, std::string& content, int& error,
                           const std::function<void()>& midRead = {});

// Whether path opens for reading, without blocking on a FIFO or a device and
// without reading. With regularOnly, only a regular file passes; otherwise
// anything but a directory does.
bool OpensForReading(const std::string& path, bool regularOnly, int& error);

}  // namespace zefr::files
