// Temperature Response Unit, instance 1.
#include "parameter_schema.h"
#include "schema_tables.h"

namespace zefr::tables {

namespace {

constexpr int kTemperatureMonitorKind = 0;
constexpr int kFanControllerKind = 4;

// A number whose range row the usage chooses.
Parameter UsageNumberRow(const char* key, const char* displayName, ParameterAttributes type,
                         std::uint16_t maxLength, float minimum, float maximum, const char* help) {
  Parameter row = NumberRow(key, displayName, type, maxLength, minimum, maximum, help);
  row.controlledByUsage = true;
  return row;
}

}  // namespace

const std::vector<Parameter>& TemperatureResponseTable() {
  static const std::vector<Parameter> table = {
      EnabledRow("Temperature Response Unit 1",
                 "Contains configuration settings for this temperature response unit. Indicates "
                 "whether the temperature response unit is enabled and takes part in driving "
                 "the fan controllers that weight it."),
      UsageRow(TemperatureUsageOptions(), "Primary associated temperature sensor."),
      ReferenceRow("TemperatureMonitor", "Primary Temperature Monitor",
                   {.kind = kTemperatureMonitorKind}, kReferenceMessage,
                   "Temperature monitor whose temperature readings are to be responded to."),
      UsageNumberRow("SmoothingWindow", "Smoothing Window", attr::kInteger, 3, 1, 10,
                     "Width (sec) of sliding/smoothing window used to minimize spikes in input "
                     "temperature readings."),
      ThresholdRow("TemperatureLimit", "Temperature Limit", attr::kInteger, 8,
                   "Limit, or target, temperature (°C) that the response is trying to maintain."),
      UsageNumberRow("ProportionalGain", "Proportional Gain", attr::kReal, 5, 0.25f, 3,
                     "Gain to be applied (in %) against the proportional term of the "
                     "Proportional-Integral-Derivative (PID) response."),
      UsageNumberRow("IntegralGain", "Integral Gain", attr::kReal, 6, 1.5f, 15,
                     "Gain to be applied (in %) against the integral term of the "
                     "Proportional-Integral-Derivative (PID) response."),
      UsageNumberRow("DerivativeGain", "Derivative Gain", attr::kReal, 8, 50, 1200,
                     "Gain to be applied (in %) against the derivative term of the "
                     "Proportional-Integral-Derivative (PID) response."),
      UsageNumberRow("IntegralTimeWindow", "Integral Time Window", attr::kInteger, 3, 5, 20,
                     "Width (sec) of the time window over which the integral term is applied."),
      UsageNumberRow("DerivativeTimeWindow", "Derivative Time Window", attr::kInteger, 3, 5, 30,
                     "Width (sec) of the time window over which the derivative term is applied."),
      ThresholdRow("AllOnTemperature", "All-On Temperature", attr::kInteger, 8,
                   "Temperature (°C) above which all fans are overridden to 100%."),
      ReferenceRow("AmbientTemperatureMonitor", "Ambient Temperature Monitor",
                   {.kind = kTemperatureMonitorKind,
                    .extraDisplay = "Not involved in processor cooling",
                    .extraStored = "NONE"},
                   nullptr,
                   "Temperature monitor which reports temperature of the air used to cool the "
                   "processor."),
      NumberRow("AmbientDutyCycleMin", "Minimum Ambient Duty Cycle", attr::kInteger, 4, 5, 100,
                "Minimum duty cycle applied to fan to generate airflow required by the ambient "
                "air temperature (%). It applies while the ambient temperature is at or below "
                "the Minimum Ambient Temperature and rises from there across the Ambient "
                "Temperature Range."),
      NumberRow("AmbientTempMin", "Minimum Ambient Temperature", attr::kInteger, 3, 15, 30,
                "Ambient air temperature (°C) at or below which fan should run at the minimum "
                "duty cycle-limited fan speed."),
      NumberRow("AmbientTempRange", "Ambient Temperature Range", attr::kInteger, 3, 5, 20,
                "Range of temperature values (°C) over which fans ramp from minimum ambient "
                "duty cycle to full duty cycle, counted upwards from the Minimum Ambient "
                "Temperature."),
      NumberRow("AmbientDutyCycleReduction", "Ambient Duty Cycle Reduction", attr::kReal, 5, -3,
                -0.3f,
                "Special duty cycle reduction coefficient that is used to ensure that the fans "
                "slow down again as the ambient air temperature falls. It is always negative "
                "(-3 to -0.3); a larger magnitude reduces the duty cycle faster."),
      ReferenceRow("PrimaryFanController", "Primary Fan Controller", {.kind = kFanControllerKind},
                   kReferenceMessage,
                   "Fan controller that provides the bulk of cooling at associated temperature "
                   "sensor."),
      CommentsRow("Special notes or specifications about this temperature response unit."),
  };
  return table;
}

}  // namespace zefr::tables
