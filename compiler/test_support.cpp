#include "test_support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

#include "console.h"
#include "memory_file_system.h"
#include "run.h"

namespace zefr::test {

const char kBanner[] =
    "\nZefr Configuration Utility V1.0.0.1114\n"
    "Copyright (c) Zefr toolchain developers. All rights reserved.\n\n";

IniBuilder& IniBuilder::Apply(const std::vector<Change>& changes) {
  for (const Change& ch : changes) {
    if (ch.value)
      Set(ch.section, ch.key, ch.value);
    else
      Remove(ch.section, ch.key);
  }
  return *this;
}

IniBuilder& IniBuilder::Set(const std::string& section, const std::string& key, const std::string& value) {
  for (auto& [name, keys] : sections_) {
    if (name != section) continue;
    for (auto& kv : keys)
      if (kv.first == key) {
        kv.second = value;
        return *this;
      }
    keys.emplace_back(key, value);
    return *this;
  }
  sections_.push_back({section, {{key, value}}});
  return *this;
}

IniBuilder& IniBuilder::Remove(const std::string& section, const std::string& key) {
  for (auto& [name, keys] : sections_)
    if (name == section) std::erase_if(keys, [&](const auto& kv) { return kv.first == key; });
  return *this;
}

IniBuilder& IniBuilder::RemoveSection(const std::string& section) {
  std::erase_if(sections_, [&](const auto& s) { return s.first == section; });
  return *this;
}

std::string IniBuilder::Text() const {
  std::string text;
  for (const auto& [name, keys] : sections_) {
    text += "[" + name + "]\n";
    for (const auto& [k, v] : keys) text += k + "=" + v + "\n";
    text += "\n";
  }
  return text;
}

IniBuilder FullConfig() {
  IniBuilder b;
  auto section = [&](const std::string& s, std::vector<std::pair<std::string, std::string>> kv) {
    for (auto& [k, v] : kv) b.Set(s, k, v);
  };
  for (const char* fm : {"FanMonitor1", "FanMonitor2"})
    section(fm, {{"Enabled", "TRUE"},
                 {"Usage", "1"},
                 {"DeviceAddress", "0x20"},
                 {"GetAttributesCommand", "0x06"},
                 {"GetReadingCommand", "0x16"},
                 {"FanSpeedNominal", "2500"},
                 {"FanSpeedNonCritical", "500"},
                 {"FanSpeedCritical", "450"},
                 {"FanSpeedNonRecoverable", "300"}});
  section("FanController1", {{"Enabled", "TRUE"},
                             {"Usage", "1"},
                             {"DeviceAddress", "0x5A"},
                             {"GetAttributesCommand", "0x10"},
                             {"SetConfigurationCommand", "NONE"},
                             {"SetSpeedCommand", "0x11"},
                             {"GetSpeedCommand", "0x12"},
                             {"AssociatedFanSpeedMonitor1", "1"},
                             {"Fan1SetConfigurationCommand", "NONE"},
                             {"Fan1PulsesPerRevolution", "2"},
                             {"Fan1MinimumRPM", "600"},
                             {"Fan1DependentMeasurement", "FALSE"},
                             {"AssociatedFanSpeedMonitor2", "2"},
                             {"Fan2SetConfigurationCommand", "0x33"},
                             {"Fan2PulsesPerRevolution", "4"},
                             {"Fan2MinimumRPM", "1000"},
                             {"Fan2DependentMeasurement", "TRUE"},
                             {"AssociatedFanSpeedMonitor3", "NONE"},
                             {"AssociatedFanSpeedMonitor4", "NONE"},
                             {"PhysicalControllerIndex", "1"},
                             {"MinOffMode", "MIN"},
                             {"DutyCycleMin", "20"},
                             {"DutyCycleOn", "30.00"},
                             {"DutyCycleMax", "100.00"},
                             {"SignalInvert", "FALSE"},
                             {"SignalFrequency", "25000"},
                             {"SpinUpTime", "250"}});
  b.Set("FanController1", "TempResponse1Weighting", "100.00");
  for (int m = 2; m <= 12; ++m) b.Set("FanController1", "TempResponse" + std::to_string(m) + "Weighting", "0");
  section("TemperatureMonitor1", {{"Enabled", "TRUE"},
                                  {"Usage", "2"},
                                  {"DeviceAddress", "0x20"},
                                  {"GetReadingCommand", "0x02"},
                                  {"RelativeReadings", "FALSE"},
                                  {"RelativeConversionFactor", "0.00"},
                                  {"AccuracyCorrectionSlope", "1.00"},
                                  {"AccuracyCorrectionOffset", "0.00"},
                                  {"TimeoutNonCritical", "1"},
                                  {"TimeoutCritical", "2"},
                                  {"TimeoutNonRecoverable", "4"},
                                  {"TemperatureNominal", "0.00"},
                                  {"TemperatureNonCritical", "6.00"},
                                  {"TemperatureCritical", "8.00"},
                                  {"TemperatureNonRecoverable", "10.00"}});
  section("TemperatureMonitor2", {{"Enabled", "TRUE"},
                                  {"Usage", "3"},
                                  {"DeviceAddress", "0x4C"},
                                  {"GetReadingCommand", "0x00"},
                                  {"RelativeReadings", "FALSE"},
                                  {"RelativeConversionFactor", "0.00"},
                                  {"AccuracyCorrectionSlope", "1.00"},
                                  {"AccuracyCorrectionOffset", "0.00"},
                                  {"TimeoutNonCritical", "3"},
                                  {"TimeoutCritical", "5"},
                                  {"TimeoutNonRecoverable", "10"},
                                  {"TemperatureNominal", "25.00"},
                                  {"TemperatureNonCritical", "40.00"},
                                  {"TemperatureCritical", "45.00"},
                                  {"TemperatureNonRecoverable", "50.00"}});
  section("TemperatureResponse1", {{"Enabled", "TRUE"},
                                   {"Usage", "2"},
                                   {"TemperatureMonitor", "1"},
                                   {"SmoothingWindow", "4"},
                                   {"TemperatureLimit", "-5.00"},
                                   {"ProportionalGain", "1.00"},
                                   {"IntegralGain", "5.00"},
                                   {"DerivativeGain", "100.00"},
                                   {"IntegralTimeWindow", "10"},
                                   {"DerivativeTimeWindow", "12"},
                                   {"AllOnTemperature", "5.00"},
                                   {"AmbientTemperatureMonitor", "2"},
                                   {"AmbientDutyCycleMin", "30.00"},
                                   {"AmbientTempMin", "20.00"},
                                   {"AmbientTempRange", "10.00"},
                                   {"AmbientDutyCycleReduction", "-1.00"},
                                   {"PrimaryFanController", "1"}});
  section("VoltageMonitor1", {{"Enabled", "TRUE"},
                              {"Usage", "1"},
                              {"DeviceAddress", "0x2C"},
                              {"GetReadingCommand", "0x20"},
                              {"VoltageNominal", "12.000"},
                              {"UnderVoltageNonCritical", "11.400"},
                              {"UnderVoltageCritical", "11.000"},
                              {"UnderVoltageNonRecoverable", "10.500"},
                              {"OverVoltageNonCritical", "12.600"},
                              {"OverVoltageCritical", "13.000"},
                              {"OverVoltageNonRecoverable", "13.500"}});
  return b;
}

IniBuilder OnlyVoltageMonitor1() {
  IniBuilder ini = FullConfig();
  for (const char* s : {"FanMonitor1", "FanMonitor2", "FanController1", "TemperatureMonitor1", "TemperatureMonitor2",
                        "TemperatureResponse1"})
    ini.RemoveSection(s);
  return ini;
}

namespace {
bool Accept(const PayloadImage&, Console& out) {
  out.Line("<delivered>");
  return true;
}
bool Refuse(const PayloadImage&, Console& out) {
  out.Line("<refused>");
  return false;
}
}  // namespace

// With ZEFR_CORPUS_DIR set, every configuration run here is also kept there as
// <hash>.ini with its arguments, one a line, in <hash>.args, so that another
// build of the program can be run on the same cases.
void KeepForCorpus(const std::string& iniText, const std::vector<std::string>& args) {
  const char* dir = std::getenv("ZEFR_CORPUS_DIR");
  if (dir == nullptr || *dir == '\0') return;
  std::string argLines;
  for (const std::string& a : args) argLines += a + "\n";
  char name[32];
  std::snprintf(name, sizeof name, "%016zx", std::hash<std::string>{}(argLines + '\0' + iniText));
  const std::string base = std::string(dir) + "/" + name;
  std::ofstream(base + ".ini", std::ios::binary) << iniText;
  std::ofstream(base + ".args", std::ios::binary) << argLines;
}

RunResult RunOnText(const std::string& iniText, std::vector<std::string> args, bool deliveryAccepts) {
  KeepForCorpus(iniText, args);
  RunResult r;
  CaptureConsole console;
  std::istringstream in;
  files::MemoryFileSystem files;
  files.Add("cfg.ini", iniText);
  RunHooks hooks;
  hooks.files = &files;
  hooks.deliver = deliveryAccepts ? Accept : Refuse;
  hooks.image = &r.image;
  r.exitCode = RunZefrCfg(args, console, in, hooks);
  r.out = console.Text();
  return r;
}

std::string AfterBanner(const std::string& out) {
  const std::string banner = kBanner;
  return out.compare(0, banner.size(), banner) == 0 ? out.substr(banner.size()) : "<no banner>" + out;
}

}  // namespace zefr::test
