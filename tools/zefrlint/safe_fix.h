#pragma once
// --fix: puts each unambiguous name suggestion in the place of the misspelt
// name and leaves every other byte of the file as it was.

#include <string>
#include <string_view>
#include <vector>

#include "diagnostic.h"

namespace zefr::lint {

struct AppliedFix {
  TextSpot spot;
  std::string from, to;
};

// raw: the file's bytes (CR LF line ends kept). Applies the fixable
// diagnostics whose place still holds the name they speak of; the fixes
// made are added to applied.
std::string ApplyFixes(std::string_view raw, const std::vector<Diagnostic>& diagnostics,
                       std::vector<AppliedFix>* applied);

}  // namespace zefr::lint
