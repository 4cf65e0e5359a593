// The checker past the first error: each independent mistake once, at its
// key's line and value's column, in the compiler's order, and nothing that
// only follows from an earlier refusal.
#include <gtest/gtest.h>

#include <sstream>

#include "checker.h"
#include "test_support.h"

namespace zefr::test {
namespace {

struct Expected {
  const char* section;
  const char* key;
  const char* message;
  bool refuses = true;
};

struct CheckCase {
  const char* name;
  std::vector<Change> changes;
  std::vector<Expected> errors;  // in the compiler's order
  bool accepted;
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }

// Line of key in section as IniBuilder writes it ("key=value"), or the
// section's header line when the key is not there.
std::uint32_t LineOf(const std::string& text, const std::string& section, const std::string& key) {
  std::istringstream in(text);
  std::string line, current;
  std::uint32_t n = 0, header = 0;
  while (std::getline(in, line)) {
    ++n;
    if (line == "[" + section + "]") header = n;
    if (!line.empty() && line[0] == '[') current = line;
    else if (current == "[" + section + "]" && line.rfind(key + "=", 0) == 0) return n;
  }
  return header;
}

class CheckerTest : public testing::TestWithParam<CheckCase> {};

TEST_P(CheckerTest, FindsEachMistakeAtItsLine) {
  const CheckCase& c = GetParam();
  IniBuilder ini = FullConfig();
  ini.Apply(c.changes);
  const std::string text = ini.Text();
  const CheckResult r = CheckText(text);
  std::vector<const Diagnostic*> errors;
  for (const Diagnostic& d : r.diagnostics)
    if (d.severity == Severity::kError) errors.push_back(&d);
  ASSERT_EQ(errors.size(), c.errors.size()) << (errors.empty() ? "" : CompilerLine(*errors[0]));
  for (size_t i = 0; i < errors.size(); ++i) {
    const Diagnostic& d = *errors[i];
    const Expected& e = c.errors[i];
    EXPECT_EQ(d.section, e.section);
    EXPECT_EQ(d.key, e.key);
    EXPECT_EQ(d.message, e.message);
    EXPECT_EQ(d.refuses, e.refuses);
    EXPECT_EQ(d.spot.line, LineOf(text, e.section, e.key)) << e.key;
    std::string line = "\n";  // appended: GCC 12 -O3 warns falsely on "\n" + std::string
    line += e.key;
    line += '=';
    const bool present = text.find(line) != std::string::npos;
    if (present) {
      EXPECT_EQ(d.spot.column, std::string(e.key).size() + 2) << e.key;
    }
  }
  EXPECT_EQ(r.accepted, c.accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckerTest,
    testing::Values(
        CheckCase{"Clean", {}, {}, true},
        CheckCase{"IndependentMistakesInOrder",
                  {{VM1, "OverVoltageCritical", "x"}, {FM1, "Usage", "99"}, {TR1, "IntegralGain", "0.5"}},
                  {{FM1, "Usage", "Out of Range"},
                   {TR1, "IntegralGain", "Out of Range"},
                   {VM1, "OverVoltageCritical", "Invalid Syntax"}},
                  false},
        CheckCase{"TwoInOneSection",
                  {{TM2, "TimeoutCritical", "11"}, {TM2, "TemperatureNonRecoverable", "44.00"}},
                  {{TM2, "TimeoutCritical", "Out of Range"},
                   {TM2, "TemperatureNonRecoverable", "Less than TemperatureCritical"}},
                  false},
        CheckCase{"RefusedValueIsAbsentForRelations",
                  {{TM2, "TemperatureNonCritical", "warm"}, {TM2, "TemperatureCritical", "30.00"}},
                  {{TM2, "TemperatureNonCritical", "Invalid Syntax"}},
                  false},
        CheckCase{"FailedRelationIsAbsentForTheNext",
                  {{FM1, "FanSpeedNonCritical", "3000"}},
                  {{FM1, "FanSpeedNonCritical", "Greater Than FanSpeedNominal"}},
                  false},
        CheckCase{"RefusedEnabledStillCountsAsEnabled",
                  {{FM1, "Enabled", "maybe"}},
                  {{FM1, "Enabled", "Not TRUE or FALSE"}},
                  false},
        CheckCase{"RefusedEnabledStillChecksKeysThatAreThere",
                  {{FM1, "Enabled", "maybe"}, {FM1, "FanSpeedCritical", "x"}},
                  {{FM1, "Enabled", "Not TRUE or FALSE"}, {FM1, "FanSpeedCritical", "Invalid Syntax"}},
                  false},
        CheckCase{"RefusedUsageWidensTheBounds",
                  {{TM1, "Usage", "processor"}},
                  {{TM1, "Usage", "Invalid Syntax"}},
                  false},
        CheckCase{"RefusedUsageStillHoldsTheWidestBounds",
                  {{TM1, "Usage", "processor"}, {TM1, "TemperatureCritical", "200.00"}},
                  {{TM1, "Usage", "Invalid Syntax"}, {TM1, "TemperatureCritical", "Out of Range"}},
                  false},
        CheckCase{"RefusedDevicePassesOverTheCommandThatIsNotThere",
                  {{TM2, "DeviceAddress", "0x1FF"}, {TM2, "GetReadingCommand", nullptr}},
                  {{TM2, "DeviceAddress", "Out of Range"}},
                  false},
        CheckCase{"RefusedSlotMonitorPassesOverItsEmptyKeys",
                  {{FC1, "AssociatedFanSpeedMonitor3", "three"}, {FC1, "Fan3MinimumRPM", ""}},
                  {{FC1, "AssociatedFanSpeedMonitor3", "Invalid Syntax"}},
                  false},
        CheckCase{"NoneInTheFirstSlot",
                  {{FC1, "AssociatedFanSpeedMonitor1", "NONE"}},
                  {{FC1, "AssociatedFanSpeedMonitor1", "Invalid Syntax"}},
                  false},
        CheckCase{"ReferenceToADisabledMonitor",
                  {{FM2, "Enabled", "FALSE"}, {TR1, "DerivativeGain", "1"}},
                  {{FC1, "AssociatedFanSpeedMonitor2", "Not Enabled"}, {TR1, "DerivativeGain", "Out of Range"}},
                  false},
        CheckCase{"RefusedAmbientMonitorChecksTheBlockThatIsThere",
                  {{TR1, "AmbientTemperatureMonitor", "13"}, {TR1, "AmbientTempMin", "40.00"}},
                  {{TR1, "AmbientTemperatureMonitor", "Out of Range"}, {TR1, "AmbientTempMin", "Out of Range"}},
                  false},
        CheckCase{"MissingKeyAtItsHeader",
                  {{VM1, "UnderVoltageCritical", nullptr}},
                  {{VM1, "UnderVoltageCritical", "Not Found"}},
                  false},
        CheckCase{"EmptyValue",
                  {{FC1, "SpinUpTime", ""}, {FC1, "SignalFrequency", "24000"}},
                  {{FC1, "SignalFrequency", "Invalid Value"}, {FC1, "SpinUpTime", "Input Missing"}},
                  false},
        CheckCase{"DisabledResponseStillWeightedDoesNotRefuse",
                  {{FC1, "TempResponse3Weighting", "100.00"}},
                  {{FC1, "TempResponse3Weighting", "Not Enabled", false}},
                  true},
        CheckCase{"RefusedWeightingIsNotAlsoReportedAsWeighted",
                  {{FC1, "TempResponse3Weighting", "200.00"}},
                  {{FC1, "TempResponse3Weighting", "Out of Range"}},
                  false}),
    [](const auto& info) { return std::string(info.param.name); });

// What the compiler prints is exactly the checker's findings up to the first
// that stops it, each in its pass.
TEST(Checker, CompilerPrintsTheFindingsUpToTheFirstRefusal) {
  IniBuilder ini = FullConfig();
  ini.Set(FM1, "Usage", "99").Set(VM1, "Usage", "x").Remove(TM1, "RelativeReadings");
  const std::string text = ini.Text();
  const CheckResult r = CheckText(text);
  ASSERT_FALSE(r.accepted);
  std::string expected = "Parsing INI file \"cfg.ini\"...\n  Parsing Fan Monitors...\n";
  expected += CompilerLine(r.diagnostics.front());
  EXPECT_EQ(r.diagnostics.front().message, "Out of Range");
  EXPECT_EQ(AfterBanner(RunOnText(text).out), expected + "Terminating Program due to INI file errors\n\n");
}

TEST(Checker, AcceptedImageIsTheCompilersPayload) {
  const std::string text = FullConfig().Text();
  const CheckResult r = CheckText(text);
  ASSERT_TRUE(r.accepted);
  const RunResult run = RunOnText(text);
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_EQ(r.image.bytes, run.image.bytes);
}

TEST(Checker, MissingKeysAtTheirHeaderWholeFileAtLineOne) {
  const CheckResult r = CheckText("\n\n[FanMonitor2]\nUsage=1\n");
  ASSERT_GE(r.diagnostics.size(), 3u);
  EXPECT_EQ(r.diagnostics[0].section, "FanMonitor1");
  EXPECT_EQ(r.diagnostics[0].spot.line, 1u);  // no such section
  EXPECT_EQ(r.diagnostics[1].section, "FanMonitor2");
  EXPECT_EQ(r.diagnostics[1].spot.line, 3u);
  const Diagnostic& last = r.diagnostics.back();
  EXPECT_EQ(last.message, "No Entities Enabled; Not valid INI file");
  EXPECT_EQ(last.stage, kFinalStage);
  EXPECT_EQ(last.spot.line, 1u);
  EXPECT_FALSE(r.accepted);
}

// Where a value is: the line as an editor counts it and the value's columns.
struct SpotCase {
  const char* name;
  std::string text;  // section [S], key K
  std::uint32_t line, column, endColumn;
};

void PrintTo(const SpotCase& c, std::ostream* os) { *os << c.name; }

class SpotTest : public testing::TestWithParam<SpotCase> {};

TEST_P(SpotTest, PointsAtTheValue) {
  const SpotCase& c = GetParam();
  const ProfileFile file(TextModeContent(c.text));
  std::string value;
  TextSpot spot;
  file.Lookup("S", "K", value, kValueCapacity, &spot);
  EXPECT_EQ(spot.line, c.line);
  EXPECT_EQ(spot.column, c.column);
  EXPECT_EQ(spot.endColumn, c.endColumn);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpotTest,
    testing::Values(SpotCase{"Plain", "[S]\nK=12\n", 2, 3, 5},
                    SpotCase{"Spaced", "[S]\n  K =  12  ; note\n", 2, 8, 10},
                    SpotCase{"Quoted", "[S]\nK=\"a;b\"\n", 2, 3, 8},
                    SpotCase{"Empty", "[S]\nK=\n", 2, 3, 3},
                    SpotCase{"NoEquals", "[S]\nK\n", 2, 2, 2},
                    SpotCase{"CrLf", "[S]\r\n\r\nK=1\r\n", 3, 3, 4},
                    SpotCase{"FirstLineWins", "[S]\nK=1\nK=2\n", 2, 3, 4},
                    SpotCase{"FirstSectionWins", "[S]\nA=1\n[S]\nK=2\n", 1, 1, 1},
                    SpotCase{"MissingKeyAtHeader", "; x\n\n[S]\nA=1\n", 3, 1, 1},
                    SpotCase{"MissingSection", "[T]\nK=1\n", 1, 1, 1},
                    SpotCase{"TooLongValueStillAtItsLine", "[S]\nK=" + std::string(90, '7') + "\n", 2, 3, 93},
                    SpotCase{"AfterANulByte", std::string("[S]\nX=\0\n\nK=5\n", 13), 4, 3, 4},
                    SpotCase{"PieceOfALongLine", "[S]\n" + std::string(511, ' ') + "K=5\n", 2, 514, 515}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zefr::test
