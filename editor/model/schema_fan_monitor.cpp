// Fan Monitor, instance 1.
#include "parameter_schema.h"
#include "schema_tables.h"

namespace zefr::tables {

// Shared with the Fan Controller.
const std::vector<Option>& FanUsageOptions() {
  static const std::vector<Option> options = {
      {"", "", 0x2},
      {"Unknown/Other Cooling Source", "0", 0x820},
      {"Processor Cooling Fan", "1", 0x110},
      {"Processor/System Cooling Fan", "2", 0x110},
      {"G/Mork Cooling Fan", "3", 0x420},
      {"Voltage Regulator Cooling Fan", "4", 0x820},
      {"Chassis Cooling Fan", "5", 0x820},
      {"Chassis Inlet Fan", "6", 0x820},
      {"Chassis Outlet Fan", "7", 0x820},
      {"Power Supply Cooling Fan", "8", 0x820},
      {"Power Supply Inlet Fan", "9", 0x820},
      {"Power Supply Outlet Fan", "10", 0x820},
      {"Hard Drive Cooling Fan", "11", 0x840},
      {"Graphics Processor Cooling Fan", "12", 0x820},
      {"Auxiliary Cooling Fan", "13", 0x820},
  };
  return options;
}

namespace {

// The blank option on these hex fields belongs to instance 1 only: hex
// fields take no options when the other instances are copied.
Parameter WithBlankOption(Parameter row) {
  row.options = {{"", ""}};
  return row;
}

Parameter FanSpeedRow(const char* key, const char* displayName, const char* help) {
  return NumberRow(key, displayName, attr::kInteger, 6, 0, 20000, help);
}

}  // namespace

const std::vector<Parameter>& FanMonitorTable() {
  static const std::vector<Parameter> table = {
      EnabledRow("Fan Monitor 1",
                 "Contains configuration settings for this fan monitor. Indicates whether the "
                 "fan monitor is enabled.",
                 {9008, 9013, 9018, 9023, 9108, 9113, 9118, 9123, 9208, 9213, 9218,
                  9223, 9308, 9313, 9318, 9323, 9408, 9413, 9418, 9423, 9508, 9513,
                  9518, 9523, 9608, 9613, 9618, 9623, 9708, 9713, 9718, 9723}),
      UsageRow(FanUsageOptions(), "Choose a fan speed sensor associated with this fan monitor."),
      DeviceRow({{"", ",,"},
                 {"Varn Fan Speed Sensor 1", "0x20,0x06,0x16"},
                 {"Varn Fan Speed Sensor 2", "0x20,0x07,0x17"},
                 {"Varn Fan Speed Sensor 3", "0x20,0x08,0x18"},
                 {"Varn Fan Speed Sensor 4", "0x20,0x09,0x19"},
                 {"Other Pell Bus Device (custom)",
                  "__THIS_IS_A_BOGUS_OPTION__,__THIS_IS_A_BOGUS_OPTION__,"
                  "__THIS_IS_A_BOGUS_OPTION__"}},
                {1, 2, 3},
                "Choose an associated fan speed sensor. This determines (1) the device address, "
                "(2) the command byte used to obtain the sensor's attributes and (3) the command "
                "byte used to obtain a fan speed reading. The Varn sensors fix all three values; "
                "\"Other Pell Bus Device (custom)\" leaves them to be entered by hand."),
      WithBlankOption(DeviceFieldRow(
          "DeviceAddress", "Device Address", -1,
          "Specify the Pell Bus address (in hex) of device containing fan speed sensor.")),
      WithBlankOption(DeviceFieldRow("GetAttributesCommand", "Get Attributes Command", -2,
                                     "Command byte (in hex) used to obtain attributes from the "
                                     "associated Pell Bus sensor device.")),
      DeviceFieldRow("GetReadingCommand", "Get Reading Command", -3,
                     "Command byte (in hex) used to obtain a fan speed reading from the "
                     "associated Pell Bus sensor device."),
      FanSpeedRow("FanSpeedNominal", "Nominal Fan Speed",
                  "Nominal speed (RPMs) at which associated fan operates."),
      FanSpeedRow("FanSpeedNonCritical", "Non-Critical Fan Speed",
                  "Fan speed (RPMs) above which a Non-Critical Health Status will be reported."),
      FanSpeedRow("FanSpeedCritical", "Critical Fan Speed",
                  "Fan speed (RPMs) above which a Critical Health Status will be reported."),
      FanSpeedRow("FanSpeedNonRecoverable", "Non-Recoverable Fan Speed",
                  "Fan speed (RPMs) above which a Non-Recoverable Health Status will be reported."),
      CommentsRow("Special notes or specifications about this fan monitor."),
  };
  return table;
}

}  // namespace zefr::tables
