#include "config_generator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace zefr::reliability {
namespace {

constexpr std::array<int, 8> kFrequencies = {10, 23, 38, 62, 94, 22000, 25000, 28000};
constexpr std::array<int, 8> kSpinUpTimes = {0, 250, 500, 750, 1000, 1500, 2000, 4000};

struct VoltageBounds {
  int lo, hi;
};

VoltageBounds VoltageBoundsOf(int usage) {
  static constexpr VoltageBounds kTable[] = {{-300000, 300000}, {10000, 14000}, {-14000, -10000}, {4000, 6000},
                                             {4000, 6000},     {-6000, 4000},  {2500, 4100},     {1000, 3500},
                                             {700, 1900},      {-800, 1500},   {-800, 1500},     {-800, 1500},
                                             {-800, 1500},     {90000, 260000}};
  return kTable[usage];
}

class Writer {
 public:
  Writer(std::uint32_t seed, Spelling spelling) : rng_(seed), anyForm_(spelling == Spelling::kAnyForm) {}

  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool Chance(int percent) { return Int(1, 100) <= percent; }
  template <typename T>
  const T& Pick(const std::vector<T>& v) { return v[static_cast<std::size_t>(Int(0, static_cast<int>(v.size()) - 1))]; }

  // n values from [lo, hi], ascending.
  std::vector<int> Ascending(int n, int lo, int hi) {
    std::vector<int> v(static_cast<std::size_t>(n));
    for (int& x : v) x = Chance(10) ? lo : Chance(10) ? hi : Int(lo, hi);
    std::sort(v.begin(), v.end());
    return v;
  }

  void Section(const std::string& name) {
    if (Chance(15)) Foreign("; about " + name + " #" + std::to_string(++serial_));
    out_.text += "[" + name + "]" + (Chance(10) ? "   ; header note #" + std::to_string(++serial_) : "") + "\n";
  }
  void Key(const std::string& key, const std::string& value) {
    const char* spacing = Chance(10) ? " = " : "=";
    std::string line = key + spacing + value;
    if (Chance(10)) line += "\t;; note " + std::to_string(++serial_);
    out_.text += line + "\n";
    if (Chance(4)) Foreign("BoardNote" + std::to_string(++serial_) + "=kept as written");
    if (Chance(3)) Foreign("");
  }
  // A line of no meaning to the configuration.
  void Foreign(const std::string& line) {
    if (!line.empty()) out_.foreignLines.push_back(line);
    out_.text += line + "\n";
  }

  // An integer in one of the forms the reader takes.
  std::string IntText(int v) {
    char buf[32];
    const int form = v > 0 ? Int(0, 9) : 0;
    if (!anyForm_) return std::to_string(v);
    if (form == 7) std::snprintf(buf, sizeof buf, "0x%X", v);
    else if (form == 8) std::snprintf(buf, sizeof buf, "0X%x", v);
    else if (form == 9) std::snprintf(buf, sizeof buf, "0%o", v);
    else std::snprintf(buf, sizeof buf, "%d", v);
    return buf;
  }
  // NONE stands for 255 only where the field takes it.
  std::string ByteText(int v, bool noneAllowed = false) {
    if (v == 255 && noneAllowed && Chance(50)) return Pick<std::string>({"NONE", "none", "None"});
    if (Chance(60) || !anyForm_) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "0x%02X", v);
      return buf;
    }
    return IntText(v);
  }
  std::string Bool(bool v) {
    return v ? Pick<std::string>({"TRUE", "True", "true"}) : Pick<std::string>({"FALSE", "False", "false"});
  }
  // A text the compiler's truncating reader turns into exactly `scaled`.
  std::string Decimal(int scaled, int decimals) {
    const int unit = decimals == 2 ? 100 : 1000;
    char buf[48];
    std::snprintf(buf, sizeof buf, "%s%d.%0*d", scaled < 0 ? "-" : "", std::abs(scaled) / unit, decimals,
                  std::abs(scaled) % unit);
    std::string text = buf;
    if (std::trunc(std::strtod(text.c_str(), nullptr) * unit) != scaled || Chance(10)) text += "5";
    return text;
  }

  GeneratedConfig Take() { return std::move(out_); }

 private:
  std::mt19937 rng_;
  bool anyForm_;
  GeneratedConfig out_;
  int serial_ = 0;
};

struct Enabled {
  std::vector<int> fanMonitors, fanControllers, temperatureMonitors, temperatureResponses, voltageMonitors;
};

std::vector<int> Choose(Writer& w, int count, int percent) {
  std::vector<int> v;
  for (int n = 1; n <= count; ++n)
    if (w.Chance(percent)) v.push_back(n);
  return v;
}

bool Has(const std::vector<int>& v, int n) { return std::find(v.begin(), v.end(), n) != v.end(); }

// The common start: a disabled entity is written in one of the ways that disable it.
bool Start(Writer& w, const std::string& section, bool enabled) {
  if (!enabled) {
    const int how = w.Int(0, 3);
    if (how == 0) return false;  // no section at all
    w.Section(section);
    if (how == 1) w.Key("Enabled", w.Bool(false));
    if (how == 2) w.Key("Enabled", "");
    if (how == 3) w.Key("Usage", "3");  // keys of a disabled entity are never read
    return false;
  }
  w.Section(section);
  w.Key("Enabled", w.Bool(true));
  return true;
}

void FanMonitor(Writer& w, int n, const Enabled& e) {
  if (!Start(w, "FanMonitor" + std::to_string(n), Has(e.fanMonitors, n))) return;
  w.Key("Usage", w.IntText(w.Int(0, 13)));
  w.Key("DeviceAddress", w.ByteText(w.Int(0, 254)));
  w.Key("GetAttributesCommand", w.ByteText(w.Int(0, 254)));
  w.Key("GetReadingCommand", w.ByteText(w.Int(0, 254)));
  const std::vector<int> s = w.Ascending(4, 0, 30000);
  w.Key("FanSpeedNominal", w.IntText(s[3]));
  w.Key("FanSpeedNonCritical", w.IntText(s[2]));
  w.Key("FanSpeedCritical", w.IntText(s[1]));
  w.Key("FanSpeedNonRecoverable", w.IntText(s[0]));
}

void FanController(Writer& w, int n, const Enabled& e) {
  if (!Start(w, "FanController" + std::to_string(n), Has(e.fanControllers, n))) return;
  w.Key("Usage", w.IntText(w.Int(0, 13)));
  w.Key("DeviceAddress", w.ByteText(w.Int(0, 254)));
  w.Key("GetAttributesCommand", w.ByteText(w.Int(0, 254)));
  w.Key("SetConfigurationCommand", w.ByteText(w.Int(0, 255), true));
  w.Key("SetSpeedCommand", w.ByteText(w.Int(0, 254)));
  w.Key("GetSpeedCommand", w.ByteText(w.Int(0, 254)));
  for (int k = 1; k <= 4; ++k) {
    const std::string slot = std::to_string(k);
    if (k > 1 && w.Chance(50)) {
      w.Key("AssociatedFanSpeedMonitor" + slot, w.Pick<std::string>({"NONE", "none"}));
      continue;
    }
    w.Key("AssociatedFanSpeedMonitor" + slot, w.IntText(w.Pick(e.fanMonitors)));
    w.Key("Fan" + slot + "SetConfigurationCommand", w.ByteText(w.Int(0, 255), true));
    w.Key("Fan" + slot + "PulsesPerRevolution", w.IntText(w.Int(1, 4)));
    w.Key("Fan" + slot + "MinimumRPM", w.IntText(w.Int(0, 16000)));
    w.Key("Fan" + slot + "DependentMeasurement", w.Bool(w.Chance(50)));
  }
  w.Key("PhysicalControllerIndex", w.IntText(w.Int(1, 4)));
  w.Key("MinOffMode", w.Pick<std::string>({"MIN", "OFF", "min", "Off"}));
  w.Key("DutyCycleMin", w.Decimal(w.Int(0, 10000), 2));
  w.Key("DutyCycleOn", w.Decimal(w.Int(500, 10000), 2));
  w.Key("DutyCycleMax", w.Decimal(w.Int(0, 10000), 2));
  w.Key("SignalInvert", w.Bool(w.Chance(50)));
  w.Key("SignalFrequency", w.IntText(kFrequencies[static_cast<std::size_t>(w.Int(0, 7))]));
  w.Key("SpinUpTime", w.IntText(kSpinUpTimes[static_cast<std::size_t>(w.Int(0, 7))]));
  for (int m = 1; m <= 12; ++m) {
    if (w.Chance(15)) continue;  // absent: presumed 0 with a warning
    const int weight = Has(e.temperatureResponses, m) && w.Chance(70) ? w.Int(0, 10000) : 0;
    w.Key("TempResponse" + std::to_string(m) + "Weighting", w.Decimal(weight, 2));
  }
}

void TemperatureMonitor(Writer& w, int n, const Enabled& e) {
  if (!Start(w, "TemperatureMonitor" + std::to_string(n), Has(e.temperatureMonitors, n))) return;
  const int usage = w.Int(0, 16);
  const bool processor = usage == 1 || usage == 2;
  w.Key("Usage", w.IntText(usage));
  const int address = w.Chance(25) ? 255 : processor && w.Chance(50) ? 0x20 : w.Int(0, 254);
  const bool device = address != 255;
  w.Key("DeviceAddress", w.ByteText(address, true));
  int command = 0;
  if (device) {
    command = processor && w.Chance(60) ? w.Int(2, 5) : w.Int(0, 255);
    w.Key("GetReadingCommand", w.ByteText(command));
  }
  const bool abstraction = processor && (!device || (address == 0x20 && command >= 2 && command <= 5));
  w.Key("RelativeReadings", w.Bool(w.Chance(50)));
  w.Key("RelativeConversionFactor", w.Decimal(w.Int(0, 12800), 2));
  w.Key("AccuracyCorrectionSlope", w.Decimal(w.Int(0, 1000), 2));
  w.Key("AccuracyCorrectionOffset", w.Decimal(w.Int(0, 12800), 2));
  if (!device) {
    w.Key("TimeoutNonCritical", w.IntText(w.Int(1, 255)));
    w.Key("TimeoutCritical", w.IntText(w.Int(1, 255)));
    w.Key("TimeoutNonRecoverable", w.Chance(30) ? "NONE" : w.IntText(w.Int(2, 255)));
  } else if (processor) {
    w.Key("TimeoutNonCritical", "1");
    w.Key("TimeoutCritical", "2");
    w.Key("TimeoutNonRecoverable", "4");
  } else {
    w.Key("TimeoutNonCritical", w.IntText(w.Int(1, 10)));
    w.Key("TimeoutCritical", w.IntText(w.Int(1, 10)));
    w.Key("TimeoutNonRecoverable", w.IntText(w.Int(1, 10)));
  }
  const int lo = processor ? 0 : -12800, hi = processor ? 2000 : 12800;
  const int nominal = abstraction ? 0 : w.Int(lo, hi);
  const std::vector<int> t = w.Ascending(3, nominal, hi);
  w.Key("TemperatureNominal", w.Decimal(nominal, 2));
  w.Key("TemperatureNonCritical", w.Decimal(t[0], 2));
  w.Key("TemperatureCritical", w.Decimal(t[1], 2));
  w.Key("TemperatureNonRecoverable", w.Decimal(t[2], 2));
}

void TemperatureResponse(Writer& w, int n, const Enabled& e) {
  if (!Start(w, "TemperatureResponse" + std::to_string(n), Has(e.temperatureResponses, n))) return;
  const int usage = w.Int(0, 16);
  const int bound = usage == 1 || usage == 2 ? 3000 : 12800;
  w.Key("Usage", w.IntText(usage));
  w.Key("TemperatureMonitor", w.IntText(w.Pick(e.temperatureMonitors)));
  w.Key("SmoothingWindow", w.IntText(w.Int(1, 10)));
  w.Key("TemperatureLimit", w.Decimal(w.Int(-bound, bound), 2));
  w.Key("ProportionalGain", w.Decimal(w.Int(25, 300), 2));
  w.Key("IntegralGain", w.Decimal(w.Int(150, 1500), 2));
  w.Key("DerivativeGain", w.Decimal(w.Int(5000, 120000), 2));
  w.Key("IntegralTimeWindow", w.IntText(w.Int(5, 20)));
  w.Key("DerivativeTimeWindow", w.IntText(w.Int(5, 30)));
  w.Key("AllOnTemperature", w.Decimal(w.Int(-bound, bound), 2));
  if (e.fanControllers.empty() || w.Chance(40)) {
    w.Key("AmbientTemperatureMonitor", w.Pick<std::string>({"NONE", "None"}));
    return;
  }
  w.Key("AmbientTemperatureMonitor", w.IntText(w.Pick(e.temperatureMonitors)));
  w.Key("AmbientDutyCycleMin", w.Decimal(w.Int(500, 10000), 2));
  w.Key("AmbientTempMin", w.Decimal(w.Int(1500, 3000), 2));
  w.Key("AmbientTempRange", w.Decimal(w.Int(500, 2000), 2));
  w.Key("AmbientDutyCycleReduction", w.Decimal(w.Int(-300, -30), 2));
  w.Key("PrimaryFanController", w.IntText(w.Pick(e.fanControllers)));
}

void VoltageMonitor(Writer& w, int n, const Enabled& e) {
  if (!Start(w, "VoltageMonitor" + std::to_string(n), Has(e.voltageMonitors, n))) return;
  const int usage = w.Int(0, 13);
  const VoltageBounds b = VoltageBoundsOf(usage);
  w.Key("Usage", w.IntText(usage));
  w.Key("DeviceAddress", w.ByteText(w.Int(0, 254)));
  w.Key("GetReadingCommand", w.ByteText(w.Int(0, 254)));
  // Vccp monitors mostly keep the nominal of 0 that makes thresholds offsets.
  const int nominal = usage >= 9 && usage <= 12 && w.Chance(70) ? 0 : w.Int(b.lo, b.hi);
  const std::vector<int> under = w.Ascending(3, b.lo, nominal);
  const std::vector<int> over = w.Ascending(3, nominal, b.hi);
  w.Key("VoltageNominal", w.Decimal(nominal, 3));
  w.Key("UnderVoltageNonCritical", w.Decimal(under[2], 3));
  w.Key("UnderVoltageCritical", w.Decimal(under[1], 3));
  w.Key("UnderVoltageNonRecoverable", w.Decimal(under[0], 3));
  w.Key("OverVoltageNonCritical", w.Decimal(over[0], 3));
  w.Key("OverVoltageCritical", w.Decimal(over[1], 3));
  w.Key("OverVoltageNonRecoverable", w.Decimal(over[2], 3));
}

}  // namespace

GeneratedConfig GenerateConfig(std::uint32_t seed, Spelling spelling) {
  Writer w(seed, spelling);
  Enabled e;
  // How full a configuration is varies from seed to seed.
  const int density = w.Int(10, 90);
  e.fanMonitors = Choose(w, 8, density);
  e.fanControllers = e.fanMonitors.empty() ? std::vector<int>{} : Choose(w, 8, density);
  e.temperatureMonitors = Choose(w, 12, density);
  e.temperatureResponses = e.temperatureMonitors.empty() ? std::vector<int>{} : Choose(w, 12, density);
  e.voltageMonitors = Choose(w, 8, density);
  if (e.fanMonitors.empty() && e.temperatureMonitors.empty() && e.voltageMonitors.empty())
    e.voltageMonitors.push_back(w.Int(1, 8));

  w.Foreign(";; generated configuration " + std::to_string(seed));
  // The sections in an order of their own: the compiler looks each one up.
  std::vector<std::pair<int, int>> sections;  // kind, number
  const int counts[5] = {8, 8, 12, 12, 8};
  for (int kind = 0; kind < 5; ++kind)
    for (int n = 1; n <= counts[kind]; ++n) sections.emplace_back(kind, n);
  if (w.Chance(50)) std::shuffle(sections.begin(), sections.end(), std::mt19937(seed));
  for (const auto& [kind, n] : sections) {
    switch (kind) {
      case 0: FanMonitor(w, n, e); break;
      case 1: FanController(w, n, e); break;
      case 2: TemperatureMonitor(w, n, e); break;
      case 3: TemperatureResponse(w, n, e); break;
      case 4: VoltageMonitor(w, n, e); break;
    }
  }
  w.Foreign("[BoardNotes]");
  w.Foreign("Owner=bench " + std::to_string(seed));
  return w.Take();
}

}  // namespace zefr::reliability
