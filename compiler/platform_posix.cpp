#include "platform.h"

namespace zefr {

// Case-sensitive file system: no second name and no extension juggling, so
// the file opened is the one the user named.
std::vector<std::string> ProfileFileNames(const std::string& iniPath) { return {iniPath}; }

bool SameProfileFileName(const std::string& a, const std::string& b) { return a == b; }

}  // namespace zefr
