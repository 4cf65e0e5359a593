// The zefrdump run: arguments in, INI or DOT text on `out`, warnings and
// failures on `err`, exit code back.
#pragma once

#include <string>
#include <vector>

namespace zefrdump {

inline constexpr const char* kUsage = "Use: zefrdump [--graph] PAYLOAD.bin";

// `args` excludes the program name. Returns 0 when the payload decoded
// (warnings or not), 1 on bad arguments or a payload that cannot be read.
// Nothing reaches `out` unless the whole payload decoded.
int Run(const std::vector<std::string>& args, std::string* out, std::string* err);

}  // namespace zefrdump
