#include "safe_fix.h"

#include <algorithm>

namespace zefr::lint {

namespace {

// Offset of the start of each line (1-based line n at starts[n - 1]).
std::vector<std::size_t> LineStarts(std::string_view raw) {
  std::vector<std::size_t> starts{0};
  for (std::size_t i = 0; i < raw.size(); ++i)
    if (raw[i] == '\n') starts.push_back(i + 1);
  return starts;
}

}  // namespace

std::string ApplyFixes(std::string_view raw, const std::vector<Diagnostic>& diagnostics,
                       std::vector<AppliedFix>* applied) {
  struct Edit {
    std::size_t at, length;
    AppliedFix fix;
  };
  const std::vector<std::size_t> starts = LineStarts(raw);
  std::vector<Edit> edits;
  for (const Diagnostic& d : diagnostics) {
    if (!d.fixable || d.suggestion.empty() || d.spot.line < 1 || d.spot.line > starts.size()) continue;
    // The name the suggestion replaces: the key, or the section for a header.
    const std::string& name = d.key.empty() ? d.section : d.key;
    const std::size_t at = starts[d.spot.line - 1] + d.spot.column - 1;
    const std::size_t length = d.spot.endColumn - d.spot.column;
    if (d.spot.endColumn < d.spot.column || at + length > raw.size() || raw.substr(at, length) != name) continue;
    edits.push_back({at, length, {d.spot, name, d.suggestion}});
  }
  // From the end, so earlier places stay where they are.
  std::sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.at > b.at; });
  std::string fixed(raw);
  for (const Edit& e : edits) {
    fixed.replace(e.at, e.length, e.fix.to);
    applied->push_back(e.fix);
  }
  std::reverse(applied->end() - static_cast<std::ptrdiff_t>(edits.size()), applied->end());
  return fixed;
}

}  // namespace zefr::lint
