#include "sections.h"

#include <cstdio>

namespace zefr {

using namespace payload;

bool ParseCommonStart(ParseContext& ctx, const KindLayout& kind, int number, std::string& section,
                      bool& enabled) {
  section = kind.section + std::to_string(number);
  std::uint8_t flag = 0;
  if (ctx.fields.IsSpecified(section, "Enabled")) {
    if (!ctx.fields.ReadBoolean(section, "Enabled", flag)) return false;
  } else {
    ctx.fields.ReportWarning(section.c_str(), "Enabled", "Not Specified, Presuming FALSE");
  }
  enabled = flag != 0;
  const std::size_t at = RecordOffset(kind, number);
  ctx.image.Put16(at + record::kHeader, RecordHeaderWord(kind, number, enabled));
  ctx.image.Put8(at + record::kUsage, 0);
  if (enabled) ++ctx.enabledCount;
  return true;
}

namespace {

bool ReadUsage(ParseContext& ctx, const std::string& section, std::size_t at, std::int32_t max,
               std::int32_t& usage) {
  if (!ctx.fields.ReadInteger(section, "Usage", usage, 0, max, false)) return false;
  ctx.image.Put8(at + record::kUsage, static_cast<std::uint8_t>(usage));
  return true;
}

bool ReadDecimalField(ParseContext& ctx, const std::string& section, const char* key, std::size_t at,
                      std::int32_t min, std::int32_t max, int decimals, std::int32_t& value) {
  if (!ctx.fields.ReadDecimal(section, key, value, min, max, decimals)) return false;
  ctx.image.Put32(at, static_cast<std::uint32_t>(value));
  return true;
}

bool ReadByteField(ParseContext& ctx, const std::string& section, const char* key, std::size_t at,
                   std::int32_t min, std::int32_t max, bool allowNone) {
  std::uint8_t v = 0;
  if (!ctx.fields.ReadByte(section, key, v, min, max, allowNone)) return false;
  ctx.image.Put8(at, v);
  return true;
}

// Relation of a threshold to the one before it; equality passes.
bool Related(ParseContext& ctx, const std::string& section, const char* key, bool ok, const char* message) {
  if (!ok) ctx.fields.ReportError(section.c_str(), key, message);
  return ok;
}

bool IsProcessorTemperature(std::int32_t usage) { return usage == 1 || usage == 2; }

}  // namespace

bool ParseTemperatureMonitor(ParseContext& ctx, int number) {
  namespace f = temperature_monitor;
  std::string section;
  bool enabled = false;
  if (!ParseCommonStart(ctx, kTemperatureMonitors, number, section, enabled)) return false;
  if (!enabled) return true;
  const std::size_t at = RecordOffset(kTemperatureMonitors, number);
  FieldReader& fr = ctx.fields;

  std::int32_t usage = 0;
  if (!ReadUsage(ctx, section, at, 16, usage)) return false;
  const bool processor = IsProcessorTemperature(usage);

  std::uint8_t device = 0;
  if (!fr.ReadByte(section, "DeviceAddress", device, 0, 255, true)) return false;
  ctx.image.Put8(at + f::kDeviceAddress, device);
  const bool hasDevice = device != 0xFF;

  std::uint8_t command = 0xFF;
  if (hasDevice && !fr.ReadByte(section, "GetReadingCommand", command, 0, 255, false)) return false;
  ctx.image.Put8(at + f::kGetReadingCommand, command);

  // The processor's own get-temperature abstraction survives only on its
  // usual sensor address and commands.
  bool abstraction = processor;
  if (processor && hasDevice && !(device == 0x20 && command >= 2 && command <= 5)) {
    fr.ReportWarning(section.c_str(), "Usage", "Not using Get-Temperature Abstraction for Processor");
    fr.ReportWarning(section.c_str(), "Usage", "Will not be able to automatically handle Processor upgrade");
    abstraction = false;
  }

  std::uint8_t relative = 0;
  if (!fr.ReadBoolean(section, "RelativeReadings", relative)) return false;
  ctx.image.Put8(at + f::kRelativeReadings, relative);

  std::int32_t v = 0;
  if (!ReadDecimalField(ctx, section, "RelativeConversionFactor", at + f::kRelativeConversionFactor, 0, 12800, 2, v))
    return false;
  if (!ReadDecimalField(ctx, section, "AccuracyCorrectionSlope", at + f::kAccuracyCorrectionSlope, 0, 1000, 2, v))
    return false;
  if (!ReadDecimalField(ctx, section, "AccuracyCorrectionOffset", at + f::kAccuracyCorrectionOffset, 0, 12800, 2, v))
    return false;

  if (!hasDevice) {
    if (!ReadByteField(ctx, section, "TimeoutNonCritical", at + f::kTimeoutNonCritical, 1, 255, false)) return false;
    if (!ReadByteField(ctx, section, "TimeoutCritical", at + f::kTimeoutCritical, 1, 255, false)) return false;
    std::int32_t never = 0;
    if (!fr.ReadInteger(section, "TimeoutNonRecoverable", never, 2, 255, true)) return false;
    ctx.image.Put8(at + f::kTimeoutNonRecoverable, never == -1 ? 0 : static_cast<std::uint8_t>(never));  // NONE: never
  } else if (processor) {
    if (!ReadByteField(ctx, section, "TimeoutNonCritical", at + f::kTimeoutNonCritical, 1, 1, false)) return false;
    if (!ReadByteField(ctx, section, "TimeoutCritical", at + f::kTimeoutCritical, 2, 2, false)) return false;
    if (!ReadByteField(ctx, section, "TimeoutNonRecoverable", at + f::kTimeoutNonRecoverable, 4, 4, false))
      return false;
  } else {
    if (!ReadByteField(ctx, section, "TimeoutNonCritical", at + f::kTimeoutNonCritical, 1, 10, false)) return false;
    if (!ReadByteField(ctx, section, "TimeoutCritical", at + f::kTimeoutCritical, 1, 10, false)) return false;
    if (!ReadByteField(ctx, section, "TimeoutNonRecoverable", at + f::kTimeoutNonRecoverable, 1, 10, false))
      return false;
  }

  const std::int32_t tMin = processor ? 0 : -12800;
  const std::int32_t tMax = processor ? 2000 : 12800;
  std::int32_t nominal = 0, nonCritical = 0, critical = 0, nonRecoverable = 0;
  if (!ReadDecimalField(ctx, section, "TemperatureNominal", at + f::kTemperatureNominal, abstraction ? 0 : tMin,
                        abstraction ? 0 : tMax, 2, nominal))
    return false;
  if (!ReadDecimalField(ctx, section, "TemperatureNonCritical", at + f::kTemperatureNonCritical, tMin, tMax, 2,
                        nonCritical) ||
      !Related(ctx, section, "TemperatureNonCritical", nonCritical >= nominal, "Less than TemperatureNominal"))
    return false;
  if (!ReadDecimalField(ctx, section, "TemperatureCritical", at + f::kTemperatureCritical, tMin, tMax, 2, critical) ||
      !Related(ctx, section, "TemperatureCritical", critical >= nonCritical, "Less than TemperatureNonCritical"))
    return false;
  if (!ReadDecimalField(ctx, section, "TemperatureNonRecoverable", at + f::kTemperatureNonRecoverable, tMin, tMax, 2,
                        nonRecoverable) ||
      !Related(ctx, section, "TemperatureNonRecoverable", nonRecoverable >= critical, "Less than TemperatureCritical"))
    return false;
  return true;
}

bool ParseFanMonitor(ParseContext& ctx, int number) {
  namespace f = fan_monitor;
  std::string section;
  bool enabled = false;
  if (!ParseCommonStart(ctx, kFanMonitors, number, section, enabled)) return false;
  if (!enabled) return true;
  const std::size_t at = RecordOffset(kFanMonitors, number);
  FieldReader& fr = ctx.fields;

  std::int32_t usage = 0;
  if (!ReadUsage(ctx, section, at, 13, usage)) return false;
  if (!ReadByteField(ctx, section, "DeviceAddress", at + f::kDeviceAddress, 0, 255, false)) return false;
  if (!ReadByteField(ctx, section, "GetAttributesCommand", at + f::kGetAttributesCommand, 0, 255, false)) return false;
  if (!ReadByteField(ctx, section, "GetReadingCommand", at + f::kGetReadingCommand, 0, 255, false)) return false;

  // Speeds fall towards the failure: each may not exceed the one before.
  struct Step {
    const char* key;
    std::size_t offset;
    const char* message;
  };
  static const Step kSteps[] = {
      {"FanSpeedNominal", f::kFanSpeedNominal, nullptr},
      {"FanSpeedNonCritical", f::kFanSpeedNonCritical, "Greater Than FanSpeedNominal"},
      {"FanSpeedCritical", f::kFanSpeedCritical, "Greater Than FanSpeedNonCritical"},
      {"FanSpeedNonRecoverable", f::kFanSpeedNonRecoverable, "Greater Than FanSpeedCritical"},
  };
  std::uint16_t previous = 0;
  for (const Step& step : kSteps) {
    std::uint16_t speed = 0;
    if (!fr.ReadWord(section, step.key, speed, 0, 30000)) return false;
    ctx.image.Put16(at + step.offset, speed);
    if (step.message && !Related(ctx, section, step.key, speed <= previous, step.message)) return false;
    previous = speed;
  }
  return true;
}

namespace {

struct VoltageBounds {
  std::int32_t min, max;
};

VoltageBounds VoltageBoundsFor(std::int32_t usage) {
  static const VoltageBounds kBounds[] = {
      {-300000, 300000}, {10000, 14000}, {-14000, -10000}, {4000, 6000}, {4000, 6000},
      {-6000, 4000},     {2500, 4100},   {1000, 3500},     {700, 1900},  {-800, 1500},
      {-800, 1500},      {-800, 1500},   {-800, 1500},     {90000, 260000},
  };
  return kBounds[usage];
}

bool IsVccp(std::int32_t usage) { return usage >= 9 && usage <= 12; }

}  // namespace

bool ParseVoltageMonitor(ParseContext& ctx, int number) {
  namespace f = voltage_monitor;
  std::string section;
  bool enabled = false;
  if (!ParseCommonStart(ctx, kVoltageMonitors, number, section, enabled)) return false;
  if (!enabled) return true;
  const std::size_t at = RecordOffset(kVoltageMonitors, number);
  FieldReader& fr = ctx.fields;

  std::int32_t usage = 0;
  if (!ReadUsage(ctx, section, at, 13, usage)) return false;
  if (!ReadByteField(ctx, section, "DeviceAddress", at + f::kDeviceAddress, 0, 255, false)) return false;
  if (!ReadByteField(ctx, section, "GetReadingCommand", at + f::kGetReadingCommand, 0, 255, false)) return false;

  std::int32_t nominal = 0;
  if (!ReadDecimalField(ctx, section, "VoltageNominal", at + f::kVoltageNominal, -300000, 300000, 3, nominal))
    return false;
  if (IsVccp(usage) && nominal != 0)
    fr.ReportWarning(section.c_str(), "VoltageNominal", "Value Other Than 0 specified for Vccp");

  const VoltageBounds b = VoltageBoundsFor(usage);
  struct Step {
    const char* key;
    std::size_t offset;
    bool under;           // under-voltage: may not exceed the one before
    const char* message;  // compared with the nominal or the step before
  };
  static const Step kSteps[] = {
      {"UnderVoltageNonCritical", f::kUnderVoltageNonCritical, true, "Greater Than VoltageNominal"},
      {"UnderVoltageCritical", f::kUnderVoltageCritical, true, "Greater Than UnderVoltageNonCritical"},
      {"UnderVoltageNonRecoverable", f::kUnderVoltageNonRecoverable, true, "Greater Than UnderVoltageCritical"},
      {"OverVoltageNonCritical", f::kOverVoltageNonCritical, false, "Less Than VoltageNominal"},
      {"OverVoltageCritical", f::kOverVoltageCritical, false, "Less Than OverVoltageNonCritical"},
      {"OverVoltageNonRecoverable", f::kOverVoltageNonRecoverable, false, "Less Than OverVoltageCritical"},
  };
  std::int32_t previous = nominal;
  for (const Step& step : kSteps) {
    if (step.offset == f::kOverVoltageNonCritical) previous = nominal;
    std::int32_t v = 0;
    if (!ReadDecimalField(ctx, section, step.key, at + step.offset, b.min, b.max, 3, v)) return false;
    const bool ok = step.under ? v <= previous : v >= previous;
    if (!Related(ctx, section, step.key, ok, step.message)) return false;
    previous = v;
  }
  return true;
}

}  // namespace zefr
