// Fan Controller, instance 1.
#include <array>
#include <deque>
#include <string>

#include "parameter_schema.h"
#include "schema_tables.h"

namespace zefr::tables {

namespace {

constexpr int kFanMonitorKind = 1;
constexpr int kFanSlots = 4;
constexpr int kResponseUnits = 12;
constexpr int kFirstResponseUsage = 7001;

// Generated names must outlive the table.
const char* Keep(std::string text) {
  static std::deque<std::string> pool;
  return pool.emplace_back(std::move(text)).c_str();
}

std::string Ordinal(int n) {
  static const std::array<const char*, kFanSlots> ordinals = {"1st", "2nd", "3rd", "4th"};
  return ordinals[n - 1];
}

std::string OfFour(const char* name, int n) {
  return std::string(name) + " (" + std::to_string(n) + "/4)";
}

// A fan slot: the monitor reference and the four fields of that fan. The
// slot's dependents reach its own fields and the other slots of the group.
void AddFanSlot(std::vector<Parameter>& table, int n) {
  static const std::array<std::vector<std::int16_t>, kFanSlots> slotDependents = {{
      {1, 2, 3, 4, 5, 10, 15},
      {1, 2, 3, 4, 5, 10, -5},
      {1, 2, 3, 4, 5, -5, -10},
      {1, 2, 3, 4, -5, -10, -15},
  }};
  const std::string fan = "Fan" + std::to_string(n);
  const std::string nth = Ordinal(n);

  Parameter slot{
      .key = Keep("AssociatedFanSpeedMonitor" + std::to_string(n)),
      .displayName = Keep(OfFour("Associated Fan Speed Monitor", n)),
      .attributes = attr::kFanSlot | attr::kCommentDisplay | attr::kIniKey | attr::kEntityReference,
      .reference = n == 1 ? Reference{.kind = kFanMonitorKind}
                          : Reference{.kind = kFanMonitorKind,
                                      .extraDisplay = "None",
                                      .extraStored = "NONE"},
      .dependents = slotDependents[n - 1],
      // Every slot says why it is red; an empty text left the row red without a reason.
      .message8 = kReferenceMessage,
      .help = Keep(nth +
                   " Fan speed monitor responsible for handling tachometer readings from the " +
                   nth +
                   " fan driven by this fan speed controller. Fill the slots in order: a slot "
                   "may only be set when the slots before it are set." +
                   (n == 1 ? std::string() : " Choose None when no further fan is attached.") +
                   " The fan fields that follow apply to the fan of this slot.")};
  table.push_back(slot);

  table.push_back(OptionRow(
      Keep(fan + "SetConfigurationCommand"), Keep(OfFour("Set Fan Configuration Command", n)),
      {{"", ""},
       {"Varn Fan Speed Sensor 1", "0x0E"},
       {"Varn Fan Speed Sensor 2", "0x0F"},
       {"Varn Fan Speed Sensor 3", "0x10"},
       {"Varn Fan Speed Sensor 4", "0x11"},
       {"Pell Bus Device (NONE)", "NONE"}},
      Keep("Choose " + nth + " fan speed sensor which handles tachometer readings from the " + nth +
           " associated fan. This determines the command byte (in hex) used to write the sensor's "
           "configuration; choose \"Pell Bus Device (NONE)\" for a sensor that needs "
           "no configuration command."),
      attr::kCommentDisplay));
  table.push_back(OptionRow(
      Keep(fan + "PulsesPerRevolution"), Keep(OfFour("Fan Pulses Per Revolution", n)),
      {{"", ""},
       {"1 pulse/rev.", "1"},
       {"2 pulses/rev.", "2"},
       {"3 pulses/rev.", "3"},
       {"4 pulses/rev.", "4"}},
      Keep("Number of tachometer pulses that " + nth +
           " associated fan returns per revolution. Specify 2 (two) for 4-wire fans."),
      attr::kCommentDisplay));
  table.push_back(NumberRow(Keep(fan + "MinimumRPM"), Keep(OfFour("Minimum Fan RPM", n)),
                            attr::kInteger, 6, 0, 20000,
                            Keep("Minimum speed (RPMs) for " + nth + " associated fan.")));
  table.push_back(OptionRow(
      Keep(fan + "DependentMeasurement"), Keep(OfFour("Fan-Dependent Measurement", n)),
      {{"", ""}, {"False", "FALSE"}, {"True", "TRUE"}},
      Keep("Specify whether or not the state of the " + nth +
           " associated fan speed measurement depends on this fan controller: True "
           "when the fan's readings are only meaningful while this controller drives "
           "the fan, False when they are valid at any duty cycle."),
      attr::kTrueFalse));
}

}  // namespace

const std::vector<Parameter>& FanControllerTable() {
  static const std::vector<Parameter> table = [] {
    std::vector<Parameter> t = {
        EnabledRow("Fan Controller 1",
                   "Contains configuration settings for this fan speed controller. Indicates "
                   "whether the fan speed controller is enabled.",
                   {7016, 7116, 7216, 7316, 7416, 7516, 7616, 7716, 7816, 7916, 8016, 8116}),
        UsageRow(FanUsageOptions(),
                 "Indicates primary function of fan(s) connected to this fan speed controller."),
        DeviceRow({{"", ",,,,"},
                   {"Varn Fan Speed Controller 1", "0x20,0x1E,0x22,0x26,0x2A"},
                   {"Varn Fan Speed Controller 2", "0x20,0x1F,0x23,0x27,0x2B"},
                   {"Varn Fan Speed Controller 3", "0x20,0x20,0x24,0x28,0x2C"},
                   {"Varn Fan Speed Controller 4", "0x20,0x21,0x25,0x29,0x2D"},
                   {"Pell Bus Device (custom)",
                    "__THIS_IS_A_BOGUS_OPTION__,__THIS_IS_A_BOGUS_OPTION__,"
                    "__THIS_IS_A_BOGUS_OPTION__,__THIS_IS_A_BOGUS_OPTION__,"
                    "__THIS_IS_A_BOGUS_OPTION__"}},
                  {1, 2, 3, 4, 5},
                  "Choose specific fan speed controller. This determines (1) the device "
                  "address, (2) the get attributes command, (3) the set configuration command, "
                  "(4) the set speed command and (5) the get speed command. The Varn "
                  "controllers fix all five values; \"Pell Bus Device (custom)\" leaves them "
                  "to be entered by hand."),
        DeviceFieldRow("DeviceAddress", "Device Address", -1,
                       "Specify 0x20 for fan speed controller within the Varn. Otherwise specify "
                       "the Pell Bus address (in hex) of the device containing the fan speed "
                       "controller."),
        DeviceFieldRow("GetAttributesCommand", "Get Attributes Command", -2,
                       "Command byte (in hex) used to obtain attributes from the Pell Bus fan "
                       "controller."),
        DeviceFieldRow("SetConfigurationCommand", "Set Configuration Command", -3,
                       "Choose specific fan controller. This determines the command byte (in hex) "
                       "used to write configuration data."),
        DeviceFieldRow("SetSpeedCommand", "Set Speed Command", -4,
                       "Command byte (in hex) used to write a fan speed value to the Pell Bus fan "
                       "speed controller."),
        DeviceFieldRow("GetSpeedCommand", "Get Speed Command", -5,
                       "Command byte (in hex) used to read a fan speed value from the Pell Bus fan "
                       "speed controller."),
    };
    for (int n = 1; n <= kFanSlots; ++n) AddFanSlot(t, n);

    t.push_back(OptionRow("PhysicalControllerIndex", "Physical Controller Index",
                          {{"", ""}, {"1", "1"}, {"2", "2"}, {"3", "3"}, {"4", "4"}},
                          "Index of the physical fan speed controller within the set of "
                          "physical controllers that the chosen device drives (1 to 4)."));
    t.push_back(OptionRow("MinOffMode", "Min/Off Mode",
                          {{"", ""}, {"MIN Controlled", "MIN"}, {"OFF Controlled", "OFF"}},
                          "Mode of operation for fan controller.\n"
                          "MIN\t=\tWhen asked for less than the minimum duty cycle, the fan "
                          "keeps running at the minimum duty cycle.\n"
                          "OFF\t=\tWhen asked for less than the minimum duty cycle, the fan "
                          "stops."));
    t.push_back(NumberRow("DutyCycleMin", "Minimum Duty Cycle", attr::kInteger, 3, 0, 100,
                          "Minimum duty cycle (%) for the fan controller. Specifies lowest duty "
                          "cycle the controller delivers while the fan runs; below it the "
                          "Min/Off Mode decides whether the fan holds this duty cycle or "
                          "stops."));
    t.push_back(NumberRow("DutyCycleOn", "Fan-On Duty Cycle", attr::kInteger, 3, 5, 100,
                          "In OFF Controlled mode specifies duty cycle (%) above which fan, if "
                          "stopped, will be restarted."));
    t.push_back(NumberRow("DutyCycleMax", "Maximum Duty Cycle", attr::kInteger, 3, 0, 100,
                          "Maximum duty cycle (%) for fan controller."));
    t.push_back(OptionRow("SignalInvert", "Invert Output Signal", TrueFalseOptions(),
                          "Indicates whether the output signal from fan controller needs to be "
                          "inverted (True) for the connected fans, or is used as it is "
                          "(False)."));
    t.push_back(OptionRow("SignalFrequency", "Signal Frequency",
                          {{"", ""},
                           {"10 Hz (3-wire)", "10"},
                           {"23 Hz (3-wire)", "23"},
                           {"38 Hz (3-wire)", "38"},
                           {"62 Hz (3-wire)", "62"},
                           {"94 Hz (3-wire)", "94"},
                           {"22 kHz/22000 Hz (4-wire)", "22000"},
                           {"25 kHz/25000 Hz (4-wire)", "25000"},
                           {"28 kHz/28000 Hz (4-wire)", "28000"}},
                          "Specify frequency of output signal from fan controller.",
                          attr::kCommentDisplay));
    t.push_back(OptionRow("SpinUpTime", "Spin Up Time",
                          {{"", ""},
                           {"0 msec", "0"},
                           {"250 msec", "250"},
                           {"500 msec", "500"},
                           {"750 msec", "750"},
                           {"1,000 msec", "1000"},
                           {"1,500 msec", "1500"},
                           {"2,000 msec", "2000"},
                           {"4,000 msec", "4000"}},
                          "Length (msec) of spin-up time interval for associated fan(s). "
                          "Stopped fans are started at full duty cycle for this long, so that "
                          "they spin up reliably before the controller takes over."));

    // One weighting per response unit; its dependent is that unit's `Usage`.
    for (int unit = 1; unit <= kResponseUnits; ++unit) {
      t.push_back({.key = Keep("TempResponse" + std::to_string(unit) + "Weighting"),
                   .displayName = Keep("Temperature Weighting Response (" +
                                       std::to_string(unit) + "/12)"),
                   .attributes = attr::kWeighting | attr::kIniKey | attr::kReal,
                   .maxLength = 7,
                   .ranges = {{0x2, 0, 100}},
                   .dependents = {static_cast<std::int16_t>(kFirstResponseUsage +
                                                            100 * (unit - 1))},
                   .help = "Weighting (%) applied against temperature response (duty-cycle "
                           "delta) from the numbered temperature response unit before it is "
                           "added into the duty cycle of this fan controller. 0 leaves that "
                           "unit without influence on this controller."});
    }

    t.push_back(CommentsRow("Special notes or specifications about this fan controller."));
    return t;
  }();
  return table;
}

}  // namespace zefr::tables
