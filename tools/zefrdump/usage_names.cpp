#include "usage_names.h"

#include <array>
#include <span>

namespace zefrdump {
namespace {

constexpr std::array<const char*, 17> kTemperature = {
    "Unknown/Other Temperature Source",
    "Processor Core Temperature",
    "Processor Die/Package Temperature",
    "Varn Temperature",
    "G/Mork Temperature",
    "Voltage Regulator Temperature",
    "Memory Temperature",
    "Motherboard Ambient Temperature",
    "System Ambient Air Temperature",
    "Processor Inlet Air Temperature",
    "System Inlet Air Temperature",
    "System Outlet Air Temperature",
    "Power Supply Internal/Hotspot Temperature",
    "Power Supply Inlet Air Temperature",
    "Power Supply Outlet Air Temperature",
    "Hard Drive Temperature",
    "Graphics Processor Temperature"};

constexpr std::array<const char*, 14> kFan = {
    "Unknown/Other Cooling Source", "Processor Cooling Fan",  "Processor/System Cooling Fan",
    "G/Mork Cooling Fan",           "Voltage Regulator Cooling Fan", "Chassis Cooling Fan",
    "Chassis Inlet Fan",            "Chassis Outlet Fan",     "Power Supply Cooling Fan",
    "Power Supply Inlet Fan",       "Power Supply Outlet Fan", "Hard Drive Cooling Fan",
    "Graphics Processor Cooling Fan", "Auxiliary Cooling Fan"};

constexpr std::array<const char*, 14> kVoltage = {
    "Unknown/Other Voltage",    "+12 Volts",       "-12 Volts",
    "+5 Volts",                 "+5 Volt Backup",  "-5 Volts",
    "+3.3 Volts",               "+2.5 Volts",      "+1.5 Volts",
    "Processor 1 Vccp Voltage", "Processor 2 Vccp Voltage", "Processor 3 Vccp Voltage",
    "Processor 4 Vccp Voltage", "PSU Input Voltage"};

}  // namespace

std::string UsageName(UsageFamily family, unsigned usage) {
  std::span<const char* const> names = kVoltage;
  if (family == UsageFamily::Temperature) names = kTemperature;
  if (family == UsageFamily::Fan) names = kFan;
  if (usage < names.size()) return names[usage];
  return "Usage " + std::to_string(usage);
}

}  // namespace zefrdump
