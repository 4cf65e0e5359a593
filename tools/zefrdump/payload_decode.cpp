#include <cstdio>
#include <cstring>

#include "decoded_payload.h"
#include "payload_layout_interim.h"

namespace zefrdump {
namespace {

namespace L = layout;

const char* const kFamilies[6] = {"Payload Header",     "TemperatureMonitor", "FanMonitor",
                                  "VoltageMonitor",     "TemperatureResponse", "FanController"};

std::string Section(int kind, int number) {
  return std::string(kFamilies[kind]) + std::to_string(number);
}

uint8_t U8(const uint8_t* r, size_t off) { return r[off]; }
uint16_t U16(const uint8_t* r, size_t off) { return uint16_t(r[off] | (r[off + 1] << 8)); }
uint32_t U32(const uint8_t* r, size_t off) {
  return uint32_t(r[off]) | uint32_t(r[off + 1]) << 8 | uint32_t(r[off + 2]) << 16 |
         uint32_t(r[off + 3]) << 24;
}
int32_t I32(const uint8_t* r, size_t off) { return int32_t(U32(r, off)); }
unsigned Bits(uint32_t word, L::BitField f) { return (word >> f.shift) & ((1u << f.width) - 1); }

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

// Decodes the shared part of every record and checks that the header
// belongs to the slot; returns the enabled flag through `enabled`.
bool ReadHeader(const uint8_t* image, int kind, int number, bool* enabled,
                std::vector<Finding>* findings, std::string* err) {
  const L::KindLayout& k = L::kKinds[kind];
  size_t off = k.offset + size_t(number - 1) * k.length;
  const uint8_t* r = image + off;
  uint16_t word = U16(r, 0);
  unsigned gotKind = word & L::kRecKindMask;
  unsigned gotIndex = (word >> L::kRecIndexShift) & L::kRecIndexMask;
  unsigned gotLength = word >> L::kRecLengthShift;
  if (gotKind != unsigned(kind) || gotIndex != unsigned(number - 1) || gotLength != k.length) {
    *err = Printf(
        "Record header 0x%04X at offset %zu does not belong to %s (kind %u, index %u, length %u;"
        " expected kind %d, index %d, length %zu)",
        word, off, Section(kind, number).c_str(), gotKind, gotIndex, gotLength, kind, number - 1,
        k.length);
    return false;
  }
  *enabled = (word & L::kRecEnabledBit) != 0;
  if (!*enabled && !AllZero(r, 2, k.length))
    findings->push_back({Section(kind, number), "Enabled",
                         "Disabled Record Holds Non-Zero Bytes, Lost on Recompile"});
  return true;
}

const uint8_t* Record(const uint8_t* image, int kind, int number) {
  return image + L::kKinds[kind].offset + size_t(number - 1) * L::kKinds[kind].length;
}

bool Reference(unsigned value, unsigned count, bool noneAllowed, const std::string& section,
               const char* key, std::string* err) {
  if (value < count || (noneAllowed && value == L::kNoReference)) return true;
  *err = Printf("Section \"%s\", Parameter \"%s\" refers to number %u, beyond the %u there are",
                section.c_str(), key, value + 1, count);
  return false;
}

}  // namespace

bool DecodePayload(std::span<const uint8_t> image, DecodedPayload* out,
                   std::vector<Finding>* findings, std::string* err) {
  if (image.size() != L::kImageSize) {
    *err = Printf("Payload holds %zu bytes, expected %zu", image.size(), L::kImageSize);
    return false;
  }
  const uint8_t* p = image.data();
  if (U32(p, L::kHdrSignature) != L::kSignature) {
    *err = Printf("Wrong signature 0x%08X, expected 0x%08X", U32(p, L::kHdrSignature),
                  L::kSignature);
    return false;
  }
  if (U8(p, L::kHdrVersion) != L::kVersion) {
    *err = Printf("Wrong version %u, expected %u", U8(p, L::kHdrVersion), L::kVersion);
    return false;
  }
  if (U16(p, L::kHdrTotalLength) != L::kImageSize) {
    *err = Printf("Wrong total length %u, expected %zu", U16(p, L::kHdrTotalLength),
                  L::kImageSize);
    return false;
  }
  if (U8(p, L::kHdrReserved) != 0)
    findings->push_back({"", "", "Reserved Header Byte Not 0, Lost on Recompile"});

  DecodedPayload d;
  for (int n = 1; n <= 12; ++n) {
    TemperatureMonitor& t = d.temperatureMonitors[n - 1];
    if (!ReadHeader(p, 1, n, &t.enabled, findings, err)) return false;
    if (!t.enabled) continue;
    const uint8_t* r = Record(p, 1, n);
    t.usage = U8(r, L::kRecUsage);
    t.deviceAddress = U8(r, L::kTmDeviceAddress);
    t.getReadingCommand = U8(r, L::kTmGetReadingCommand);
    t.relativeReadings = U8(r, L::kTmRelativeReadings);
    t.timeoutNonCritical = U8(r, L::kTmTimeoutNonCritical);
    t.timeoutCritical = U8(r, L::kTmTimeoutCritical);
    t.timeoutNonRecoverable = U8(r, L::kTmTimeoutNonRecoverable);
    t.relativeConversionFactor = I32(r, L::kTmRelativeConversionFactor);
    t.accuracyCorrectionSlope = I32(r, L::kTmAccuracyCorrectionSlope);
    t.accuracyCorrectionOffset = I32(r, L::kTmAccuracyCorrectionOffset);
    t.temperatureNominal = I32(r, L::kTmTemperatureNominal);
    t.temperatureNonCritical = I32(r, L::kTmTemperatureNonCritical);
    t.temperatureCritical = I32(r, L::kTmTemperatureCritical);
    t.temperatureNonRecoverable = I32(r, L::kTmTemperatureNonRecoverable);
    if (t.deviceAddress == 0xFF && t.getReadingCommand != 0xFF)
      findings->push_back({Section(1, n), "GetReadingCommand",
                           "Not 0xFF Without a Device, Lost on Recompile"});
  }
  for (int n = 1; n <= 8; ++n) {
    FanMonitor& f = d.fanMonitors[n - 1];
    if (!ReadHeader(p, 2, n, &f.enabled, findings, err)) return false;
    if (!f.enabled) continue;
    const uint8_t* r = Record(p, 2, n);
    f.usage = U8(r, L::kRecUsage);
    f.deviceAddress = U8(r, L::kFmDeviceAddress);
    f.getAttributesCommand = U8(r, L::kFmGetAttributesCommand);
    f.getReadingCommand = U8(r, L::kFmGetReadingCommand);
    f.fanSpeedNominal = U16(r, L::kFmFanSpeedNominal);
    f.fanSpeedNonCritical = U16(r, L::kFmFanSpeedNonCritical);
    f.fanSpeedCritical = U16(r, L::kFmFanSpeedCritical);
    f.fanSpeedNonRecoverable = U16(r, L::kFmFanSpeedNonRecoverable);
  }
  for (int n = 1; n <= 8; ++n) {
    VoltageMonitor& v = d.voltageMonitors[n - 1];
    if (!ReadHeader(p, 3, n, &v.enabled, findings, err)) return false;
    if (!v.enabled) continue;
    const uint8_t* r = Record(p, 3, n);
    v.usage = U8(r, L::kRecUsage);
    v.deviceAddress = U8(r, L::kVmDeviceAddress);
    v.getReadingCommand = U8(r, L::kVmGetReadingCommand);
    v.voltageNominal = I32(r, L::kVmVoltageNominal);
    v.underNonCritical = I32(r, L::kVmUnderVoltageNonCritical);
    v.underCritical = I32(r, L::kVmUnderVoltageCritical);
    v.underNonRecoverable = I32(r, L::kVmUnderVoltageNonRecoverable);
    v.overNonCritical = I32(r, L::kVmOverVoltageNonCritical);
    v.overCritical = I32(r, L::kVmOverVoltageCritical);
    v.overNonRecoverable = I32(r, L::kVmOverVoltageNonRecoverable);
  }
  for (int n = 1; n <= 12; ++n) {
    TemperatureResponse& t = d.temperatureResponses[n - 1];
    if (!ReadHeader(p, 4, n, &t.enabled, findings, err)) return false;
    if (!t.enabled) continue;
    const uint8_t* r = Record(p, 4, n);
    std::string section = Section(4, n);
    uint32_t link = U32(r, L::kTrLinkWord);
    t.usage = U8(r, L::kRecUsage);
    t.temperatureMonitor = uint8_t(Bits(link, L::kLinkTemperatureMonitor));
    t.ambientMonitor = uint8_t(Bits(link, L::kLinkAmbientMonitor));
    t.primaryFanController = uint8_t(Bits(link, L::kLinkPrimaryFanController));
    t.smoothingWindow = uint8_t(Bits(link, L::kLinkSmoothingWindow));
    t.integralTimeWindow = uint8_t(Bits(link, L::kLinkIntegralTimeWindow));
    t.derivativeTimeWindow = uint8_t(Bits(link, L::kLinkDerivativeTimeWindow));
    t.proportionalGain = I32(r, L::kTrProportionalGain);
    t.integralGain = I32(r, L::kTrIntegralGain);
    t.derivativeGain = I32(r, L::kTrDerivativeGain);
    t.temperatureLimit = I32(r, L::kTrTemperatureLimit);
    t.allOnTemperature = I32(r, L::kTrAllOnTemperature);
    t.ambientDutyCycleMin = I32(r, L::kTrAmbientDutyCycleMin);
    t.ambientTempMin = I32(r, L::kTrAmbientTempMin);
    t.ambientTempRange = I32(r, L::kTrAmbientTempRange);
    t.ambientDutyCycleReduction = I32(r, L::kTrAmbientDutyCycleReduction);
    if (!Reference(t.temperatureMonitor, 12, false, section, "TemperatureMonitor", err) ||
        !Reference(t.ambientMonitor, 12, true, section, "AmbientTemperatureMonitor", err))
      return false;
    if (t.ambientMonitor == L::kNoReference) {
      // Without an ambient monitor the compiler leaves all ambient fields 0.
      if (t.primaryFanController != 0 || !AllZero(r, L::kTrAmbientDutyCycleMin, 43))
        findings->push_back({section, "AmbientTemperatureMonitor",
                             "Ambient Fields Not 0 Without a Monitor, Lost on Recompile"});
    } else if (!Reference(t.primaryFanController, 8, false, section, "PrimaryFanController",
                          err)) {
      return false;
    }
    if (Bits(link, L::kLinkReserved) != 0)
      findings->push_back({section, "", "Reserved Link Word Bits Set, Lost on Recompile"});
  }
  for (int n = 1; n <= 8; ++n) {
    FanController& f = d.fanControllers[n - 1];
    if (!ReadHeader(p, 5, n, &f.enabled, findings, err)) return false;
    if (!f.enabled) continue;
    const uint8_t* r = Record(p, 5, n);
    std::string section = Section(5, n);
    f.usage = U8(r, L::kRecUsage);
    f.deviceAddress = U8(r, L::kFcDeviceAddress);
    f.getAttributesCommand = U8(r, L::kFcGetAttributesCommand);
    f.setConfigurationCommand = U8(r, L::kFcSetConfigurationCommand);
    f.setSpeedCommand = U8(r, L::kFcSetSpeedCommand);
    f.getSpeedCommand = U8(r, L::kFcGetSpeedCommand);
    for (int k = 0; k < 4; ++k) {
      const uint8_t* s = r + L::kFcFanSlots + size_t(k) * L::kFcFanSlotLength;
      FanSlot& slot = f.slots[k];
      slot.monitor = uint8_t(Bits(s[0], L::kSlotMonitor));
      std::string key = "AssociatedFanSpeedMonitor" + std::to_string(k + 1);
      // Slot 1 must name a monitor, but a stored 31 there is the compiler's
      // refusal to judge (reported by the checks), not an unreadable byte.
      if (!Reference(slot.monitor, 8, true, section, key.c_str(), err)) return false;
      if (slot.monitor == L::kNoReference) {
        if (!AllZero(s, 1, L::kFcFanSlotLength) || (s[0] & ~0x1Fu) != 0)
          findings->push_back({section, key, "Fan Slot Not 0 Without a Monitor, Lost on Recompile"});
        continue;
      }
      slot.pulsesPerRevolution = uint8_t(Bits(s[0], L::kSlotPulses));
      slot.dependentMeasurement = Bits(s[0], L::kSlotDependent) != 0;
      slot.setConfigurationCommand = s[L::kSlotSetConfigurationCommand];
      slot.minimumRpm = U16(s, L::kSlotMinimumRpm);
    }
    uint16_t control = U16(r, L::kFcControlWord);
    f.physicalControllerIndex = uint8_t(Bits(control, L::kCtlPhysicalIndex));
    f.minOffModeOff = Bits(control, L::kCtlMinOffMode) != 0;
    f.signalInvert = Bits(control, L::kCtlSignalInvert) != 0;
    f.signalFrequency = uint8_t(Bits(control, L::kCtlSignalFrequency));
    f.spinUpTime = uint8_t(Bits(control, L::kCtlSpinUpTime));
    if (Bits(control, L::kCtlReserved) != 0)
      findings->push_back({section, "", "Reserved Control Word Bits Set, Lost on Recompile"});
    f.dutyCycleMin = U16(r, L::kFcDutyCycleMin);
    f.dutyCycleOn = U16(r, L::kFcDutyCycleOn);
    f.dutyCycleMax = U16(r, L::kFcDutyCycleMax);
    for (int m = 0; m < 12; ++m) f.weightings[m] = I32(r, L::kFcWeightings + size_t(m) * 4);
  }
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
