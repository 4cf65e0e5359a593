#pragma once
// Where the compiler touches the operating system beyond standard C++.

#include <string>
#include <vector>

#include "file_system.h"

namespace zefr {

// The file names the INI reader tries, in order, for the INI path the command
// line named. POSIX opens exactly that file; a Windows build adds the fixed
// system-directory fallback.
std::vector<std::string> ProfileFileNames(const std::string& iniPath);

// Whether two cached profile file names denote the same file.
bool SameProfileFileName(const std::string& a, const std::string& b);

// Reads an INI file whole, as the platform's text-mode read gives it; false
// with an errno value. Reading may stop once the content is far over the
// reader's size limit, since no file that large fits the limit after its line
// endings are converted.
bool ReadIniFile(const std::string& path, std::string& content, int& error,
                 files::FileSystem& files = files::Disk());

}  // namespace zefr
