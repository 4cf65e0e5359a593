#include "decoded_payload.h"

#include <algorithm>
#include <cstdio>

#include "field_table.h"
#include "payload_layout.h"

namespace zefrdump {
namespace {

namespace L = zefr::payload;
namespace tm = L::temperature_monitor;
namespace fm = L::fan_monitor;
namespace vm = L::voltage_monitor;
namespace tr = L::temperature_response;
namespace fc = L::fan_controller;
namespace F = zefr::format;

// The key of a field of a kind, as the tables name it.
const char* KeyOf(const F::KindTable& table, int field) { return table.fields[size_t(field)].key; }

uint16_t U16(const uint8_t* r, size_t off) { return uint16_t(r[off] | (r[off + 1] << 8)); }
uint32_t U32(const uint8_t* r, size_t off) {
  return uint32_t(r[off]) | uint32_t(r[off + 1]) << 8 | uint32_t(r[off + 2]) << 16 |
         uint32_t(r[off + 3]) << 24;
}
int32_t I32(const uint8_t* r, size_t off) { return int32_t(U32(r, off)); }
uint8_t Get(L::BitField f, uint32_t word) { return uint8_t(f.Get(word)); }

bool AllZero(const uint8_t* r, size_t from, size_t to) {
  for (size_t i = from; i < to; ++i)
    if (r[i] != 0) return false;
  return true;
}

std::string Printf(const char* fmt, auto... args) {
  char buf[256];
  std::snprintf(buf, sizeof buf, fmt, args...);
  return buf;
}

// One record of the image, with the names it is reported under.
struct Record {
  const uint8_t* bytes;
  size_t offset;
  std::string section;
};

Record At(std::span<const uint8_t> image, const L::KindLayout& k, int number) {
  size_t off = L::RecordOffset(k, number);
  return {image.data() + off, off, k.section + std::to_string(number)};
}

// Checks that the header belongs to the slot and reads the enabled flag.
bool ReadHeader(const Record& r, const L::KindLayout& k, int number, bool* enabled,
                std::vector<Finding>* findings, std::string* err) {
  uint16_t word = U16(r.bytes, L::record::kHeader);
  unsigned kind = L::record::kKind.Get(word), index = L::record::kIndex.Get(word),
           length = L::record::kLength.Get(word);
  if (kind != unsigned(k.kind) || index != unsigned(number - 1) || length != k.recordLength) {
    *err = Printf(
        "Record header 0x%04X at offset %zu does not belong to %s (kind %u, index %u, length %u;"
        " expected kind %u, index %d, length %zu)",
        word, r.offset, r.section.c_str(), kind, index, length, unsigned(k.kind), number - 1,
        k.recordLength);
    return false;
  }
  *enabled = L::record::kEnabled.Get(word) != 0;
  if (!*enabled && !AllZero(r.bytes, L::record::kUsage, k.recordLength))
    findings->push_back(
        {r.section, KeyOf(*F::TableOf(k.kind), 0), "Disabled Record Holds Non-Zero Bytes, Lost on Recompile"});
  return true;
}

bool Reference(unsigned value, int count, bool noneAllowed, const Record& r, const char* key,
               std::string* err) {
  if (value < unsigned(count) || (noneAllowed && value == L::kNoReference)) return true;
  *err = Printf("Section \"%s\", Parameter \"%s\" refers to number %u, beyond the %d there are",
                r.section.c_str(), key, value + 1, count);
  return false;
}

// Every value a list field can hold is a position in its list, so no stored
// position can fall outside it.
static_assert(kSignalFrequencies.size() == 1u << fc::kSignalFrequency.width);
static_assert(kSpinUpTimes.size() == 1u << fc::kSpinUpTime.width);

constexpr uint32_t kLinkFields = tr::kTemperatureMonitor.Mask() |
                                 tr::kAmbientTemperatureMonitor.Mask() |
                                 tr::kPrimaryFanController.Mask() | tr::kSmoothingWindow.Mask() |
                                 tr::kIntegralTimeWindow.Mask() | tr::kDerivativeTimeWindow.Mask();
constexpr uint32_t kControlFields = fc::kPhysicalControllerIndex.Mask() | fc::kMinOffMode.Mask() |
                                    fc::kSignalInvert.Mask() | fc::kSignalFrequency.Mask() |
                                    fc::kSpinUpTime.Mask();

void DecodeTemperatureMonitor(const Record& r, TemperatureMonitor& t,
                              std::vector<Finding>* findings) {
  const uint8_t* b = r.bytes;
  t.usage = b[L::record::kUsage];
  t.deviceAddress = b[tm::kDeviceAddress];
  t.getReadingCommand = b[tm::kGetReadingCommand];
  t.relativeReadings = b[tm::kRelativeReadings];
  t.timeoutNonCritical = b[tm::kTimeoutNonCritical];
  t.timeoutCritical = b[tm::kTimeoutCritical];
  t.timeoutNonRecoverable = b[tm::kTimeoutNonRecoverable];
  t.relativeConversionFactor = I32(b, tm::kRelativeConversionFactor);
  t.accuracyCorrectionSlope = I32(b, tm::kAccuracyCorrectionSlope);
  t.accuracyCorrectionOffset = I32(b, tm::kAccuracyCorrectionOffset);
  t.temperatureNominal = I32(b, tm::kTemperatureNominal);
  t.temperatureNonCritical = I32(b, tm::kTemperatureNonCritical);
  t.temperatureCritical = I32(b, tm::kTemperatureCritical);
  t.temperatureNonRecoverable = I32(b, tm::kTemperatureNonRecoverable);
  if (t.deviceAddress == kNoDevice && t.getReadingCommand != kNoDevice)
    findings->push_back(
        {r.section, KeyOf(F::kTemperatureMonitorTable, F::temperature_monitor_field::kGetReadingCommand), "Not 0xFF Without a Device, Lost on Recompile"});
}

void DecodeFanMonitor(const Record& r, FanMonitor& f) {
  const uint8_t* b = r.bytes;
  f.usage = b[L::record::kUsage];
  f.deviceAddress = b[fm::kDeviceAddress];
  f.getAttributesCommand = b[fm::kGetAttributesCommand];
  f.getReadingCommand = b[fm::kGetReadingCommand];
  f.fanSpeedNominal = U16(b, fm::kFanSpeedNominal);
  f.fanSpeedNonCritical = U16(b, fm::kFanSpeedNonCritical);
  f.fanSpeedCritical = U16(b, fm::kFanSpeedCritical);
  f.fanSpeedNonRecoverable = U16(b, fm::kFanSpeedNonRecoverable);
}

void DecodeVoltageMonitor(const Record& r, VoltageMonitor& v) {
  const uint8_t* b = r.bytes;
  v.usage = b[L::record::kUsage];
  v.deviceAddress = b[vm::kDeviceAddress];
  v.getReadingCommand = b[vm::kGetReadingCommand];
  v.voltageNominal = I32(b, vm::kVoltageNominal);
  v.underNonCritical = I32(b, vm::kUnderVoltageNonCritical);
  v.underCritical = I32(b, vm::kUnderVoltageCritical);
  v.underNonRecoverable = I32(b, vm::kUnderVoltageNonRecoverable);
  v.overNonCritical = I32(b, vm::kOverVoltageNonCritical);
  v.overCritical = I32(b, vm::kOverVoltageCritical);
  v.overNonRecoverable = I32(b, vm::kOverVoltageNonRecoverable);
}

bool DecodeTemperatureResponse(const Record& r, TemperatureResponse& t,
                               std::vector<Finding>* findings, std::string* err) {
  const uint8_t* b = r.bytes;
  uint32_t link = U32(b, tr::kLink);
  t.usage = b[L::record::kUsage];
  t.temperatureMonitor = Get(tr::kTemperatureMonitor, link);
  t.ambientMonitor = Get(tr::kAmbientTemperatureMonitor, link);
  t.primaryFanController = Get(tr::kPrimaryFanController, link);
  t.smoothingWindow = Get(tr::kSmoothingWindow, link);
  t.integralTimeWindow = Get(tr::kIntegralTimeWindow, link);
  t.derivativeTimeWindow = Get(tr::kDerivativeTimeWindow, link);
  t.proportionalGain = I32(b, tr::kProportionalGain);
  t.integralGain = I32(b, tr::kIntegralGain);
  t.derivativeGain = I32(b, tr::kDerivativeGain);
  t.temperatureLimit = I32(b, tr::kTemperatureLimit);
  t.allOnTemperature = I32(b, tr::kAllOnTemperature);
  t.ambientDutyCycleMin = I32(b, tr::kAmbientDutyCycleMin);
  t.ambientTempMin = I32(b, tr::kAmbientTempMin);
  t.ambientTempRange = I32(b, tr::kAmbientTempRange);
  t.ambientDutyCycleReduction = I32(b, tr::kAmbientDutyCycleReduction);
  int monitors = L::kTemperatureMonitors.count, controllers = L::kFanControllers.count;
  namespace f = F::temperature_response_field;
  const F::KindTable& table = F::kTemperatureResponseTable;
  if (!Reference(t.temperatureMonitor, monitors, false, r, KeyOf(table, f::kTemperatureMonitor), err) ||
      !Reference(t.ambientMonitor, monitors, true, r, KeyOf(table, f::kAmbientTemperatureMonitor), err))
    return false;
  if (t.ambientMonitor == L::kNoReference) {
    // Without an ambient monitor the compiler leaves all ambient fields 0.
    if (t.primaryFanController != 0 ||
        !AllZero(b, tr::kAmbientDutyCycleMin, L::kTemperatureResponses.recordLength))
      findings->push_back({r.section, KeyOf(table, f::kAmbientTemperatureMonitor),
                           "Ambient Fields Not 0 Without a Monitor, Lost on Recompile"});
  } else if (!Reference(t.primaryFanController, controllers, false, r, KeyOf(table, f::kPrimaryFanController),
                        err)) {
    return false;
  }
  if ((link & ~kLinkFields) != 0)
    findings->push_back({r.section, "", "Reserved Link Word Bits Set, Lost on Recompile"});
  return true;
}

bool DecodeFanController(const Record& r, FanController& f, std::vector<Finding>* findings,
                         std::string* err) {
  const uint8_t* b = r.bytes;
  f.usage = b[L::record::kUsage];
  f.deviceAddress = b[fc::kDeviceAddress];
  f.getAttributesCommand = b[fc::kGetAttributesCommand];
  f.setConfigurationCommand = b[fc::kSetConfigurationCommand];
  f.setSpeedCommand = b[fc::kSetSpeedCommand];
  f.getSpeedCommand = b[fc::kGetSpeedCommand];
  for (int k = 0; k < fc::kFanSlotCount; ++k) {
    const uint8_t* s = b + fc::kFanSlots + size_t(k) * fc::kFanSlotSize;
    FanSlot& slot = f.slots[size_t(k)];
    slot.monitor = Get(fc::kSlotMonitor, s[0]);
    const std::string key =
        KeyOf(F::kFanControllerTable, F::fan_controller_field::SlotField(k + 1, F::fan_controller_field::kSlotMonitor));
    // A NONE in slot 1 is a value the compiler refuses, which the checks
    // report; it does not make the bytes unreadable.
    if (!Reference(slot.monitor, L::kFanMonitors.count, true, r, key.c_str(), err)) return false;
    if (slot.monitor == L::kNoReference) {
      if (s[0] != L::kNoReference || !AllZero(s, 1, fc::kFanSlotSize))
        findings->push_back(
            {r.section, key, "Fan Slot Not 0 Without a Monitor, Lost on Recompile"});
      continue;
    }
    slot.pulsesPerRevolution = Get(fc::kSlotPulsesPerRevolution, s[0]);
    slot.dependentMeasurement = Get(fc::kSlotDependentMeasurement, s[0]) != 0;
    slot.setConfigurationCommand = s[fc::kSlotSetConfigurationCommand];
    slot.minimumRpm = U16(s, fc::kSlotMinimumRpm);
  }
  uint16_t control = U16(b, fc::kControl);
  f.physicalControllerIndex = Get(fc::kPhysicalControllerIndex, control);
  f.minOffModeOff = Get(fc::kMinOffMode, control) != 0;
  f.signalInvert = Get(fc::kSignalInvert, control) != 0;
  f.signalFrequency = Get(fc::kSignalFrequency, control);
  f.spinUpTime = Get(fc::kSpinUpTime, control);
  if ((control & ~kControlFields) != 0)
    findings->push_back({r.section, "", "Reserved Control Word Bits Set, Lost on Recompile"});
  f.dutyCycleMin = U16(b, fc::kDutyCycleMin);
  f.dutyCycleOn = U16(b, fc::kDutyCycleOn);
  f.dutyCycleMax = U16(b, fc::kDutyCycleMax);
  for (int m = 0; m < fc::kWeightingCount; ++m)
    f.weightings[size_t(m)] = I32(b, fc::kWeightings + size_t(m) * 4);
  return true;
}

// Runs `decode` on every enabled slot of a kind, after the header check.
template <typename Entities, typename Decode>
bool DecodeKind(std::span<const uint8_t> image, const L::KindLayout& k, Entities& entities,
                std::vector<Finding>* findings, std::string* err, Decode decode) {
  for (int n = 1; n <= k.count; ++n) {
    Record r = At(image, k, n);
    auto& entity = entities[size_t(n - 1)];
    if (!ReadHeader(r, k, n, &entity.enabled, findings, err)) return false;
    if (entity.enabled && !decode(r, entity)) return false;
  }
  return true;
}

}  // namespace

bool DecodePayload(std::span<const uint8_t> image, DecodedPayload* out,
                   std::vector<Finding>* findings, std::string* err) {
  if (image.size() != L::kImageSize) {
    *err = Printf("Payload holds %zu bytes, expected %zu", image.size(), L::kImageSize);
    return false;
  }
  const uint8_t* p = image.data();
  uint32_t signature = U32(p, L::header::kSignature);
  if (signature != L::kSignature) {
    *err = Printf("Wrong signature 0x%08X, expected 0x%08X", signature, L::kSignature);
    return false;
  }
  if (p[L::header::kVersion] != L::kVersion) {
    *err = Printf("Wrong version %u, expected %u", p[L::header::kVersion], L::kVersion);
    return false;
  }
  uint16_t total = U16(p, L::header::kTotalLength);
  if (total != L::kImageSize) {
    *err = Printf("Wrong total length %u, expected %zu", total, L::kImageSize);
    return false;
  }
  if (p[L::header::kReserved] != 0)
    findings->push_back({"", "", "Reserved Header Byte Not 0, Lost on Recompile"});

  DecodedPayload d;
  std::copy(image.begin(), image.end(), d.image.bytes.begin());
  bool ok =
      DecodeKind(image, L::kTemperatureMonitors, d.temperatureMonitors, findings, err,
                 [&](const Record& r, TemperatureMonitor& t) {
                   DecodeTemperatureMonitor(r, t, findings);
                   return true;
                 }) &&
      DecodeKind(image, L::kFanMonitors, d.fanMonitors, findings, err,
                 [&](const Record& r, FanMonitor& f) {
                   DecodeFanMonitor(r, f);
                   return true;
                 }) &&
      DecodeKind(image, L::kVoltageMonitors, d.voltageMonitors, findings, err,
                 [&](const Record& r, VoltageMonitor& v) {
                   DecodeVoltageMonitor(r, v);
                   return true;
                 }) &&
      DecodeKind(image, L::kTemperatureResponses, d.temperatureResponses, findings, err,
                 [&](const Record& r, TemperatureResponse& t) {
                   return DecodeTemperatureResponse(r, t, findings, err);
                 }) &&
      DecodeKind(image, L::kFanControllers, d.fanControllers, findings, err,
                 [&](const Record& r, FanController& f) {
                   return DecodeFanController(r, f, findings, err);
                 });
  if (!ok) return false;
  *out = d;
  return true;
}

std::string FormatFinding(const Finding& f) {
  std::string line = "  WARNING: ";
  if (!f.section.empty()) {
    line += "Section \"" + f.section + "\"";
    if (!f.key.empty()) line += ", Parameter \"" + f.key + "\"";
    line += " - ";
  }
  return line + f.message + "!";
}

}  // namespace zefrdump
