// Load and save of every key of the ATX default configuration through one
// IniFile batch, as the document does them.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "ini_file.h"

namespace {

using Keys = std::vector<std::pair<std::string, std::string>>;

// Every section and key the editor knows: 920 in all.
const Keys& AllKeys() {
  static const Keys keys = [] {
    Keys out;
    auto add = [&out](const char* kind, int count, const std::vector<std::string>& names) {
      for (int n = 1; n <= count; ++n)
        for (const std::string& key : names) out.emplace_back(kind + std::to_string(n), key);
    };
    add("TemperatureMonitor", 12,
        {"Enabled", "Usage", "DeviceAddress", "GetReadingCommand", "RelativeReadings",
         "RelativeConversionFactor", "AccuracyCorrectionSlope", "AccuracyCorrectionOffset",
         "TimeoutNonCritical", "TimeoutCritical", "TimeoutNonRecoverable", "TemperatureNominal",
         "TemperatureNonCritical", "TemperatureCritical", "TemperatureNonRecoverable"});
    add("FanMonitor", 8,
        {"Enabled", "Usage", "DeviceAddress", "GetAttributesCommand", "GetReadingCommand",
         "FanSpeedNominal", "FanSpeedNonCritical", "FanSpeedCritical", "FanSpeedNonRecoverable"});
    add("VoltageMonitor", 8,
        {"Enabled", "Usage", "DeviceAddress", "GetReadingCommand", "VoltageNominal",
         "UnderVoltageNonCritical", "UnderVoltageCritical", "UnderVoltageNonRecoverable",
         "OverVoltageNonCritical", "OverVoltageCritical", "OverVoltageNonRecoverable"});
    add("TemperatureResponse", 12,
        {"Enabled", "Usage", "TemperatureMonitor", "SmoothingWindow", "TemperatureLimit",
         "ProportionalGain", "IntegralGain", "DerivativeGain", "IntegralTimeWindow",
         "DerivativeTimeWindow", "AllOnTemperature", "AmbientTemperatureMonitor",
         "AmbientDutyCycleMin", "AmbientTempMin", "AmbientTempRange",
         "AmbientDutyCycleReduction", "PrimaryFanController"});
    std::vector<std::string> fc = {"Enabled", "Usage", "DeviceAddress", "GetAttributesCommand",
                                   "SetConfigurationCommand", "SetSpeedCommand",
                                   "GetSpeedCommand"};
    for (int k = 1; k <= 4; ++k) {
      std::string n = std::to_string(k);
      for (const char* key : {"AssociatedFanSpeedMonitor@", "Fan@SetConfigurationCommand",
                              "Fan@PulsesPerRevolution", "Fan@MinimumRPM",
                              "Fan@DependentMeasurement"}) {
        std::string name = key;
        name.replace(name.find('@'), 1, n);
        fc.push_back(name);
      }
    }
    for (const char* key : {"PhysicalControllerIndex", "MinOffMode", "DutyCycleMin",
                            "DutyCycleOn", "DutyCycleMax", "SignalInvert", "SignalFrequency",
                            "SpinUpTime"})
      fc.push_back(key);
    for (int m = 1; m <= 12; ++m) fc.push_back("TempResponse" + std::to_string(m) + "Weighting");
    add("FanController", 8, fc);
    return out;
  }();
  return keys;
}

std::string DefaultBytes() {
  std::ifstream in(ZEFR_DEFAULT_INI, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string WorkFile() {
  return (std::filesystem::temp_directory_path() /
          ("zefr_inifile_bench_" + std::to_string(::getpid()) + ".ini"))
      .string();
}

void Put(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The value as the document keeps it: the text before any ";", trimmed.
std::string Bare(const std::string& text) {
  std::string v = text.substr(0, text.find(';'));
  while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.pop_back();
  return v;
}

void BM_LoadDefault(benchmark::State& state) {
  std::string path = WorkFile();
  Put(path, DefaultBytes());
  std::size_t found = 0;
  for (auto _ : state) {
    zefr::IniFile ini(path);
    ini.Open();
    found = 0;
    for (const auto& [section, key] : AllKeys()) {
      if (!ini.Exists(section, key)) continue;
      ++found;
      benchmark::DoNotOptimize(Bare(ini.Read(section, key)));
    }
    ini.Close();
  }
  state.counters["keys"] = static_cast<double>(AllKeys().size());
  state.counters["found"] = static_cast<double>(found);
  std::filesystem::remove(path);
}

// mode 0 is Save (keys written in place), 1 is Save As (each key removed
// first, so every key line moves).
void BM_SaveDefault(benchmark::State& state) {
  const bool save_as = state.range(0) == 1;
  const std::string original = DefaultBytes();
  std::string path = WorkFile();
  std::vector<std::string> values;
  {
    Put(path, original);
    zefr::IniFile ini(path);
    ini.Open();
    for (const auto& [section, key] : AllKeys()) values.push_back(Bare(ini.Read(section, key)));
  }
  bool ok = true;
  for (auto _ : state) {
    state.PauseTiming();
    Put(path, original);
    state.ResumeTiming();
    zefr::IniFile ini(path);
    ini.Open();
    std::size_t i = 0;
    for (const auto& [section, key] : AllKeys()) {
      if (save_as) ini.Remove(section, key);
      std::string comment;
      if (ini.Exists(section, key)) {
        std::string text = ini.Read(section, key);
        std::size_t semi = text.find(';');
        if (semi != std::string::npos) comment = "\t" + text.substr(semi);
      }
      ini.Write(section, key, values[i++] + comment);
    }
    ok = ini.Commit() && ok;
  }
  if (!ok) state.SkipWithError("commit failed");
  std::filesystem::remove(path);
}

BENCHMARK(BM_LoadDefault)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveDefault)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
