#include <array>

#include "common_rows.h"

namespace zefr::format {

namespace {

using namespace rows;
namespace f = fan_controller_field;
namespace at = payload::fan_controller;

constexpr std::size_t SlotOffset(int slot) { return at::kFanSlots + at::kFanSlotSize * static_cast<std::size_t>(slot - 1); }

constexpr FieldRow SlotBits(const char* key, int slot, payload::BitField bits) {
  return {.key = key, .store = Store::kBits8, .offset = static_cast<std::uint16_t>(SlotOffset(slot)), .bits = bits};
}

// A fan slot: the fan monitor it reads (NONE leaves the slot unused, except
// in the first), then four keys read only when the slot is in use.
struct SlotKeys {
  const char* monitor;
  const char* setConfigurationCommand;
  const char* pulsesPerRevolution;
  const char* minimumRpm;
  const char* dependentMeasurement;
};

constexpr FieldRow SlotRow(const SlotKeys& k, int slot, int which) {
  const std::int8_t gate = f::SlotField(slot, f::kSlotMonitor);
  FieldRow row{};
  switch (which) {
    case f::kSlotMonitor:
      row = SlotBits(k.monitor, slot, at::kSlotMonitor);
      row.min = 1;
      row.max = 8;
      row.bias = -1;
      row.references = payload::Kind::kFanMonitor;
      row.noneAllowed = slot > 1;
      row.noneStored = payload::kNoReference;
      return row;
    case f::kSlotSetConfigurationCommand:
      row = Byte(k.setConfigurationCommand, SlotOffset(slot) + at::kSlotSetConfigurationCommand, true);
      break;
    case f::kSlotPulsesPerRevolution:
      row = SlotBits(k.pulsesPerRevolution, slot, at::kSlotPulsesPerRevolution);
      row.min = 1;
      row.max = 4;
      row.bias = -1;
      break;
    case f::kSlotMinimumRpm:
      row = Word(k.minimumRpm, SlotOffset(slot) + at::kSlotMinimumRpm, 16000);
      break;
    default:
      row = SlotBits(k.dependentMeasurement, slot, at::kSlotDependentMeasurement);
      row.reading = Reading::kBoolean;
      break;
  }
  row.gate = gate;
  return row;
}

constexpr SlotKeys kSlots[] = {
    {"AssociatedFanSpeedMonitor1", "Fan1SetConfigurationCommand", "Fan1PulsesPerRevolution", "Fan1MinimumRPM",
     "Fan1DependentMeasurement"},
    {"AssociatedFanSpeedMonitor2", "Fan2SetConfigurationCommand", "Fan2PulsesPerRevolution", "Fan2MinimumRPM",
     "Fan2DependentMeasurement"},
    {"AssociatedFanSpeedMonitor3", "Fan3SetConfigurationCommand", "Fan3PulsesPerRevolution", "Fan3MinimumRPM",
     "Fan3DependentMeasurement"},
    {"AssociatedFanSpeedMonitor4", "Fan4SetConfigurationCommand", "Fan4PulsesPerRevolution", "Fan4MinimumRPM",
     "Fan4DependentMeasurement"},
};

constexpr const char* kWeightingKeys[] = {
    "TempResponse1Weighting", "TempResponse2Weighting",  "TempResponse3Weighting",  "TempResponse4Weighting",
    "TempResponse5Weighting", "TempResponse6Weighting",  "TempResponse7Weighting",  "TempResponse8Weighting",
    "TempResponse9Weighting", "TempResponse10Weighting", "TempResponse11Weighting", "TempResponse12Weighting"};

constexpr FieldRow Control(const char* key, payload::BitField bits, Reading reading) {
  return {.key = key, .reading = reading, .store = Store::kBits16, .offset = at::kControl, .bits = bits};
}

constexpr FieldRow DutyCycle(const char* key, std::size_t offset, std::int32_t min) {
  FieldRow row = Decimal(key, offset, 2, min, 10000);
  row.store = Store::kWord;
  return row;
}

constexpr FieldRow List(const char* key, payload::BitField bits, std::span<const std::int32_t> list) {
  FieldRow row = Control(key, bits, Reading::kList);
  row.min = list.front();
  row.max = list.back();
  row.list = list;
  return row;
}

constexpr auto kFields = [] {
  std::array<FieldRow, f::kCount> rows{};
  rows[f::kEnabled] = Enabled();
  rows[f::kUsage] = Usage(13);
  rows[f::kDeviceAddress] = Byte("DeviceAddress", at::kDeviceAddress);
  rows[f::kGetAttributesCommand] = Byte("GetAttributesCommand", at::kGetAttributesCommand);
  rows[f::kSetConfigurationCommand] = Byte("SetConfigurationCommand", at::kSetConfigurationCommand, true);
  rows[f::kSetSpeedCommand] = Byte("SetSpeedCommand", at::kSetSpeedCommand);
  rows[f::kGetSpeedCommand] = Byte("GetSpeedCommand", at::kGetSpeedCommand);
  for (int slot = 1; slot <= at::kFanSlotCount; ++slot)
    for (int which = 0; which < f::kSlotKeys; ++which)
      rows[static_cast<std::size_t>(f::SlotField(slot, which))] = SlotRow(kSlots[slot - 1], slot, which);
  FieldRow index = Control("PhysicalControllerIndex", at::kPhysicalControllerIndex, Reading::kInteger);
  index.min = 1;
  index.max = 4;
  index.bias = -1;
  rows[f::kPhysicalControllerIndex] = index;
  rows[f::kMinOffMode] = Control("MinOffMode", at::kMinOffMode, Reading::kMinOff);
  rows[f::kDutyCycleMin] = DutyCycle("DutyCycleMin", at::kDutyCycleMin, 0);
  rows[f::kDutyCycleOn] = DutyCycle("DutyCycleOn", at::kDutyCycleOn, 500);
  rows[f::kDutyCycleMax] = DutyCycle("DutyCycleMax", at::kDutyCycleMax, 0);
  rows[f::kSignalInvert] = Control("SignalInvert", at::kSignalInvert, Reading::kBoolean);
  rows[f::kSignalFrequency] = List("SignalFrequency", at::kSignalFrequency, kSignalFrequencies);
  rows[f::kSpinUpTime] = List("SpinUpTime", at::kSpinUpTime, kSpinUpTimes);
  for (int m = 1; m <= at::kWeightingCount; ++m) {
    FieldRow row = Decimal(kWeightingKeys[m - 1], at::kWeightings + 4 * static_cast<std::size_t>(m - 1), 2, 0, 10000);
    row.absent = Absent::kPresumeZero;
    row.absentMessage = "Not Specified, Presuming 0.0";
    rows[static_cast<std::size_t>(f::WeightingField(m))] = row;
  }
  return rows;
}();

}  // namespace

const KindTable kFanControllerTable{payload::kFanControllers, kFields};

}  // namespace zefr::format
