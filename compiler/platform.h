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

}  // namespace zefr
