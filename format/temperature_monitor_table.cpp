#include "common_rows.h"

namespace zefr::format {

namespace {

using namespace rows;
namespace f = temperature_monitor_field;
namespace at = payload::temperature_monitor;

constexpr FieldRow Timeout(const char* key, std::size_t offset) {
  return {.key = key, .offset = static_cast<std::uint16_t>(offset), .min = 1, .max = 255,
          .bounds = BoundsRule::kTimeout};
}

constexpr FieldRow Temperature(const char* key, std::size_t offset) {
  return WithBounds(Decimal(key, offset, 2, kAnyTemperature.min, kAnyTemperature.max), BoundsRule::kMonitorTemperature);
}

constexpr FieldRow kFields[] = {
    Enabled(),
    Usage(16),
    Byte("DeviceAddress", at::kDeviceAddress, true),
    // Without a device there is no command: 0xFF.
    [] {
      FieldRow row = Byte("GetReadingCommand", at::kGetReadingCommand);
      row.gate = f::kDeviceAddress;
      row.gatedOffStored = 0xFF;
      return row;
    }(),
    {.key = "RelativeReadings", .reading = Reading::kBoolean, .offset = at::kRelativeReadings},
    Decimal("RelativeConversionFactor", at::kRelativeConversionFactor, 2, 0, 12800),
    Decimal("AccuracyCorrectionSlope", at::kAccuracyCorrectionSlope, 2, 0, 1000),
    Decimal("AccuracyCorrectionOffset", at::kAccuracyCorrectionOffset, 2, 0, 12800),
    Timeout("TimeoutNonCritical", at::kTimeoutNonCritical),
    Timeout("TimeoutCritical", at::kTimeoutCritical),
    // NONE (never) only without a device; stored as 0.
    [] {
      FieldRow row = Timeout("TimeoutNonRecoverable", at::kTimeoutNonRecoverable);
      row.noneAllowed = true;
      row.noneStored = 0;
      return row;
    }(),
    WithBounds(Decimal("TemperatureNominal", at::kTemperatureNominal, 2, kAnyTemperature.min, kAnyTemperature.max),
               BoundsRule::kNominalTemperature),
    Related(Temperature("TemperatureNonCritical", at::kTemperatureNonCritical), Compare::kAtLeast,
            f::kTemperatureNominal, "Less than TemperatureNominal"),
    Related(Temperature("TemperatureCritical", at::kTemperatureCritical), Compare::kAtLeast,
            f::kTemperatureNonCritical, "Less than TemperatureNonCritical"),
    Related(Temperature("TemperatureNonRecoverable", at::kTemperatureNonRecoverable), Compare::kAtLeast,
            f::kTemperatureCritical, "Less than TemperatureCritical"),
};
static_assert(std::size(kFields) == f::kCount);

}  // namespace

const KindTable kTemperatureMonitorTable{payload::kTemperatureMonitors, kFields};

}  // namespace zefr::format
