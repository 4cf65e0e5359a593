#include "ini_printer.h"

#include <cstdio>

#include "decimal_text.h"
#include "usage_names.h"

namespace zefrdump {
namespace {

class Section {
 public:
  Section(std::string* out, const char* family, size_t index) : out_(out) {
    out_->append("[").append(family).append(std::to_string(index + 1)).append("]\n");
  }
  ~Section() { *out_ += "\n"; }

  void Key(const std::string& key, const std::string& value) { *out_ += key + "=" + value + "\n"; }
  // The name after the value is a comment to the compiler's reader.
  void Usage(UsageFamily family, uint8_t usage) {
    std::string value = std::to_string(usage);
    value.resize(24, ' ');
    Key("Usage", value + ";; " + UsageName(family, usage));
  }

 private:
  std::string* out_;
};

std::string Hex(uint8_t v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%02X", v);
  return buf;
}
std::string HexOrNone(uint8_t v) { return v == kNoDevice ? "NONE" : Hex(v); }
std::string Number(long v) { return std::to_string(v); }
std::string Bool(unsigned v) { return v == 0 ? "FALSE" : v == 1 ? "TRUE" : Number(v); }
std::string Hundredths(int32_t v) { return DecimalText(v, 2); }
std::string Thousandths(int32_t v) { return DecimalText(v, 3); }
std::string Reference(uint8_t v) { return v == kNoEntity ? "NONE" : Number(v + 1); }

void PrintTemperatureMonitor(Section& s, const TemperatureMonitor& t) {
  bool hasDevice = t.deviceAddress != kNoDevice;
  s.Usage(UsageFamily::Temperature, t.usage);
  s.Key("DeviceAddress", HexOrNone(t.deviceAddress));
  // Not read without a device, which leaves 0xFF stored.
  s.Key("GetReadingCommand", hasDevice ? Hex(t.getReadingCommand) : "NONE");
  s.Key("RelativeReadings", Bool(t.relativeReadings));
  s.Key("RelativeConversionFactor", Hundredths(t.relativeConversionFactor));
  s.Key("AccuracyCorrectionSlope", Hundredths(t.accuracyCorrectionSlope));
  s.Key("AccuracyCorrectionOffset", Hundredths(t.accuracyCorrectionOffset));
  s.Key("TimeoutNonCritical", Number(t.timeoutNonCritical));
  s.Key("TimeoutCritical", Number(t.timeoutCritical));
  // Without a device, "never" is written NONE and stored as 0.
  s.Key("TimeoutNonRecoverable",
        !hasDevice && t.timeoutNonRecoverable == 0 ? "NONE" : Number(t.timeoutNonRecoverable));
  s.Key("TemperatureNominal", Hundredths(t.temperatureNominal));
  s.Key("TemperatureNonCritical", Hundredths(t.temperatureNonCritical));
  s.Key("TemperatureCritical", Hundredths(t.temperatureCritical));
  s.Key("TemperatureNonRecoverable", Hundredths(t.temperatureNonRecoverable));
}

void PrintFanMonitor(Section& s, const FanMonitor& f) {
  s.Usage(UsageFamily::Fan, f.usage);
  s.Key("DeviceAddress", Hex(f.deviceAddress));
  s.Key("GetAttributesCommand", Hex(f.getAttributesCommand));
  s.Key("GetReadingCommand", Hex(f.getReadingCommand));
  s.Key("FanSpeedNominal", Number(f.fanSpeedNominal));
  s.Key("FanSpeedNonCritical", Number(f.fanSpeedNonCritical));
  s.Key("FanSpeedCritical", Number(f.fanSpeedCritical));
  s.Key("FanSpeedNonRecoverable", Number(f.fanSpeedNonRecoverable));
}

void PrintVoltageMonitor(Section& s, const VoltageMonitor& v) {
  s.Usage(UsageFamily::Voltage, v.usage);
  s.Key("DeviceAddress", Hex(v.deviceAddress));
  s.Key("GetReadingCommand", Hex(v.getReadingCommand));
  s.Key("VoltageNominal", Thousandths(v.voltageNominal));
  s.Key("UnderVoltageNonCritical", Thousandths(v.underNonCritical));
  s.Key("UnderVoltageCritical", Thousandths(v.underCritical));
  s.Key("UnderVoltageNonRecoverable", Thousandths(v.underNonRecoverable));
  s.Key("OverVoltageNonCritical", Thousandths(v.overNonCritical));
  s.Key("OverVoltageCritical", Thousandths(v.overCritical));
  s.Key("OverVoltageNonRecoverable", Thousandths(v.overNonRecoverable));
}

void PrintTemperatureResponse(Section& s, const TemperatureResponse& t) {
  s.Usage(UsageFamily::Temperature, t.usage);
  s.Key("TemperatureMonitor", Number(t.temperatureMonitor + 1));
  s.Key("SmoothingWindow", Number(t.smoothingWindow));
  s.Key("TemperatureLimit", Hundredths(t.temperatureLimit));
  s.Key("ProportionalGain", Hundredths(t.proportionalGain));
  s.Key("IntegralGain", Hundredths(t.integralGain));
  s.Key("DerivativeGain", Hundredths(t.derivativeGain));
  s.Key("IntegralTimeWindow", Number(t.integralTimeWindow));
  s.Key("DerivativeTimeWindow", Number(t.derivativeTimeWindow));
  s.Key("AllOnTemperature", Hundredths(t.allOnTemperature));
  s.Key("AmbientTemperatureMonitor", Reference(t.ambientMonitor));
  // Without an ambient monitor the compiler reads none of the rest.
  bool ambient = t.ambientMonitor != kNoEntity;
  s.Key("AmbientDutyCycleMin", ambient ? Hundredths(t.ambientDutyCycleMin) : "");
  s.Key("AmbientTempMin", ambient ? Hundredths(t.ambientTempMin) : "");
  s.Key("AmbientTempRange", ambient ? Hundredths(t.ambientTempRange) : "");
  s.Key("AmbientDutyCycleReduction", ambient ? Hundredths(t.ambientDutyCycleReduction) : "");
  s.Key("PrimaryFanController", ambient ? Number(t.primaryFanController + 1) : "");
}

void PrintFanController(Section& s, const FanController& f) {
  s.Usage(UsageFamily::Fan, f.usage);
  s.Key("DeviceAddress", Hex(f.deviceAddress));
  s.Key("GetAttributesCommand", Hex(f.getAttributesCommand));
  s.Key("SetConfigurationCommand", HexOrNone(f.setConfigurationCommand));
  s.Key("SetSpeedCommand", Hex(f.setSpeedCommand));
  s.Key("GetSpeedCommand", Hex(f.getSpeedCommand));
  for (size_t k = 0; k < f.slots.size(); ++k) {
    const FanSlot& slot = f.slots[k];
    std::string fan = "Fan" + std::to_string(k + 1);
    bool used = slot.monitor != kNoEntity;
    s.Key("AssociatedFanSpeedMonitor" + std::to_string(k + 1), Reference(slot.monitor));
    s.Key(fan + "SetConfigurationCommand", used ? HexOrNone(slot.setConfigurationCommand) : "");
    s.Key(fan + "PulsesPerRevolution", used ? Number(slot.pulsesPerRevolution + 1) : "");
    s.Key(fan + "MinimumRPM", used ? Number(slot.minimumRpm) : "");
    s.Key(fan + "DependentMeasurement", used ? Bool(slot.dependentMeasurement) : "");
  }
  s.Key("PhysicalControllerIndex", Number(f.physicalControllerIndex + 1));
  s.Key("MinOffMode", f.minOffModeOff ? "OFF" : "MIN");
  s.Key("DutyCycleMin", Hundredths(f.dutyCycleMin));
  s.Key("DutyCycleOn", Hundredths(f.dutyCycleOn));
  s.Key("DutyCycleMax", Hundredths(f.dutyCycleMax));
  s.Key("SignalInvert", Bool(f.signalInvert));
  s.Key("SignalFrequency", Number(kSignalFrequencies[f.signalFrequency]));
  s.Key("SpinUpTime", Number(kSpinUpTimes[f.spinUpTime]));
  for (size_t m = 0; m < f.weightings.size(); ++m)
    s.Key("TempResponse" + std::to_string(m + 1) + "Weighting", Hundredths(f.weightings[m]));
}

template <typename Entity, typename PrintFn>
void PrintKind(std::string* out, const char* family, const Entity& entities, PrintFn print) {
  for (size_t i = 0; i < entities.size(); ++i) {
    Section s(out, family, i);
    if (!entities[i].enabled) {
      s.Key("Enabled", "FALSE");
      continue;
    }
    s.Key("Enabled", "TRUE");
    print(s, entities[i]);
  }
}

// A line break in a file name would end the comment and start a key line.
std::string CommentSafe(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return text;
}

}  // namespace

std::string PrintIni(const DecodedPayload& p, const std::string& source) {
  std::string out = ";; Configuration decoded from payload file \"" + CommentSafe(source) +
                    "\" by zefrdump.\n\n";
  PrintKind(&out, "TemperatureMonitor", p.temperatureMonitors, PrintTemperatureMonitor);
  PrintKind(&out, "FanMonitor", p.fanMonitors, PrintFanMonitor);
  PrintKind(&out, "VoltageMonitor", p.voltageMonitors, PrintVoltageMonitor);
  PrintKind(&out, "TemperatureResponse", p.temperatureResponses, PrintTemperatureResponse);
  PrintKind(&out, "FanController", p.fanControllers, PrintFanController);
  return out;
}

}  // namespace zefrdump
