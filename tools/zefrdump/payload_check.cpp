// The compiler's limits and relations, applied to decoded values so that a
// dump can say which of them a recompile would stop at.
#include <string>

#include "decoded_payload.h"

namespace zefrdump {
namespace {

struct Checker {
  std::vector<Finding>* out;
  std::string section;

  void Add(const std::string& key, const char* message) { out->push_back({section, key, message}); }
  // True when the value lies in range; reports otherwise.
  bool Range(const std::string& key, int64_t value, int64_t min, int64_t max) {
    if (value >= min && value <= max) return true;
    Add(key, "Out of Range");
    return false;
  }
  void AtLeast(const std::string& key, int64_t value, int64_t bound, const char* message) {
    if (value < bound) Add(key, message);
  }
  void AtMost(const std::string& key, int64_t value, int64_t bound, const char* message) {
    if (value > bound) Add(key, message);
  }
};

bool IsProcessor(uint8_t usage) { return usage == 1 || usage == 2; }

struct VoltageBounds {
  int32_t min, max;
};
constexpr VoltageBounds kVoltageBounds[14] = {
    {-300000, 300000}, {10000, 14000}, {-14000, -10000}, {4000, 6000}, {4000, 6000},
    {-6000, 4000},     {2500, 4100},   {1000, 3500},     {700, 1900},  {-800, 1500},
    {-800, 1500},      {-800, 1500},   {-800, 1500},     {90000, 260000}};

void CheckTemperatureMonitor(const TemperatureMonitor& t, Checker& c) {
  c.Range("Usage", t.usage, 0, 16);
  bool hasDevice = t.deviceAddress != kNoDevice;
  if (t.relativeReadings > 1) c.Add("RelativeReadings", "Not TRUE or FALSE");
  c.Range("RelativeConversionFactor", t.relativeConversionFactor, 0, 12800);
  c.Range("AccuracyCorrectionSlope", t.accuracyCorrectionSlope, 0, 1000);
  c.Range("AccuracyCorrectionOffset", t.accuracyCorrectionOffset, 0, 12800);

  bool processor = IsProcessor(t.usage);
  bool abstraction = processor && (!hasDevice || (t.deviceAddress == 0x20 &&
                                                   t.getReadingCommand >= 2 &&
                                                   t.getReadingCommand <= 5));
  if (!hasDevice) {
    c.Range("TimeoutNonCritical", t.timeoutNonCritical, 1, 255);
    c.Range("TimeoutCritical", t.timeoutCritical, 1, 255);
    // 0 is the stored form of NONE.
    if (t.timeoutNonRecoverable != 0) c.Range("TimeoutNonRecoverable", t.timeoutNonRecoverable, 2, 255);
  } else if (processor) {
    c.Range("TimeoutNonCritical", t.timeoutNonCritical, 1, 1);
    c.Range("TimeoutCritical", t.timeoutCritical, 2, 2);
    c.Range("TimeoutNonRecoverable", t.timeoutNonRecoverable, 4, 4);
  } else {
    c.Range("TimeoutNonCritical", t.timeoutNonCritical, 1, 10);
    c.Range("TimeoutCritical", t.timeoutCritical, 1, 10);
    c.Range("TimeoutNonRecoverable", t.timeoutNonRecoverable, 1, 10);
  }

  int32_t lo = processor ? 0 : -12800, hi = processor ? 2000 : 12800;
  if (abstraction)
    c.Range("TemperatureNominal", t.temperatureNominal, 0, 0);
  else
    c.Range("TemperatureNominal", t.temperatureNominal, lo, hi);
  if (c.Range("TemperatureNonCritical", t.temperatureNonCritical, lo, hi))
    c.AtLeast("TemperatureNonCritical", t.temperatureNonCritical, t.temperatureNominal,
              "Less than TemperatureNominal");
  if (c.Range("TemperatureCritical", t.temperatureCritical, lo, hi))
    c.AtLeast("TemperatureCritical", t.temperatureCritical, t.temperatureNonCritical,
              "Less than TemperatureNonCritical");
  if (c.Range("TemperatureNonRecoverable", t.temperatureNonRecoverable, lo, hi))
    c.AtLeast("TemperatureNonRecoverable", t.temperatureNonRecoverable, t.temperatureCritical,
              "Less than TemperatureCritical");
}

void CheckFanMonitor(const FanMonitor& f, Checker& c) {
  c.Range("Usage", f.usage, 0, 13);
  c.Range("FanSpeedNominal", f.fanSpeedNominal, 0, 30000);
  if (c.Range("FanSpeedNonCritical", f.fanSpeedNonCritical, 0, 30000))
    c.AtMost("FanSpeedNonCritical", f.fanSpeedNonCritical, f.fanSpeedNominal,
             "Greater Than FanSpeedNominal");
  if (c.Range("FanSpeedCritical", f.fanSpeedCritical, 0, 30000))
    c.AtMost("FanSpeedCritical", f.fanSpeedCritical, f.fanSpeedNonCritical,
             "Greater Than FanSpeedNonCritical");
  if (c.Range("FanSpeedNonRecoverable", f.fanSpeedNonRecoverable, 0, 30000))
    c.AtMost("FanSpeedNonRecoverable", f.fanSpeedNonRecoverable, f.fanSpeedCritical,
             "Greater Than FanSpeedCritical");
}

void CheckVoltageMonitor(const VoltageMonitor& v, Checker& c) {
  bool knownUsage = c.Range("Usage", v.usage, 0, 13);
  c.Range("VoltageNominal", v.voltageNominal, -300000, 300000);
  // Without a known usage there are no bounds to hold the thresholds to.
  VoltageBounds b = knownUsage ? kVoltageBounds[v.usage] : VoltageBounds{INT32_MIN, INT32_MAX};
  struct Threshold {
    const char* key;
    int32_t value;
    int32_t reference;
    bool under;
    const char* message;
  };
  const Threshold thresholds[] = {
      {"UnderVoltageNonCritical", v.underNonCritical, v.voltageNominal, true,
       "Greater Than VoltageNominal"},
      {"UnderVoltageCritical", v.underCritical, v.underNonCritical, true,
       "Greater Than UnderVoltageNonCritical"},
      {"UnderVoltageNonRecoverable", v.underNonRecoverable, v.underCritical, true,
       "Greater Than UnderVoltageCritical"},
      {"OverVoltageNonCritical", v.overNonCritical, v.voltageNominal, false,
       "Less Than VoltageNominal"},
      {"OverVoltageCritical", v.overCritical, v.overNonCritical, false,
       "Less Than OverVoltageNonCritical"},
      {"OverVoltageNonRecoverable", v.overNonRecoverable, v.overCritical, false,
       "Less Than OverVoltageCritical"},
  };
  for (const Threshold& t : thresholds) {
    if (!c.Range(t.key, t.value, b.min, b.max)) continue;
    if (t.under)
      c.AtMost(t.key, t.value, t.reference, t.message);
    else
      c.AtLeast(t.key, t.value, t.reference, t.message);
  }
}

void CheckTemperatureResponse(const DecodedPayload& p, const TemperatureResponse& t, Checker& c) {
  c.Range("Usage", t.usage, 0, 16);
  if (!p.temperatureMonitors[t.temperatureMonitor].enabled) c.Add("TemperatureMonitor", "Not Enabled");
  c.Range("SmoothingWindow", t.smoothingWindow, 1, 10);
  int32_t lo = IsProcessor(t.usage) ? -3000 : -12800, hi = -lo;
  c.Range("TemperatureLimit", t.temperatureLimit, lo, hi);
  c.Range("ProportionalGain", t.proportionalGain, 25, 300);
  c.Range("IntegralGain", t.integralGain, 150, 1500);
  c.Range("DerivativeGain", t.derivativeGain, 5000, 120000);
  c.Range("IntegralTimeWindow", t.integralTimeWindow, 5, 20);
  c.Range("DerivativeTimeWindow", t.derivativeTimeWindow, 5, 30);
  c.Range("AllOnTemperature", t.allOnTemperature, lo, hi);
  if (t.ambientMonitor == kNoEntity) return;
  if (!p.temperatureMonitors[t.ambientMonitor].enabled)
    c.Add("AmbientTemperatureMonitor", "Not Enabled");
  c.Range("AmbientDutyCycleMin", t.ambientDutyCycleMin, 500, 10000);
  c.Range("AmbientTempMin", t.ambientTempMin, 1500, 3000);
  c.Range("AmbientTempRange", t.ambientTempRange, 500, 2000);
  c.Range("AmbientDutyCycleReduction", t.ambientDutyCycleReduction, -300, -30);
  if (!p.fanControllers[t.primaryFanController].enabled) c.Add("PrimaryFanController", "Not Enabled");
}

void CheckFanController(const DecodedPayload& p, const FanController& f, Checker& c) {
  c.Range("Usage", f.usage, 0, 13);
  for (int k = 0; k < 4; ++k) {
    const FanSlot& s = f.slots[k];
    std::string key = "AssociatedFanSpeedMonitor" + std::to_string(k + 1);
    if (s.monitor == kNoEntity) {
      // The first slot takes no NONE; the compiler reads the word as a number.
      if (k == 0) c.Add(key, "Invalid Syntax");
      continue;
    }
    if (!p.fanMonitors[s.monitor].enabled) c.Add(key, "Not Enabled");
    c.Range("Fan" + std::to_string(k + 1) + "MinimumRPM", s.minimumRpm, 0, 16000);
  }
  c.Range("PhysicalControllerIndex", f.physicalControllerIndex + 1, 1, 4);
  c.Range("DutyCycleMin", f.dutyCycleMin, 0, 10000);
  c.Range("DutyCycleOn", f.dutyCycleOn, 500, 10000);
  c.Range("DutyCycleMax", f.dutyCycleMax, 0, 10000);
  for (int m = 0; m < 12; ++m)
    c.Range("TempResponse" + std::to_string(m + 1) + "Weighting", f.weightings[m], 0, 10000);
}

}  // namespace

std::vector<Finding> CheckPayload(const DecodedPayload& p) {
  std::vector<Finding> out;
  int enabled = 0;
  auto checker = [&](const char* family, size_t i) {
    return Checker{&out, family + std::to_string(i + 1)};
  };
  for (size_t i = 0; i < p.temperatureMonitors.size(); ++i) {
    if (!p.temperatureMonitors[i].enabled) continue;
    ++enabled;
    Checker c = checker("TemperatureMonitor", i);
    CheckTemperatureMonitor(p.temperatureMonitors[i], c);
  }
  for (size_t i = 0; i < p.fanMonitors.size(); ++i) {
    if (!p.fanMonitors[i].enabled) continue;
    ++enabled;
    Checker c = checker("FanMonitor", i);
    CheckFanMonitor(p.fanMonitors[i], c);
  }
  for (size_t i = 0; i < p.voltageMonitors.size(); ++i) {
    if (!p.voltageMonitors[i].enabled) continue;
    ++enabled;
    Checker c = checker("VoltageMonitor", i);
    CheckVoltageMonitor(p.voltageMonitors[i], c);
  }
  for (size_t i = 0; i < p.temperatureResponses.size(); ++i) {
    if (p.temperatureResponses[i].enabled) {
      ++enabled;
      Checker c = checker("TemperatureResponse", i);
      CheckTemperatureResponse(p, p.temperatureResponses[i], c);
      continue;
    }
    // An enabled controller that weighs a disabled response draws the
    // compiler's "Not Enabled" line, though the compile goes on.
    for (size_t j = 0; j < p.fanControllers.size(); ++j) {
      const FanController& f = p.fanControllers[j];
      if (f.enabled && f.weightings[i] != 0)
        out.push_back({"FanController" + std::to_string(j + 1),
                       "TempResponse" + std::to_string(i + 1) + "Weighting", "Not Enabled"});
    }
  }
  for (size_t i = 0; i < p.fanControllers.size(); ++i) {
    if (!p.fanControllers[i].enabled) continue;
    ++enabled;
    Checker c = checker("FanController", i);
    CheckFanController(p, p.fanControllers[i], c);
  }
  if (enabled == 0) out.push_back({"", "", "No Entities Enabled; Not valid INI file"});
  return out;
}

}  // namespace zefrdump
