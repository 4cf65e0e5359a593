#pragma once
// "Did you mean ...?": the known name closest to a misspelt one.

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zefr::lint {

// Edits (insert, delete, replace, swap of neighbours) between a and b,
// ignoring case.
std::size_t EditDistance(std::string_view a, std::string_view b);

// The candidate nearest to word when it is near enough (one edit for short
// words, two for longer ones) and no other is as near; nullopt otherwise.
std::optional<std::string> Closest(std::string_view word, std::span<const std::string> candidates);

}  // namespace zefr::lint
