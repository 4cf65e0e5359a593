// Windows variant of platform.h; not part of the POSIX build.
#include "platform.h"

#include <cctype>
#include <cerrno>

#include "ini_reader.h"

namespace zefr {

std::vector<std::string> ProfileFileNames(const std::string& iniPath) {
  return {iniPath, "c:\\Windows\\" + iniPath};
}

bool SameProfileFileName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

bool ReadIniFile(const std::string& path, std::string& content, int& error, files::FileSystem& files) {
  // As a text-mode read gives it: Ctrl-Z ends the file, CR LF reads as LF.
  // The reader converts CR LF once more, so three bytes read may become one:
  // past three times its limit a file is too large whatever it holds.
  if (!files.Read(path, 3 * kProfileMaxBytes + 2, content, error) && error != EFBIG) return false;
  if (std::size_t end = content.find('\x1A'); end != std::string::npos) content.resize(end);
  content = TextModeContent(std::move(content));
  return true;
}

}  // namespace zefr
