#include "private_profile.h"

namespace zefr {

std::string ProfileReadString(std::string_view section, std::string_view key,
                              std::string_view fallback, const std::string& path) {
  PrivateProfile file(path);
  std::string ignored;
  file.Open(&ignored);
  std::optional<std::string> value = file.Read(section, key);
  return value ? *value : std::string(fallback);
}

bool ProfileWriteString(std::string_view section, std::string_view key,
                        std::optional<std::string_view> value, const std::string& path,
                        std::string* error) {
  PrivateProfile file(path);
  if (!file.Open(error)) return false;
  if (value) {
    if (!file.Write(section, key, *value, error)) return false;
  } else {
    file.Remove(section, key);
  }
  return file.Commit(error);
}

}  // namespace zefr
