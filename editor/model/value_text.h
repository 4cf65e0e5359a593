#pragma once

// Value-text helpers of the model, shared with the tree's editors.

#include <cstddef>
#include <string>
#include <string_view>

namespace zefr::valuetext {

bool EqualsNoCase(std::string_view a, std::string_view b);
// Removes every "0x" and "0X".
std::string StripHexPrefix(std::string_view text);
// A hex byte field written as the compiler's plain decimal or octal integer
// (leading 0 = octal) as "0xNN", so showing it as hex keeps its value; any
// other text comes back unchanged.
std::string HexFromPlainInteger(std::string_view text);
// A C integer parse and a C real parse both consume something, and what
// follows the longer one is empty or a type suffix.
bool IsValidNumber(const std::string& text, int integerBase);
// Characters of UTF-8 text.
std::size_t Utf8Length(std::string_view text);

// The C parses in the "C" locale, whatever the program's locale is; `end`
// is where each stopped.
long long ParseInteger(const std::string& text, int base, const char** end);
double ParseReal(const std::string& text, const char** end);

}  // namespace zefr::valuetext
