// Every row of the voltage bounds table and every condition of the processor
// temperature abstraction, checked at their edges through a whole parse.
#include <gtest/gtest.h>

#include <cstdio>

#include "payload_layout.h"
#include "test_support.h"

namespace zefr::test {
namespace {

const char* const kThresholds[] = {"UnderVoltageNonCritical", "UnderVoltageCritical", "UnderVoltageNonRecoverable",
                                   "OverVoltageNonCritical",  "OverVoltageCritical",  "OverVoltageNonRecoverable"};

std::string Volts(int millivolts) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f", millivolts / 1000.0);
  return buf;
}

struct VoltageRow {
  int usage, min, max;
};

void PrintTo(const VoltageRow& r, std::ostream* os) { *os << "Usage " << r.usage; }

class VoltageBoundsTest : public testing::TestWithParam<VoltageRow> {};

// Nominal and every threshold at the minimum except the last at the maximum:
// both edges pass and every relation holds with equality.
IniBuilder AtEdges(const VoltageRow& r) {
  IniBuilder ini = FullConfig();
  const char* vm = "VoltageMonitor1";
  ini.Set(vm, "Usage", std::to_string(r.usage)).Set(vm, "VoltageNominal", Volts(r.min));
  for (const char* key : kThresholds) ini.Set(vm, key, Volts(r.min));
  ini.Set(vm, "OverVoltageNonRecoverable", Volts(r.max));
  return ini;
}

TEST_P(VoltageBoundsTest, EdgesPassAndBeyondFails) {
  const VoltageRow& r = GetParam();
  RunResult ok = RunOnText(AtEdges(r).Text());
  ASSERT_EQ(ok.exitCode, 0) << ok.out;
  const std::size_t at = payload::RecordOffset(payload::kVoltageMonitors, 1);
  EXPECT_EQ(static_cast<std::int32_t>(ok.image.Get32(at + payload::voltage_monitor::kUnderVoltageNonCritical)), r.min);
  EXPECT_EQ(static_cast<std::int32_t>(ok.image.Get32(at + payload::voltage_monitor::kOverVoltageNonRecoverable)), r.max);

  const std::string outOfRange = "Out of Range!\nTerminating Program due to INI file errors\n\n";
  // Ten millivolts beyond each edge, clear of any truncation.
  RunResult below = RunOnText(AtEdges(r).Set("VoltageMonitor1", "UnderVoltageNonCritical", Volts(r.min - 10)).Text());
  EXPECT_EQ(below.exitCode, 1);
  EXPECT_NE(below.out.find("Parameter \"UnderVoltageNonCritical\" - " + outOfRange), std::string::npos) << below.out;
  RunResult above = RunOnText(AtEdges(r).Set("VoltageMonitor1", "OverVoltageNonRecoverable", Volts(r.max + 10)).Text());
  EXPECT_EQ(above.exitCode, 1);
  EXPECT_NE(above.out.find("Parameter \"OverVoltageNonRecoverable\" - " + outOfRange), std::string::npos) << above.out;
}

INSTANTIATE_TEST_SUITE_P(
    Usage, VoltageBoundsTest,
    testing::Values(VoltageRow{0, -300000, 300000}, VoltageRow{1, 10000, 14000}, VoltageRow{2, -14000, -10000},
                    VoltageRow{3, 4000, 6000}, VoltageRow{4, 4000, 6000}, VoltageRow{5, -6000, 4000},
                    VoltageRow{6, 2500, 4100}, VoltageRow{7, 1000, 3500}, VoltageRow{8, 700, 1900},
                    VoltageRow{9, -800, 1500}, VoltageRow{10, -800, 1500}, VoltageRow{11, -800, 1500},
                    VoltageRow{12, -800, 1500}, VoltageRow{13, 90000, 260000}));

// The processor monitor keeps the abstraction (no warnings, nominal fixed at
// 0.00) only without a device, or on address 0x20 with commands 2 to 5.
struct AbstractionCase {
  const char* usage;
  const char* device;
  const char* command;
  bool warns;
};

void PrintTo(const AbstractionCase& c, std::ostream* os) {
  *os << "Usage " << c.usage << " device " << c.device << " command " << c.command;
}

class AbstractionTest : public testing::TestWithParam<AbstractionCase> {};

TEST_P(AbstractionTest, WarnsAndFreesTheNominal) {
  const AbstractionCase& c = GetParam();
  const char* tm = "TemperatureMonitor1";
  IniBuilder ini = FullConfig();
  ini.Set(tm, "Usage", c.usage).Set(tm, "DeviceAddress", c.device).Set(tm, "GetReadingCommand", c.command);
  if (std::string(c.device) == "NONE") ini.Set(tm, "TimeoutNonCritical", "7").Set(tm, "TimeoutCritical", "9");
  const std::string warning =
      "  WARNING: Section \"TemperatureMonitor1\", Parameter \"Usage\" - Not using Get-Temperature Abstraction for "
      "Processor!\n"
      "  WARNING: Section \"TemperatureMonitor1\", Parameter \"Usage\" - Will not be able to automatically handle "
      "Processor upgrade!\n";

  RunResult zero = RunOnText(ini.Text());
  EXPECT_EQ(zero.exitCode, 0) << zero.out;
  EXPECT_EQ(zero.out.find(warning) != std::string::npos, c.warns) << zero.out;
  EXPECT_EQ(zero.out.find("Abstraction"), zero.out.rfind("Abstraction"));  // at most once

  RunResult offset = RunOnText(ini.Set(tm, "TemperatureNominal", "0.01").Text());
  EXPECT_EQ(offset.exitCode, c.warns ? 0 : 1) << offset.out;
}

INSTANTIATE_TEST_SUITE_P(
    Processor, AbstractionTest,
    testing::Values(AbstractionCase{"2", "0x20", "0x02", false}, AbstractionCase{"1", "0x20", "0x05", false},
                    AbstractionCase{"2", "0x20", "0x01", true}, AbstractionCase{"1", "0x20", "0x06", true},
                    AbstractionCase{"2", "0x21", "0x02", true}, AbstractionCase{"2", "NONE", "ignored", false},
                    AbstractionCase{"1", "255", "ignored", false}));

}  // namespace
}  // namespace zefr::test
