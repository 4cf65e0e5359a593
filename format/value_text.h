#pragma once
// How a configuration value's text becomes a number: the conversions the
// compiler has always used, with its words for each way a value can be wrong.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zefr::format {

// The C library's signed conversion narrowed to 32 bits: leading white space,
// one sign, the "0x" prefix in base 16, saturation on overflow. Returns the
// stop position; the start when no digit was found.
const char* ConvertInteger32(const char* text, int base, std::int32_t& value);

// Plain decimal form only (sign, digits, point, fraction, exponent); no
// hexadecimal, infinity or not-a-number. Returns the stop position.
const char* ConvertDecimal(const char* text, double& value);

// value times 10^decimals in double precision, as the decimal reader scales it.
double ScaledDecimal(double value, int decimals);

bool EqualsNoCase(std::string_view a, std::string_view b);

// The exact text of scaled / 10^decimals ("-0.40" for -40, 2): a stored
// fixed-point value as the compiler keeps it.
std::string ExactDecimalText(std::int32_t scaled, int decimals);

// What reading a value gave: kOk, or the reason the compiler refuses it.
enum class Verdict : std::uint8_t { kOk, kInvalidSyntax, kOutOfRange, kNotTrueOrFalse, kNotMinOrOff, kInvalidValue };

// The compiler's words for a verdict other than kOk.
const char* VerdictText(Verdict v);

// An integer in decimal, octal (leading 0) or hexadecimal (0x), followed by
// nothing, a space or a tab; NONE, where allowed, gives -1 without a range check.
Verdict ReadIntegerText(const std::string& text, std::int32_t min, std::int32_t max, bool allowNone,
                        std::int32_t& out);
// Value times 10^decimals, truncated toward zero.
Verdict ReadDecimalText(const std::string& text, std::int32_t min, std::int32_t max, int decimals,
                        std::int32_t& out);
// TRUE gives 1, FALSE 0, in any case.
Verdict ReadBooleanText(const std::string& text, std::int32_t& out);
// MIN gives 0, OFF gives 1.
Verdict ReadMinOffText(const std::string& text, std::int32_t& out);
// An integer that must be one of list's values; out is its position.
Verdict ReadListText(const std::string& text, std::span<const std::int32_t> list, std::int32_t& out);

}  // namespace zefr::format
