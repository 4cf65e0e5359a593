#pragma once
// Byte layout of the 1984-byte payload image the firmware takes. Shared by the
// compiler, which builds it, and by tools that decode it. Packed, little-endian.

#include <array>
#include <cstddef>
#include <cstdint>

namespace zefr::payload {

inline constexpr std::size_t kImageSize = 1984;
inline constexpr std::uint32_t kSignature = 0x5A454652;
inline constexpr std::uint8_t kVersion = 1;
inline constexpr std::array<std::uint8_t, 8> kHeaderBytes = {0x52, 0x46, 0x45, 0x5A,
                                                             0x01, 0x00, 0xC0, 0x07};

// Payload header field offsets.
namespace header {
inline constexpr std::size_t kSignature = 0;    // 32-bit
inline constexpr std::size_t kVersion = 4;      // 8-bit
inline constexpr std::size_t kReserved = 5;     // 8-bit
inline constexpr std::size_t kTotalLength = 6;  // 16-bit
inline constexpr std::size_t kSize = 8;
}  // namespace header

// Entity kind codes as the firmware numbers them (0 names the payload header).
enum class Kind : std::uint8_t {
  kPayloadHeader = 0,
  kTemperatureMonitor = 1,
  kFanMonitor = 2,
  kVoltageMonitor = 3,
  kTemperatureResponse = 4,
  kFanController = 5,
};

struct KindLayout {
  Kind kind;
  const char* section;  // INI section family, numbered from 1
  std::size_t offset;   // of the first record
  std::size_t recordLength;
  int count;
};

inline constexpr KindLayout kTemperatureMonitors{Kind::kTemperatureMonitor, "TemperatureMonitor", 8, 37, 12};
inline constexpr KindLayout kFanMonitors{Kind::kFanMonitor, "FanMonitor", 452, 14, 8};
inline constexpr KindLayout kVoltageMonitors{Kind::kVoltageMonitor, "VoltageMonitor", 564, 33, 8};
inline constexpr KindLayout kTemperatureResponses{Kind::kTemperatureResponse, "TemperatureResponse", 828, 43, 12};
inline constexpr KindLayout kFanControllers{Kind::kFanController, "FanController", 1344, 80, 8};

// In image order.
inline constexpr std::array<KindLayout, 5> kKinds = {kTemperatureMonitors, kFanMonitors, kVoltageMonitors,
                                                     kTemperatureResponses, kFanControllers};

// Offset of the record of entity number (from 1).
constexpr std::size_t RecordOffset(const KindLayout& k, int number) {
  return k.offset + static_cast<std::size_t>(number - 1) * k.recordLength;
}

// A field of bits inside a little-endian word.
struct BitField {
  unsigned shift;
  unsigned width;
  constexpr std::uint32_t Mask() const { return ((1u << width) - 1u) << shift; }
  constexpr std::uint32_t Get(std::uint32_t word) const { return (word >> shift) & ((1u << width) - 1u); }
  constexpr std::uint32_t Set(std::uint32_t word, std::uint32_t value) const {
    return (word & ~Mask()) | ((value << shift) & Mask());
  }
};

// Common to every record: 16-bit header word, then the usage byte.
namespace record {
inline constexpr std::size_t kHeader = 0;
inline constexpr std::size_t kUsage = 2;
inline constexpr BitField kKind{0, 3};
inline constexpr BitField kIndex{3, 5};
inline constexpr BitField kEnabled{8, 1};
inline constexpr BitField kLength{9, 7};
}  // namespace record

constexpr std::uint16_t RecordHeaderWord(const KindLayout& k, int number, bool enabled) {
  std::uint32_t w = 0;
  w = record::kKind.Set(w, static_cast<std::uint32_t>(k.kind));
  w = record::kIndex.Set(w, static_cast<std::uint32_t>(number - 1));
  w = record::kEnabled.Set(w, enabled ? 1u : 0u);
  w = record::kLength.Set(w, static_cast<std::uint32_t>(k.recordLength));
  return static_cast<std::uint16_t>(w);
}

namespace temperature_monitor {  // 37 bytes
inline constexpr std::size_t kDeviceAddress = 3;  // 0xFF: no device
inline constexpr std::size_t kGetReadingCommand = 4;
inline constexpr std::size_t kRelativeReadings = 5;
inline constexpr std::size_t kTimeoutNonCritical = 6;
inline constexpr std::size_t kTimeoutCritical = 7;
inline constexpr std::size_t kTimeoutNonRecoverable = 8;  // 0: never
inline constexpr std::size_t kRelativeConversionFactor = 9;  // 32-bit fields from here
inline constexpr std::size_t kAccuracyCorrectionSlope = 13;
inline constexpr std::size_t kAccuracyCorrectionOffset = 17;
inline constexpr std::size_t kTemperatureNominal = 21;
inline constexpr std::size_t kTemperatureNonCritical = 25;
inline constexpr std::size_t kTemperatureCritical = 29;
inline constexpr std::size_t kTemperatureNonRecoverable = 33;
}  // namespace temperature_monitor

namespace fan_monitor {  // 14 bytes
inline constexpr std::size_t kDeviceAddress = 3;
inline constexpr std::size_t kGetAttributesCommand = 4;
inline constexpr std::size_t kGetReadingCommand = 5;
inline constexpr std::size_t kFanSpeedNominal = 6;  // 16-bit fields from here
inline constexpr std::size_t kFanSpeedNonCritical = 8;
inline constexpr std::size_t kFanSpeedCritical = 10;
inline constexpr std::size_t kFanSpeedNonRecoverable = 12;
}  // namespace fan_monitor

namespace voltage_monitor {  // 33 bytes
inline constexpr std::size_t kDeviceAddress = 3;
inline constexpr std::size_t kGetReadingCommand = 4;
inline constexpr std::size_t kVoltageNominal = 5;  // 32-bit millivolt fields from here
inline constexpr std::size_t kUnderVoltageNonCritical = 9;
inline constexpr std::size_t kUnderVoltageCritical = 13;
inline constexpr std::size_t kUnderVoltageNonRecoverable = 17;
inline constexpr std::size_t kOverVoltageNonCritical = 21;
inline constexpr std::size_t kOverVoltageCritical = 25;
inline constexpr std::size_t kOverVoltageNonRecoverable = 29;
}  // namespace voltage_monitor

namespace temperature_response {  // 43 bytes
inline constexpr std::size_t kLink = 3;  // 32-bit link word
inline constexpr BitField kTemperatureMonitor{0, 5};
inline constexpr BitField kAmbientTemperatureMonitor{5, 5};  // 31: none
inline constexpr BitField kPrimaryFanController{10, 5};
inline constexpr BitField kSmoothingWindow{15, 5};
inline constexpr BitField kIntegralTimeWindow{20, 5};
inline constexpr BitField kDerivativeTimeWindow{25, 5};
inline constexpr std::size_t kProportionalGain = 7;  // 32-bit fields from here
inline constexpr std::size_t kIntegralGain = 11;
inline constexpr std::size_t kDerivativeGain = 15;
inline constexpr std::size_t kTemperatureLimit = 19;
inline constexpr std::size_t kAllOnTemperature = 23;
inline constexpr std::size_t kAmbientDutyCycleMin = 27;
inline constexpr std::size_t kAmbientTempMin = 31;
inline constexpr std::size_t kAmbientTempRange = 35;
inline constexpr std::size_t kAmbientDutyCycleReduction = 39;
}  // namespace temperature_response

namespace fan_controller {  // 80 bytes
inline constexpr std::size_t kDeviceAddress = 3;
inline constexpr std::size_t kGetAttributesCommand = 4;
inline constexpr std::size_t kSetConfigurationCommand = 5;  // 0xFF: none
inline constexpr std::size_t kSetSpeedCommand = 6;
inline constexpr std::size_t kGetSpeedCommand = 7;
inline constexpr std::size_t kFanSlots = 8;  // four slots of 4 bytes
inline constexpr std::size_t kFanSlotSize = 4;
inline constexpr int kFanSlotCount = 4;
// Within a slot: byte 0 bit fields, byte 1 command, bytes 2-3 minimum RPM.
inline constexpr BitField kSlotMonitor{0, 5};  // 31: none
inline constexpr BitField kSlotPulsesPerRevolution{5, 2};
inline constexpr BitField kSlotDependentMeasurement{7, 1};
inline constexpr std::size_t kSlotSetConfigurationCommand = 1;
inline constexpr std::size_t kSlotMinimumRpm = 2;
inline constexpr std::size_t kControl = 24;  // 16-bit control word
inline constexpr BitField kPhysicalControllerIndex{0, 3};
inline constexpr BitField kMinOffMode{3, 1};
inline constexpr BitField kSignalInvert{4, 1};
inline constexpr BitField kSignalFrequency{5, 3};
inline constexpr BitField kSpinUpTime{8, 3};
inline constexpr std::size_t kDutyCycleMin = 26;  // 16-bit
inline constexpr std::size_t kDutyCycleOn = 28;
inline constexpr std::size_t kDutyCycleMax = 30;
inline constexpr std::size_t kWeightings = 32;  // twelve 32-bit weightings
inline constexpr int kWeightingCount = 12;
}  // namespace fan_controller

inline constexpr std::uint32_t kNoReference = 31;

}  // namespace zefr::payload
