#include "load_check.h"

#include <cerrno>

#include "file_system.h"
#include "private_profile.h"

namespace zefr {

namespace {

std::string_view Trimmed(std::string_view line) {
  const std::size_t first = line.find_first_not_of(" \t\r\v\f");
  if (first == std::string_view::npos) return {};
  return line.substr(first, line.find_last_not_of(" \t\r\v\f") - first + 1);
}

}  // namespace

std::optional<std::string> NotIniText(std::string_view bytes) {
  if (bytes.find('\0') != std::string_view::npos)
    return std::string("it holds NUL bytes, so it is no INI file (a payload file, perhaps)");
  bool blank = true;
  for (std::size_t start = 0; start < bytes.size();) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view line = Trimmed(bytes.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line[0] == ';') continue;
    blank = false;
    if (line[0] == '[' || line.find('=') != std::string_view::npos) return std::nullopt;
  }
  if (blank) return std::nullopt;
  return std::string("it holds no INI section and no key");
}

LoadCheck CheckLoadable(const std::string& path) {
  LoadCheck check;
  // The same read as Load's, with its bounds and its words.
  PrivateProfile profile(path);
  std::string error;
  if (!profile.Open(&error)) {
    check.refusal = error;
    return check;
  }
  std::string bytes;
  int err = 0;
  if (!files::Disk().Read(path, 4 * 1048576, bytes, err)) {
    check.missing = err == ENOENT;
    // Gone or changed since: Load says what it finds.
    return check;
  }
  if (auto why = NotIniText(bytes)) check.refusal = "Cannot load \"" + path + "\": " + *why;
  return check;
}

}  // namespace zefr
