// Temperature Response Unit, instance 1.
#include "parameter_schema.h"
#include "schema_tables.h"

namespace zefr::tables {

namespace {

constexpr int kTemperatureMonitorKind = 0;
constexpr int kFanControllerKind = 4;

}  // namespace

const std::vector<Parameter>& TemperatureResponseTable() {
  static const std::vector<Parameter> table = {
      {.key = "Enabled",
       .displayName = "Temperature Response Unit 1",
       .attributes = attr::kInstanceSwitch | attr::kIniKey | attr::kOptionList,
       .options = EnabledOptions(),
       .message8 = kDeviceDisabledMessage,
       .help = "Contains configuration settings for this temperature response unit. Indicates "
               "whether the temperature response unit is enabled and takes part in driving "
               "the fan controllers that weight it."},
      {.key = "Usage",
       .displayName = "Usage",
       .attributes = attr::kUsage | attr::kCommentDisplay | attr::kIniKey | attr::kOptionList,
       .options = TemperatureUsageOptions(),
       .help = "Primary associated temperature sensor."},
      {.key = "TemperatureMonitor",
       .displayName = "Primary Temperature Monitor",
       .attributes = attr::kCommentDisplay | attr::kIniKey | attr::kEntityReference,
       .reference = {.kind = kTemperatureMonitorKind},
       .message8 = kReferenceMessage,
       .help = "Temperature monitor whose temperature readings are to be responded to."},
      {.key = "SmoothingWindow",
       .displayName = "Smoothing Window",
       .attributes = attr::kIniKey | attr::kInteger,
       .maxLength = 3,
       .ranges = {{0x2, 1, 10}},
       .controlledByUsage = true,
       .help = "Width (sec) of sliding/smoothing window used to minimize spikes in input "
               "temperature readings."},
      {.key = "TemperatureLimit",
       .displayName = "Temperature Limit",
       .attributes = attr::kThreshold | attr::kIniKey | attr::kInteger,
       .maxLength = 8,
       .ranges = {{0x2, kWideMin, kWideMax}},
       .controlledByUsage = true,
       .help = "Limit, or target, temperature (°C) that the response is trying to maintain."},
      {.key = "ProportionalGain",
       .displayName = "Proportional Gain",
       .attributes = attr::kIniKey | attr::kReal,
       .maxLength = 5,
       .ranges = {{0x2, 0.25f, 3}},
       .controlledByUsage = true,
       .help = "Gain to be applied (in %) against the proportional term of the "
               "Proportional-Integral-Derivative (PID) response."},
      {.key = "IntegralGain",
       .displayName = "Integral Gain",
       .attributes = attr::kIniKey | attr::kReal,
       .maxLength = 6,
       .ranges = {{0x2, 1.5f, 15}},
       .controlledByUsage = true,
       .help = "Gain to be applied (in %) against the integral term of the "
               "Proportional-Integral-Derivative (PID) response."},
      {.key = "DerivativeGain",
       .displayName = "Derivative Gain",
       .attributes = attr::kIniKey | attr::kReal,
       .maxLength = 8,
       .ranges = {{0x2, 50, 1200}},
       .controlledByUsage = true,
       .help = "Gain to be applied (in %) against the derivative term of the "
               "Proportional-Integral-Derivative (PID) response."},
      {.key = "IntegralTimeWindow",
       .displayName = "Integral Time Window",
       .attributes = attr::kIniKey | attr::kInteger,
       .maxLength = 3,
       .ranges = {{0x2, 5, 20}},
       .controlledByUsage = true,
       .help = "Width (sec) of the time window over which the integral term is applied."},
      {.key = "DerivativeTimeWindow",
       .displayName = "Derivative Time Window",
       .attributes = attr::kIniKey | attr::kInteger,
       .maxLength = 3,
       .ranges = {{0x2, 5, 30}},
       .controlledByUsage = true,
       .help = "Width (sec) of the time window over which the derivative term is applied."},
      {.key = "AllOnTemperature",
       .displayName = "All-On Temperature",
       .attributes = attr::kThreshold | attr::kIniKey | attr::kInteger,
       .maxLength = 8,
       .ranges = {{0x2, kWideMin, kWideMax}},
       .controlledByUsage = true,
       .help = "Temperature (°C) above which all fans are overridden to 100%."},
      {.key = "AmbientTemperatureMonitor",
       .displayName = "Ambient Temperature Monitor",
       .attributes = attr::kCommentDisplay | attr::kIniKey | attr::kEntityReference,
       .reference = {.kind = kTemperatureMonitorKind,
                     .extraDisplay = "Not involved in processor cooling",
                     .extraStored = "NONE"},
       .help = "Temperature monitor which reports temperature of the air used to cool the "
               "processor."},
      {.key = "AmbientDutyCycleMin",
       .displayName = "Minimum Ambient Duty Cycle",
       .attributes = attr::kIniKey | attr::kInteger,
       .maxLength = 4,
       .ranges = {{0x2, 5, 100}},
       .help = "Minimum duty cycle applied to fan to generate airflow required by the ambient "
               "air temperature (%). It applies while the ambient temperature is at or below "
               "the Minimum Ambient Temperature and rises from there across the Ambient "
               "Temperature Range."},
      {.key = "AmbientTempMin",
       .displayName = "Minimum Ambient Temperature",
       .attributes = attr::kIniKey | attr::kInteger,
       .maxLength = 3,
       .ranges = {{0x2, 15, 30}},
       .help = "Ambient air temperature (°C) at or below which fan should run at the minimum "
               "duty cycle-limited fan speed."},
      {.key = "AmbientTempRange",
       .displayName = "Ambient Temperature Range",
       .attributes = attr::kIniKey | attr::kInteger,
       .maxLength = 3,
       .ranges = {{0x2, 5, 20}},
       .help = "Range of temperature values (°C) over which fans ramp from minimum ambient "
               "duty cycle to full duty cycle, counted upwards from the Minimum Ambient "
               "Temperature."},
      {.key = "AmbientDutyCycleReduction",
       .displayName = "Ambient Duty Cycle Reduction",
       .attributes = attr::kIniKey | attr::kReal,
       .maxLength = 5,
       .ranges = {{0x2, -3, -0.3f}},
       .help = "Special duty cycle reduction coefficient that is used to ensure that the fans "
               "slow down again as the ambient air temperature falls. It is always negative "
               "(-3 to -0.3); a larger magnitude reduces the duty cycle faster."},
      {.key = "PrimaryFanController",
       .displayName = "Primary Fan Controller",
       .attributes = attr::kCommentDisplay | attr::kIniKey | attr::kEntityReference,
       .reference = {.kind = kFanControllerKind},
       .message8 = kReferenceMessage,
       .help = "Fan controller that provides the bulk of cooling at associated temperature "
               "sensor."},
      {.key = "Comments",
       .displayName = "Comments",
       .attributes = attr::kIniKey | attr::kText,
       .maxLength = 0,
       .help = "Special notes or specifications about this temperature response unit."},
  };
  return table;
}

}  // namespace zefr::tables
