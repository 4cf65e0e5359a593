#include "value_text.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

namespace zefr::valuetext {

namespace {

locale_t CLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return locale;
}

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::string StripHexPrefix(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '0' && i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
      ++i;
      continue;
    }
    out.push_back(text[i]);
  }
  return out;
}

std::string HexFromPlainInteger(std::string_view text) {
  if (text.empty()) return std::string(text);
  // The compiler's byte reader: octal after a leading 0, else decimal.
  const unsigned base = text.size() > 1 && text[0] == '0' ? 8 : 10;
  std::uint64_t value = 0;
  for (const char c : text) {
    const unsigned digit = static_cast<unsigned>(c - '0');
    if (c < '0' || c > '9' || digit >= base) return std::string(text);
    value = value * base + digit;
    // Past the 32-bit range the compiler saturates; leave such text alone.
    if (value > 0x7FFFFFFFu) return std::string(text);
  }
  char out[16];
  std::snprintf(out, sizeof out, "0x%02X", static_cast<unsigned>(value));
  return out;
}

std::size_t Utf8Length(std::string_view text) {
  std::size_t n = 0;
  for (const char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  return n;
}

long long ParseInteger(const std::string& text, int base, const char** end) {
  char* stop = nullptr;
  const long long value = strtoll_l(text.c_str(), &stop, base, CLocale());
  *end = stop;
  return value;
}

double ParseReal(const std::string& text, const char** end) {
  char* stop = nullptr;
  const double value = strtod_l(text.c_str(), &stop, CLocale());
  *end = stop;
  return value;
}

bool IsValidNumber(const std::string& text, int integerBase) {
  const char* begin = text.c_str();
  const char* integerEnd = nullptr;
  const char* realEnd = nullptr;
  ParseInteger(text, integerBase, &integerEnd);
  ParseReal(text, &realEnd);
  if (integerEnd == begin || realEnd == begin) return false;
  const bool realLonger = realEnd > integerEnd;
  const char* rest = realLonger ? realEnd : integerEnd;
  if (*rest == '\0') return true;
  const std::string_view suffixes = realLonger ? "fFlL" : "uUlL";
  return suffixes.find(*rest) != std::string_view::npos;
}

}  // namespace zefr::valuetext
