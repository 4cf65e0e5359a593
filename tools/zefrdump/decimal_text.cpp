#include "decimal_text.h"

#include "value_text.h"

namespace zefrdump {

int64_t TruncatedScaled(const std::string& text, int decimals) {
  // The compiler's own conversion and scaling, so the two cannot drift apart.
  double value = 0.0;
  zefr::format::ConvertDecimal(text.c_str(), value);
  return static_cast<int64_t>(zefr::format::ScaledDecimal(value, decimals));
}

std::string DecimalText(int32_t scaled, int decimals) {
  std::string text = ExactDecimalText(scaled, decimals);
  // Half a unit more in magnitude lies far from both neighbours, so
  // truncation can only land on `scaled`.
  if (TruncatedScaled(text, decimals) != scaled) text += decimals > 0 ? "5" : ".5";
  return text;
}

}  // namespace zefrdump
