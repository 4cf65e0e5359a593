// Windows variant of platform.h; not part of the POSIX build.
#include "platform.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

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

bool ReadIniFile(const std::string& path, std::string& content, int& error) {
  content.clear();
  std::FILE* f = std::fopen(path.c_str(), "r");
  if (!f) {
    error = errno;
    return false;
  }
  struct stat st {};
  if (::fstat(fileno(f), &st) == 0 && (st.st_mode & S_IFMT) == S_IFDIR) {
    std::fclose(f);
    error = EISDIR;
    return false;
  }
  char buf[32768];
  bool ok = true;
  while (content.size() <= 2 * kProfileMaxBytes + 1) {
    size_t n = std::fread(buf, 1, sizeof buf, f);
    content.append(buf, n);
    if (n < sizeof buf) {
      ok = !std::ferror(f);
      if (!ok) error = EIO;
      break;
    }
  }
  std::fclose(f);
  return ok;
}

bool PayloadFileExists(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "r");
  if (!f) return false;
  std::fclose(f);
  return true;
}

}  // namespace zefr
