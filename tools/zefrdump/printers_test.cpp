#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

#include <unistd.h>

#include "dot_printer.h"
#include "ini_printer.h"
#include "test_image.h"
#include "zefrdump.h"

namespace zefrdump {
namespace {

using namespace testing;

// The text of one section, from its header to the blank line after it.
std::string SectionOf(const std::string& ini, const std::string& name) {
  size_t at = ini.find("[" + name + "]\n");
  if (at == std::string::npos) return "";
  return ini.substr(at, ini.find("\n\n", at) + 2 - at);
}

int CountOf(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(PrintIni, WritesEveryKeyOfAnEnabledEntity) {
  TestImage img = AtxDefaultImage();
  std::string ini = PrintIni(Decoded(img), "atx.bin");
  EXPECT_EQ(ini.substr(0, ini.find('\n')),
            ";; Configuration decoded from payload file \"atx.bin\" by zefrdump.");
  EXPECT_EQ(CountOf(ini, "Enabled=TRUE\n"), 22);
  EXPECT_EQ(CountOf(ini, "Enabled=FALSE\n"), 26);
  EXPECT_EQ(SectionOf(ini, "TemperatureMonitor12"), "[TemperatureMonitor12]\nEnabled=FALSE\n\n");
  EXPECT_EQ(SectionOf(ini, "VoltageMonitor5"),
            "[VoltageMonitor5]\n"
            "Enabled=TRUE\n"
            "Usage=9                       ;; Processor 1 Vccp Voltage\n"
            "DeviceAddress=0x49\n"
            "GetReadingCommand=0x14\n"
            "VoltageNominal=0.000\n"
            "UnderVoltageNonCritical=-0.400\n"
            "UnderVoltageCritical=-0.500\n"
            "UnderVoltageNonRecoverable=-0.600\n"
            "OverVoltageNonCritical=0.200\n"
            "OverVoltageCritical=0.300\n"
            "OverVoltageNonRecoverable=0.400\n\n");
  EXPECT_EQ(SectionOf(ini, "TemperatureResponse1"),
            "[TemperatureResponse1]\n"
            "Enabled=TRUE\n"
            "Usage=2                       ;; Processor Die/Package Temperature\n"
            "TemperatureMonitor=1\n"
            "SmoothingWindow=4\n"
            "TemperatureLimit=0.00\n"
            "ProportionalGain=1.50\n"
            "IntegralGain=7.50\n"
            "DerivativeGain=300.00\n"
            "IntegralTimeWindow=5\n"
            "DerivativeTimeWindow=15\n"
            "AllOnTemperature=15.00\n"
            "AmbientTemperatureMonitor=NONE\n"
            "AmbientDutyCycleMin=\n"
            "AmbientTempMin=\n"
            "AmbientTempRange=\n"
            "AmbientDutyCycleReduction=\n"
            "PrimaryFanController=\n\n");
  std::string fc = SectionOf(ini, "FanController2");
  for (const char* line :
       {"\nSetConfigurationCommand=0x23\n", "\nAssociatedFanSpeedMonitor1=2\nFan1SetConfigurationCommand=0x0F\n"
        "Fan1PulsesPerRevolution=2\nFan1MinimumRPM=500\nFan1DependentMeasurement=TRUE\n",
        "\nAssociatedFanSpeedMonitor3=NONE\nFan3SetConfigurationCommand=\nFan3PulsesPerRevolution=\n"
        "Fan3MinimumRPM=\nFan3DependentMeasurement=\n",
        "\nPhysicalControllerIndex=2\nMinOffMode=MIN\nDutyCycleMin=30.00\nDutyCycleOn=32.00\n"
        "DutyCycleMax=100.00\nSignalInvert=FALSE\nSignalFrequency=10\nSpinUpTime=250\n"
        "TempResponse1Weighting=20.00\n",
        "\nTempResponse12Weighting=0.00\n\n"})
    EXPECT_NE(fc.find(line), std::string::npos) << line;
}

TEST(PrintIni, WritesNoneAndListValuesAsTheCompilerReadsThem) {
  struct Case {
    const char* name;
    std::function<void(TestImage&)> change;
    const char* section;
    std::vector<const char*> lines;
  } cases[] = {
      {"monitor without device",
       [](TestImage& i) { i.Set8(kTm, 2, 3, 0xFF).Set8(kTm, 2, 4, 0xFF).Set8(kTm, 2, 8, 0); },
       "TemperatureMonitor2",
       {"DeviceAddress=NONE\nGetReadingCommand=NONE\n", "TimeoutNonRecoverable=NONE\n"}},
      {"a stored 0 timeout with a device stays a number", [](TestImage& i) { i.Set8(kTm, 2, 8, 0); },
       "TemperatureMonitor2", {"TimeoutNonRecoverable=0\n"}},
      {"0xFF where NONE is not taken", [](TestImage& i) { i.Set8(kTm, 2, 4, 0xFF); },
       "TemperatureMonitor2", {"GetReadingCommand=0xFF\n"}},
      {"odd boolean byte", [](TestImage& i) { i.Set8(kTm, 2, 5, 7); }, "TemperatureMonitor2",
       {"RelativeReadings=7\n"}},
      {"values that truncation would lose",
       [](TestImage& i) { i.Set32(kTm, 2, 21, 29).Set32(kTm, 2, 25, 115); },
       "TemperatureMonitor2", {"TemperatureNominal=0.295\nTemperatureNonCritical=1.155\n"}},
      {"ambient response",
       [](TestImage& i) {
         i.Set32(kTr, 3, 3, testing::LinkWord(3, 2, 2, 4, 5, 15));
         i.Set32(kTr, 3, 27, 1000).Set32(kTr, 3, 31, 2500).Set32(kTr, 3, 35, 1000);
         i.Set32(kTr, 3, 39, uint32_t(-150));
       },
       "TemperatureResponse3",
       {"AmbientTemperatureMonitor=2\nAmbientDutyCycleMin=10.00\nAmbientTempMin=25.00\n"
        "AmbientTempRange=10.00\nAmbientDutyCycleReduction=-1.50\nPrimaryFanController=2\n"}},
      {"NONE commands and every control bit",
       [](TestImage& i) {
         i.Set8(kFc, 1, 5, 0xFF).Set8(kFc, 1, 9, 0xFF).Set16(kFc, 1, 24, 0x0218 | 0x07 << 5);
       },
       "FanController1",
       {"SetConfigurationCommand=NONE\n", "Fan1SetConfigurationCommand=NONE\n",
        "MinOffMode=OFF\n", "SignalInvert=TRUE\nSignalFrequency=28000\nSpinUpTime=500\n"}},
  };
  for (const Case& c : cases) {
    TestImage img = AtxDefaultImage();
    c.change(img);
    std::string section = SectionOf(PrintIni(Decoded(img), "x.bin"), c.section);
    for (const char* line : c.lines) EXPECT_NE(section.find(line), std::string::npos) << c.name << ": " << line;
  }
}

TEST(PrintIni, KeepsLineBreaksOfTheFileNameOutOfTheIni) {
  TestImage img;
  std::string ini = PrintIni(Decoded(img), "a\n[FanMonitor1]\nEnabled=TRUE");
  EXPECT_EQ(ini.substr(0, ini.find("\n\n")),
            ";; Configuration decoded from payload file \"a?[FanMonitor1]?Enabled=TRUE\" by zefrdump.");
}

TEST(PrintGraph, DrawsTheDefaultConfiguration) {
  TestImage img = AtxDefaultImage();
  std::string dot = PrintGraph(Decoded(img));
  EXPECT_EQ(dot.substr(0, 16), "digraph zefr {\n ");
  EXPECT_EQ(dot.substr(dot.size() - 2), "}\n");
  EXPECT_EQ(CountOf(dot, " [label=\""), 22 + 20);
  for (const char* node :
       {"\"TemperatureMonitor1\" [label=\"TemperatureMonitor1\\nProcessor Die/Package Temperature\"]",
        "\"TemperatureMonitor6\" [label=\"TemperatureMonitor6\\nG/Mork Temperature\"]",
        "\"TemperatureResponse3\" [label=\"TemperatureResponse3\\nMotherboard Ambient Temperature\"]",
        "\"FanController2\" [label=\"FanController2\\nChassis Cooling Fan\"]",
        "\"FanMonitor3\" [label=\"FanMonitor3\\nChassis Outlet Fan\"]",
        "\"VoltageMonitor5\" [label=\"VoltageMonitor5\\nProcessor 1 Vccp Voltage\"]"})
    EXPECT_NE(dot.find(node), std::string::npos) << node;
  const char* w1[6] = {"100.00", "100.00", "100.00", "100.00", "5.00", "100.00"};
  const char* w2[6] = {"20.00", "5.00", "100.00", nullptr, "100.00", "25.00"};
  for (int m = 0; m < 6; ++m) {
    std::string response = "\"TemperatureResponse" + std::to_string(m + 1) + "\"";
    EXPECT_EQ(CountOf(dot, response + " -> \"FanController1\" [label=\"" + w1[m] + "%\"];\n"), 1);
    EXPECT_EQ(CountOf(dot, response + " -> \"FanController2\""), w2[m] ? 1 : 0) << m;
    if (w2[m]) {
      EXPECT_EQ(CountOf(dot, response + " -> \"FanController2\" [label=\"" + w2[m] + "%\"];\n"), 1);
    }
    EXPECT_EQ(CountOf(dot, "\"TemperatureMonitor" + std::to_string(m + 1) + "\" -> " + response +
                               " [label=\"primary\"];\n"),
              1);
  }
  EXPECT_EQ(CountOf(dot, "\"FanController1\" -> \"FanMonitor1\" [label=\"fan 1\"];\n"), 1);
  EXPECT_EQ(CountOf(dot, "\"FanController2\" -> \"FanMonitor2\" [label=\"fan 1\"];\n"), 1);
  EXPECT_EQ(CountOf(dot, "\"FanController2\" -> \"FanMonitor3\" [label=\"fan 2\"];\n"), 1);
}

TEST(PrintGraph, DrawsAmbientLinksAndLeavesOutDisabledEnds) {
  TestImage img = AtxDefaultImage();
  img.Set32(kTr, 3, 3, testing::LinkWord(3, 2, 2, 4, 5, 15));
  img.Set32(kTr, 4, 3, testing::LinkWord(9, 10, 5, 4, 5, 15));  // all three ends disabled
  testing::SetFanSlot(img, 1, 2, 7, 2, false, 0, 0);             // disabled fan monitor
  img.Set32(kFc, 1, 32 + 11 * 4, 5000);                           // disabled response
  std::string dot = PrintGraph(Decoded(img));
  EXPECT_EQ(CountOf(dot, "\"TemperatureMonitor2\" -> \"TemperatureResponse3\" [label=\"ambient\", style=dashed];\n"), 1);
  EXPECT_EQ(CountOf(dot, "\"TemperatureResponse3\" -> \"FanController2\" [label=\"primary controller\", style=dotted];\n"), 1);
  EXPECT_EQ(CountOf(dot, "-> \"TemperatureResponse4\""), 0);
  EXPECT_EQ(CountOf(dot, "\"TemperatureResponse4\" -> \"FanController"), 1);  // its weighting
  EXPECT_EQ(CountOf(dot, "Monitor7"), 0);
  EXPECT_EQ(CountOf(dot, "Monitor9"), 0);
  EXPECT_EQ(CountOf(dot, "TemperatureResponse12"), 0);
}

class DumpRun : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("zefrdump_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
  }
  int Run(const std::vector<std::string>& args) {
    out_.clear();
    err_.clear();
    return zefrdump::Run(args, &out_, &err_);
  }
  std::filesystem::path dir_;
  std::string out_, err_;
};

TEST_F(DumpRun, RefusesBadArgumentsAndBadFiles) {
  std::string usage = "Use: zefrdump [--graph] PAYLOAD.bin\n";
  TestImage spoilt = AtxDefaultImage();
  spoilt.bytes()[4] = 9;
  std::string big = Write("big.bin", std::vector<uint8_t>(100000, 0));
  std::string bad = Write("bad.bin", spoilt.bytes());
  std::string missing = (dir_ / "missing.bin").string();
  struct Case {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{}, "zefrdump: Invalid Command Syntax\n" + usage},
      {{"--graph"}, "zefrdump: Invalid Command Syntax\n" + usage},
      {{"a.bin", "b.bin"}, "zefrdump: Invalid Command Syntax\n" + usage},
      {{"--graph", "a.bin", "b.bin"}, "zefrdump: Invalid Command Syntax\n" + usage},
      {{missing}, "zefrdump: Unable to open payload file \"" + missing +
                      "\", cond = \"No such file or directory\"\n"},
      {{dir_.string()}, "zefrdump: Unable to read payload file \"" + dir_.string() +
                            "\", cond = \"Is a directory\"\n"},
      {{big}, "zefrdump: Payload file \"" + big + "\": Payload holds 100000 bytes, expected 1984\n"},
      {{"--graph", bad}, "zefrdump: Payload file \"" + bad + "\": Wrong version 9, expected 1\n"},
      {{"/dev/zero"}, "zefrdump: Payload file \"/dev/zero\": Payload holds more than 1984 bytes,"
                      " expected 1984\n"},
      {{"/dev/null"}, "zefrdump: Payload file \"/dev/null\": Payload holds 0 bytes, expected 1984\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Run(c.args), 1) << c.err;
    EXPECT_EQ(err_, c.err);
    EXPECT_EQ(out_, "");
  }
}

TEST_F(DumpRun, HelpAndVersionWinOverTheRest) {
  const std::string help = std::string(kUsage) + "\n" + kHelp;
  const std::string version = "zefrdump (Zefr) " ZEFR_VERSION "\n";
  struct Case {
    std::vector<std::string> args;
    std::string out;
  } cases[] = {
      {{"--help"}, help},         {{"-h"}, help},
      {{"-?"}, help},             {{"--graph", "missing.bin", "--help"}, help},
      {{"--version", "--help"}, help}, {{"--version"}, version},
      {{"a.bin", "--version"}, version},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Run(c.args), 0) << c.args.back();
    EXPECT_EQ(out_, c.out);
    EXPECT_EQ(err_, "");
  }
}

TEST_F(DumpRun, PrintsTheDumpAndSendsWarningsApart) {
  TestImage img = AtxDefaultImage();
  img.Set8(kFm, 2, 2, 14);
  std::string path = Write("odd.bin", img.bytes());
  EXPECT_EQ(Run({path}), 0);
  EXPECT_EQ(err_, "  WARNING: Section \"FanMonitor2\", Parameter \"Usage\" - Out of Range!\n");
  EXPECT_NE(out_.find("[FanMonitor2]\nEnabled=TRUE\nUsage=14                      ;; Usage 14\n"),
            std::string::npos);
  EXPECT_EQ(Run({"--graph", path}), 0);
  EXPECT_EQ(out_.substr(0, 14), "digraph zefr {");
  EXPECT_NE(err_.find("FanMonitor2"), std::string::npos);
}

}  // namespace
}  // namespace zefrdump
