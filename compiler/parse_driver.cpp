#include "parse_driver.h"

#include "field_readers.h"
#include "sections.h"

namespace zefr {

bool ParseConfiguration(const std::string& iniPath, ProfileReader& reader, Console& out, PayloadImage& image) {
  FieldReader fields(reader, iniPath, out);
  image.Clear();

  // Referenced kinds come first: controllers check fan monitors, responses
  // check temperature monitors and controllers.
  struct Pass {
    const char* progress;
    const char* noneEnabled;
    int count;
    bool (*parse)(ParseContext&, int);
  };
  static const Pass kPasses[] = {
      {"  Parsing Fan Monitors...", "No Fan Monitors Enabled", payload::kFanMonitors.count, ParseFanMonitor},
      {"  Parsing Fan Controllers...", "No Fan Controllers Enabled", payload::kFanControllers.count,
       ParseFanController},
      {"  Parsing Temperature Monitors...", "No Temperature Monitors Enabled", payload::kTemperatureMonitors.count,
       ParseTemperatureMonitor},
      {"  Parsing Temperature Responses...", "No Temperature Response Units Enabled",
       payload::kTemperatureResponses.count, ParseTemperatureResponse},
      {"  Parsing Voltage Monitors...", "No Voltage Monitors Enabled", payload::kVoltageMonitors.count,
       ParseVoltageMonitor},
  };

  int total = 0;
  for (const Pass& pass : kPasses) {
    out.Line(pass.progress);
    ParseContext ctx{fields, image};
    for (int n = 1; n <= pass.count; ++n)
      if (!pass.parse(ctx, n)) return false;
    if (ctx.enabledCount == 0)
      fields.ReportWarning(nullptr, nullptr, pass.noneEnabled);
    else
      total += ctx.enabledCount;
  }
  if (total == 0) {
    fields.ReportError(nullptr, nullptr, "No Entities Enabled; Not valid INI file");
    return false;
  }
  image.WriteHeader();
  return true;
}

}  // namespace zefr
