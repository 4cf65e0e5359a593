#include "value_text.h"

#include <cstdlib>
#include <limits>

namespace zefr::format {

namespace {

bool IsCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return 99;
}

// The number must be followed by the end of the text, a space or a tab.
bool EndsCleanly(const char* stop) { return *stop == '\0' || *stop == ' ' || *stop == '\t'; }

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerChar(a[i]) != LowerChar(b[i])) return false;
  return true;
}

const char* ConvertInteger32(const char* text, int base, std::int32_t& value) {
  const char* s = text;
  while (IsCSpace(*s)) ++s;
  bool negative = false;
  if (*s == '+' || *s == '-') negative = (*s++ == '-');
  if (base == 16 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X') && DigitValue(s[2]) < 16) s += 2;
  const char* digits = s;
  // Accumulate the magnitude in 64 bits, saturating well above the 32-bit range.
  std::uint64_t magnitude = 0;
  while (DigitValue(*s) < base) {
    if (magnitude < (1ull << 40)) magnitude = magnitude * static_cast<unsigned>(base) + static_cast<unsigned>(DigitValue(*s));
    ++s;
  }
  if (s == digits) {
    value = 0;
    return text;
  }
  if (negative) {
    value = magnitude > 2147483648ull ? std::numeric_limits<std::int32_t>::min()
                                      : static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude));
  } else {
    value = magnitude > 2147483647ull ? std::numeric_limits<std::int32_t>::max()
                                      : static_cast<std::int32_t>(magnitude);
  }
  return s;
}

const char* ConvertDecimal(const char* text, double& value) {
  value = 0.0;
  const char* s = text;
  while (IsCSpace(*s)) ++s;
  const char* begin = s;
  if (*s == '+' || *s == '-') ++s;
  bool anyDigit = false;
  while (*s >= '0' && *s <= '9') ++s, anyDigit = true;
  if (*s == '.') {
    ++s;
    while (*s >= '0' && *s <= '9') ++s, anyDigit = true;
  }
  if (!anyDigit) return text;
  if (*s == 'e' || *s == 'E') {
    const char* e = s + 1;
    if (*e == '+' || *e == '-') ++e;
    if (*e >= '0' && *e <= '9') {
      while (*e >= '0' && *e <= '9') ++e;
      s = e;
    }
  }
  // The accepted text is plain decimal, so the library conversion of exactly
  // that text gives the correctly rounded double.
  std::string accepted(begin, s);
  value = std::strtod(accepted.c_str(), nullptr);
  return s;
}

double ScaledDecimal(double value, int decimals) {
  double scale = 1.0;
  for (int i = 0; i < decimals; ++i) scale *= 10.0;
  return value * scale;
}

const char* VerdictText(Verdict v) {
  switch (v) {
    case Verdict::kOk: break;
    case Verdict::kInvalidSyntax: return "Invalid Syntax";
    case Verdict::kOutOfRange: return "Out of Range";
    case Verdict::kNotTrueOrFalse: return "Not TRUE or FALSE";
    case Verdict::kNotMinOrOff: return "Not MIN or OFF";
    case Verdict::kInvalidValue: return "Invalid Value";
  }
  return "";
}

Verdict ReadIntegerText(const std::string& value, std::int32_t min, std::int32_t max, bool allowNone,
                        std::int32_t& out) {
  if (allowNone && EqualsNoCase(value, "NONE")) {
    out = -1;
    return Verdict::kOk;
  }
  const char* text = value.c_str();
  int base = 10;
  if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text += 2;
  } else if (text[0] == '0') {
    base = 8;
    text += 1;
  }
  std::int32_t v = 0;
  const char* stop = ConvertInteger32(text, base, v);
  if (!EndsCleanly(stop)) return Verdict::kInvalidSyntax;
  if (v < min || v > max) return Verdict::kOutOfRange;
  out = v;
  return Verdict::kOk;
}

Verdict ReadDecimalText(const std::string& value, std::int32_t min, std::int32_t max, int decimals,
                        std::int32_t& out) {
  double number = 0.0;
  const char* stop = ConvertDecimal(value.c_str(), number);
  const double product = ScaledDecimal(number, decimals);
  if (!EndsCleanly(stop)) return Verdict::kInvalidSyntax;
  // Truncation toward zero; anything outside the 32-bit range is out of range.
  if (!(product > -2147483649.0 && product < 2147483648.0)) return Verdict::kOutOfRange;
  const auto v = static_cast<std::int32_t>(product);
  if (v < min || v > max) return Verdict::kOutOfRange;
  out = v;
  return Verdict::kOk;
}

Verdict ReadBooleanText(const std::string& value, std::int32_t& out) {
  if (EqualsNoCase(value, "TRUE")) {
    out = 1;
  } else if (EqualsNoCase(value, "FALSE")) {
    out = 0;
  } else {
    return Verdict::kNotTrueOrFalse;
  }
  return Verdict::kOk;
}

Verdict ReadMinOffText(const std::string& value, std::int32_t& out) {
  if (EqualsNoCase(value, "MIN")) {
    out = 0;
  } else if (EqualsNoCase(value, "OFF")) {
    out = 1;
  } else {
    return Verdict::kNotMinOrOff;
  }
  return Verdict::kOk;
}

Verdict ReadListText(const std::string& value, std::span<const std::int32_t> list, std::int32_t& out) {
  std::int32_t v = 0;
  const Verdict verdict = ReadIntegerText(value, list.front(), list.back(), false, v);
  if (verdict != Verdict::kOk) return verdict;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i] == v) {
      out = static_cast<std::int32_t>(i);
      return Verdict::kOk;
    }
  }
  return Verdict::kInvalidValue;
}

std::string ExactDecimalText(std::int32_t scaled, int decimals) {
  const std::int64_t magnitude = scaled < 0 ? -static_cast<std::int64_t>(scaled) : scaled;
  std::int64_t unit = 1;
  for (int i = 0; i < decimals; ++i) unit *= 10;
  std::string fraction = std::to_string(magnitude % unit);
  fraction.insert(0, static_cast<std::size_t>(decimals) - fraction.size(), '0');
  std::string text = scaled < 0 ? "-" : "";
  text += std::to_string(magnitude / unit);
  if (decimals > 0) text.append(".").append(fraction);
  return text;
}

}  // namespace zefr::format
