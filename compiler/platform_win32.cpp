// Windows variant of platform.h; not part of the POSIX build.
#include "platform.h"

#include <cctype>

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

}  // namespace zefr
