#pragma once
// Shared fixtures for the compiler tests: a complete valid configuration that
// tests mutate one key at a time, and in-process runs.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "payload_image.h"

namespace zefr::test {

// One key set, or removed when value is null.
struct Change {
  const char* section;
  const char* key;
  const char* value;
};

// An INI text assembled from sections in order; keys keep their order too.
class IniBuilder {
 public:
  IniBuilder& Apply(const std::vector<Change>& changes);
  IniBuilder& Set(const std::string& section, const std::string& key, const std::string& value);
  IniBuilder& Remove(const std::string& section, const std::string& key);
  IniBuilder& RemoveSection(const std::string& section);
  std::string Text() const;

 private:
  std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> sections_;
};

// Two fan monitors, one controller, a processor and an ambient temperature
// monitor, one response and one 12 V monitor; all values valid.
IniBuilder FullConfig();
// FullConfig with VoltageMonitor1 its only section.
IniBuilder OnlyVoltageMonitor1();

// Section names the table-driven cases use.
inline constexpr const char* TM1 = "TemperatureMonitor1";
inline constexpr const char* TM2 = "TemperatureMonitor2";
inline constexpr const char* FM1 = "FanMonitor1";
inline constexpr const char* FM2 = "FanMonitor2";
inline constexpr const char* VM1 = "VoltageMonitor1";
inline constexpr const char* FC1 = "FanController1";
inline constexpr const char* TR1 = "TemperatureResponse1";

struct RunResult {
  int exitCode = -1;
  std::string out;
  PayloadImage image;
};

// Runs the compiler in-process on "cfg.ini" held in memory, a payload file
// written into memory too; delivery is accepted unless refused.
RunResult RunOnText(const std::string& iniText, std::vector<std::string> args = {"cfg.ini", "-o", "x.bin"},
                    bool deliveryAccepts = true);

// Only what follows the banner.
std::string AfterBanner(const std::string& out);

extern const char kBanner[];

}  // namespace zefr::test
