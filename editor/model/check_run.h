#pragma once

// `zefrct_gui --check [--form-factor atx|btx|custom] FILE.ini`: the editor's
// checks without a window.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "parameter_schema.h"

namespace zefr {

struct CheckOptions {
  FormFactor formFactor = FormFactor::Custom;
  std::string file;
};

// Nothing when the arguments (after "--check") are not understood; `error` says why.
std::optional<CheckOptions> ParseCheckArguments(const std::vector<std::string>& args, std::string* error);

// Loads the file as Open does and prints the error report, one line per error.
// 0: no errors, 1: errors, 2: the file could not be checked.
int RunCheck(const CheckOptions& options, std::ostream& out, std::ostream& err);

}  // namespace zefr
