#pragma once
// The rules of a record that depend on other values in it. Values are given
// as read (NONE as -1), one per row of the kind's table; an unknown one (not
// read, or refused) as nullopt.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "field_table.h"
#include "value_text.h"

namespace zefr::format {

using RecordValues = std::span<const std::optional<std::int32_t>>;

struct Bounds {
  std::int32_t min, max;
  bool noneAllowed;
};

// Temperature usages 1 and 2: the processor's own temperatures.
bool IsProcessorTemperature(std::int32_t usage);

// Voltage usages 9 to 12: a processor's core voltage, whose thresholds are
// offsets when the nominal is 0.
bool IsVccp(std::int32_t usage);

// The processor's own get-temperature abstraction survives only without a
// device or on its usual sensor address and commands.
bool KeepsTemperatureAbstraction(std::uint8_t device, std::uint8_t command);

// Timeouts: any count of seconds without a device (the last may be NONE,
// never), 1, 2 and 4 for a processor's sensor, up to 10 for another sensor.
Bounds TimeoutBounds(int field, bool hasDevice, bool processor);

// Temperatures of a monitor and limits of a response, in hundredths of a
// degree: a processor's are offsets from its own control temperature.
inline constexpr Bounds kAnyTemperature{-12800, 12800, false};
constexpr Bounds MonitorTemperatureBounds(bool processor) {
  return processor ? Bounds{0, 2000, false} : kAnyTemperature;
}
constexpr Bounds ResponseTemperatureBounds(bool processor) {
  return processor ? Bounds{-3000, 3000, false} : kAnyTemperature;
}

// Any voltage, in millivolts: the nominal's bounds, and the thresholds' of an
// unknown or other source.
inline constexpr Bounds kAnyVoltage{-300000, 300000, false};

// Voltage thresholds, in millivolts, by usage.
Bounds VoltageBounds(std::int32_t usage);

// A fan controller that weighs a disabled temperature response with anything
// but 0 is reported, though the compiler goes on: the controller's row for
// that response.
const FieldRow& WeightingRow(int response);
bool WeighsDisabledResponse(bool controllerEnabled, std::int32_t weighting);

// What the value stores: NONE its own code, anything else value + bias.
std::uint32_t StoredValue(const FieldRow& row, std::int32_t value);

// The row's value read from its text as the compiler reads it, within bounds.
Verdict ReadRowValue(const FieldRow& row, const Bounds& bounds, const std::string& text, std::int32_t& out);

// Whether the row is read: a gate row that holds NONE (or a device address of
// 0xFF) shuts it. nullopt when the gate's value is unknown.
std::optional<bool> GateOpen(const KindTable& table, int field, RecordValues values);

// The row's bounds given the record; nullopt when a value they depend on is
// unknown (the row's own min and max are then the widest they can be).
std::optional<Bounds> RowBounds(const KindTable& table, int field, RecordValues values);

// Whether a processor temperature monitor with a device loses the
// abstraction (the compiler warns); nullopt when unknown.
std::optional<bool> LosesTemperatureAbstraction(RecordValues values);

}  // namespace zefr::format
