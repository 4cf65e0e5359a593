#include "platform.h"

#include "file_read.h"
#include "ini_reader.h"

namespace zefr {

// Case-sensitive file system: no second name and no extension juggling, so
// the file opened is the one the user named.
std::vector<std::string> ProfileFileNames(const std::string& iniPath) { return {iniPath}; }

bool SameProfileFileName(const std::string& a, const std::string& b) { return a == b; }

bool ReadIniFile(const std::string& path, std::string& content, int& error) {
  // Too large still reads: the reader then treats the file as empty.
  return files::ReadRegularFile(path, 2 * kProfileMaxBytes + 1, content, error) != files::ReadResult::kFailed;
}

bool PayloadFileExists(const std::string& path) {
  int ignored = 0;
  return files::OpensForReading(path, false, ignored);
}

}  // namespace zefr
