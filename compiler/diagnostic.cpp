#include "diagnostic.h"

namespace zefr {

std::string CompilerLine(const Diagnostic& d) {
  std::string line = d.severity == Severity::kError ? "  ERROR: " : "  WARNING: ";
  if (!d.section.empty()) line += "Section \"" + d.section + "\", Parameter \"" + d.key + "\" - ";
  line += d.message;
  line += "!\n";
  return line;
}

}  // namespace zefr
