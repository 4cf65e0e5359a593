#include "rules.h"

#include <iterator>
#include <limits>

namespace zefr::format {

namespace {

namespace tm = temperature_monitor_field;

// Whether the monitor has a device; nullopt when unknown.
std::optional<bool> HasDevice(RecordValues v) {
  if (!v[tm::kDeviceAddress]) return std::nullopt;
  return StoredValue(kTemperatureMonitorTable.fields[tm::kDeviceAddress], *v[tm::kDeviceAddress]) != 0xFF;
}

std::optional<bool> Processor(RecordValues v, int usageField) {
  if (!v[usageField]) return std::nullopt;
  return IsProcessorTemperature(*v[usageField]);
}

// The processor's abstraction holds: processor usage and the device (if any)
// on its usual address and commands.
std::optional<bool> Abstraction(RecordValues v) {
  const auto processor = Processor(v, tm::kUsage);
  if (!processor) return std::nullopt;
  if (!*processor) return false;
  const auto loses = LosesTemperatureAbstraction(v);
  if (!loses) return std::nullopt;
  return !*loses;
}

}  // namespace

bool IsProcessorTemperature(std::int32_t usage) { return usage == 1 || usage == 2; }

bool IsVccp(std::int32_t usage) { return usage >= 9 && usage <= 12; }

bool KeepsTemperatureAbstraction(std::uint8_t device, std::uint8_t command) {
  return device == 0xFF || (device == 0x20 && command >= 2 && command <= 5);
}

Bounds TimeoutBounds(int field, bool hasDevice, bool processor) {
  if (!hasDevice) {
    if (field == tm::kTimeoutNonRecoverable) return {2, 255, true};
    return {1, 255, false};
  }
  if (processor) {
    if (field == tm::kTimeoutNonCritical) return {1, 1, false};
    if (field == tm::kTimeoutCritical) return {2, 2, false};
    return {4, 4, false};
  }
  return {1, 10, false};
}

Bounds VoltageBounds(std::int32_t usage) {
  static constexpr Bounds kBounds[] = {
      kAnyVoltage,              {10000, 14000, false}, {-14000, -10000, false}, {4000, 6000, false},
      {4000, 6000, false},      {-6000, 4000, false},  {2500, 4100, false},     {1000, 3500, false},
      {700, 1900, false},       {-800, 1500, false},   {-800, 1500, false},     {-800, 1500, false},
      {-800, 1500, false},      {90000, 260000, false},
  };
  // An unknown usage has no bounds to hold the thresholds to.
  if (usage < 0 || usage >= static_cast<std::int32_t>(std::size(kBounds)))
    return {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(), false};
  return kBounds[usage];
}

const FieldRow& WeightingRow(int response) {
  return kFanControllerTable.fields[static_cast<std::size_t>(fan_controller_field::WeightingField(response))];
}

bool WeighsDisabledResponse(bool controllerEnabled, std::int32_t weighting) { return controllerEnabled && weighting != 0; }

std::uint32_t StoredValue(const FieldRow& row, std::int32_t value) {
  if (row.noneAllowed && value == -1) return row.noneStored;
  return static_cast<std::uint32_t>(value + row.bias);
}

std::optional<bool> GateOpen(const KindTable& table, int field, RecordValues values) {
  const FieldRow& row = table.fields[static_cast<std::size_t>(field)];
  if (row.gate == kNoField) return true;
  const auto& gate = values[static_cast<std::size_t>(row.gate)];
  if (!gate) return std::nullopt;
  const FieldRow& gateRow = table.fields[static_cast<std::size_t>(row.gate)];
  return StoredValue(gateRow, *gate) != gateRow.noneStored;
}

std::optional<bool> LosesTemperatureAbstraction(RecordValues v) {
  const auto processor = Processor(v, tm::kUsage);
  const auto device = HasDevice(v);
  if (!processor || !device) return std::nullopt;
  if (!*processor || !*device) return false;
  if (!v[tm::kGetReadingCommand]) return std::nullopt;
  return !KeepsTemperatureAbstraction(static_cast<std::uint8_t>(*v[tm::kDeviceAddress]),
                                      static_cast<std::uint8_t>(*v[tm::kGetReadingCommand]));
}

std::optional<Bounds> RowBounds(const KindTable& table, int field, RecordValues values) {
  const FieldRow& row = table.fields[static_cast<std::size_t>(field)];
  switch (row.bounds) {
    case BoundsRule::kFixed:
      return Bounds{row.min, row.max, row.noneAllowed};
    case BoundsRule::kTimeout: {
      const auto device = HasDevice(values);
      if (!device) return std::nullopt;
      if (!*device) return TimeoutBounds(field, false, false);
      const auto processor = Processor(values, tm::kUsage);
      if (!processor) return std::nullopt;
      return TimeoutBounds(field, true, *processor);
    }
    case BoundsRule::kMonitorTemperature: {
      const auto processor = Processor(values, tm::kUsage);
      if (!processor) return std::nullopt;
      return MonitorTemperatureBounds(*processor);
    }
    case BoundsRule::kNominalTemperature: {
      // Under the abstraction the nominal is the processor's own: 0.
      const auto abstraction = Abstraction(values);
      if (!abstraction) return std::nullopt;
      if (*abstraction) return Bounds{0, 0, false};
      return MonitorTemperatureBounds(*Processor(values, tm::kUsage));
    }
    case BoundsRule::kVoltage: {
      const auto& usage = values[voltage_monitor_field::kUsage];
      if (!usage) return std::nullopt;
      return VoltageBounds(*usage);
    }
    case BoundsRule::kResponseTemperature: {
      const auto processor = Processor(values, temperature_response_field::kUsage);
      if (!processor) return std::nullopt;
      return ResponseTemperatureBounds(*processor);
    }
  }
  return std::nullopt;
}

Verdict ReadRowValue(const FieldRow& row, const Bounds& bounds, const std::string& text, std::int32_t& out) {
  switch (row.reading) {
    case Reading::kInteger: return ReadIntegerText(text, bounds.min, bounds.max, bounds.noneAllowed, out);
    case Reading::kDecimal: return ReadDecimalText(text, bounds.min, bounds.max, row.decimals, out);
    case Reading::kBoolean: return ReadBooleanText(text, out);
    case Reading::kMinOff: return ReadMinOffText(text, out);
    case Reading::kList: return ReadListText(text, row.list, out);
  }
  return Verdict::kInvalidValue;
}

}  // namespace zefr::format
