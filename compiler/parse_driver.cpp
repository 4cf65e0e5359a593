#include "parse_driver.h"

#include "checker.h"

namespace zefr {

bool ParseConfiguration(const std::string& iniPath, ProfileReader& reader, Console& out, PayloadImage& image) {
  const CheckResult result = CheckConfiguration(reader.File(iniPath));
  image = result.image;
  // The compiler's report: each pass's progress line and what it found, up
  // to the first error that stops it.
  auto next = result.diagnostics.begin();
  for (int stage = 0; stage <= kFinalStage; ++stage) {
    if (stage < kFinalStage) out.Line(CheckStages()[static_cast<std::size_t>(stage)].progress);
    for (; next != result.diagnostics.end() && next->stage == stage; ++next) {
      out.Format("%s", CompilerLine(*next).c_str());
      if (next->refuses) return false;
    }
  }
  return true;
}

}  // namespace zefr
