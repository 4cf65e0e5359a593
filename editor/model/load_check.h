#pragma once
// Before Load throws the current configuration away: whether the file can be
// loaded at all, so that a Load that cannot succeed changes nothing.

#include <optional>
#include <string>
#include <string_view>

namespace zefr {

struct LoadCheck {
  bool missing = false;  // nothing there: Load gives an empty file, made at the first save
  // Why the file cannot be loaded (unreadable, too large, not a regular file,
  // not text or not INI); nullopt when it can.
  std::optional<std::string> refusal;
};

LoadCheck CheckLoadable(const std::string& path);

// Why bytes are not an INI configuration's text: NUL bytes (a payload or
// another binary file), or not one section header or key line in a file
// that is not blank. nullopt when they may be.
std::optional<std::string> NotIniText(std::string_view bytes);

}  // namespace zefr
