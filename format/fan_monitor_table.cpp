#include "common_rows.h"

namespace zefr::format {

namespace {

using namespace rows;
namespace f = fan_monitor_field;
namespace at = payload::fan_monitor;

constexpr FieldRow Speed(const char* key, std::size_t offset) { return Word(key, offset, 30000); }

// Speeds fall towards the failure: each may not exceed the one before.
constexpr FieldRow kFields[] = {
    Enabled(),
    Usage(13),
    Byte("DeviceAddress", at::kDeviceAddress),
    Byte("GetAttributesCommand", at::kGetAttributesCommand),
    Byte("GetReadingCommand", at::kGetReadingCommand),
    Speed("FanSpeedNominal", at::kFanSpeedNominal),
    Related(Speed("FanSpeedNonCritical", at::kFanSpeedNonCritical), Compare::kAtMost, f::kFanSpeedNominal,
            "Greater Than FanSpeedNominal"),
    Related(Speed("FanSpeedCritical", at::kFanSpeedCritical), Compare::kAtMost, f::kFanSpeedNonCritical,
            "Greater Than FanSpeedNonCritical"),
    Related(Speed("FanSpeedNonRecoverable", at::kFanSpeedNonRecoverable), Compare::kAtMost, f::kFanSpeedCritical,
            "Greater Than FanSpeedCritical"),
};
static_assert(std::size(kFields) == f::kCount);

}  // namespace

const KindTable kFanMonitorTable{payload::kFanMonitors, kFields};

}  // namespace zefr::format
