#pragma once
// One row per configuration key of an entity kind, in the firmware's order:
// a row's position is the parameter index the firmware names in a refusal.
// The reader, the dump and the tools walk these rows; the few rules that
// depend on other values are named functions in rules.h.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "payload_layout.h"

namespace zefr::format {

// How the value's text is read.
enum class Reading : std::uint8_t { kBoolean, kInteger, kDecimal, kMinOff, kList };

// Where the read value goes in the record. kHeader: the enabled bit of the
// record header word; kBits*: a bit field of the 8-, 16- or 32-bit word at offset.
enum class Store : std::uint8_t { kHeader, kByte, kWord, kLong, kBits8, kBits16, kBits32 };

// Bounds that depend on other values of the record (see rules.h); the row's
// min and max are then the widest the rule can give.
enum class BoundsRule : std::uint8_t {
  kFixed,
  kTimeout,                 // by device and processor usage
  kMonitorTemperature,      // by processor usage
  kNominalTemperature,      // by processor usage and the get-temperature abstraction
  kVoltage,                 // by voltage usage
  kResponseTemperature,     // by processor usage
};

// The relation a value must keep to an earlier key of the record.
enum class Compare : std::uint8_t { kNone, kAtLeast, kAtMost };

// What a key that is not specified means.
enum class Absent : std::uint8_t { kError, kPresumeFalse, kPresumeZero };

inline constexpr std::int8_t kNoField = -1;

struct FieldRow {
  const char* key;
  Reading reading = Reading::kInteger;
  Store store = Store::kByte;
  std::uint16_t offset = 0;  // in the record
  payload::BitField bits{0, 0};
  std::int8_t decimals = 0;
  std::int32_t min = 0, max = 0;
  BoundsRule bounds = BoundsRule::kFixed;
  bool noneAllowed = false;
  std::uint32_t noneStored = 0;  // what NONE stores
  std::int8_t bias = 0;          // stored = value + bias
  // An entity number that must name an enabled entity of this kind
  // (kPayloadHeader: not a reference).
  payload::Kind references = payload::Kind::kPayloadHeader;
  std::int8_t gate = kNoField;       // read only when this earlier key is not NONE
  std::int16_t gatedOffStored = -1;  // stored when it is; -1: nothing
  Compare compare = Compare::kNone;
  std::int8_t relatedTo = kNoField;
  const char* relationMessage = nullptr;
  Absent absent = Absent::kError;
  const char* absentMessage = nullptr;  // the warning when Absent is not kError
  bool hex = false;                     // a bus address or command, written 0xNN
  std::span<const std::int32_t> list{};
};

struct KindTable {
  payload::KindLayout layout;
  std::span<const FieldRow> fields;
};

// Field positions, for code that names a key (and the firmware's parameter indexes).
namespace temperature_monitor_field {
enum : std::int8_t {
  kEnabled, kUsage, kDeviceAddress, kGetReadingCommand, kRelativeReadings, kRelativeConversionFactor,
  kAccuracyCorrectionSlope, kAccuracyCorrectionOffset, kTimeoutNonCritical, kTimeoutCritical,
  kTimeoutNonRecoverable, kTemperatureNominal, kTemperatureNonCritical, kTemperatureCritical,
  kTemperatureNonRecoverable, kCount
};
}
namespace fan_monitor_field {
enum : std::int8_t {
  kEnabled, kUsage, kDeviceAddress, kGetAttributesCommand, kGetReadingCommand, kFanSpeedNominal,
  kFanSpeedNonCritical, kFanSpeedCritical, kFanSpeedNonRecoverable, kCount
};
}
namespace voltage_monitor_field {
enum : std::int8_t {
  kEnabled, kUsage, kDeviceAddress, kGetReadingCommand, kVoltageNominal, kUnderVoltageNonCritical,
  kUnderVoltageCritical, kUnderVoltageNonRecoverable, kOverVoltageNonCritical, kOverVoltageCritical,
  kOverVoltageNonRecoverable, kCount
};
}
namespace temperature_response_field {
enum : std::int8_t {
  kEnabled, kUsage, kTemperatureMonitor, kSmoothingWindow, kTemperatureLimit, kProportionalGain,
  kIntegralGain, kDerivativeGain, kIntegralTimeWindow, kDerivativeTimeWindow, kAllOnTemperature,
  kAmbientTemperatureMonitor, kAmbientDutyCycleMin, kAmbientTempMin, kAmbientTempRange,
  kAmbientDutyCycleReduction, kPrimaryFanController, kCount
};
}
namespace fan_controller_field {
enum : std::int8_t {
  kEnabled, kUsage, kDeviceAddress, kGetAttributesCommand, kSetConfigurationCommand, kSetSpeedCommand,
  kGetSpeedCommand,
  kFirstSlot,  // five keys per fan slot, four slots
  kPhysicalControllerIndex = kFirstSlot + 20, kMinOffMode, kDutyCycleMin, kDutyCycleOn, kDutyCycleMax,
  kSignalInvert, kSignalFrequency, kSpinUpTime,
  kFirstWeighting,  // one per temperature response
  kCount = kFirstWeighting + 12
};
// Within a slot's five keys.
enum : std::int8_t { kSlotMonitor, kSlotSetConfigurationCommand, kSlotPulsesPerRevolution, kSlotMinimumRpm,
                     kSlotDependentMeasurement, kSlotKeys };
constexpr std::int8_t SlotField(int slot, int key) { return static_cast<std::int8_t>(kFirstSlot + (slot - 1) * kSlotKeys + key); }
constexpr std::int8_t WeightingField(int response) { return static_cast<std::int8_t>(kFirstWeighting + response - 1); }
}  // namespace fan_controller_field

// The values of the two list keys, by stored position.
inline constexpr std::array<std::int32_t, 8> kSignalFrequencies = {10, 23, 38, 62, 94, 22000, 25000, 28000};
inline constexpr std::array<std::int32_t, 8> kSpinUpTimes = {0, 250, 500, 750, 1000, 1500, 2000, 4000};

extern const KindTable kTemperatureMonitorTable;
extern const KindTable kFanMonitorTable;
extern const KindTable kVoltageMonitorTable;
extern const KindTable kTemperatureResponseTable;
extern const KindTable kFanControllerTable;

// By kind; null for the payload header.
const KindTable* TableOf(payload::Kind kind);

// In image order.
std::span<const KindTable* const> AllTables();

// The row's position in its table, or kNoField.
int FieldIndex(const KindTable& table, std::string_view key);

}  // namespace zefr::format
