#pragma once
// Section parsers of the five entity kinds. Each reads its keys in a fixed
// order, stops at the first error, and fills only its own record.

#include <string>

#include "field_readers.h"
#include "payload_image.h"

namespace zefr {

struct ParseContext {
  FieldReader& fields;
  PayloadImage& image;
  int enabledCount = 0;  // of the kind being parsed
};

// Shared start of every kind: section name, Enabled, record header, usage 0.
// Returns false on an error; enabled tells whether the rest must be read.
bool ParseCommonStart(ParseContext& ctx, const payload::KindLayout& kind, int number,
                      std::string& section, bool& enabled);

bool ParseTemperatureMonitor(ParseContext& ctx, int number);
bool ParseFanMonitor(ParseContext& ctx, int number);
bool ParseVoltageMonitor(ParseContext& ctx, int number);
bool ParseFanController(ParseContext& ctx, int number);
bool ParseTemperatureResponse(ParseContext& ctx, int number);

}  // namespace zefr
