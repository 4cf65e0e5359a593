#include <gtest/gtest.h>

#include <cstdio>

#include "payload_layout.h"
#include "test_support.h"

namespace zefr::test {
namespace {

using namespace payload;

std::string Hex(const PayloadImage& image, std::size_t at, std::size_t size) {
  std::string s;
  char buf[4];
  for (std::size_t i = 0; i < size; ++i) {
    std::snprintf(buf, sizeof buf, "%02X", image.bytes[at + i]);
    if (i) s += ' ';
    s += buf;
  }
  return s;
}

TEST(PayloadLayout, KindsTileTheImage) {
  std::size_t at = header::kSize;
  for (const KindLayout& k : kKinds) {
    EXPECT_EQ(k.offset, at) << k.section;
    at += k.recordLength * static_cast<std::size_t>(k.count);
  }
  EXPECT_EQ(at, kImageSize);
}

TEST(PayloadLayout, DisabledAndEnabledHeaderWords) {
  struct Case {
    const KindLayout& kind;
    int number;
    bool enabled;
    std::uint16_t word;
  };
  const Case cases[] = {{kTemperatureMonitors, 1, false, 0x4A01}, {kFanMonitors, 1, false, 0x1C02},
                        {kVoltageMonitors, 1, false, 0x4203},     {kTemperatureResponses, 1, false, 0x5604},
                        {kFanControllers, 1, false, 0xA005},      {kFanControllers, 8, false, 0xA03D},
                        {kFanControllers, 8, true, 0xA13D},       {kVoltageMonitors, 1, true, 0x4303}};
  for (const Case& c : cases) EXPECT_EQ(RecordHeaderWord(c.kind, c.number, c.enabled), c.word) << c.kind.section;
  EXPECT_EQ(RecordOffset(kFanControllers, 8), 1904u);
}

TEST(PayloadImage, OnlyVoltageMonitor1) {
  RunResult r = RunOnText(OnlyVoltageMonitor1().Text());
  ASSERT_EQ(r.exitCode, 0) << r.out;
  EXPECT_EQ(Hex(r.image, 0, 8), "52 46 45 5A 01 00 C0 07");
  EXPECT_EQ(r.image.Get16(564), 0x4303);
  for (const KindLayout& k : kKinds) {
    for (int n = 1; n <= k.count; ++n) {
      if (k.kind == Kind::kVoltageMonitor && n == 1) continue;
      const std::size_t at = RecordOffset(k, n);
      EXPECT_EQ(r.image.Get16(at), RecordHeaderWord(k, n, false)) << k.section << n;
      for (std::size_t i = 2; i < k.recordLength; ++i) ASSERT_EQ(r.image.bytes[at + i], 0) << k.section << n;
    }
  }
  // 12.000 V with thresholds 11.4, 11.0, 10.5, 12.6, 13.0, 13.5, in millivolts.
  EXPECT_EQ(Hex(r.image, 564, 33),
            "03 43 01 2C 20 E0 2E 00 00 88 2C 00 00 F8 2A 00 00 04 29 00 00 38 31 00 00 C8 32 00 00 BC 34 00 00");
}

TEST(PayloadImage, RecordsOfTheFullConfiguration) {
  RunResult r = RunOnText(FullConfig().Text());
  ASSERT_EQ(r.exitCode, 0) << r.out;
  EXPECT_EQ(Hex(r.image, 8, 37),
            "01 4B 02 20 02 00 01 02 04 00 00 00 00 64 00 00 00 00 00 00 00 00 00 00 00 "
            "58 02 00 00 20 03 00 00 E8 03 00 00");
  EXPECT_EQ(Hex(r.image, 452, 14), "02 1D 01 20 06 16 C4 09 F4 01 C2 01 2C 01");
  EXPECT_EQ(Hex(r.image, 466, 14), "0A 1D 01 20 06 16 C4 09 F4 01 C2 01 2C 01");

  const std::size_t fc = RecordOffset(kFanControllers, 1);
  EXPECT_EQ(Hex(r.image, fc, 8), "05 A1 01 5A 10 FF 11 12");
  EXPECT_EQ(Hex(r.image, fc + 8, 16), "20 FF 58 02 E1 33 E8 03 1F 00 00 00 1F 00 00 00");
  EXPECT_EQ(r.image.Get16(fc + fan_controller::kControl), 0x01C0);
  EXPECT_EQ(Hex(r.image, fc + 26, 6), "D0 07 B8 0B 10 27");
  EXPECT_EQ(r.image.Get32(fc + fan_controller::kWeightings), 10000u);
  for (int m = 2; m <= 12; ++m) EXPECT_EQ(r.image.Get32(fc + fan_controller::kWeightings + 4 * (m - 1)), 0u);

  const std::size_t tr = RecordOffset(kTemperatureResponses, 1);
  EXPECT_EQ(r.image.Get32(tr + temperature_response::kLink), 0x18A20020u);
  EXPECT_EQ(Hex(r.image, tr, 3), "04 57 02");
  EXPECT_EQ(static_cast<std::int32_t>(r.image.Get32(tr + temperature_response::kTemperatureLimit)), -500);
  EXPECT_EQ(static_cast<std::int32_t>(r.image.Get32(tr + temperature_response::kAmbientDutyCycleReduction)), -100);
  EXPECT_EQ(r.image.Get32(tr + temperature_response::kDerivativeGain), 10000u);
}

TEST(PayloadImage, ResponseWithoutAmbient) {
  IniBuilder ini = FullConfig();
  ini.Set("TemperatureResponse1", "AmbientTemperatureMonitor", "NONE");
  RunResult r = RunOnText(ini.Text());
  ASSERT_EQ(r.exitCode, 0) << r.out;
  const std::size_t tr = RecordOffset(kTemperatureResponses, 1);
  EXPECT_EQ(temperature_response::kAmbientTemperatureMonitor.Get(r.image.Get32(tr + 3)), 31u);
  EXPECT_EQ(temperature_response::kPrimaryFanController.Get(r.image.Get32(tr + 3)), 0u);
  for (std::size_t i = 27; i < 43; ++i) EXPECT_EQ(r.image.bytes[tr + i], 0) << i;
}

TEST(PayloadImage, ControlWordPositions) {
  IniBuilder ini = FullConfig();
  ini.Set("FanController1", "PhysicalControllerIndex", "4")
      .Set("FanController1", "MinOffMode", "OFF")
      .Set("FanController1", "SignalInvert", "TRUE")
      .Set("FanController1", "SignalFrequency", "94")
      .Set("FanController1", "SpinUpTime", "1500");
  RunResult r = RunOnText(ini.Text());
  ASSERT_EQ(r.exitCode, 0) << r.out;
  // Index 4 stored as 3 in bits 0-2, OFF bit 3, invert bit 4, 94 Hz (4th of
  // the list) in bits 5-7, 1500 ms (5th) in bits 8-10: the word at 1368.
  EXPECT_EQ(RecordOffset(kFanControllers, 1) + fan_controller::kControl, 1368u);
  EXPECT_EQ(r.image.Get16(1368), 0x059B);
}

TEST(PayloadImage, TemperatureMonitorWithoutDevice) {
  IniBuilder ini = FullConfig();
  ini.Set("TemperatureMonitor2", "DeviceAddress", "NONE").Set("TemperatureMonitor2", "TimeoutNonRecoverable", "none");
  RunResult r = RunOnText(ini.Text());
  ASSERT_EQ(r.exitCode, 0) << r.out;
  EXPECT_EQ(Hex(r.image, RecordOffset(kTemperatureMonitors, 2), 9), "09 4B 03 FF FF 00 03 05 00");
  // 255 seconds is a timeout, not NONE.
  ini.Set("TemperatureMonitor2", "TimeoutNonRecoverable", "255");
  r = RunOnText(ini.Text());
  ASSERT_EQ(r.exitCode, 0) << r.out;
  EXPECT_EQ(r.image.Get8(RecordOffset(kTemperatureMonitors, 2) + temperature_monitor::kTimeoutNonRecoverable), 0xFF);
}

}  // namespace
}  // namespace zefr::test
