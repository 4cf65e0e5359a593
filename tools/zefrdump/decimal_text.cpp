#include "decimal_text.h"

#include "value_text.h"

namespace zefrdump {

int64_t TruncatedScaled(const std::string& text, int decimals) {
  // The compiler's own conversion and scaling, so the two cannot drift apart.
  double value = 0.0;
  zefr::format::ConvertDecimal(text.c_str(), value);
  return static_cast<int64_t>(zefr::format::ScaledDecimal(value, decimals));
}

std::string ExactDecimalText(int32_t scaled, int decimals) {
  int64_t magnitude = scaled < 0 ? -int64_t(scaled) : int64_t(scaled);
  int64_t unit = 1;
  for (int i = 0; i < decimals; ++i) unit *= 10;
  std::string fraction = std::to_string(magnitude % unit);
  fraction.insert(0, size_t(decimals) - fraction.size(), '0');
  std::string text = scaled < 0 ? "-" : "";
  text += std::to_string(magnitude / unit);
  if (decimals > 0) text.append(".").append(fraction);
  return text;
}

std::string DecimalText(int32_t scaled, int decimals) {
  std::string text = ExactDecimalText(scaled, decimals);
  // Half a unit more in magnitude lies far from both neighbours, so
  // truncation can only land on `scaled`.
  if (TruncatedScaled(text, decimals) != scaled) text += decimals > 0 ? "5" : ".5";
  return text;
}

}  // namespace zefrdump
