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

namespace {

// A timeout of the readings: its range rows follow the usage.
Parameter TimeoutRow(const char* key, const char* displayName, std::vector<RangeRow> ranges,
                     const char* help) {
  return {.key = key,
          .displayName = displayName,
          .attributes = attr::kIniKey | attr::kInteger,
          .maxLength = 4,
          .ranges = std::move(ranges),
          .controlledByUsage = true,
          .help = help};
}

// A reading correction: any real.
Parameter CorrectionRow(const char* key, const char* displayName, const char* help) {
  return NumberRow(key, displayName, attr::kReal, 11, kWideMin, kWideMax, help);
}

}  // namespace

const std::vector<Parameter>& TemperatureMonitorTable() {
  static const std::vector<Parameter> table = {
      EnabledRow("Temperature Monitor 1",
                 "Contains configuration settings for this temperature monitor. Indicates "
                 "whether the temperature monitor is enabled.",
                 {7002, 7011, 7102, 7111, 7202, 7211, 7302, 7311, 7402, 7411, 7502, 7511,
                  7602, 7611, 7702, 7711, 7802, 7811, 7902, 7911, 8002, 8011, 8102, 8111}),
      UsageRow(TemperatureUsageOptions(),
               "Choose a temperature sensor associated with this temperature monitor."),
      DeviceRow({{"", ","},
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
                {1, 2},
                "Choose an associated temperature sensor. This determines (1) the Pell Bus "
                "address of the device containing the sensor and (2) the command byte used to "
                "obtain a reading from it. Sensors read through the Varn (address 0x20) fix both "
                "values; for the other listed sensors they are suggested and may be changed. "
                "\"Virtual Temperature Monitor\" has no device address, and \"Other Pell Bus "
                "Device (custom)\" leaves both to be entered by hand."),
      DeviceFieldRow("DeviceAddress", "Device Address", -1,
                     "Pell Bus address (in hex) of device containing temperature sensor."),
      DeviceFieldRow("GetReadingCommand", "Get Reading Command", -2,
                     "Command byte (in hex) used to obtain a temperature reading from the "
                     "associated Pell Bus sensor device."),
      OptionRow("RelativeReadings", "Relative Readings", TrueFalseOptions(),
                "Specify whether or not the sensor (or supporting software) returns "
                "temperatures relative to a reference point rather than absolute temperatures. "
                "Relative readings are made absolute by adding the Relative Conversion Factor."),
      CorrectionRow("RelativeConversionFactor", "Relative Conversion Factor",
                    "Temperature offset (°C) that converts relative temperatures to absolute."),
      CorrectionRow("AccuracyCorrectionSlope", "Accuracy Correction Slope",
                    "Slope value used on the readings from a sensor to correct for known "
                    "inaccuracies in that sensor."),
      CorrectionRow("AccuracyCorrectionOffset", "Accuracy Correction Offset",
                    "Temperature offset (°C) added to the readings from a sensor to correct for "
                    "known inaccuracies in that sensor."),
      TimeoutRow("TimeoutNonCritical", "Non-Critical Timeout",
                 {{0x2, 1, 255}, {0x10, 1, 1}, {0x20, 1, 10}, {0x40, 1, 255}},
                 "Period of time (sec) without a temperature reading being available before a "
                 "Non-Critical Health Status is reported."),
      TimeoutRow("TimeoutCritical", "Critical Timeout",
                 {{0x2, 1, 255}, {0x10, 2, 2}, {0x20, 1, 10}, {0x40, 1, 255}},
                 "Period of time (sec) without a temperature reading being available before a "
                 "Critical Health Status is reported."),
      TimeoutRow("TimeoutNonRecoverable", "Non-Recoverable Timeout",
                 {{0x2, 1, 255}, {0x10, 4, 4}, {0x20, 1, 10}, {0x40, 2, 255}},
                 "Period of time (sec) without a temperature reading being available before a "
                 "Non-Recoverable Health Status is reported."),
      // A processor usage fixes each threshold (its weighting row).
      ThresholdRow("TemperatureNominal", "Nominal Temperature", attr::kInteger, 8,
                   "Nominal temperature (°C) for this sensor.", {{0x100, 0, 0}}),
      ThresholdRow("TemperatureNonCritical", "Non-Critical Temperature", attr::kInteger, 8,
                   "Temperature (°C) above which a Non-Critical Health Status is reported.",
                   {{0x100, 6, 6}}),
      ThresholdRow("TemperatureCritical", "Critical Temperature", attr::kInteger, 8,
                   "Temperature (°C) above which a Critical Health Status is reported.",
                   {{0x100, 8, 8}}),
      ThresholdRow("TemperatureNonRecoverable", "Non-Recoverable Temperature", attr::kInteger, 8,
                   "Temperature (°C) above which a Non-Recoverable Health Status is reported.",
                   {{0x100, 10, 10}}),
      CommentsRow("Special notes or specifications about this temperature monitor."),
  };
  return table;
}

}  // namespace zefr::tables
