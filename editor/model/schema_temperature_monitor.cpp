// Temperature Monitor, instance 1.
#include "parameter_schema.h"
#include "schema_tables.h"

namespace zefr::tables {

const std::vector<Option>& EnabledOptions() {
  static const std::vector<Option> options = {
      {"Disabled", "FALSE"},
      {"Enabled", "TRUE"},
  };
  return options;
}

const std::vector<Option>& TrueFalseOptions() {
  static const std::vector<Option> options = {
      {"", ""},
      {"True", "TRUE"},
      {"False", "FALSE"},
  };
  return options;
}

// Shared with the Temperature Response Unit.
const std::vector<Option>& TemperatureUsageOptions() {
  static const std::vector<Option> options = {
      {"", "", 0x2},
      {"Unknown/Other Temperature Source", "0", 0x820},
      {"Processor Core Temperature", "1", 0x110},
      {"Processor Die/Package Temperature", "2", 0x110},
      {"Varn Temperature", "3", 0x220},
      {"G/Mork Temperature", "4", 0x420},
      {"Voltage Regulator Temperature", "5", 0x820},
      {"Memory Temperature", "6", 0x820},
      {"Motherboard Ambient Temperature", "7", 0x820},
      {"System Ambient Air Temperature", "8", 0x820},
      {"Processor Inlet Air Temperature", "9", 0x820},
      {"System Inlet Air Temperature", "10", 0x820},
      {"System Outlet Air Temperature", "11", 0x820},
      {"Power Supply Internal/Hotspot Temperature", "12", 0x820},
      {"Power Supply Inlet Air Temperature", "13", 0x820},
      {"Power Supply Outlet Air Temperature", "14", 0x820},
      {"Hard Drive Temperature", "15", 0x840},
      {"Graphics Processor Temperature", "16", 0x840},
  };
  return options;
}

const std::vector<Parameter>& TemperatureMonitorTable() {
  static const std::vector<Parameter> table = {
      {.key = "Enabled",
       .displayName = "Temperature Monitor 1",
       .attributes = attr::kReferenced | attr::kInstanceSwitch | attr::kIniKey | attr::kOptionList,
       .options = EnabledOptions(),
       .dependents = {7002, 7011, 7102, 7111, 7202, 7211, 7302, 7311, 7402, 7411, 7502, 7511,
                      7602, 7611, 7702, 7711, 7802, 7811, 7902, 7911, 8002, 8011, 8102, 8111},
       .message8 = kDeviceDisabledMessage,
       .help = "Contains configuration settings for this temperature monitor. Indicates whether "
               "the temperature monitor is enabled."},
      {.key = "Usage",
       .displayName = "Usage",
       .attributes = attr::kUsage | attr::kCommentDisplay | attr::kIniKey | attr::kOptionList,
       .options = TemperatureUsageOptions(),
       .help = "Choose a temperature sensor associated with this temperature monitor."},
      {.key = nullptr,
       .displayName = "Device",
       .attributes = attr::kSelector | attr::kOptionList,
       .options = {{"", ","},
                   {"Bexmoor, Internal Sensor", "*0x4C,0x00"},
                   {"Bexmoor, External (Diode) Sensor", "*0x4C,0x01"},
                   {"Ardenvale, Internal Sensor", "*0x49,0x00"},
                   {"Ardenvale, External (Diode) Sensor", "*0x49,0x01"},
                   {"Varn Temperature Sensor", "0x20,0x00"},
                   {"Mork Temperature Sensor", "0x20,0x01"},
                   {"CPU 1 Temperature Sensor", "0x20,0x02"},
                   {"Virtual Temperature Monitor", "NONE,__THIS_IS_A_BOGUS_OPTION__"},
                   {"Other Pell Bus Device (custom)",
                    "__THIS_IS_A_BOGUS_OPTION__,__THIS_IS_A_BOGUS_OPTION__"}},
       .dependents = {1, 2},
       .help = "Choose an associated temperature sensor. This determines (1) the Pell Bus "
               "address of the device containing the sensor and (2) the command byte used to "
               "obtain a reading from it. Sensors read through the Varn (address 0x20) fix both "
               "values; for the other listed sensors they are suggested and may be changed. "
               "\"Virtual Temperature Monitor\" has no device address, and \"Other Pell Bus "
               "Device (custom)\" leaves both to be entered by hand."},
      {.key = "DeviceAddress",
       .displayName = "Device Address",
       .attributes = attr::kDerived | attr::kCommentDisplay | attr::kIniKey | attr::kHexByte,
       .maxLength = 2,
       .ranges = {{0x2, 0, 255}},
       .dependents = {-1},
       .help = "Pell Bus address (in hex) of device containing temperature sensor."},
      {.key = "GetReadingCommand",
       .displayName = "Get Reading Command",
       .attributes = attr::kDerived | attr::kCommentDisplay | attr::kIniKey | attr::kHexByte,
       .maxLength = 2,
       .ranges = {{0x2, 0, 255}},
       .dependents = {-2},
       .help = "Command byte (in hex) used to obtain a temperature reading from the associated "
               "Pell Bus sensor device."},
      {.key = "RelativeReadings",
       .displayName = "Relative Readings",
       .attributes = attr::kIniKey | attr::kOptionList,
       .options = TrueFalseOptions(),
       .help = "Specify whether or not the sensor (or supporting software) returns "
               "temperatures relative to a reference point rather than absolute temperatures. "
               "Relative readings are made absolute by adding the Relative Conversion Factor."},
      {.key = "RelativeConversionFactor",
       .displayName = "Relative Conversion Factor",
       .attributes = attr::kIniKey | attr::kReal,
       .maxLength = 11,
       .ranges = {{0x2, kWideMin, kWideMax}},
       .help = "Temperature offset (°C) that converts relative temperatures to absolute."},
      {.key = "AccuracyCorrectionSlope",
       .displayName = "Accuracy Correction Slope",
       .attributes = attr::kIniKey | attr::kReal,
       .maxLength = 11,
       .ranges = {{0x2, kWideMin, kWideMax}},
       .help = "Slope value used on the readings from a sensor to correct for known "
               "inaccuracies in that sensor."},
      {.key = "AccuracyCorrectionOffset",
       .displayName = "Accuracy Correction Offset",
       .attributes = attr::kIniKey | attr::kReal,
       .maxLength = 11,
       .ranges = {{0x2, kWideMin, kWideMax}},
       .help = "Temperature offset (°C) added to the readings from a sensor to correct for "
               "known inaccuracies in that sensor."},
      {.key = "TimeoutNonCritical",
       .displayName = "Non-Critical Timeout",
       .attributes = attr::kIniKey | attr::kInteger,
       .maxLength = 4,
       .ranges = {{0x2, 1, 255}, {0x10, 1, 1}, {0x20, 1, 10}, {0x40, 1, 255}},
       .controlledByUsage = true,
       .help = "Period of time (sec) without a temperature reading being available before a "
               "Non-Critical Health Status is reported."},
      {.key = "TimeoutCritical",
       .displayName = "Critical Timeout",
       .attributes = attr::kIniKey | attr::kInteger,
       .maxLength = 4,
       .ranges = {{0x2, 1, 255}, {0x10, 2, 2}, {0x20, 1, 10}, {0x40, 1, 255}},
       .controlledByUsage = true,
       .help = "Period of time (sec) without a temperature reading being available before a "
               "Critical Health Status is reported."},
      {.key = "TimeoutNonRecoverable",
       .displayName = "Non-Recoverable Timeout",
       .attributes = attr::kIniKey | attr::kInteger,
       .maxLength = 4,
       .ranges = {{0x2, 1, 255}, {0x10, 4, 4}, {0x20, 1, 10}, {0x40, 2, 255}},
       .controlledByUsage = true,
       .help = "Period of time (sec) without a temperature reading being available before a "
               "Non-Recoverable Health Status is reported."},
      {.key = "TemperatureNominal",
       .displayName = "Nominal Temperature",
       .attributes = attr::kThreshold | attr::kIniKey | attr::kInteger,
       .maxLength = 8,
       .ranges = {{0x2, kWideMin, kWideMax}, {0x100, 0, 0}},
       .controlledByUsage = true,
       .help = "Nominal temperature (°C) for this sensor."},
      {.key = "TemperatureNonCritical",
       .displayName = "Non-Critical Temperature",
       .attributes = attr::kThreshold | attr::kIniKey | attr::kInteger,
       .maxLength = 8,
       .ranges = {{0x2, kWideMin, kWideMax}, {0x100, 6, 6}},
       .controlledByUsage = true,
       .help = "Temperature (°C) above which a Non-Critical Health Status is reported."},
      {.key = "TemperatureCritical",
       .displayName = "Critical Temperature",
       .attributes = attr::kThreshold | attr::kIniKey | attr::kInteger,
       .maxLength = 8,
       .ranges = {{0x2, kWideMin, kWideMax}, {0x100, 8, 8}},
       .controlledByUsage = true,
       .help = "Temperature (°C) above which a Critical Health Status is reported."},
      {.key = "TemperatureNonRecoverable",
       .displayName = "Non-Recoverable Temperature",
       .attributes = attr::kThreshold | attr::kIniKey | attr::kInteger,
       .maxLength = 8,
       .ranges = {{0x2, kWideMin, kWideMax}, {0x100, 10, 10}},
       .controlledByUsage = true,
       .help = "Temperature (°C) above which a Non-Recoverable Health Status is reported."},
      {.key = "Comments",
       .displayName = "Comments",
       .attributes = attr::kIniKey | attr::kText,
       .maxLength = 0,
       .help = "Special notes or specifications about this temperature monitor."},
  };
  return table;
}

}  // namespace zefr::tables
