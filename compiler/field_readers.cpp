#include "field_readers.h"

#include <cstdlib>
#include <limits>

namespace zefr {

namespace {

bool IsCSpace(char c) { return IsIniSpace(c); }

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return 99;
}

// The number must be followed by the end of the text, a space or a tab.
bool EndsCleanly(const char* stop) { return *stop == '\0' || *stop == ' ' || *stop == '\t'; }

}  // namespace

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

void FieldReader::Report(const char* prefix, const char* section, const char* key, const char* message) {
  if (section)
    out_.Format("%sSection \"%s\", Parameter \"%s\" - %s!\n", prefix, section, key, message);
  else
    out_.Format("%s%s!\n", prefix, message);
}

void FieldReader::ReportError(const char* section, const char* key, const char* message) {
  Report("  ERROR: ", section, key, message);
}

void FieldReader::ReportWarning(const char* section, const char* key, const char* message) {
  Report("  WARNING: ", section, key, message);
}

bool FieldReader::IsSpecified(const std::string& section, const std::string& key) {
  return reader_.GetProfileValue(iniPath_, section, key, value_) && !value_.empty();
}

bool FieldReader::Lookup(const std::string& section, const std::string& key, std::string& value) {
  if (!reader_.GetProfileValue(iniPath_, section, key, value)) {
    ReportError(section.c_str(), key.c_str(), "Not Found");
    return false;
  }
  if (value.empty()) {
    ReportError(section.c_str(), key.c_str(), "Input Missing");
    return false;
  }
  return true;
}

bool FieldReader::ReadInteger(const std::string& section, const std::string& key, std::int32_t& out,
                              std::int32_t min, std::int32_t max, bool allowNone) {
  if (!Lookup(section, key, value_)) return false;
  if (allowNone && EqualsNoCase(value_, "NONE")) {
    out = -1;
    return true;
  }
  const char* text = value_.c_str();
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
  if (!EndsCleanly(stop)) {
    ReportError(section.c_str(), key.c_str(), "Invalid Syntax");
    return false;
  }
  if (v < min || v > max) {
    ReportError(section.c_str(), key.c_str(), "Out of Range");
    return false;
  }
  out = v;
  return true;
}

bool FieldReader::ReadByte(const std::string& section, const std::string& key, std::uint8_t& out,
                           std::int32_t min, std::int32_t max, bool allowNone) {
  std::int32_t v = 0;
  if (!ReadInteger(section, key, v, min, max, allowNone)) return false;
  out = static_cast<std::uint8_t>(v);
  return true;
}

bool FieldReader::ReadWord(const std::string& section, const std::string& key, std::uint16_t& out,
                           std::int32_t min, std::int32_t max) {
  std::int32_t v = 0;
  if (!ReadInteger(section, key, v, min, max, false)) return false;
  out = static_cast<std::uint16_t>(v);
  return true;
}

bool FieldReader::ReadDecimal(const std::string& section, const std::string& key, std::int32_t& out,
                              std::int32_t min, std::int32_t max, int decimals) {
  if (!Lookup(section, key, value_)) return false;
  double number = 0.0;
  const char* stop = ConvertDecimal(value_.c_str(), number);
  double scale = 1.0;
  for (int i = 0; i < decimals; ++i) scale *= 10.0;
  const double product = number * scale;
  if (!EndsCleanly(stop)) {
    ReportError(section.c_str(), key.c_str(), "Invalid Syntax");
    return false;
  }
  // Truncation toward zero; anything outside the 32-bit range is out of range.
  if (!(product > -2147483649.0 && product < 2147483648.0)) {
    ReportError(section.c_str(), key.c_str(), "Out of Range");
    return false;
  }
  const auto v = static_cast<std::int32_t>(product);
  if (v < min || v > max) {
    ReportError(section.c_str(), key.c_str(), "Out of Range");
    return false;
  }
  out = v;
  return true;
}

bool FieldReader::ReadBoolean(const std::string& section, const std::string& key, std::uint8_t& out) {
  out = 0;
  if (!Lookup(section, key, value_)) return false;
  if (EqualsNoCase(value_, "TRUE")) {
    out = 1;
  } else if (!EqualsNoCase(value_, "FALSE")) {
    ReportError(section.c_str(), key.c_str(), "Not TRUE or FALSE");
    return false;
  }
  return true;
}

bool FieldReader::ReadMinOff(const std::string& section, const std::string& key, std::uint8_t& out) {
  if (!Lookup(section, key, value_)) return false;
  if (EqualsNoCase(value_, "MIN")) {
    out = 0;
  } else if (EqualsNoCase(value_, "OFF")) {
    out = 1;
  } else {
    ReportError(section.c_str(), key.c_str(), "Not MIN or OFF");
    return false;
  }
  return true;
}

bool FieldReader::ReadListIndex(const std::string& section, const std::string& key, const std::int32_t* list,
                                std::size_t count, std::uint8_t& out) {
  std::int32_t v = 0;
  if (!ReadInteger(section, key, v, list[0], list[count - 1], false)) return false;
  for (std::size_t i = 0; i < count; ++i) {
    if (list[i] == v) {
      out = static_cast<std::uint8_t>(i);
      return true;
    }
  }
  ReportError(section.c_str(), key.c_str(), "Invalid Value");
  return false;
}

}  // namespace zefr
