#pragma once
// Typed readers for configuration values, and the one diagnostic line format.
// Each reader prints one error line and returns false on any problem.

#include <cstddef>
#include <cstdint>
#include <string>

#include "console.h"
#include "ini_reader.h"

namespace zefr {

// The C library's signed conversion narrowed to 32 bits: leading white space,
// one sign, the "0x" prefix in base 16, saturation on overflow. Returns the
// stop position; the start when no digit was found.
const char* ConvertInteger32(const char* text, int base, std::int32_t& value);

// Plain decimal form only (sign, digits, point, fraction, exponent); no
// hexadecimal, infinity or not-a-number. Returns the stop position.
const char* ConvertDecimal(const char* text, double& value);

class FieldReader {
 public:
  FieldReader(ProfileReader& reader, std::string iniPath, Console& out)
      : reader_(reader), iniPath_(std::move(iniPath)), out_(out) {}

  // "  ERROR: " [Section "s", Parameter "k" - ] message "!"; section may be null.
  void ReportError(const char* section, const char* key, const char* message);
  void ReportWarning(const char* section, const char* key, const char* message);

  // True when the key is present with a non-empty value; prints nothing.
  bool IsSpecified(const std::string& section, const std::string& key);
  // NONE, where allowed, yields -1 without a range check.
  bool ReadInteger(const std::string& section, const std::string& key, std::int32_t& out,
                   std::int32_t min, std::int32_t max, bool allowNone);
  bool ReadByte(const std::string& section, const std::string& key, std::uint8_t& out,
                std::int32_t min, std::int32_t max, bool allowNone);
  bool ReadWord(const std::string& section, const std::string& key, std::uint16_t& out,
                std::int32_t min, std::int32_t max);
  // Value times 10^decimals, truncated toward zero.
  bool ReadDecimal(const std::string& section, const std::string& key, std::int32_t& out,
                   std::int32_t min, std::int32_t max, int decimals);
  bool ReadBoolean(const std::string& section, const std::string& key, std::uint8_t& out);
  // MIN gives 0, OFF gives 1.
  bool ReadMinOff(const std::string& section, const std::string& key, std::uint8_t& out);
  // Position (from 0) of the value in the list.
  bool ReadListIndex(const std::string& section, const std::string& key, const std::int32_t* list,
                     std::size_t count, std::uint8_t& out);

  Console& Out() { return out_; }

 private:
  // Common start: lookup, "Not Found", "Input Missing".
  bool Lookup(const std::string& section, const std::string& key, std::string& value);
  void Report(const char* prefix, const char* section, const char* key, const char* message);

  ProfileReader& reader_;
  std::string iniPath_;
  Console& out_;
  std::string value_;
};

}  // namespace zefr
