#include "console.h"

#include <cstdarg>
#include <vector>

namespace zefr {

void Console::Line(std::string_view text) {
  Write(text);
  Write("\n");
}

void Console::Format(const char* fmt, ...) {
  char small[512];
  va_list args;
  va_start(args, fmt);
  va_list again;
  va_copy(again, args);
  int n = std::vsnprintf(small, sizeof small, fmt, args);
  va_end(args);
  if (n < 0) {
    va_end(again);
    return;
  }
  if (static_cast<size_t>(n) < sizeof small) {
    Write(std::string_view(small, static_cast<size_t>(n)));
  } else {
    std::vector<char> big(static_cast<size_t>(n) + 1);
    std::vsnprintf(big.data(), big.size(), fmt, again);
    Write(std::string_view(big.data(), static_cast<size_t>(n)));
  }
  va_end(again);
}

}  // namespace zefr
