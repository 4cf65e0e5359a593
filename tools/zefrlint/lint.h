// The zefrlint run: configuration files in, their diagnostics out as lines,
// JSON or SARIF, exit code back.
#pragma once

#include <string>
#include <vector>

#include "diagnostic.h"
#include "report_format.h"

namespace zefr::lint {

inline constexpr int kAccepted = 0;
inline constexpr int kRefused = 1;
inline constexpr int kBadInput = 2;

// `args` excludes the program name. Diagnostics go to `out`, usage and
// unreadable files to `err`. 0 when the compiler would accept every file
// (and, with --werror, nothing is warned), 1 when it would refuse one, 2 on
// bad arguments or a file that cannot be read or fixed.
int Run(const std::vector<std::string>& args, std::string* out, std::string* err);

// Everything zefrlint says of a file's bytes: the checker's diagnostics in
// the compiler's order, then (unless ownWarnings is false) its own warnings
// in line order.
std::vector<Diagnostic> LintContent(const std::string& raw, bool* accepted, bool ownWarnings = true);

}  // namespace zefr::lint
