// A payload image taken apart into plain values, one struct per entity kind,
// with the stored encodings undone only where they are lossless (references
// stay numbers minus 1, list fields stay positions).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "field_table.h"
#include "payload_image.h"

namespace zefrdump {

// Stored in a reference field for "no entity", in a device or command byte
// for "no device" / NONE.
inline constexpr uint8_t kNoEntity = 31;
inline constexpr uint8_t kNoDevice = 0xFF;

struct TemperatureMonitor {
  bool enabled = false;
  uint8_t usage = 0;
  uint8_t deviceAddress = 0;  // 0xFF: no device
  uint8_t getReadingCommand = 0;
  uint8_t relativeReadings = 0;
  uint8_t timeoutNonCritical = 0, timeoutCritical = 0, timeoutNonRecoverable = 0;
  int32_t relativeConversionFactor = 0, accuracyCorrectionSlope = 0, accuracyCorrectionOffset = 0;
  int32_t temperatureNominal = 0, temperatureNonCritical = 0, temperatureCritical = 0,
          temperatureNonRecoverable = 0;
};

struct FanMonitor {
  bool enabled = false;
  uint8_t usage = 0;
  uint8_t deviceAddress = 0, getAttributesCommand = 0, getReadingCommand = 0;
  uint16_t fanSpeedNominal = 0, fanSpeedNonCritical = 0, fanSpeedCritical = 0,
           fanSpeedNonRecoverable = 0;
};

struct VoltageMonitor {
  bool enabled = false;
  uint8_t usage = 0;
  uint8_t deviceAddress = 0, getReadingCommand = 0;
  int32_t voltageNominal = 0;
  int32_t underNonCritical = 0, underCritical = 0, underNonRecoverable = 0;
  int32_t overNonCritical = 0, overCritical = 0, overNonRecoverable = 0;
};

struct TemperatureResponse {
  bool enabled = false;
  uint8_t usage = 0;
  uint8_t temperatureMonitor = 0;    // number - 1
  uint8_t ambientMonitor = 0;        // number - 1, 31: none
  uint8_t primaryFanController = 0;  // number - 1
  uint8_t smoothingWindow = 0, integralTimeWindow = 0, derivativeTimeWindow = 0;
  int32_t proportionalGain = 0, integralGain = 0, derivativeGain = 0;
  int32_t temperatureLimit = 0, allOnTemperature = 0;
  int32_t ambientDutyCycleMin = 0, ambientTempMin = 0, ambientTempRange = 0,
          ambientDutyCycleReduction = 0;
};

struct FanSlot {
  uint8_t monitor = 0;  // number - 1, 31: none
  uint8_t pulsesPerRevolution = 0;  // value - 1
  bool dependentMeasurement = false;
  uint8_t setConfigurationCommand = 0;
  uint16_t minimumRpm = 0;
};

struct FanController {
  bool enabled = false;
  uint8_t usage = 0;
  uint8_t deviceAddress = 0, getAttributesCommand = 0, setConfigurationCommand = 0,
          setSpeedCommand = 0, getSpeedCommand = 0;
  std::array<FanSlot, 4> slots{};
  uint8_t physicalControllerIndex = 0;  // value - 1
  bool minOffModeOff = false;
  bool signalInvert = false;
  uint8_t signalFrequency = 0, spinUpTime = 0;  // list positions
  uint16_t dutyCycleMin = 0, dutyCycleOn = 0, dutyCycleMax = 0;
  std::array<int32_t, 12> weightings{};
};

struct DecodedPayload {
  zefr::PayloadImage image;  // the bytes decoded, for the walks over the field tables
  std::array<TemperatureMonitor, 12> temperatureMonitors{};
  std::array<FanMonitor, 8> fanMonitors{};
  std::array<VoltageMonitor, 8> voltageMonitors{};
  std::array<TemperatureResponse, 12> temperatureResponses{};
  std::array<FanController, 8> fanControllers{};
};

// Something worth telling about a payload that still decodes: a value the
// compiler would refuse, or bytes that recompiling would not give back.
// An empty section means the payload as a whole; an empty key the section.
struct Finding {
  std::string section;
  std::string key;
  std::string message;
  bool operator==(const Finding&) const = default;
};

// "  WARNING: Section \"S\", Parameter \"K\" - message!" in the compiler's
// diagnostic shape, so the lines read like the compiler's own.
std::string FormatFinding(const Finding& f);

// The listed values of the two list fields, indexed by stored position.
using zefr::format::kSignalFrequencies;
using zefr::format::kSpinUpTimes;

// Takes a whole payload file apart. Fails, with a message for the user, on
// anything that leaves no sound reading: a size other than 1984 bytes, a
// wrong signature, version or total length, a record header that does not
// belong to its slot, a reference beyond the entities of its kind. Bytes
// that recompiling would drop are added to `findings`.
bool DecodePayload(std::span<const uint8_t> image, DecodedPayload* out,
                   std::vector<Finding>* findings, std::string* err);

// Every value of an enabled entity that the compiler would refuse, with the
// compiler's message, section by section in the order of the printed INI.
std::vector<Finding> CheckPayload(const DecodedPayload& p);

}  // namespace zefrdump
