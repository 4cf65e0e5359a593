#include "config_generator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <random>
#include <vector>

#include "field_table.h"
#include "rules.h"

namespace zefr::reliability {
namespace {

namespace F = format;

const format::FieldRow& Row(const format::KindTable& t, int field) { return t.fields[static_cast<std::size_t>(field)]; }
const char* Key(const format::KindTable& t, int field) { return Row(t, field).key; }
int Min(const format::KindTable& t, int field) { return Row(t, field).min; }
int Max(const format::KindTable& t, int field) { return Row(t, field).max; }

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

// A key whose value is drawn from its row's own bounds.
void DrawInteger(Writer& w, const format::KindTable& t, int field) {
  w.Key(Key(t, field), w.IntText(w.Int(Min(t, field), Max(t, field))));
}
void DrawDecimal(Writer& w, const format::KindTable& t, int field) {
  w.Key(Key(t, field), w.Decimal(w.Int(Min(t, field), Max(t, field)), 2));
}
// Device addresses and commands that cannot be none, drawn in the order given.
void DrawBytes(Writer& w, const format::KindTable& t, std::initializer_list<int> fields) {
  for (int field : fields) w.Key(Key(t, field), w.ByteText(w.Int(0, 254)));
}

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
bool Start(Writer& w, const format::KindTable& table, int n, bool enabled) {
  const std::string section = table.layout.section + std::to_string(n);
  if (!enabled) {
    const int how = w.Int(0, 3);
    if (how == 0) return false;  // no section at all
    w.Section(section);
    if (how == 1) w.Key(Key(table, 0), w.Bool(false));
    if (how == 2) w.Key(Key(table, 0), "");
    if (how == 3) w.Key(Key(table, 1), "3");  // keys of a disabled entity are never read
    return false;
  }
  w.Section(section);
  w.Key(Key(table, 0), w.Bool(true));
  return true;
}

void FanMonitor(Writer& w, int n, const Enabled& e) {
  const format::KindTable& t = F::kFanMonitorTable;
  namespace f = F::fan_monitor_field;
  if (!Start(w, t, n, Has(e.fanMonitors, n))) return;
  DrawInteger(w, t, f::kUsage);
  DrawBytes(w, t, {f::kDeviceAddress, f::kGetAttributesCommand, f::kGetReadingCommand});
  const std::vector<int> s = w.Ascending(4, Min(t, f::kFanSpeedNominal), Max(t, f::kFanSpeedNominal));
  w.Key(Key(t, f::kFanSpeedNominal), w.IntText(s[3]));
  w.Key(Key(t, f::kFanSpeedNonCritical), w.IntText(s[2]));
  w.Key(Key(t, f::kFanSpeedCritical), w.IntText(s[1]));
  w.Key(Key(t, f::kFanSpeedNonRecoverable), w.IntText(s[0]));
}

void FanController(Writer& w, int n, const Enabled& e) {
  const format::KindTable& t = F::kFanControllerTable;
  namespace f = F::fan_controller_field;
  if (!Start(w, t, n, Has(e.fanControllers, n))) return;
  DrawInteger(w, t, f::kUsage);
  DrawBytes(w, t, {f::kDeviceAddress, f::kGetAttributesCommand});
  w.Key(Key(t, f::kSetConfigurationCommand), w.ByteText(w.Int(0, 255), true));
  DrawBytes(w, t, {f::kSetSpeedCommand, f::kGetSpeedCommand});
  for (int k = 1; k <= payload::fan_controller::kFanSlotCount; ++k) {
    auto slot = [&](int which) { return f::SlotField(k, which); };
    if (k > 1 && w.Chance(50)) {
      w.Key(Key(t, slot(f::kSlotMonitor)), w.Pick<std::string>({"NONE", "none"}));
      continue;
    }
    w.Key(Key(t, slot(f::kSlotMonitor)), w.IntText(w.Pick(e.fanMonitors)));
    w.Key(Key(t, slot(f::kSlotSetConfigurationCommand)), w.ByteText(w.Int(0, 255), true));
    DrawInteger(w, t, slot(f::kSlotPulsesPerRevolution));
    DrawInteger(w, t, slot(f::kSlotMinimumRpm));
    w.Key(Key(t, slot(f::kSlotDependentMeasurement)), w.Bool(w.Chance(50)));
  }
  DrawInteger(w, t, f::kPhysicalControllerIndex);
  w.Key(Key(t, f::kMinOffMode), w.Pick<std::string>({"MIN", "OFF", "min", "Off"}));
  for (int duty : {f::kDutyCycleMin, f::kDutyCycleOn, f::kDutyCycleMax})
    DrawDecimal(w, t, duty);
  w.Key(Key(t, f::kSignalInvert), w.Bool(w.Chance(50)));
  w.Key(Key(t, f::kSignalFrequency), w.IntText(F::kSignalFrequencies[static_cast<std::size_t>(w.Int(0, 7))]));
  w.Key(Key(t, f::kSpinUpTime), w.IntText(F::kSpinUpTimes[static_cast<std::size_t>(w.Int(0, 7))]));
  for (int m = 1; m <= payload::fan_controller::kWeightingCount; ++m) {
    if (w.Chance(15)) continue;  // absent: presumed 0 with a warning
    const int field = f::WeightingField(m);
    const int weight = Has(e.temperatureResponses, m) && w.Chance(70) ? w.Int(Min(t, field), Max(t, field)) : 0;
    w.Key(Key(t, field), w.Decimal(weight, 2));
  }
}

void TemperatureMonitor(Writer& w, int n, const Enabled& e) {
  const format::KindTable& t = F::kTemperatureMonitorTable;
  namespace f = F::temperature_monitor_field;
  if (!Start(w, t, n, Has(e.temperatureMonitors, n))) return;
  const int usage = w.Int(Min(t, f::kUsage), Max(t, f::kUsage));
  const bool processor = F::IsProcessorTemperature(usage);
  w.Key(Key(t, f::kUsage), w.IntText(usage));
  const int address = w.Chance(25) ? 255 : processor && w.Chance(50) ? 0x20 : w.Int(0, 254);
  const bool device = address != 255;
  w.Key(Key(t, f::kDeviceAddress), w.ByteText(address, true));
  int command = 0;
  if (device) {
    command = processor && w.Chance(60) ? w.Int(2, 5) : w.Int(0, 255);
    w.Key(Key(t, f::kGetReadingCommand), w.ByteText(command));
  }
  const bool abstraction =
      processor && F::KeepsTemperatureAbstraction(static_cast<std::uint8_t>(address), static_cast<std::uint8_t>(command));
  w.Key(Key(t, f::kRelativeReadings), w.Bool(w.Chance(50)));
  for (int factor : {f::kRelativeConversionFactor, f::kAccuracyCorrectionSlope, f::kAccuracyCorrectionOffset})
    DrawDecimal(w, t, factor);
  for (int timeout : {f::kTimeoutNonCritical, f::kTimeoutCritical, f::kTimeoutNonRecoverable}) {
    const F::Bounds b = F::TimeoutBounds(timeout, device, processor);
    if (!device && timeout == f::kTimeoutNonRecoverable && w.Chance(30))
      w.Key(Key(t, timeout), "NONE");
    else if (b.min == b.max)
      w.Key(Key(t, timeout), std::to_string(b.min));
    else
      w.Key(Key(t, timeout), w.IntText(w.Int(b.min, b.max)));
  }
  const F::Bounds b = F::MonitorTemperatureBounds(processor);
  const int nominal = abstraction ? 0 : w.Int(b.min, b.max);
  const std::vector<int> v = w.Ascending(3, nominal, b.max);
  w.Key(Key(t, f::kTemperatureNominal), w.Decimal(nominal, 2));
  w.Key(Key(t, f::kTemperatureNonCritical), w.Decimal(v[0], 2));
  w.Key(Key(t, f::kTemperatureCritical), w.Decimal(v[1], 2));
  w.Key(Key(t, f::kTemperatureNonRecoverable), w.Decimal(v[2], 2));
}

void TemperatureResponse(Writer& w, int n, const Enabled& e) {
  const format::KindTable& t = F::kTemperatureResponseTable;
  namespace f = F::temperature_response_field;
  if (!Start(w, t, n, Has(e.temperatureResponses, n))) return;
  const int usage = w.Int(Min(t, f::kUsage), Max(t, f::kUsage));
  const F::Bounds limit = F::ResponseTemperatureBounds(F::IsProcessorTemperature(usage));
  w.Key(Key(t, f::kUsage), w.IntText(usage));
  w.Key(Key(t, f::kTemperatureMonitor), w.IntText(w.Pick(e.temperatureMonitors)));
  DrawInteger(w, t, f::kSmoothingWindow);
  w.Key(Key(t, f::kTemperatureLimit), w.Decimal(w.Int(limit.min, limit.max), 2));
  for (int gain : {f::kProportionalGain, f::kIntegralGain, f::kDerivativeGain})
    DrawDecimal(w, t, gain);
  for (int window : {f::kIntegralTimeWindow, f::kDerivativeTimeWindow})
    DrawInteger(w, t, window);
  w.Key(Key(t, f::kAllOnTemperature), w.Decimal(w.Int(limit.min, limit.max), 2));
  if (e.fanControllers.empty() || w.Chance(40)) {
    w.Key(Key(t, f::kAmbientTemperatureMonitor), w.Pick<std::string>({"NONE", "None"}));
    return;
  }
  w.Key(Key(t, f::kAmbientTemperatureMonitor), w.IntText(w.Pick(e.temperatureMonitors)));
  for (int ambient : {f::kAmbientDutyCycleMin, f::kAmbientTempMin, f::kAmbientTempRange, f::kAmbientDutyCycleReduction})
    DrawDecimal(w, t, ambient);
  w.Key(Key(t, f::kPrimaryFanController), w.IntText(w.Pick(e.fanControllers)));
}

void VoltageMonitor(Writer& w, int n, const Enabled& e) {
  const format::KindTable& t = F::kVoltageMonitorTable;
  namespace f = F::voltage_monitor_field;
  if (!Start(w, t, n, Has(e.voltageMonitors, n))) return;
  const int usage = w.Int(Min(t, f::kUsage), Max(t, f::kUsage));
  const F::Bounds b = F::VoltageBounds(usage);
  w.Key(Key(t, f::kUsage), w.IntText(usage));
  DrawBytes(w, t, {f::kDeviceAddress, f::kGetReadingCommand});
  // Vccp monitors mostly keep the nominal of 0 that makes thresholds offsets.
  const int nominal = F::IsVccp(usage) && w.Chance(70) ? 0 : w.Int(b.min, b.max);
  const std::vector<int> under = w.Ascending(3, b.min, nominal);
  const std::vector<int> over = w.Ascending(3, nominal, b.max);
  w.Key(Key(t, f::kVoltageNominal), w.Decimal(nominal, 3));
  w.Key(Key(t, f::kUnderVoltageNonCritical), w.Decimal(under[2], 3));
  w.Key(Key(t, f::kUnderVoltageCritical), w.Decimal(under[1], 3));
  w.Key(Key(t, f::kUnderVoltageNonRecoverable), w.Decimal(under[0], 3));
  w.Key(Key(t, f::kOverVoltageNonCritical), w.Decimal(over[0], 3));
  w.Key(Key(t, f::kOverVoltageCritical), w.Decimal(over[1], 3));
  w.Key(Key(t, f::kOverVoltageNonRecoverable), w.Decimal(over[2], 3));
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
