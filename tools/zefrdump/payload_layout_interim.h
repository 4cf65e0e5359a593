// Byte positions of the payload image, kept here only until the compiler's
// own layout header can be used; nothing else in zefrdump knows an offset.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zefrdump::layout {

inline constexpr size_t kImageSize = 1984;
inline constexpr uint32_t kSignature = 0x5A454652;
inline constexpr uint8_t kVersion = 1;

// Payload header.
inline constexpr size_t kHdrSignature = 0, kHdrVersion = 4, kHdrReserved = 5, kHdrTotalLength = 6;

// Per kind (1..5): first record offset, record length, slot count.
struct KindLayout {
  size_t offset;
  size_t length;
  int count;
};
inline constexpr KindLayout kKinds[6] = {
    {0, 8, 1}, {8, 37, 12}, {452, 14, 8}, {564, 33, 8}, {828, 43, 12}, {1344, 80, 8}};

// Record header word.
inline constexpr unsigned kRecKindMask = 0x7, kRecIndexShift = 3, kRecIndexMask = 0x1F;
inline constexpr unsigned kRecEnabledBit = 0x100, kRecLengthShift = 9;
inline constexpr size_t kRecUsage = 2;

// Temperature monitor.
inline constexpr size_t kTmDeviceAddress = 3, kTmGetReadingCommand = 4, kTmRelativeReadings = 5,
                        kTmTimeoutNonCritical = 6, kTmTimeoutCritical = 7,
                        kTmTimeoutNonRecoverable = 8, kTmRelativeConversionFactor = 9,
                        kTmAccuracyCorrectionSlope = 13, kTmAccuracyCorrectionOffset = 17,
                        kTmTemperatureNominal = 21, kTmTemperatureNonCritical = 25,
                        kTmTemperatureCritical = 29, kTmTemperatureNonRecoverable = 33;

// Fan monitor.
inline constexpr size_t kFmDeviceAddress = 3, kFmGetAttributesCommand = 4,
                        kFmGetReadingCommand = 5, kFmFanSpeedNominal = 6,
                        kFmFanSpeedNonCritical = 8, kFmFanSpeedCritical = 10,
                        kFmFanSpeedNonRecoverable = 12;

// Voltage monitor.
inline constexpr size_t kVmDeviceAddress = 3, kVmGetReadingCommand = 4, kVmVoltageNominal = 5,
                        kVmUnderVoltageNonCritical = 9, kVmUnderVoltageCritical = 13,
                        kVmUnderVoltageNonRecoverable = 17, kVmOverVoltageNonCritical = 21,
                        kVmOverVoltageCritical = 25, kVmOverVoltageNonRecoverable = 29;

// Temperature response and its link word bit fields (shift, width).
inline constexpr size_t kTrLinkWord = 3, kTrProportionalGain = 7, kTrIntegralGain = 11,
                        kTrDerivativeGain = 15, kTrTemperatureLimit = 19,
                        kTrAllOnTemperature = 23, kTrAmbientDutyCycleMin = 27,
                        kTrAmbientTempMin = 31, kTrAmbientTempRange = 35,
                        kTrAmbientDutyCycleReduction = 39;
struct BitField {
  unsigned shift;
  unsigned width;
};
inline constexpr BitField kLinkTemperatureMonitor{0, 5}, kLinkAmbientMonitor{5, 5},
    kLinkPrimaryFanController{10, 5}, kLinkSmoothingWindow{15, 5},
    kLinkIntegralTimeWindow{20, 5}, kLinkDerivativeTimeWindow{25, 5}, kLinkReserved{30, 2};

// Fan controller, its fan slots and control word.
inline constexpr size_t kFcDeviceAddress = 3, kFcGetAttributesCommand = 4,
                        kFcSetConfigurationCommand = 5, kFcSetSpeedCommand = 6,
                        kFcGetSpeedCommand = 7, kFcFanSlots = 8, kFcFanSlotLength = 4,
                        kFcControlWord = 24, kFcDutyCycleMin = 26, kFcDutyCycleOn = 28,
                        kFcDutyCycleMax = 30, kFcWeightings = 32;
inline constexpr BitField kSlotMonitor{0, 5}, kSlotPulses{5, 2}, kSlotDependent{7, 1};
inline constexpr size_t kSlotSetConfigurationCommand = 1, kSlotMinimumRpm = 2;
inline constexpr BitField kCtlPhysicalIndex{0, 3}, kCtlMinOffMode{3, 1}, kCtlSignalInvert{4, 1},
    kCtlSignalFrequency{5, 3}, kCtlSpinUpTime{8, 3}, kCtlReserved{11, 5};

inline constexpr uint8_t kNoReference = 31;

}  // namespace zefrdump::layout
