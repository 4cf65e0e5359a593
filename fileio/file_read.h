#pragma once
// Reading a whole file safely on POSIX: only regular files are read (a FIFO
// or a device would block or never end), the read is bounded, and a file that
// changes while it is read is read again rather than returned torn.
// Errors are errno values: EISDIR for a directory, EINVAL for anything else
// that is not a regular file, EAGAIN for a file that kept changing, EFBIG for
// a file longer than the limit.

#include <cstddef>
#include <functional>
#include <string>

namespace zefr::files {

// True with the whole file in content. Past the limit, false with EFBIG and
// content holding the first limit + 1 bytes. midRead, for tests, runs after
// each first pass over the file.
bool ReadRegularFile(const std::string& path, std::size_t limit, std::string& content, int& error,
                     const std::function<void()>& midRead = {});

// Whether path opens for reading, without blocking on a FIFO or a device and
// without reading. With regularOnly, only a regular file passes; otherwise
// anything but a directory does.
bool OpensForReading(const std::string& path, bool regularOnly, int& error);

}  // namespace zefr::files
