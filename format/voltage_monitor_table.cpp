#include "common_rows.h"

namespace zefr::format {

namespace {

using namespace rows;
namespace f = voltage_monitor_field;
namespace at = payload::voltage_monitor;

// Millivolts, within the bounds of the monitor's usage.
constexpr FieldRow Threshold(const char* key, std::size_t offset, Compare compare, std::int8_t relatedTo,
                              const char* message) {
  return Related(WithBounds(Decimal(key, offset, 3, kAnyVoltage.min, kAnyVoltage.max), BoundsRule::kVoltage), compare, relatedTo,
                 message);
}

// Under-voltages may not exceed the one before, over-voltages not fall below
// it; the first of each is held to the nominal.
constexpr FieldRow kFields[] = {
    Enabled(),
    Usage(13),
    Byte("DeviceAddress", at::kDeviceAddress),
    Byte("GetReadingCommand", at::kGetReadingCommand),
    Decimal("VoltageNominal", at::kVoltageNominal, 3, kAnyVoltage.min, kAnyVoltage.max),
    Threshold("UnderVoltageNonCritical", at::kUnderVoltageNonCritical, Compare::kAtMost, f::kVoltageNominal,
              "Greater Than VoltageNominal"),
    Threshold("UnderVoltageCritical", at::kUnderVoltageCritical, Compare::kAtMost, f::kUnderVoltageNonCritical,
              "Greater Than UnderVoltageNonCritical"),
    Threshold("UnderVoltageNonRecoverable", at::kUnderVoltageNonRecoverable, Compare::kAtMost,
              f::kUnderVoltageCritical, "Greater Than UnderVoltageCritical"),
    Threshold("OverVoltageNonCritical", at::kOverVoltageNonCritical, Compare::kAtLeast, f::kVoltageNominal,
              "Less Than VoltageNominal"),
    Threshold("OverVoltageCritical", at::kOverVoltageCritical, Compare::kAtLeast, f::kOverVoltageNonCritical,
              "Less Than OverVoltageNonCritical"),
    Threshold("OverVoltageNonRecoverable", at::kOverVoltageNonRecoverable, Compare::kAtLeast,
              f::kOverVoltageCritical, "Less Than OverVoltageCritical"),
};
static_assert(std::size(kFields) == f::kCount);

}  // namespace

const KindTable kVoltageMonitorTable{payload::kVoltageMonitors, kFields};

}  // namespace zefr::format
