#include "value_checks.h"

#include <gtest/gtest.h>

#include "document_fixture.h"

namespace zefr {
namespace {

using namespace testing_support;

using ValueChecksTest = Document;

struct ReportCase {
  const char* name;
  ParameterId id;
  const char* value;
  const char* line;  // empty: no report line
};

TEST_F(ValueChecksTest, ReportLines) {
  Choose(kTm1, "Enabled");
  Choose(kTr1, "Enabled");
  Choose(kTm1Device, "Other Pell Bus Device (custom)");
  static const std::string longComment(300, 'c');
  const ReportCase cases[] = {
      {"hex too long and out of range", kTm1Address, "0x1FF",
       "Temperature Monitors 1\xC2\xBB" "Device Address: Value out of range (0, 255). "
       "Value length longer than 2. \r\n"},
      {"hex NONE", kTm1Address, "NONE", ""},
      {"hex not a number", kTm1Address, "0xZZ", "Temperature Monitors 1\xC2\xBB" "Device Address: Bad value. \r\n"},
      {"empty integer", 1009, "", ""},
      {"integer with decimals", 1012, "60.00", ""},
      {"integer out of range", 1009, "300", "Temperature Monitors 1\xC2\xBBNon-Critical Timeout: Value out of range (1, 255). \r\n"},
      {"integer not a number", 1009, "1a", "Temperature Monitors 1\xC2\xBBNon-Critical Timeout: Bad value. \r\n"},
      {"real in range", kTr1Gain, "0.3", ""},
      {"real below range", kTr1Reduction, "-0.2",
       "Temperature Response Units 1\xC2\xBB" "Ambient Duty Cycle Reduction: Value out of range (-3.00, -0.30). \r\n"},
      {"comments of any length", 1016, longComment.c_str(), ""},
  };
  for (const ReportCase& c : cases) {
    SCOPED_TRACE(c.name);
    doc.ResetToDefaults();
    Choose(kTm1, "Enabled");
    Choose(kTr1, "Enabled");
    Choose(kTm1Device, "Other Pell Bus Device (custom)");
    doc.SetValue(c.id, c.value);
    EXPECT_EQ(EditorReport(), c.line);
    // Red for the editor's error; a row the editor passes may still be red for the compiler.
    if (*c.line) {
      EXPECT_EQ(Row(c.id).LabelBackground(), colours::kError);
    }
  }
}

TEST_F(ValueChecksTest, UsageSelectsTheRangeRow) {
  Choose(kTm1, "Enabled");
  const ParameterId timeout = 1009, nonCritical = 1013;
  EXPECT_EQ(doc.Checks().RowClass(timeout), 0x2);
  Choose(1001, "Processor Core Temperature");
  EXPECT_EQ(doc.Checks().RowClass(timeout), 0x10);
  EXPECT_EQ(doc.Checks().RowClass(nonCritical), 0x100);
  Type(timeout, "2");
  EXPECT_TRUE(Has(timeout, state::kOutOfRange));
  EXPECT_EQ(Row(timeout).Message(), "Value out of range (1, 1). ");
  Choose(1001, "Memory Temperature");
  EXPECT_EQ(doc.Checks().RowClass(nonCritical), 0x2);
  EXPECT_FALSE(Has(timeout, state::kOutOfRange));
}

TEST_F(ValueChecksTest, DisabledInstancesStayOutOfTheReport) {
  doc.SetValue(1009, "999");
  EXPECT_EQ(doc.Checks().CollectErrorReport(), "");
  // A switch that is neither TRUE nor FALSE is named, its instance stays off.
  doc.SetValue(1100, "YES");
  doc.SetValue(1109, "999");
  EXPECT_EQ(doc.Checks().CollectErrorReport(),
            "Temperature Monitors 2\xC2\xBBTemperature Monitor 2: Device is disabled due to bad value. \r\n");
}

// What CheckParameter answers (a range error, or a length error on a
// well-formed value) and the bits it leaves.
TEST_F(ValueChecksTest, CheckParameterAnswersRangeAndLengthErrorsOnly) {
  Choose(kTm1, "Enabled");
  Choose(kTm1Device, "Other Pell Bus Device (custom)");
  const struct {
    ParameterId id;
    const char* value;
    bool answer;
    std::uint32_t bits;
  } cases[] = {
      {kTm1Address, "0x20", false, 0},
      {kTm1Address, "0x1FF", true, state::kOutOfRange | state::kTooLong},
      {kTm1Address, "0x100", true, state::kOutOfRange | state::kTooLong},
      {kTm1Address, "0xZZZ", false, state::kTooLong | state::kBadValue},
      {kTm1Address, "NONE", false, 0},
      {kTm1Address, "", false, 0},
      {1009, "255", false, 0},
      {1009, "256", true, state::kOutOfRange},
      {1009, "0", true, state::kOutOfRange},
      {1009, "12345", true, state::kOutOfRange | state::kTooLong},
      {1009, "1a", false, state::kBadValue},
      {kTr1Reduction, "-0.3", false, 0},
      {kTr1Reduction, "-0.2", true, state::kOutOfRange},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.id) + " = " + c.value);
    doc.SetValue(c.id, c.value);
    EXPECT_EQ(doc.Checks().CheckParameter(c.id), c.answer);
    EXPECT_EQ(doc.Checks().StateWord(c.id) & ~state::kInputDisabled, c.bits);
  }
}

// Input stays disabled while the instance is off, whatever is asked.
TEST_F(ValueChecksTest, InputOfADisabledInstanceStaysDisabled) {
  const struct {
    bool instanceOn;
    bool asked;
    bool disabled;
  } cases[] = {{false, false, true}, {false, true, true}, {true, false, false}, {true, true, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.instanceOn) + " " + std::to_string(c.asked));
    Choose(kTm1, c.instanceOn ? "Enabled" : "Disabled");
    doc.Checks().SetInputDisabled(1009, c.asked);
    doc.Checks().DescribeErrors(1009);
    EXPECT_EQ(Has(1009, state::kInputDisabled), c.disabled);
    EXPECT_EQ(Row(1009).ReadOnly(), c.disabled);
    EXPECT_EQ(Row(1009).GreyText(), c.disabled);
    EXPECT_EQ(EditorMessage(1009), c.disabled ? "Input disabled. " : "");
  }
}

}  // namespace
}  // namespace zefr
