#pragma once
// Where the compiler touches the operating system beyond standard C++.

#include <string>
#include <vector>

namespace zefr {

// The file names the INI reader tries, in order, for the INI path the command
// line named. POSIX opens exactly that file; a Windows build adds the fixed
// system-directory fallback.
std::vector<std::string> ProfileFileNames(const std::string& iniPath);

// Whether two cached profile file names denote the same file.
bool SameProfileFileName(const std::string& a, const std::string& b);

// Reads an INI file whole; false with an errno value. Reading may stop once
// the content is over twice the reader's size limit, since no file that large
// fits the limit after its line endings are converted. Only regular files are
// read (a FIFO or a device would block or never end), and a file that changes
// while it is read is read again.
bool ReadIniFile(const std::string& path, std::string& content, int& error);

// Whether something is at the payload path that a read could open (the
// overwrite question), without blocking on a FIFO or a device.
bool PayloadFileExists(const std::string& path);

}  // namespace zefr
