// Voltage Monitor, instance 1.
#include "parameter_schema.h"
#include "schema_tables.h"

namespace zefr::tables {

namespace {

Parameter Threshold(const char* key, const char* displayName, const char* help) {
  return ThresholdRow(key, displayName, attr::kReal, 11, help);
}

}  // namespace

const std::vector<Parameter>& VoltageMonitorTable() {
  static const std::vector<Parameter> table = {
      EnabledRow("Voltage Monitor 1",
                 "Contains configuration settings for this voltage monitor. Indicates whether "
                 "the voltage monitor is enabled."),
      UsageRow({{"", "", 0x2},
                {"Unknown/Other Voltage", "0", 0x820},
                {"+12 Volts", "1", 0x820},
                {"-12 Volts", "2", 0x820},
                {"+5 Volts", "3", 0x820},
                {"+5 Volt Backup", "4", 0x820},
                {"-5 Volts", "5", 0x820},
                {"+3.3 Volts", "6", 0x820},
                {"+2.5 Volts", "7", 0x820},
                {"+1.5 Volts", "8", 0x820},
                {"Processor 1 Vccp Voltage", "9", 0x110},
                {"Processor 2 Vccp Voltage", "10", 0x110},
                {"Processor 3 Vccp Voltage", "11", 0x110},
                {"Processor 4 Vccp Voltage", "12", 0x110},
                {"PSU Input Voltage", "13", 0x820}},
               "Choose a voltage sensor associated with this voltage monitor."),
      DeviceRow({{"", ","},
                 {"Ardenvale, Internal Sensor", "*0x48,0x00"},
                 {"Ardenvale, External (Diode) Sensor", "*0x48,0x01"},
                 {"Other Pell Bus Device (custom)",
                  "__THIS_IS_A_BOGUS_OPTION__,__THIS_IS_A_BOGUS_OPTION__"}},
                {1, 2},
                "Choose an associated voltage sensor. This determines (1) the device address "
                "and (2) the command byte used to obtain a voltage reading. For the listed "
                "sensors both values are suggested and may be changed; \"Other Pell Bus Device "
                "(custom)\" leaves them to be entered by hand."),
      DeviceFieldRow("DeviceAddress", "Device Address", -1,
                     "Pell Bus address (in hex) of device containing voltage sensor."),
      DeviceFieldRow("GetReadingCommand", "Get Reading Command", -2,
                     "Command byte (in hex) used to obtain a voltage reading from the "
                     "associated Pell Bus sensor device."),
      Threshold("VoltageNominal", "Nominal Voltage", "Nominal voltage (V) for sensor."),
      Threshold("UnderVoltageNonCritical", "Under-Non-Critical Voltage",
                "Voltage (V) below which a Non-Critical Health Status is reported."),
      Threshold("UnderVoltageCritical", "Under-Critical Voltage",
                "Voltage (V) below which a Critical Health Status is reported."),
      Threshold("UnderVoltageNonRecoverable", "Under-Non-Recoverable Voltage",
                "Voltage (V) below which a Non-Recoverable Health Status is reported."),
      Threshold("OverVoltageNonCritical", "Over-Non-Critical Voltage",
                "Voltage (V) above which a Non-Critical Health Status is reported."),
      Threshold("OverVoltageCritical", "Over-Critical Voltage",
                "Voltage (V) above which a Critical Health Status is reported."),
      Threshold("OverVoltageNonRecoverable", "Over-Non-Recoverable Voltage",
                "Voltage (V) above which a Non-Recoverable Health Status is reported."),
      CommentsRow("Special notes or specifications about this voltage monitor."),
  };
  return table;
}

}  // namespace zefr::tables
