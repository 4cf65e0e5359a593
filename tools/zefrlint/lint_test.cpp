// zefrlint against the compiler: the same verdict on every file, the
// compiler's first error first, and each independent mistake at its line.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "lint.h"

namespace zefr::lint {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Atx() { return ReadAll(fs::path(ZEFR_SOURCE_DIR) / "editor/res/ZefrCfgATX.ini"); }
std::string Btx() { return ReadAll(fs::path(ZEFR_SOURCE_DIR) / "editor/res/ZefrCfgBTX.ini"); }

class TempDir {
 public:
  TempDir() {
    char name[] = "/tmp/zefrlint_test.XXXXXX";
    path_ = mkdtemp(name);
  }
  ~TempDir() { fs::remove_all(path_); }
  std::string Write(const std::string& name, const std::string& content) const {
    std::ofstream(path_ / name, std::ios::binary) << content;
    return (path_ / name).string();
  }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

struct Ran {
  int code = -1;
  std::string out;
};

Ran Shell(const std::string& command) {
  Ran r;
  FILE* p = popen(command.c_str(), "r");
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
  const int status = pclose(p);
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

// The compiler on a file, writing the payload nowhere that matters.
Ran Compile(const TempDir& dir, const std::string& file) {
  return Shell("cd '" + dir.Path().string() + "' && " ZEFRCFG_BINARY " '" + file + "' -o out.bin </dev/null");
}
Ran Lint(const std::string& file) { return Shell(std::string(ZEFRLINT_BINARY " '") + file + "' 2>/dev/null"); }

// The compiler's first "  ERROR: ...!" line, as zefrlint words it.
std::string FirstCompilerError(const std::string& out) {
  const size_t at = out.find("  ERROR: ");
  if (at == std::string::npos) return "";
  const size_t end = out.find("!\n", at);
  return out.substr(at + 9, end - at - 9);
}

// "FILE:LINE:COLUMN: error: words" -> words, with its line.
struct LintError {
  std::uint32_t line = 0;
  std::string words;
};
std::vector<LintError> LintErrors(const std::string& out) {
  std::vector<LintError> errors;
  std::istringstream in(out);
  for (std::string l; std::getline(in, l);) {
    const size_t e = l.find(": error: ");
    if (e == std::string::npos) continue;
    // FILE:LINE:COLUMN before it.
    const size_t c2 = l.rfind(':', e - 1), c1 = l.rfind(':', c2 - 1);
    errors.push_back({static_cast<std::uint32_t>(std::stoul(l.substr(c1 + 1, c2 - c1 - 1))), l.substr(e + 9)});
  }
  return errors;
}

// Replaces the value of key in section (the first of each), returning its 1-based line.
std::uint32_t SetValue(std::string& text, const std::string& section, const std::string& key,
                       const std::string& value) {
  size_t at = text.find("[" + section + "]\n");
  at = text.find("\n" + key + "=", at) + 1;
  const size_t end = text.find('\n', at);
  text.replace(at, end - at, key + "=" + value);
  return static_cast<std::uint32_t>(std::count(text.begin(), text.begin() + static_cast<long>(at), '\n') + 1);
}

struct ArgsCase {
  const char* name;
  std::vector<std::string> args;
  int code;
  const char* out;  // contained in standard output
  const char* err;  // contained in standard error
};

void PrintTo(const ArgsCase& c, std::ostream* os) { *os << c.name; }

class LintArgs : public testing::TestWithParam<ArgsCase> {};

TEST_P(LintArgs, ExitAndMessages) {
  const ArgsCase& c = GetParam();
  std::string out, err;
  EXPECT_EQ(lint::Run(c.args, &out, &err), c.code);
  EXPECT_NE(out.find(c.out), std::string::npos) << out;
  EXPECT_NE(err.find(c.err), std::string::npos) << err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LintArgs,
    testing::Values(ArgsCase{"Help", {"--help"}, 0, "EXIT STATUS", ""},
                    ArgsCase{"Version", {"--version"}, 0, "zefrlint ", ""},
                    ArgsCase{"NoFile", {}, 2, "", "Usage: zefrlint"},
                    ArgsCase{"OnlyQuiet", {"-q"}, 2, "", "no configuration file"},
                    ArgsCase{"UnknownOption", {"--json", "a.ini"}, 2, "", "unknown option \"--json\""},
                    ArgsCase{"MissingFile", {"/nonexistent/a.ini"}, 2, "", "/nonexistent/a.ini: No such file"},
                    ArgsCase{"NotIni", {"a.txt"}, 1, "a.txt:1:1: error: INI file pathname does not end in", ""},
                    ArgsCase{"PathTooLong", {std::string(124, 'a') + ".ini"}, 1, "longer than 127 characters", ""},
                    ArgsCase{"DashNamesAfterEndOfOptions", {"--", "-x.ini"}, 2, "", "-x.ini: No such file"}),
    [](const auto& info) { return std::string(info.param.name); });

// Files as the compiler reads them: exit code and exact output.
struct FileCase {
  const char* name;
  std::string content;
  std::vector<std::string> args;  // before the file
  int code;
  std::string out;  // with "F" for the file's path
};

void PrintTo(const FileCase& c, std::ostream* os) { *os << c.name; }

class LintFiles : public testing::TestWithParam<FileCase> {};

TEST_P(LintFiles, ReportsAsTheCompilerReads) {
  const FileCase& c = GetParam();
  TempDir dir;
  const std::string file = dir.Write("c.ini", c.content);
  std::vector<std::string> args = c.args;
  args.push_back(file);
  std::string out, err;
  EXPECT_EQ(lint::Run(args, &out, &err), c.code) << err;
  std::string expected = c.out;
  for (size_t at; (at = expected.find("F:")) != std::string::npos;) expected.replace(at, 1, file);
  EXPECT_EQ(out, expected);
  EXPECT_EQ(Compile(dir, file).code, c.code);
}

const std::string kNothing =
    "F:1:1: warning: Section \"FanMonitor1\", Parameter \"Enabled\" - Not Specified, Presuming FALSE\n";

std::string OnlyVoltage(const std::string& tail) {
  return "[VoltageMonitor1]\nEnabled=TRUE\nUsage=1\nDeviceAddress=0x2C\nGetReadingCommand=0x20\n"
         "VoltageNominal=12.000\nUnderVoltageNonCritical=11.400\nUnderVoltageCritical=11.000\n"
         "UnderVoltageNonRecoverable=10.500\nOverVoltageNonCritical=12.600\nOverVoltageCritical=13.000\n" +
         tail;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LintFiles,
    testing::Values(
        FileCase{"TwoErrorsEachAtItsLine",
                 OnlyVoltage("OverVoltageNonRecoverable=12.5\n[FanMonitor1]\nEnabled=yes\n"),
                 {"-q"},
                 1,
                 "F:14:9: error: Section \"FanMonitor1\", Parameter \"Enabled\" - Not TRUE or FALSE\n"
                 "F:12:27: error: Section \"VoltageMonitor1\", Parameter \"OverVoltageNonRecoverable\" - "
                 "Less Than OverVoltageCritical\n"},
        FileCase{"MissingKeyAtItsHeader", "\n" + OnlyVoltage(""), {"-q"}, 1,
                 "F:2:1: error: Section \"VoltageMonitor1\", Parameter \"OverVoltageNonRecoverable\" - Not Found\n"},
        FileCase{"OverTheSizeBoundReadsAsEmpty",
                 OnlyVoltage("OverVoltageNonRecoverable=13.5\n") + std::string(1048576, ';') + "\n", {"-q"}, 1,
                 "F:1:1: error: No Entities Enabled; Not valid INI file\n"},
        FileCase{"NulByteEndsTheLine", OnlyVoltage(std::string("OverVoltageNonRecoverable=13.5\0x\n", 34)), {"-q"}, 0,
                 ""},
        FileCase{"DisabledResponseWeightedIsReportedWithoutRefusal",
                 OnlyVoltage("OverVoltageNonRecoverable=13.5\n") +
                     "[FanMonitor1]\nEnabled=TRUE\nUsage=1\nDeviceAddress=0x20\nGetAttributesCommand=6\n"
                     "GetReadingCommand=0x16\nFanSpeedNominal=2500\nFanSpeedNonCritical=500\nFanSpeedCritical=450\n"
                     "FanSpeedNonRecoverable=300\n[FanController1]\nEnabled=TRUE\nUsage=1\nDeviceAddress=0x5A\n"
                     "GetAttributesCommand=0x10\nSetConfigurationCommand=NONE\nSetSpeedCommand=0x11\n"
                     "GetSpeedCommand=0x12\nAssociatedFanSpeedMonitor1=1\nFan1SetConfigurationCommand=NONE\n"
                     "Fan1PulsesPerRevolution=2\nFan1MinimumRPM=600\nFan1DependentMeasurement=FALSE\n"
                     "AssociatedFanSpeedMonitor2=NONE\nAssociatedFanSpeedMonitor3=NONE\n"
                     "AssociatedFanSpeedMonitor4=NONE\nPhysicalControllerIndex=1\nMinOffMode=MIN\nDutyCycleMin=20\n"
                     "DutyCycleOn=30.00\nDutyCycleMax=100.00\nSignalInvert=FALSE\nSignalFrequency=25000\n"
                     "SpinUpTime=250\nTempResponse2Weighting=  7.5\n",
                 {"-q"},
                 0,
                 "F:47:26: error: Section \"FanController1\", Parameter \"TempResponse2Weighting\" - Not Enabled\n"},
        FileCase{"WarningsTooWithoutQuiet", "", {}, 1,
                 [] {
                   std::string out;
                   for (const char* kind : {"FanMonitor", "FanController", "TemperatureMonitor",
                                            "TemperatureResponse", "VoltageMonitor"}) {
                     const int count = std::string(kind).find("Temperature") == 0 ? 12 : 8;
                     for (int n = 1; n <= count; ++n)
                       out += std::string("F:1:1: warning: Section \"") + kind + std::to_string(n) +
                              "\", Parameter \"Enabled\" - Not Specified, Presuming FALSE\n";
                     out += std::string("F:1:1: warning: No ") +
                            (std::string(kind) == "FanMonitor"            ? "Fan Monitors"
                             : std::string(kind) == "FanController"       ? "Fan Controllers"
                             : std::string(kind) == "TemperatureMonitor"  ? "Temperature Monitors"
                             : std::string(kind) == "TemperatureResponse" ? "Temperature Response Units"
                                                                          : "Voltage Monitors") +
                            " Enabled\n";
                   }
                   return out + "F:1:1: error: No Entities Enabled; Not valid INI file\n";
                 }()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LintFiles, DirectoryAndSeveralFiles) {
  TempDir dir;
  fs::create_directory(dir.Path() / "d.ini");
  const std::string good = dir.Write("good.ini", Atx());
  std::string bad = Atx();
  SetValue(bad, "FanMonitor1", "Usage", "14");
  const std::string badFile = dir.Write("bad.ini", bad);
  std::string out, err;
  EXPECT_EQ(lint::Run({"-q", good}, &out, &err), 0);
  EXPECT_EQ(lint::Run({"-q", good, badFile}, &out, &err), 1);
  EXPECT_EQ(lint::Run({"-q", badFile, (dir.Path() / "d.ini").string(), good}, &out, &err), 2);
  EXPECT_NE(err.find("d.ini: "), std::string::npos) << err;
}

// Several independent mistakes in a default: the compiler's first error
// first, then every other one at its own line.
struct MistakeCase {
  const char* name;
  bool atx;
  std::vector<std::array<const char*, 3>> mistakes;  // section, key, value; in the compiler's order
};

void PrintTo(const MistakeCase& c, std::ostream* os) { *os << c.name; }

class LintMistakes : public testing::TestWithParam<MistakeCase> {};

TEST_P(LintMistakes, EachAtItsLine) {
  const MistakeCase& c = GetParam();
  std::string text = c.atx ? Atx() : Btx();
  std::vector<std::uint32_t> lines;
  for (const auto& [section, key, value] : c.mistakes) lines.push_back(SetValue(text, section, key, value));
  TempDir dir;
  const std::string file = dir.Write("m.ini", text);
  const Ran compiled = Compile(dir, file);
  const Ran linted = Lint(file);
  EXPECT_EQ(linted.code, compiled.code);
  const std::vector<LintError> errors = LintErrors(linted.out);
  ASSERT_EQ(errors.size(), c.mistakes.size()) << linted.out;
  EXPECT_EQ(errors[0].words, FirstCompilerError(compiled.out));
  for (size_t i = 0; i < errors.size(); ++i) {
    EXPECT_EQ(errors[i].line, lines[i]) << errors[i].words;
    EXPECT_NE(errors[i].words.find(std::string("Section \"") + c.mistakes[i][0] + "\", Parameter \"" +
                                   c.mistakes[i][1] + "\""),
              std::string::npos)
        << errors[i].words;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LintMistakes,
    testing::Values(
        MistakeCase{"OnePerKind",
                    true,
                    {{"FanMonitor2", "FanSpeedCritical", "x"},
                     {"FanController1", "SpinUpTime", "300"},
                     {"TemperatureMonitor3", "TimeoutCritical", "0"},
                     {"TemperatureResponse2", "ProportionalGain", "9.00"},
                     {"VoltageMonitor4", "UnderVoltageCritical", "a lot"}}},
        MistakeCase{"SeveralInOneSection",
                    true,
                    {{"TemperatureMonitor2", "Usage", "17"},
                     {"TemperatureMonitor2", "RelativeReadings", "NO"},
                     {"TemperatureMonitor2", "AccuracyCorrectionSlope", "-1"}}},
        MistakeCase{"ReferencesAndEnables",
                    false,
                    {{"FanMonitor1", "Enabled", "ON"},
                     {"FanController1", "MinOffMode", "MAX"},
                     {"TemperatureResponse1", "TemperatureMonitor", "0"},
                     {"VoltageMonitor1", "VoltageNominal", ""}}}),
    [](const auto& info) { return std::string(info.param.name); });

// Random mistakes in the defaults: zefrlint's verdict and first error are
// the compiler's.
TEST(LintAgainstCompiler, RandomMistakesInTheDefaults) {
  const std::vector<std::string> values = {"", "x", "NONE", "-1", "0", "1", "2", "4", "9", "13", "17", "255",
                                           "256", "0x20", "08", "30001", "1.5", "99.99", "-3.00", "TRUE", "MIN",
                                           "25000", std::string(85, '5')};
  std::mt19937 random(14);
  TempDir dir;
  for (int round = 0; round < 120; ++round) {
    std::string text = round % 2 ? Atx() : Btx();
    const int changes = 1 + static_cast<int>(random() % 3);
    for (int k = 0; k < changes; ++k) {
      // A random key line gets a random value.
      std::vector<size_t> keys;
      for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
        if (at + 1 < text.size() && text[at + 1] != ';' && text[at + 1] != '[' &&
            text.find('=', at + 1) < text.find('\n', at + 1))
          keys.push_back(at + 1);
      const size_t at = keys[random() % keys.size()];
      const size_t eq = text.find('=', at), end = text.find('\n', at);
      text.replace(eq + 1, end - eq - 1, values[random() % values.size()]);
    }
    const std::string file = dir.Write(std::string("r").append(std::to_string(round)).append(".ini"), text);
    const Ran compiled = Compile(dir, file);
    const Ran linted = Lint(file);
    ASSERT_EQ(linted.code, compiled.code) << file << "\n" << compiled.out;
    const std::vector<LintError> errors = LintErrors(linted.out);
    if (compiled.code == 0) continue;
    ASSERT_FALSE(errors.empty()) << file;
    // Errors the compiler prints without refusing come first where they occur.
    const std::string first = FirstCompilerError(compiled.out);
    bool found = false;
    for (const LintError& e : errors) found = found || e.words == first;
    EXPECT_TRUE(found) << file << ": " << first;
  }
}

}  // namespace
}  // namespace zefr::lint
