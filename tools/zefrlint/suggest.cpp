#include "suggest.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace zefr::lint {

namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

}  // namespace

std::size_t EditDistance(std::string_view a, std::string_view b) {
  // Three rows of the table are enough for neighbour swaps.
  std::vector<std::size_t> before(b.size() + 1), last(b.size() + 1), row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) last[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const bool same = Lower(a[i - 1]) == Lower(b[j - 1]);
      row[j] = std::min({last[j] + 1, row[j - 1] + 1, last[j - 1] + (same ? 0 : 1)});
      if (i > 1 && j > 1 && Lower(a[i - 1]) == Lower(b[j - 2]) && Lower(a[i - 2]) == Lower(b[j - 1]))
        row[j] = std::min(row[j], before[j - 2] + 1);
    }
    std::swap(before, last);
    std::swap(last, row);
  }
  return last[b.size()];
}

std::optional<std::string> Closest(std::string_view word, std::span<const std::string> candidates) {
  const std::size_t limit = word.size() < 6 ? 1 : 2;
  std::size_t best = limit + 1;
  const std::string* found = nullptr;
  bool tie = false;
  for (const std::string& c : candidates) {
    // Lengths further apart than the limit cannot be near enough.
    const std::size_t gap = c.size() > word.size() ? c.size() - word.size() : word.size() - c.size();
    if (gap > limit) continue;
    const std::size_t d = EditDistance(word, c);
    if (d < best) {
      best = d;
      found = &c;
      tie = false;
    } else if (d == best) {
      tie = true;
    }
  }
  if (!found || tie || best == 0) return std::nullopt;
  return *found;
}

}  // namespace zefr::lint
