#pragma once
// What the compiler passes over without a word, found for people who write
// the file by hand: unknown and misspelt names, repeats, decimals cut short,
// keys of entities or fan slots that are never read. Warnings only: they never
// change what the compiler does.

#include <string_view>
#include <vector>

#include "checker.h"
#include "diagnostic.h"

namespace zefr::lint {

// content as the text-mode read gives it; checked: the checker's diagnostics
// of it (a key they already speak of is not warned about again). In line order.
std::vector<Diagnostic> FindWarnings(std::string_view content, const std::vector<Diagnostic>& checked);

}  // namespace zefr::lint
