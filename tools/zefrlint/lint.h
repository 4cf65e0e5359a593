// The zefrlint run: configuration files in, one "FILE:LINE:COLUMN:" line per
// diagnostic out, exit code back.
#pragma once

#include <string>
#include <vector>

#include "diagnostic.h"

namespace zefr::lint {

inline constexpr int kAccepted = 0;
inline constexpr int kRefused = 1;
inline constexpr int kBadInput = 2;

// `args` excludes the program name. Diagnostics go to `out`, usage and
// unreadable files to `err`. 0 when the compiler would accept every file, 1
// when it would refuse one, 2 on bad arguments or a file that cannot be read.
int Run(const std::vector<std::string>& args, std::string* out, std::string* err);

// "FILE:LINE:COLUMN: error: Section "S", Parameter "K" - message".
std::string LintLine(const std::string& file, const Diagnostic& d);

}  // namespace zefr::lint
