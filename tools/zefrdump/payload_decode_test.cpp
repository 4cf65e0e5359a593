#include <gtest/gtest.h>

#include <functional>

#include "decoded_payload.h"
#include "test_image.h"

namespace zefrdump {

void PrintTo(const Finding& f, std::ostream* os) { *os << FormatFinding(f); }

namespace {

using namespace testing;

std::vector<Finding> Findings(TestImage& img) {
  std::vector<Finding> found;
  const DecodedPayload p = Decoded(img, &found);
  for (const Finding& f : CheckPayload(p)) found.push_back(f);
  return found;
}

TEST(DecodePayload, RefusesWhatCannotBeReadSoundly) {
  struct Case {
    const char* name;
    std::function<void(TestImage&)> spoil;
    const char* message;
  } cases[] = {
      {"short", [](TestImage& i) { i.bytes().resize(1983); },
       "Payload holds 1983 bytes, expected 1984"},
      {"long", [](TestImage& i) { i.bytes().push_back(0); },
       "Payload holds 1985 bytes, expected 1984"},
      {"signature", [](TestImage& i) { i.bytes()[3] = 0x5B; },
       "Wrong signature 0x5B454652, expected 0x5A454652"},
      {"version", [](TestImage& i) { i.bytes()[4] = 2; }, "Wrong version 2, expected 1"},
      {"total length", [](TestImage& i) { i.bytes()[6] = 0xC1; },
       "Wrong total length 1985, expected 1984"},
      {"kind", [](TestImage& i) { i.bytes()[8] = 0x4A; },
       "Record header 0x4B4A at offset 8 does not belong to TemperatureMonitor1 (kind 2, index 9,"
       " length 37; expected kind 1, index 0, length 37)"},
      {"index", [](TestImage& i) { i.bytes()[452 + 14] = 0x02; },
       "Record header 0x1D02 at offset 466 does not belong to FanMonitor2 (kind 2, index 0,"
       " length 14; expected kind 2, index 1, length 14)"},
      {"length", [](TestImage& i) { i.bytes()[1904 + 1] = 0xA2; },
       "Record header 0xA23D at offset 1904 does not belong to FanController8 (kind 5, index 7,"
       " length 81; expected kind 5, index 7, length 80)"},
      {"temperature monitor reference",
       [](TestImage& i) { i.Set32(kTr, 1, 3, LinkWord(13, 0, 0, 4, 5, 15)); },
       "Section \"TemperatureResponse1\", Parameter \"TemperatureMonitor\" refers to number 13,"
       " beyond the 12 there are"},
      {"ambient reference",
       [](TestImage& i) { i.Set32(kTr, 2, 3, LinkWord(2, 13, 1, 4, 5, 15)); },
       "Section \"TemperatureResponse2\", Parameter \"AmbientTemperatureMonitor\" refers to"
       " number 13, beyond the 12 there are"},
      {"primary fan controller reference",
       [](TestImage& i) { i.Set32(kTr, 1, 3, LinkWord(1, 2, 9, 4, 5, 15)); },
       "Section \"TemperatureResponse1\", Parameter \"PrimaryFanController\" refers to number 9,"
       " beyond the 8 there are"},
      {"fan monitor reference", [](TestImage& i) { i.Set8(kFc, 1, 8 + 4, 8); },
       "Section \"FanController1\", Parameter \"AssociatedFanSpeedMonitor2\" refers to number 9,"
       " beyond the 8 there are"},
  };
  for (const Case& c : cases) {
    TestImage img = AtxDefaultImage();
    c.spoil(img);
    DecodedPayload p;
    std::vector<Finding> found;
    std::string err;
    EXPECT_FALSE(DecodePayload(img.bytes(), &p, &found, &err)) << c.name;
    EXPECT_EQ(err, c.message) << c.name;
  }
}

TEST(DecodePayload, TellsOfBytesARecompileWouldDrop) {
  struct Case {
    const char* name;
    std::function<void(TestImage&)> spoil;
    Finding finding;
  } cases[] = {
      {"header reserved", [](TestImage& i) { i.bytes()[5] = 1; },
       {"", "", "Reserved Header Byte Not 0, Lost on Recompile"}},
      {"disabled record", [](TestImage& i) { i.Set8(kVm, 8, 20, 1); },
       {"VoltageMonitor8", "Enabled", "Disabled Record Holds Non-Zero Bytes, Lost on Recompile"}},
      {"command without device",
       [](TestImage& i) { i.Enable(kTm, 7).Set8(kTm, 7, 3, 0xFF).Set8(kTm, 7, 4, 0x02); },
       {"TemperatureMonitor7", "GetReadingCommand", "Not 0xFF Without a Device, Lost on Recompile"}},
      {"ambient fields without monitor", [](TestImage& i) { i.Set32(kTr, 1, 31, 1500); },
       {"TemperatureResponse1", "AmbientTemperatureMonitor",
        "Ambient Fields Not 0 Without a Monitor, Lost on Recompile"}},
      {"link reserved", [](TestImage& i) { i.Set8(kTr, 2, 6, uint8_t(i.bytes()[828 + 43 + 6] | 0x40)); },
       {"TemperatureResponse2", "", "Reserved Link Word Bits Set, Lost on Recompile"}},
      {"empty fan slot", [](TestImage& i) { i.Set16(kFc, 1, 14, 500); },
       {"FanController1", "AssociatedFanSpeedMonitor2",
        "Fan Slot Not 0 Without a Monitor, Lost on Recompile"}},
      {"control reserved", [](TestImage& i) { i.Set16(kFc, 2, 24, 0x0101 | 0x0800); },
       {"FanController2", "", "Reserved Control Word Bits Set, Lost on Recompile"}},
  };
  for (const Case& c : cases) {
    TestImage img = AtxDefaultImage();
    c.spoil(img);
    std::vector<Finding> found = Findings(img);
    bool seen = false;
    for (const Finding& f : found) seen = seen || f == c.finding;
    EXPECT_TRUE(seen) << c.name;
  }
}

TEST(CheckPayload, TheDefaultConfigurationPassesUnremarked) {
  TestImage img = AtxDefaultImage();
  EXPECT_TRUE(Findings(img).empty());
}

TEST(CheckPayload, NamesWhatTheCompilerWouldRefuse) {
  struct Case {
    const char* name;
    std::function<void(TestImage&)> spoil;
    std::vector<Finding> findings;
  } cases[] = {
      {"usage", [](TestImage& i) { i.Set8(kTm, 2, 2, 17); },
       {{"TemperatureMonitor2", "Usage", "Out of Range"}}},
      {"boolean", [](TestImage& i) { i.Set8(kTm, 2, 5, 2); },
       {{"TemperatureMonitor2", "RelativeReadings", "Not TRUE or FALSE"}}},
      {"processor timeouts", [](TestImage& i) { i.Set8(kTm, 1, 8, 5); },
       {{"TemperatureMonitor1", "TimeoutNonRecoverable", "Out of Range"}}},
      {"other timeouts", [](TestImage& i) { i.Set8(kTm, 2, 7, 11); },
       {{"TemperatureMonitor2", "TimeoutCritical", "Out of Range"}}},
      {"timeouts without device: 0 is NONE, 1 is not",
       [](TestImage& i) {
         i.Set8(kTm, 2, 3, 0xFF).Set8(kTm, 2, 4, 0xFF).Set8(kTm, 2, 8, 0);
         i.Set8(kTm, 3, 3, 0xFF).Set8(kTm, 3, 4, 0xFF).Set8(kTm, 3, 8, 1);
       },
       {{"TemperatureMonitor3", "TimeoutNonRecoverable", "Out of Range"}}},
      {"abstraction needs nominal 0", [](TestImage& i) { i.Set32(kTm, 1, 21, 100); },
       {{"TemperatureMonitor1", "TemperatureNominal", "Out of Range"}}},
      {"no abstraction allows a nominal",
       [](TestImage& i) { i.Set8(kTm, 1, 4, 0x06).Set32(kTm, 1, 21, 100); }, {}},
      {"processor thresholds", [](TestImage& i) { i.Set32(kTm, 1, 33, 2001); },
       {{"TemperatureMonitor1", "TemperatureNonRecoverable", "Out of Range"}}},
      {"temperature relation", [](TestImage& i) { i.Set32(kTm, 2, 29, 6499); },
       {{"TemperatureMonitor2", "TemperatureCritical", "Less than TemperatureNonCritical"}}},
      {"fan speed relation", [](TestImage& i) { i.Set16(kFm, 1, 8, 2600); },
       {{"FanMonitor1", "FanSpeedNonCritical", "Greater Than FanSpeedNominal"}}},
      {"fan speed range", [](TestImage& i) { i.Set16(kFm, 1, 6, 30001); },
       {{"FanMonitor1", "FanSpeedNominal", "Out of Range"}}},
      {"voltage bounds", [](TestImage& i) { i.Set32(kVm, 1, 29, 14001); },
       {{"VoltageMonitor1", "OverVoltageNonRecoverable", "Out of Range"}}},
      {"under voltage relation", [](TestImage& i) { i.Set32(kVm, 2, 17, 4626); },
       {{"VoltageMonitor2", "UnderVoltageNonRecoverable", "Greater Than UnderVoltageCritical"}}},
      {"over voltage relation", [](TestImage& i) { i.Set32(kVm, 5, 5, 1200); },
       {{"VoltageMonitor5", "OverVoltageNonCritical", "Less Than VoltageNominal"}}},
      {"response names disabled monitor", [](TestImage& i) { i.Set32(kTr, 1, 3, LinkWord(8, 0, 0, 4, 5, 15)); },
       {{"TemperatureResponse1", "TemperatureMonitor", "Not Enabled"}}},
      {"response windows", [](TestImage& i) { i.Set32(kTr, 2, 3, LinkWord(2, 0, 0, 0, 21, 31)); },
       {{"TemperatureResponse2", "SmoothingWindow", "Out of Range"},
        {"TemperatureResponse2", "IntegralTimeWindow", "Out of Range"},
        {"TemperatureResponse2", "DerivativeTimeWindow", "Out of Range"}}},
      {"processor response limit", [](TestImage& i) { i.Set32(kTr, 1, 19, 4000); },
       {{"TemperatureResponse1", "TemperatureLimit", "Out of Range"}}},
      {"ambient part",
       [](TestImage& i) {
         i.Set32(kTr, 3, 3, LinkWord(3, 8, 3, 4, 5, 15));
         i.Set32(kTr, 3, 27, 500).Set32(kTr, 3, 31, 1500).Set32(kTr, 3, 35, 500);
         i.Set32(kTr, 3, 39, 0);
       },
       {{"TemperatureResponse3", "AmbientTemperatureMonitor", "Not Enabled"},
        {"TemperatureResponse3", "AmbientDutyCycleReduction", "Out of Range"},
        {"TemperatureResponse3", "PrimaryFanController", "Not Enabled"}}},
      {"weighting of a disabled response", [](TestImage& i) { i.Set32(kFc, 2, 32 + 44, 100); },
       {{"FanController2", "TempResponse12Weighting", "Not Enabled"}}},
      {"first fan slot empty", [](TestImage& i) { SetFanSlot(i, 1, 1, 0, 0, false, 0, 0); },
       {{"FanController1", "AssociatedFanSpeedMonitor1", "Invalid Syntax"}}},
      {"fan slot names disabled monitor",
       [](TestImage& i) { SetFanSlot(i, 1, 3, 5, 2, false, 0xFF, 16001); },
       {{"FanController1", "AssociatedFanSpeedMonitor3", "Not Enabled"},
        {"FanController1", "Fan3MinimumRPM", "Out of Range"}}},
      {"controller fields",
       [](TestImage& i) { i.Set16(kFc, 1, 24, 0x01C4).Set16(kFc, 1, 28, 499).Set16(kFc, 1, 30, 10001); },
       {{"FanController1", "PhysicalControllerIndex", "Out of Range"},
        {"FanController1", "DutyCycleOn", "Out of Range"},
        {"FanController1", "DutyCycleMax", "Out of Range"}}},
      {"weighting range", [](TestImage& i) { i.Set32(kFc, 1, 32, uint32_t(-1)); },
       {{"FanController1", "TempResponse1Weighting", "Out of Range"}}},
  };
  for (const Case& c : cases) {
    TestImage img = AtxDefaultImage();
    c.spoil(img);
    EXPECT_EQ(Findings(img), c.findings) << c.name;
  }
}

TEST(CheckPayload, AnEmptyPayloadHasNothingToCompile) {
  TestImage img;
  EXPECT_EQ(Findings(img), (std::vector<Finding>{{"", "", "No Entities Enabled; Not valid INI file"}}));
}

TEST(FormatFinding, ReadsLikeTheCompilersDiagnostics) {
  EXPECT_EQ(FormatFinding({"FanMonitor1", "Usage", "Out of Range"}),
            "  WARNING: Section \"FanMonitor1\", Parameter \"Usage\" - Out of Range!");
  EXPECT_EQ(FormatFinding({"FanController2", "", "Reserved Control Word Bits Set"}),
            "  WARNING: Section \"FanController2\" - Reserved Control Word Bits Set!");
  EXPECT_EQ(FormatFinding({"", "", "No Entities Enabled"}), "  WARNING: No Entities Enabled!");
}

}  // namespace
}  // namespace zefrdump
