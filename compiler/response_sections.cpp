#include "sections.h"

#include <cstdio>

namespace zefr {

using namespace payload;

namespace {

const std::int32_t kSignalFrequencies[] = {10, 23, 38, 62, 94, 22000, 25000, 28000};
const std::int32_t kSpinUpTimes[] = {0, 250, 500, 750, 1000, 1500, 2000, 4000};

std::string Numbered(const char* pattern, int n) {
  char buf[64];
  std::snprintf(buf, sizeof buf, pattern, n);
  return buf;
}

bool NotEnabled(ParseContext& ctx, const std::string& section, const std::string& key) {
  ctx.fields.ReportError(section.c_str(), key.c_str(), "Not Enabled");
  return false;
}

bool ReadDecimal32(ParseContext& ctx, const std::string& section, const char* key, std::size_t at,
                   std::int32_t min, std::int32_t max) {
  std::int32_t v = 0;
  if (!ctx.fields.ReadDecimal(section, key, v, min, max, 2)) return false;
  ctx.image.Put32(at, static_cast<std::uint32_t>(v));
  return true;
}

bool ReadDecimal16(ParseContext& ctx, const std::string& section, const char* key, std::size_t at,
                   std::int32_t min, std::int32_t max) {
  std::int32_t v = 0;
  if (!ctx.fields.ReadDecimal(section, key, v, min, max, 2)) return false;
  ctx.image.Put16(at, static_cast<std::uint16_t>(v));
  return true;
}

bool ReadByteField(ParseContext& ctx, const std::string& section, const char* key, std::size_t at, bool allowNone) {
  std::uint8_t v = 0;
  if (!ctx.fields.ReadByte(section, key, v, 0, 255, allowNone)) return false;
  ctx.image.Put8(at, v);
  return true;
}

}  // namespace

bool ParseFanController(ParseContext& ctx, int number) {
  namespace f = fan_controller;
  std::string section;
  bool enabled = false;
  if (!ParseCommonStart(ctx, kFanControllers, number, section, enabled)) return false;
  if (!enabled) return true;
  const std::size_t at = RecordOffset(kFanControllers, number);
  FieldReader& fr = ctx.fields;

  std::int32_t usage = 0;
  if (!fr.ReadInteger(section, "Usage", usage, 0, 13, false)) return false;
  ctx.image.Put8(at + record::kUsage, static_cast<std::uint8_t>(usage));
  if (!ReadByteField(ctx, section, "DeviceAddress", at + f::kDeviceAddress, false)) return false;
  if (!ReadByteField(ctx, section, "GetAttributesCommand", at + f::kGetAttributesCommand, false)) return false;
  if (!ReadByteField(ctx, section, "SetConfigurationCommand", at + f::kSetConfigurationCommand, true)) return false;
  if (!ReadByteField(ctx, section, "SetSpeedCommand", at + f::kSetSpeedCommand, false)) return false;
  if (!ReadByteField(ctx, section, "GetSpeedCommand", at + f::kGetSpeedCommand, false)) return false;

  for (int k = 1; k <= f::kFanSlotCount; ++k) {
    const std::size_t slot = at + f::kFanSlots + f::kFanSlotSize * static_cast<std::size_t>(k - 1);
    const std::string monitorKey = Numbered("AssociatedFanSpeedMonitor%d", k);
    std::int32_t monitor = 0;
    if (!fr.ReadInteger(section, monitorKey, monitor, 1, 8, k > 1)) return false;
    if (monitor == -1) {
      ctx.image.SetBits8(slot, f::kSlotMonitor, kNoReference);
      continue;
    }
    ctx.image.SetBits8(slot, f::kSlotMonitor, static_cast<std::uint32_t>(monitor - 1));
    if (!ctx.image.IsEnabled(kFanMonitors, monitor)) return NotEnabled(ctx, section, monitorKey);

    std::uint8_t command = 0;
    if (!fr.ReadByte(section, Numbered("Fan%dSetConfigurationCommand", k), command, 0, 255, true)) return false;
    ctx.image.Put8(slot + f::kSlotSetConfigurationCommand, command);
    std::int32_t pulses = 0;
    if (!fr.ReadInteger(section, Numbered("Fan%dPulsesPerRevolution", k), pulses, 1, 4, false)) return false;
    ctx.image.SetBits8(slot, f::kSlotPulsesPerRevolution, static_cast<std::uint32_t>(pulses - 1));
    std::uint16_t rpm = 0;
    if (!fr.ReadWord(section, Numbered("Fan%dMinimumRPM", k), rpm, 0, 16000)) return false;
    ctx.image.Put16(slot + f::kSlotMinimumRpm, rpm);
    std::uint8_t dependent = 0;
    if (!fr.ReadBoolean(section, Numbered("Fan%dDependentMeasurement", k), dependent)) return false;
    ctx.image.SetBits8(slot, f::kSlotDependentMeasurement, dependent);
  }

  const std::size_t control = at + f::kControl;
  std::int32_t index = 0;
  if (!fr.ReadInteger(section, "PhysicalControllerIndex", index, 1, 4, false)) return false;
  ctx.image.SetBits16(control, f::kPhysicalControllerIndex, static_cast<std::uint32_t>(index - 1));
  std::uint8_t bits = 0;
  if (!fr.ReadMinOff(section, "MinOffMode", bits)) return false;
  ctx.image.SetBits16(control, f::kMinOffMode, bits);
  if (!ReadDecimal16(ctx, section, "DutyCycleMin", at + f::kDutyCycleMin, 0, 10000)) return false;
  if (!ReadDecimal16(ctx, section, "DutyCycleOn", at + f::kDutyCycleOn, 500, 10000)) return false;
  if (!ReadDecimal16(ctx, section, "DutyCycleMax", at + f::kDutyCycleMax, 0, 10000)) return false;
  if (!fr.ReadBoolean(section, "SignalInvert", bits)) return false;
  ctx.image.SetBits16(control, f::kSignalInvert, bits);
  if (!fr.ReadListIndex(section, "SignalFrequency", kSignalFrequencies, 8, bits)) return false;
  ctx.image.SetBits16(control, f::kSignalFrequency, bits);
  if (!fr.ReadListIndex(section, "SpinUpTime", kSpinUpTimes, 8, bits)) return false;
  ctx.image.SetBits16(control, f::kSpinUpTime, bits);

  for (int m = 1; m <= f::kWeightingCount; ++m) {
    const std::string key = Numbered("TempResponse%dWeighting", m);
    const std::size_t weighting = at + f::kWeightings + 4 * static_cast<std::size_t>(m - 1);
    if (fr.IsSpecified(section, key)) {
      if (!ReadDecimal32(ctx, section, key.c_str(), weighting, 0, 10000)) return false;
    } else {
      fr.ReportWarning(section.c_str(), key.c_str(), "Not Specified, Presuming 0.0");
      ctx.image.Put32(weighting, 0);
    }
  }
  return true;
}

bool ParseTemperatureResponse(ParseContext& ctx, int number) {
  namespace f = temperature_response;
  std::string section;
  bool enabled = false;
  if (!ParseCommonStart(ctx, kTemperatureResponses, number, section, enabled)) return false;
  if (!enabled) {
    // A controller that still weighs a disabled response is reported, but
    // the parse goes on.
    const std::size_t weighting = fan_controller::kWeightings + 4 * static_cast<std::size_t>(number - 1);
    for (int j = 1; j <= kFanControllers.count; ++j) {
      if (ctx.image.IsEnabled(kFanControllers, j) &&
          ctx.image.Get32(RecordOffset(kFanControllers, j) + weighting) != 0) {
        ctx.fields.ReportError(Numbered("FanController%d", j).c_str(),
                               Numbered("TempResponse%dWeighting", number).c_str(), "Not Enabled");
      }
    }
    return true;
  }
  const std::size_t at = RecordOffset(kTemperatureResponses, number);
  const std::size_t link = at + f::kLink;
  FieldReader& fr = ctx.fields;

  std::int32_t usage = 0;
  if (!fr.ReadInteger(section, "Usage", usage, 0, 16, false)) return false;
  ctx.image.Put8(at + record::kUsage, static_cast<std::uint8_t>(usage));
  const bool processor = usage == 1 || usage == 2;
  const std::int32_t tMin = processor ? -3000 : -12800;
  const std::int32_t tMax = processor ? 3000 : 12800;

  std::int32_t v = 0;
  if (!fr.ReadInteger(section, "TemperatureMonitor", v, 1, 12, false)) return false;
  ctx.image.SetBits32(link, f::kTemperatureMonitor, static_cast<std::uint32_t>(v - 1));
  if (!ctx.image.IsEnabled(kTemperatureMonitors, v)) return NotEnabled(ctx, section, "TemperatureMonitor");
  if (!fr.ReadInteger(section, "SmoothingWindow", v, 1, 10, false)) return false;
  ctx.image.SetBits32(link, f::kSmoothingWindow, static_cast<std::uint32_t>(v));
  if (!ReadDecimal32(ctx, section, "TemperatureLimit", at + f::kTemperatureLimit, tMin, tMax)) return false;
  if (!ReadDecimal32(ctx, section, "ProportionalGain", at + f::kProportionalGain, 25, 300)) return false;
  if (!ReadDecimal32(ctx, section, "IntegralGain", at + f::kIntegralGain, 150, 1500)) return false;
  if (!ReadDecimal32(ctx, section, "DerivativeGain", at + f::kDerivativeGain, 5000, 120000)) return false;
  if (!fr.ReadInteger(section, "IntegralTimeWindow", v, 5, 20, false)) return false;
  ctx.image.SetBits32(link, f::kIntegralTimeWindow, static_cast<std::uint32_t>(v));
  if (!fr.ReadInteger(section, "DerivativeTimeWindow", v, 5, 30, false)) return false;
  ctx.image.SetBits32(link, f::kDerivativeTimeWindow, static_cast<std::uint32_t>(v));
  if (!ReadDecimal32(ctx, section, "AllOnTemperature", at + f::kAllOnTemperature, tMin, tMax)) return false;

  if (!fr.ReadInteger(section, "AmbientTemperatureMonitor", v, 1, 12, true)) return false;
  if (v == -1) {
    ctx.image.SetBits32(link, f::kAmbientTemperatureMonitor, kNoReference);
    return true;
  }
  ctx.image.SetBits32(link, f::kAmbientTemperatureMonitor, static_cast<std::uint32_t>(v - 1));
  if (!ctx.image.IsEnabled(kTemperatureMonitors, v)) return NotEnabled(ctx, section, "AmbientTemperatureMonitor");
  if (!ReadDecimal32(ctx, section, "AmbientDutyCycleMin", at + f::kAmbientDutyCycleMin, 500, 10000)) return false;
  if (!ReadDecimal32(ctx, section, "AmbientTempMin", at + f::kAmbientTempMin, 1500, 3000)) return false;
  if (!ReadDecimal32(ctx, section, "AmbientTempRange", at + f::kAmbientTempRange, 500, 2000)) return false;
  if (!ReadDecimal32(ctx, section, "AmbientDutyCycleReduction", at + f::kAmbientDutyCycleReduction, -300, -30))
    return false;
  if (!fr.ReadInteger(section, "PrimaryFanController", v, 1, 8, false)) return false;
  ctx.image.SetBits32(link, f::kPrimaryFanController, static_cast<std::uint32_t>(v - 1));
  if (!ctx.image.IsEnabled(kFanControllers, v)) return NotEnabled(ctx, section, "PrimaryFanController");
  return true;
}

}  // namespace zefr
