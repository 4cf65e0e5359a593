// Texts for fixed-point values that the compiler reads back to the same
// integer: its decimal reader truncates value × 10^decimals toward zero, so
// the plain text of a value can come back one unit short (0.29 reads as 28).
#pragma once

#include <cstdint>
#include <string>

#include "value_text.h"

namespace zefrdump {

// The exact text of scaled / 10^decimals ("-0.40" for -40, 2), for showing.
using zefr::format::ExactDecimalText;

// The exact text of scaled / 10^decimals with `decimals` digits after the
// point ("-0.40" for -40, 2), or that text with a 5 appended when the exact
// one would not read back as `scaled` (29, 2 gives "0.295").
std::string DecimalText(int32_t scaled, int decimals);

// What the compiler stores for `text` with `decimals` decimals: the product
// in double precision truncated toward zero. Used to pick texts above.
int64_t TruncatedScaled(const std::string& text, int decimals);

}  // namespace zefrdump
