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

const std::vector<Parameter>& FanMonitorTable() {
  static const std::vector<Parameter> table = {
      {.key = "Enabled",
       .displayName = "Fan Monitor 1",
       .attributes = attr::kReferenced | attr::kInstanceSwitch | attr::kIniKey | attr::kOptionList,
       .options = EnabledOptions(),
       .dependents = {9008, 9013, 9018, 9023, 9108, 9113, 9118, 9123, 9208, 9213, 9218,
                      9223, 9308, 9313, 9318, 9323, 9408, 9413, 9418, 9423, 9508, 9513,
                      9518, 9523, 9608, 9613, 9618, 9623, 9708, 9713, 9718, 9723},
       .message8 = kDeviceDisabledMessage,
       .help = "Contains configuration settings for this fan monitor. Indicates whether the "
               "fan monitor is enabled."},
      {.key = "Usage",
       .displayName = "Usage",
       .attributes = attr::kUsage | attr::kCommentDisplay | attr::kIniKey | attr::kOptionList,
       .options = FanUsageOptions(),
       .help = "Choose a fan speed sensor associated with this fan monitor."},
      {.key = nullptr,
       .displayName = "Device",
       .attributes = attr::kSelector | attr::kOptionList,
       .options = {{"", ",,"},
                   {"Varn Fan Speed Sensor 1", "0x20,0x06,0x16"},
                   {"Varn Fan Speed Sensor 2", "0x20,0x07,0x17"},
                   {"Varn Fan Speed Sensor 3", "0x20,0x08,0x18"},
                   {"Varn Fan Speed Sensor 4", "0x20,0x09,0x19"},
                   {"Other Pell Bus Device (custom)",
                    "__THIS_IS_A_BOGUS_OPTION__,__THIS_IS_A_BOGUS_OPTION__,"
                    "__THIS_IS_A_BOGUS_OPTION__"}},
       .dependents = {1, 2, 3},
       .help = "Choose an associated fan speed sensor. This determines (1) the device address, "
               "(2) the command byte used to obtain the sensor's attributes and (3) the command "
               "byte used to obtain a fan speed reading. The Varn sensors fix all three values; "
               "\"Other Pell Bus Device (custom)\" leaves them to be entered by hand."},
      // The blank option on the hex fields below belongs to instance 1 only:
      // hex fields take no options when the other instances are copied.
      {.key = "DeviceAddress",
       .displayName = "Device Address",
       .attributes = attr::kDerived | attr::kCommentDisplay | attr::kIniKey | attr::kHexByte,
       .maxLength = 2,
       .ranges = {{0x2, 0, 255}},
       .options = {{"", ""}},
       .dependents = {-1},
       .help = "Specify the Pell Bus address (in hex) of device containing fan speed sensor."},
      {.key = "GetAttributesCommand",
       .displayName = "Get Attributes Command",
       .attributes = attr::kDerived | attr::kCommentDisplay | attr::kIniKey | attr::kHexByte,
       .maxLength = 2,
       .ranges = {{0x2, 0, 255}},
       .options = {{"", ""}},
       .dependents = {-2},
       .help = "Command byte (in hex) used to obtain attributes from the associated Pell Bus "
               "sensor device."},
      {.key = "GetReadingCommand",
       .displayName = "Get Reading Command",
       .attributes = attr::kDerived | attr::kCommentDisplay | attr::kIniKey | attr::kHexByte,
       .maxLength = 2,
       .ranges = {{0x2, 0, 255}},
       .dependents = {-3},
       .help = "Command byte (in hex) used to obtain a fan speed reading from the associated "
               "Pell Bus sensor device."},
      {.key = "FanSpeedNominal",
       .displayName = "Nominal Fan Speed",
       .attributes = attr::kIniKey | attr::kInteger,
       .maxLength = 6,
       .ranges = {{0x2, 0, 20000}},
       .help = "Nominal speed (RPMs) at which associated fan operates."},
      {.key = "FanSpeedNonCritical",
       .displayName = "Non-Critical Fan Speed",
       .attributes = attr::kIniKey | attr::kInteger,
       .maxLength = 6,
       .ranges = {{0x2, 0, 20000}},
       .help = "Fan speed (RPMs) above which a Non-Critical Health Status will be reported."},
      {.key = "FanSpeedCritical",
       .displayName = "Critical Fan Speed",
       .attributes = attr::kIniKey | attr::kInteger,
       .maxLength = 6,
       .ranges = {{0x2, 0, 20000}},
       .help = "Fan speed (RPMs) above which a Critical Health Status will be reported."},
      {.key = "FanSpeedNonRecoverable",
       .displayName = "Non-Recoverable Fan Speed",
       .attributes = attr::kIniKey | attr::kInteger,
       .maxLength = 6,
       .ranges = {{0x2, 0, 20000}},
       .help = "Fan speed (RPMs) above which a Non-Recoverable Health Status will be reported."},
      {.key = "Comments",
       .displayName = "Comments",
       .attributes = attr::kIniKey | attr::kText,
       .maxLength = 0,
       .help = "Special notes or specifications about this fan monitor."},
  };
  return table;
}

}  // namespace zefr::tables
