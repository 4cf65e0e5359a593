// Each case changes the complete valid configuration a little and expects
// one diagnostic line: the error that stops the parse, or a warning.
#include <gtest/gtest.h>

#include "test_support.h"

namespace zefr::test {
namespace {

struct SectionCase {
  const char* name;
  std::vector<Change> changes;
  bool parses;
  std::string line;  // the diagnostic, without its line feed
};

void PrintTo(const SectionCase& c, std::ostream* os) { *os << c.name; }

std::string Err(const char* section, const char* key, const char* message) {
  return std::string("  ERROR: Section \"") + section + "\", Parameter \"" + key + "\" - " + message + "!";
}
std::string Warn(const char* section, const char* key, const char* message) {
  return std::string("  WARNING: Section \"") + section + "\", Parameter \"" + key + "\" - " + message + "!";
}

class SectionTest : public testing::TestWithParam<SectionCase> {};

TEST_P(SectionTest, Diagnoses) {
  const SectionCase& c = GetParam();
  IniBuilder ini = FullConfig();
  ini.Apply(c.changes);
  RunResult r = RunOnText(ini.Text());
  if (c.parses) {
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find(c.line + "\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Parsing Successful.\n"), std::string::npos);
  } else {
    EXPECT_EQ(r.exitCode, 1);
    const std::string tail = c.line + "\nTerminating Program due to INI file errors\n\n";
    ASSERT_GE(r.out.size(), tail.size());
    EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail) << r.out;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Common, SectionTest,
    testing::Values(
        SectionCase{"EnabledEmptyWarns", {{FM1, "Enabled", ""}, {FC1, "AssociatedFanSpeedMonitor1", "2"}}, true,
                    Warn(FM1, "Enabled", "Not Specified, Presuming FALSE")},
        SectionCase{"EnabledWord", {{FM1, "Enabled", "yes"}}, false, Err(FM1, "Enabled", "Not TRUE or FALSE")},
        SectionCase{"UsageMissing", {{FM1, "Usage", nullptr}}, false, Err(FM1, "Usage", "Not Found")},
        SectionCase{"UsageEmpty", {{VM1, "Usage", ""}}, false, Err(VM1, "Usage", "Input Missing")},
        SectionCase{"UsageTooBig", {{FM1, "Usage", "14"}}, false, Err(FM1, "Usage", "Out of Range")},
        SectionCase{"TemperatureUsage16", {{TM2, "Usage", "16"}}, true, "  Parsing Voltage Monitors..."}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    TemperatureMonitor, SectionTest,
    testing::Values(
        SectionCase{"ProcessorOtherCommandWarnsTwice",
                    {{TM1, "GetReadingCommand", "0x06"}, {TM1, "TemperatureNominal", "20.00"},
                     {TM1, "TemperatureNonCritical", "20.00"}, {TM1, "TemperatureCritical", "20.00"},
                     {TM1, "TemperatureNonRecoverable", "20.00"}},
                    true,
                    Warn(TM1, "Usage", "Not using Get-Temperature Abstraction for Processor") + "\n" +
                        Warn(TM1, "Usage", "Will not be able to automatically handle Processor upgrade")},
        SectionCase{"ProcessorOtherAddressStillFixedTimeouts",
                    {{TM1, "DeviceAddress", "0x21"}, {TM1, "TimeoutCritical", "3"}}, false,
                    Err(TM1, "TimeoutCritical", "Out of Range")},
        SectionCase{"ProcessorAbstractionNominalMustBeZero", {{TM1, "TemperatureNominal", "0.01"}}, false,
                    Err(TM1, "TemperatureNominal", "Out of Range")},
        SectionCase{"ProcessorThresholdAbove20", {{TM1, "TemperatureNonRecoverable", "20.01"}}, false,
                    Err(TM1, "TemperatureNonRecoverable", "Out of Range")},
        SectionCase{"NoDeviceSkipsCommand",
                    {{TM2, "DeviceAddress", "NONE"}, {TM2, "GetReadingCommand", "bogus"},
                     {TM2, "TimeoutNonCritical", "200"}, {TM2, "TimeoutNonRecoverable", "NONE"}},
                    true, "Parsing Successful."},
        SectionCase{"NoDeviceNonRecoverableOne", {{TM2, "DeviceAddress", "255"}, {TM2, "TimeoutNonRecoverable", "1"}},
                    false, Err(TM2, "TimeoutNonRecoverable", "Out of Range")},
        SectionCase{"WithDeviceTimeoutNoneRefused", {{TM2, "TimeoutNonRecoverable", "NONE"}}, false,
                    Err(TM2, "TimeoutNonRecoverable", "Invalid Syntax")},
        SectionCase{"TimeoutCritical11", {{TM2, "TimeoutCritical", "11"}}, false,
                    Err(TM2, "TimeoutCritical", "Out of Range")},
        SectionCase{"GetReadingCommandMissing", {{TM2, "GetReadingCommand", nullptr}}, false,
                    Err(TM2, "GetReadingCommand", "Not Found")},
        SectionCase{"RelativeReadings", {{TM2, "RelativeReadings", "2"}}, false,
                    Err(TM2, "RelativeReadings", "Not TRUE or FALSE")},
        SectionCase{"ConversionFactor", {{TM2, "RelativeConversionFactor", "128.01"}}, false,
                    Err(TM2, "RelativeConversionFactor", "Out of Range")},
        SectionCase{"Slope", {{TM2, "AccuracyCorrectionSlope", "10.01"}}, false,
                    Err(TM2, "AccuracyCorrectionSlope", "Out of Range")},
        SectionCase{"Offset", {{TM2, "AccuracyCorrectionOffset", "-0.01"}}, false,
                    Err(TM2, "AccuracyCorrectionOffset", "Out of Range")},
        SectionCase{"NonCriticalBelowNominal", {{TM2, "TemperatureNonCritical", "24.99"}}, false,
                    Err(TM2, "TemperatureNonCritical", "Less than TemperatureNominal")},
        SectionCase{"CriticalEqualPasses", {{TM2, "TemperatureCritical", "40.00"}}, true, "Parsing Successful."},
        SectionCase{"CriticalBelowNonCritical", {{TM2, "TemperatureCritical", "39.99"}}, false,
                    Err(TM2, "TemperatureCritical", "Less than TemperatureNonCritical")},
        SectionCase{"NonRecoverableBelowCritical", {{TM2, "TemperatureNonRecoverable", "44.99"}}, false,
                    Err(TM2, "TemperatureNonRecoverable", "Less than TemperatureCritical")}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    FanMonitor, SectionTest,
    testing::Values(
        SectionCase{"NonCriticalAboveNominal", {{FM1, "FanSpeedNonCritical", "2600"}}, false,
                    Err(FM1, "FanSpeedNonCritical", "Greater Than FanSpeedNominal")},
        SectionCase{"CriticalAboveNonCritical", {{FM1, "FanSpeedCritical", "501"}}, false,
                    Err(FM1, "FanSpeedCritical", "Greater Than FanSpeedNonCritical")},
        SectionCase{"NonRecoverableAboveCritical", {{FM1, "FanSpeedNonRecoverable", "451"}}, false,
                    Err(FM1, "FanSpeedNonRecoverable", "Greater Than FanSpeedCritical")},
        SectionCase{"SpeedTooHigh", {{FM1, "FanSpeedNominal", "30001"}}, false,
                    Err(FM1, "FanSpeedNominal", "Out of Range")},
        SectionCase{"AttributesNone", {{FM1, "GetAttributesCommand", "NONE"}}, false,
                    Err(FM1, "GetAttributesCommand", "Invalid Syntax")}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    VoltageMonitor, SectionTest,
    testing::Values(
        SectionCase{"Twelve14001", {{VM1, "OverVoltageNonRecoverable", "14.001"}}, false,
                    Err(VM1, "OverVoltageNonRecoverable", "Out of Range")},
        SectionCase{"NominalRange", {{VM1, "VoltageNominal", "300.001"}}, false,
                    Err(VM1, "VoltageNominal", "Out of Range")},
        SectionCase{"MinusFive",
                    {{VM1, "Usage", "5"}, {VM1, "VoltageNominal", "-5.000"}, {VM1, "UnderVoltageNonCritical", "-5.5"},
                     {VM1, "UnderVoltageCritical", "-5.8"}, {VM1, "UnderVoltageNonRecoverable", "-6.000"},
                     {VM1, "OverVoltageNonCritical", "-4.5"}, {VM1, "OverVoltageCritical", "0"},
                     {VM1, "OverVoltageNonRecoverable", "4.000"}},
                    true, "Parsing Successful."},
        SectionCase{"VccpNominalWarns",
                    {{VM1, "Usage", "9"}, {VM1, "VoltageNominal", "1.200"}, {VM1, "UnderVoltageNonCritical", "-0.400"},
                     {VM1, "UnderVoltageCritical", "-0.500"}, {VM1, "UnderVoltageNonRecoverable", "-0.600"},
                     {VM1, "OverVoltageNonCritical", "1.3"}, {VM1, "OverVoltageCritical", "1.4"},
                     {VM1, "OverVoltageNonRecoverable", "1.5"}},
                    true, Warn(VM1, "VoltageNominal", "Value Other Than 0 specified for Vccp")},
        SectionCase{"VccpOffsetBelowNominal",
                    {{VM1, "Usage", "9"}, {VM1, "VoltageNominal", "1.200"}, {VM1, "UnderVoltageNonCritical", "-0.400"},
                     {VM1, "UnderVoltageCritical", "-0.500"}, {VM1, "UnderVoltageNonRecoverable", "-0.600"},
                     {VM1, "OverVoltageNonCritical", "0.200"}},
                    false, Err(VM1, "OverVoltageNonCritical", "Less Than VoltageNominal")},
        SectionCase{"UnderAboveNominal", {{VM1, "UnderVoltageNonCritical", "12.001"}}, false,
                    Err(VM1, "UnderVoltageNonCritical", "Greater Than VoltageNominal")},
        SectionCase{"UnderCriticalAboveNonCritical", {{VM1, "UnderVoltageCritical", "11.401"}}, false,
                    Err(VM1, "UnderVoltageCritical", "Greater Than UnderVoltageNonCritical")},
        SectionCase{"UnderNonRecoverableAboveCritical", {{VM1, "UnderVoltageNonRecoverable", "11.001"}}, false,
                    Err(VM1, "UnderVoltageNonRecoverable", "Greater Than UnderVoltageCritical")},
        SectionCase{"OverCriticalBelowNonCritical", {{VM1, "OverVoltageCritical", "12.599"}}, false,
                    Err(VM1, "OverVoltageCritical", "Less Than OverVoltageNonCritical")},
        SectionCase{"OverNonRecoverableBelowCritical", {{VM1, "OverVoltageNonRecoverable", "12.999"}}, false,
                    Err(VM1, "OverVoltageNonRecoverable", "Less Than OverVoltageCritical")}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    FanController, SectionTest,
    testing::Values(
        SectionCase{"FirstSlotNone", {{FC1, "AssociatedFanSpeedMonitor1", "NONE"}}, false,
                    Err(FC1, "AssociatedFanSpeedMonitor1", "Invalid Syntax")},
        SectionCase{"DisabledMonitor", {{FC1, "AssociatedFanSpeedMonitor1", "3"}}, false,
                    Err(FC1, "AssociatedFanSpeedMonitor1", "Not Enabled")},
        SectionCase{"SecondSlotNoneSkipsItsKeys",
                    {{FC1, "AssociatedFanSpeedMonitor2", "NONE"}, {FC1, "Fan2PulsesPerRevolution", "9"}}, true,
                    "Parsing Successful."},
        SectionCase{"Pulses", {{FC1, "Fan1PulsesPerRevolution", "0"}}, false,
                    Err(FC1, "Fan1PulsesPerRevolution", "Out of Range")},
        SectionCase{"MinimumRpm", {{FC1, "Fan2MinimumRPM", "16001"}}, false,
                    Err(FC1, "Fan2MinimumRPM", "Out of Range")},
        SectionCase{"Dependent", {{FC1, "Fan2DependentMeasurement", ""}}, false,
                    Err(FC1, "Fan2DependentMeasurement", "Input Missing")},
        SectionCase{"PhysicalIndex5", {{FC1, "PhysicalControllerIndex", "5"}}, false,
                    Err(FC1, "PhysicalControllerIndex", "Out of Range")},
        SectionCase{"MinOff", {{FC1, "MinOffMode", "ON"}}, false, Err(FC1, "MinOffMode", "Not MIN or OFF")},
        SectionCase{"DutyCycleOnLow", {{FC1, "DutyCycleOn", "4.99"}}, false, Err(FC1, "DutyCycleOn", "Out of Range")},
        SectionCase{"DutyCycleMaxHigh", {{FC1, "DutyCycleMax", "100.01"}}, false,
                    Err(FC1, "DutyCycleMax", "Out of Range")},
        SectionCase{"SignalInvert", {{FC1, "SignalInvert", "no"}}, false,
                    Err(FC1, "SignalInvert", "Not TRUE or FALSE")},
        SectionCase{"Frequency90", {{FC1, "SignalFrequency", "90"}}, false,
                    Err(FC1, "SignalFrequency", "Invalid Value")},
        SectionCase{"SpinUp5000", {{FC1, "SpinUpTime", "5000"}}, false, Err(FC1, "SpinUpTime", "Out of Range")},
        SectionCase{"WeightingMissingWarns", {{FC1, "TempResponse7Weighting", nullptr}}, true,
                    Warn(FC1, "TempResponse7Weighting", "Not Specified, Presuming 0.0")},
        SectionCase{"WeightingHigh", {{FC1, "TempResponse2Weighting", "100.01"}}, false,
                    Err(FC1, "TempResponse2Weighting", "Out of Range")},
        SectionCase{"SetConfigurationNone", {{FC1, "SetSpeedCommand", "NONE"}}, false,
                    Err(FC1, "SetSpeedCommand", "Invalid Syntax")}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    TemperatureResponse, SectionTest,
    testing::Values(
        SectionCase{"DisabledMonitorBeforeSmoothing",
                    {{TR1, "TemperatureMonitor", "3"}, {TR1, "SmoothingWindow", "x"}}, false,
                    Err(TR1, "TemperatureMonitor", "Not Enabled")},
        SectionCase{"Smoothing", {{TR1, "SmoothingWindow", "11"}}, false, Err(TR1, "SmoothingWindow", "Out of Range")},
        SectionCase{"ProcessorLimit40", {{TR1, "TemperatureLimit", "40.00"}}, false,
                    Err(TR1, "TemperatureLimit", "Out of Range")},
        SectionCase{"OtherUsageLimit40", {{TR1, "Usage", "3"}, {TR1, "TemperatureLimit", "40.00"}}, true,
                    "Parsing Successful."},
        SectionCase{"Proportional", {{TR1, "ProportionalGain", "0.24"}}, false,
                    Err(TR1, "ProportionalGain", "Out of Range")},
        SectionCase{"Integral", {{TR1, "IntegralGain", "15.01"}}, false, Err(TR1, "IntegralGain", "Out of Range")},
        SectionCase{"Derivative", {{TR1, "DerivativeGain", "1200.01"}}, false,
                    Err(TR1, "DerivativeGain", "Out of Range")},
        SectionCase{"IntegralWindow", {{TR1, "IntegralTimeWindow", "4"}}, false,
                    Err(TR1, "IntegralTimeWindow", "Out of Range")},
        SectionCase{"DerivativeWindow", {{TR1, "DerivativeTimeWindow", "31"}}, false,
                    Err(TR1, "DerivativeTimeWindow", "Out of Range")},
        SectionCase{"AllOn", {{TR1, "AllOnTemperature", "30.01"}}, false, Err(TR1, "AllOnTemperature", "Out of Range")},
        SectionCase{"AmbientDisabled", {{TR1, "AmbientTemperatureMonitor", "12"}}, false,
                    Err(TR1, "AmbientTemperatureMonitor", "Not Enabled")},
        SectionCase{"AmbientNoneSkipsRest",
                    {{TR1, "AmbientTemperatureMonitor", "none"}, {TR1, "PrimaryFanController", "9"}}, true,
                    "Parsing Successful."},
        SectionCase{"AmbientDutyCycleMin", {{TR1, "AmbientDutyCycleMin", "4.99"}}, false,
                    Err(TR1, "AmbientDutyCycleMin", "Out of Range")},
        SectionCase{"AmbientTempMin", {{TR1, "AmbientTempMin", "30.01"}}, false,
                    Err(TR1, "AmbientTempMin", "Out of Range")},
        SectionCase{"AmbientTempRange", {{TR1, "AmbientTempRange", "4.99"}}, false,
                    Err(TR1, "AmbientTempRange", "Out of Range")},
        SectionCase{"ReductionZero", {{TR1, "AmbientDutyCycleReduction", "0.00"}}, false,
                    Err(TR1, "AmbientDutyCycleReduction", "Out of Range")},
        SectionCase{"ReductionTooDeep", {{TR1, "AmbientDutyCycleReduction", "-3.50"}}, false,
                    Err(TR1, "AmbientDutyCycleReduction", "Out of Range")},
        SectionCase{"ReductionEdges", {{TR1, "AmbientDutyCycleReduction", "-0.30"}}, true, "Parsing Successful."},
        SectionCase{"PrimaryDisabled", {{TR1, "PrimaryFanController", "2"}}, false,
                    Err(TR1, "PrimaryFanController", "Not Enabled")},
        SectionCase{"DisabledResponseStillWeighted",
                    {{"TemperatureResponse3", "Enabled", "FALSE"}, {FC1, "TempResponse3Weighting", "100.00"}}, true,
                    Err(FC1, "TempResponse3Weighting", "Not Enabled")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParseDriver, NothingEnabled) {
  RunResult r = RunOnText("[FanMonitor1]\nEnabled=FALSE\n");
  EXPECT_EQ(r.exitCode, 1);
  const std::string tail =
      "  WARNING: Section \"VoltageMonitor8\", Parameter \"Enabled\" - Not Specified, Presuming FALSE!\n"
      "  WARNING: No Voltage Monitors Enabled!\n"
      "  ERROR: No Entities Enabled; Not valid INI file!\n"
      "Terminating Program due to INI file errors\n\n";
  EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail);
  std::string after = AfterBanner(r.out);
  size_t warnings = 0;
  for (size_t at = 0; (at = after.find("Not Specified, Presuming FALSE", at)) != std::string::npos; ++at) ++warnings;
  EXPECT_EQ(warnings, 47u);  // FanMonitor1 says FALSE itself
  for (const char* w : {"No Fan Monitors Enabled", "No Fan Controllers Enabled", "No Temperature Monitors Enabled",
                        "No Temperature Response Units Enabled"})
    EXPECT_NE(after.find(std::string("  WARNING: ") + w + "!\n"), std::string::npos) << w;
}

TEST(ParseDriver, OnlyOneVoltageMonitor) {
  RunResult r = RunOnText(OnlyVoltageMonitor1().Text());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("  WARNING: No Temperature Response Units Enabled!\n  Parsing Voltage Monitors...\n"),
            std::string::npos);
  EXPECT_EQ(r.out.find("No Voltage Monitors"), std::string::npos);
}

TEST(ParseDriver, FirstErrorStopsEverything) {
  IniBuilder ini = FullConfig();
  ini.Set("FanMonitor1", "Usage", "x").Set("VoltageMonitor1", "Usage", "x");
  RunResult r = RunOnText(ini.Text());
  EXPECT_EQ(AfterBanner(r.out),
            "Parsing INI file \"cfg.ini\"...\n"
            "  Parsing Fan Monitors...\n"
            "  ERROR: Section \"FanMonitor1\", Parameter \"Usage\" - Invalid Syntax!\n"
            "Terminating Program due to INI file errors\n\n");
}

}  // namespace
}  // namespace zefr::test
