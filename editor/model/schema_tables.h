// The parameter tables of instance 1 of each kind, as plain data. The schema
// copies them into instances 2 .. N.
#pragma once

#include <cstdint>
#include <vector>

#include "parameter_schema.h"

namespace zefr::tables {

struct RangeRow {
  std::uint16_t key;  // minimum at key, maximum at key + 1
  float minimum;
  float maximum;
};

struct Option {
  const char* display;
  const char* stored;
  std::uint32_t classWord = 0;
};

// A list whose options name the instances of another kind.
struct Reference {
  int kind = -1;  // -1: not a reference list
  const char* extraDisplay = nullptr;  // appended after the instances
  const char* extraStored = nullptr;
};

struct Parameter {
  const char* key;  // nullptr: not in the INI file
  const char* displayName;
  std::uint32_t attributes;
  std::uint16_t maxLength = 0;
  std::vector<RangeRow> ranges = {};
  bool controlledByUsage = false;
  std::vector<Option> options = {};
  Reference reference = {};
  std::vector<std::int16_t> dependents = {};
  const char* message8 = nullptr;  // nullptr: no entry; "" is an empty entry
  const char* help = "";
};

const std::vector<Parameter>& TemperatureMonitorTable();
const std::vector<Parameter>& FanMonitorTable();
const std::vector<Parameter>& VoltageMonitorTable();
const std::vector<Parameter>& TemperatureResponseTable();
const std::vector<Parameter>& FanControllerTable();

// Shared texts and option lists.
inline constexpr const char* kDeviceDisabledMessage = "Device is disabled due to bad value.";
inline constexpr const char* kReferenceMessage = "Selected device is disabled or does not exist.";
const std::vector<Option>& EnabledOptions();
const std::vector<Option>& TemperatureUsageOptions();
const std::vector<Option>& FanUsageOptions();
const std::vector<Option>& TrueFalseOptions();  // blank, True, False

// Range rows used by many parameters.
inline constexpr float kWideMin = -1000000.0f;
inline constexpr float kWideMax = 1000000.0f;

// Row builders: a row common to several kinds from what differs.

// The instance switch; `referencedBy` are the reference rows that offer the
// instance while it is enabled.
Parameter EnabledRow(const char* displayName, const char* help,
                     std::vector<std::int16_t> referencedBy = {});
Parameter UsageRow(std::vector<Option> usages, const char* help);
// The device list; each option's stored text fills `fields` (row offsets).
Parameter DeviceRow(std::vector<Option> devices, std::vector<std::int16_t> fields,
                    const char* help);
// A hex byte of the device, filled from the Device row `device` rows away
// (-1: the row above).
Parameter DeviceFieldRow(const char* key, const char* displayName, std::int16_t device,
                         const char* help);
// An integer or real within one range.
Parameter NumberRow(const char* key, const char* displayName, ParameterAttributes type,
                    std::uint16_t maxLength, float minimum, float maximum, const char* help);
// A limit whose help follows the usage: any value, unless `ranges` holds a
// row of a usage class.
Parameter ThresholdRow(const char* key, const char* displayName, ParameterAttributes type,
                       std::uint16_t maxLength, const char* help,
                       std::vector<RangeRow> ranges = {});
Parameter OptionRow(const char* key, const char* displayName, std::vector<Option> options,
                    const char* help, ParameterAttributes more = 0);
// A list of the instances of `reference.kind`, shown in the file's comment.
Parameter ReferenceRow(const char* key, const char* displayName, Reference reference,
                       const char* message8, const char* help);
Parameter CommentsRow(const char* help);

}  // namespace zefr::tables
