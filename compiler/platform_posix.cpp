#include "platform.h"

#include <cerrno>

#include "ini_reader.h"

namespace zefr {

// Case-sensitive file system: no second name and no extension juggling, so
// the file opened is the one the user named.
std::vector<std::string> ProfileFileNames(const std::string& iniPath) { return {iniPath}; }

bool SameProfileFileName(const std::string& a, const std::string& b) { return a == b; }

bool ReadIniFile(const std::string& path, std::string& content, int& error, files::FileSystem& files) {
  // Too large still reads: the reader then treats the file as empty.
  return files.Read(path, 2 * kProfileMaxBytes + 1, content, error) || error == EFBIG;
}

}  // namespace zefr
